#pragma once

#include <QFont>

#include <thread>

namespace jotrak {

// 宋体 by pixel size, weight 400, with fall-backs for desktops without it.
QFont SongFont(int pixelSize);
// 华文行楷 by pixel size, thin (weight 100), with fall-backs.
QFont KaiFont(int pixelSize);

// Reads the system's font configuration on a thread of its own, so that it is
// ready by the time the first font is used; main() starts it before the
// application connects to the display and waits for it right after.
class FontConfigurationLoader {
public:
    FontConfigurationLoader();
    ~FontConfigurationLoader();
    FontConfigurationLoader(const FontConfigurationLoader&) = delete;
    FontConfigurationLoader& operator=(const FontConfigurationLoader&) = delete;

    void wait();

private:
    std::thread thread_;
};

} // namespace jotrak
