// The Workbook stream of the template Dt/1.xls, which the user may restyle in
// any spreadsheet program. Any stream is either refused with a reason or taken;
// a taken stream, with rows appended, must read back with the rows counted.
#include "fuzz_input.h"
#include "xls_rows.h"

#include "export/biff_workbook.h"

using namespace jotrak;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QString error;
    const std::optional<xls::Workbook> book = xls::Workbook::Parse(fuzz::Bytes(data, size), &error);
    if (!book) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    const std::vector<xls::SheetRow> rows = fuzz::ExportRows();
    if (book->rowCapacity() < static_cast<int>(rows.size()))
        return 0;
    const QByteArray written = book->withRows(rows);
    QString again;
    const std::optional<xls::Workbook> reread = xls::Workbook::Parse(written, &again);
    if (!reread)
        std::fprintf(stderr, "written stream refused: %s\n", qPrintable(again));
    FUZZ_CHECK(reread);
    FUZZ_CHECK(reread->firstNewRow() == book->firstNewRow() + static_cast<int>(rows.size()));
    return 0;
}
