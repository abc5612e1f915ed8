// The leading-digits rule reads every number a user types or a file holds
// (keys, reminder dates, sizes). Any text gives a number; the result matches
// the C library's strtoll on the same characters, saturated to 32 bits.
#include "fuzz_input.h"

#include "data/keys.h"

#include <cerrno>
#include <climits>
#include <string>

using namespace jotrak;

namespace {

int Reference(QStringView text)
{
    // Characters outside ASCII end the number, as any other non-digit does.
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text)
        ascii.push_back(c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : 'x');
    errno = 0;
    const long long v = std::strtoll(ascii.c_str(), nullptr, 10);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString wide = fuzz::Utf16Text(data, size);
    FUZZ_CHECK(LeadingNumber(wide) == Reference(wide));

    const QString utf8 = QString::fromUtf8(fuzz::Bytes(data, size));
    FUZZ_CHECK(LeadingNumber(utf8) == Reference(utf8));

    // Keys written by the formatters read back as the numbers they were made of.
    if (size >= 6) {
        const int year = 1 + (data[0] | (data[1] << 8)) % 9999;
        const int month = 1 + data[2] % 12;
        const int day = 1 + data[3] % 31;
        const QString monthKey = FormatMonthKey(year, month);
        const QString dayKey = FormatDayKey(year, month, day);
        FUZZ_CHECK(dayKey.startsWith(monthKey));
        FUZZ_CHECK(LeadingNumber(QStringView(dayKey).right(2)) == day);
        FUZZ_CHECK(LeadingNumber(QStringView(monthKey).right(2)) == month);
        FUZZ_CHECK(LeadingNumber(QStringView(monthKey).chopped(2)) == year);
        FUZZ_CHECK(TwoDigitText(data[4] % 100).size() == 2);
    }
    return 0;
}
