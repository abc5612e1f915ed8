#pragma once

#include <QWidget>

namespace jotrak {

// The client area of the main window; every control sits at a fixed position
// inside it (see main_layout.h).
inline constexpr int kClientWidth = 1008;
inline constexpr int kClientHeight = 710;
inline constexpr char kMainWindowTitle[] = "Jotrak V2.6";

// The one top-level window. It draws nothing of its own (the background is the
// button face), ends the program on a right press on its own background and
// opens the settings dialog on Ctrl+, (command 123, also on the 设置 spot)
// and the search dialog on Ctrl+F (command 128).
// Constructing it stores it as App().mainWindow.
class MainWindow : public QWidget {
public:
    MainWindow();
    ~MainWindow() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace jotrak
