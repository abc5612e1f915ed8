#include "calendar/today_line.h"

#include <array>

namespace jotrak {

namespace {

constexpr std::array<const char16_t*, 7> kWeekDayTexts{u"星期日,", u"星期一,", u"星期二,", u"星期三,",
                                                       u"星期四,", u"星期五,", u"星期六,"};

} // namespace

QString BuildTodayLine(const CRiLi& today)
{
    QString line = QStringLiteral("今日 %1年 %2月 %3日, ").arg(today.year()).arg(today.month()).arg(today.day());
    line += QString::fromUtf16(kWeekDayTexts[static_cast<std::size_t>(today.WeekDay())]);

    const LunarDate lunar = today.GetLunarDate();
    if (lunar.isKnown())
        line += QStringLiteral(" 农历 %1年 %2月 %3号, ").arg(lunar.year).arg(lunar.month).arg(lunar.day);
    else
        line += QStringLiteral(" 农历 无数据, ");

    line += CRiLi::FormatYearName(today.year());
    return line;
}

} // namespace jotrak
