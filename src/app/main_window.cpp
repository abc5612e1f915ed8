#include "app/main_window.h"

#include "app/command_ids.h"
#include "app/commands.h"
#include "shell/app_context.h"
#include "shell/desktop.h"

#include <QMouseEvent>
#include <QShortcut>

namespace jotrak {

MainWindow::MainWindow()
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QString::fromUtf8(kMainWindowTitle));
    resize(kClientWidth, kClientHeight);
    // the button face behind every control
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    auto* settings = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
    settings->setContext(Qt::WindowShortcut);
    connect(settings, &QShortcut::activated, this, [] { DispatchCommand(kCmdSettings); });
    auto* search = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    search->setContext(Qt::WindowShortcut);
    connect(search, &QShortcut::activated, this, [] { DispatchCommand(kCmdSearch); });
    App().mainWindow = this;
}

MainWindow::~MainWindow()
{
    if (HasApp() && App().mainWindow == this)
        App().mainWindow = nullptr;
}

void MainWindow::paintEvent(QPaintEvent*) {}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    // Children that ignore a press pass it up here; only the bare background counts.
    if (event->button() == Qt::RightButton && !childAt(event->position().toPoint())) {
        ExitProgram(0);
        return;
    }
    event->accept();
}

} // namespace jotrak
