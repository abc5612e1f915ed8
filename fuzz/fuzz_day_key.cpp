// A day key comes from the key box, where the user types anything, and a
// reminder date rule (shijian) from the reminder dialog. Any pair must split,
// map to a calendar day and match without undefined behaviour, and the numbers
// must stay in the ranges the matching relies on.
#include "fuzz_input.h"

#include "data/keys.h"
#include "reminders/reminder_rules.h"

using namespace jotrak;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray keyBytes;
    QByteArray ruleBytes;
    fuzz::SplitAtMarker(data, size, &keyBytes, &ruleBytes);
    const QString key = QString::fromUtf8(keyBytes);
    const QString rule = QString::fromUtf8(ruleBytes);

    const DayNumbers numbers = SplitDayKey(key);
    FUZZ_CHECK(numbers.year == LeadingNumber(QStringView(key).left(4)));

    const ReminderDay day = ReminderDayOf(key);
    FUZZ_CHECK(day.month == numbers.month && day.day == numbers.day);
    FUZZ_CHECK(day.lunarMonth >= 0 && day.lunarMonth <= 12);
    FUZZ_CHECK(day.lunarDay >= 0 && day.lunarDay <= 30);
    FUZZ_CHECK((day.lunarMonth == 0) == (day.lunarDay == 0));

    for (const qint64 lifa : {qint64{0}, qint64{1}, qint64{-1}}) {
        const bool fires = SchemeFiresOn(day, lifa, rule);
        const int month = lifa == 0 ? day.month : day.lunarMonth;
        const int dayOfMonth = lifa == 0 ? day.day : day.lunarDay;
        FUZZ_CHECK(fires == SchemeFires(rule, month, dayOfMonth));
        if (fires)
            FUZZ_CHECK(LeadingNumber(rule) > 0);
    }

    // A well-formed key of a real date gives back its numbers.
    if (size >= 4) {
        const int year = 1901 + data[0] % 150;
        const int month = 1 + data[1] % 12;
        const int dayOfMonth = 1 + data[2] % 28;
        FUZZ_CHECK(SplitDayKey(FormatDayKey(year, month, dayOfMonth)) == (DayNumbers{year, month, dayOfMonth}));
        const ReminderDay real = ReminderDayOf(FormatDayKey(year, month, dayOfMonth));
        FUZZ_CHECK(real.lunarDay >= 1 && real.lunarDay <= 30 && real.lunarMonth >= 1);
    }
    return 0;
}
