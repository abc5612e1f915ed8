#pragma once

#include "calendar/cri_li.h"

#include <QString>

namespace jotrak {

// The top line of the main window, for example
// "今日 2018年 1月 21日, 星期日, 农历 2017年 12月 5号, 戊戌 狗年".
// The year name is that of the Gregorian year. A date the lunar tables do not
// cover shows "农历 无数据" in place of the lunar date.
QString BuildTodayLine(const CRiLi& today);

} // namespace jotrak
