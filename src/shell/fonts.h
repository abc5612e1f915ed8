#pragma once

#include <QFont>

namespace jotrak {

// 宋体 by pixel size, weight 400, with fall-backs for desktops without it.
QFont SongFont(int pixelSize);
// 华文行楷 by pixel size, thin (weight 100), with fall-backs.
QFont KaiFont(int pixelSize);

} // namespace jotrak
