// The whole template file Dt/1.xls: compound-file container and Workbook
// stream. Any bytes are either refused with a reason or taken; a taken file,
// with rows appended, must read back with the rows counted.
#include "fuzz_input.h"
#include "xls_rows.h"

#include "export/workbook_file.h"

using namespace jotrak;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    const std::optional<xls::WorkbookFile> file = xls::WorkbookFile::FromBytes(fuzz::Bytes(data, size), &error);
    if (!file) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const std::vector<xls::SheetRow> rows = fuzz::ExportRows();
    if (file->workbook().rowCapacity() < static_cast<int>(rows.size()))
        return 0;
    // A container the writer declines is reported to the user; only a written
    // file must read back.
    const std::optional<QByteArray> written = file->withRows(rows);
    if (!written)
        return 0;
    QString again;
    const std::optional<xls::WorkbookFile> reread = xls::WorkbookFile::FromBytes(*written, &again);
    if (!reread)
        std::fprintf(stderr, "written file refused: %s\n", qPrintable(again));
    FUZZ_CHECK(reread);
    FUZZ_CHECK(reread->workbook().firstNewRow() == file->workbook().firstNewRow() + static_cast<int>(rows.size()));
    return 0;
}
