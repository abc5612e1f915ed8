// The maxims file is whatever the user saved as Dt/gey.txt: any bytes must give
// a list of lines without line breaks or NULs, and a maxim must always be chosen
// from a non-empty list.
#include "fuzz_input.h"

#include "settings/maxims.h"

using namespace jotrak;

namespace {

bool HoldsLineEnd(const QString& line)
{
    return line.contains(u'\r') || line.contains(u'\n') || line.contains(QChar(u'\0'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MaximList list;
    ParseMaxims(list, fuzz::Bytes(data, size));
    for (const QString& line : list.lines)
        FUZZ_CHECK(!HoldsLineEnd(line));
    const qint64 seconds = size >= 8 ? qint64(data[0]) << 56 | qint64(data[size - 1]) << 8 | data[size / 2] : 0;
    const QString chosen = ChooseMaxim(list, seconds);
    FUZZ_CHECK(list.lines.isEmpty() ? chosen.isEmpty() : list.lines.contains(chosen));

    // The line splitter on raw UTF-16 text, from any cursor: it always moves on.
    const QString text = fuzz::Utf16Text(data, size);
    qsizetype cursor = size > 0 ? data[0] % (text.size() + 2) - 1 : 0;
    QString line;
    qsizetype lines = 0;
    while (NextMaximLine(line, text, cursor)) {
        FUZZ_CHECK(!HoldsLineEnd(line));
        FUZZ_CHECK(cursor <= text.size());
        FUZZ_CHECK(++lines <= text.size());
    }
    FUZZ_CHECK(line.isEmpty());
    return 0;
}
