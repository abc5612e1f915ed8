#pragma once

#include <QScrollArea>

#include <memory>

namespace jotrak {

class MainWindow;

// On a screen smaller than the fixed window (a 1024×600 laptop) the window
// stands in a scroll area as large as the screen allows, so that its bottom
// rows can still be reached; its places stay as they are. Closing the frame
// asks about unsaved typing as closing the window does.
class ScrollingFrame : public QScrollArea {
public:
    explicit ScrollingFrame(MainWindow& window);
    ~ScrollingFrame() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MainWindow& window_;
};

// A frame when the screen of window cannot show it whole; else none.
std::unique_ptr<ScrollingFrame> FrameWhenScreenIsSmall(MainWindow& window);

} // namespace jotrak
