#include "app/program.h"

#include "app/main_window.h"
#include "app/startup.h"
#include "app/translation.h"
#include "data/database_error.h"
#include "shell/app_context.h"
#include "shell/message_box.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace jotrak {

namespace {

// Icons 107 (large) and 108 (small), compiled into the program.
QIcon ProgramIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/jotrak-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/jotrak-16.png"), QSize(16, 16));
    return icon;
}

// Writes the shown marker once, at the first paint of the window.
class ReportFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            std::fprintf(stderr, "%s\n", kShownMarker);
            std::fflush(stderr);
            watched->removeEventFilter(this);
        }
        return false;
    }
};

bool StartOrReport(const QString& exeDir)
{
    const QString caption = QString::fromUtf8("Jotrak 无法启动");
    try {
        RunStartup(exeDir);
        return true;
    } catch (const DatabaseError& error) {
        qWarning().noquote() << "start-up failed:" << error.what();
        ShowMessage(App().mainWindow,
                    QString::fromUtf8("无法打开数据库文件 %1,程序将退出。\n\n%2")
                        .arg(QDir::toNativeSeparators(DatabasePath(exeDir)), error.message()),
                    caption, MessageButtons::Ok, error.details());
    } catch (const std::exception& error) {
        qWarning() << "start-up failed:" << error.what();
        ShowMessage(App().mainWindow, QString::fromUtf8("出现了意外的错误,Jotrak 无法启动,程序将退出。"), caption,
                    MessageButtons::Ok, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

bool ReportingAsked()
{
    return qEnvironmentVariableIntValue("JOTRAK_REPORT_SHOWN") == 1;
}

void ReportShownWhenAsked(MainWindow& window)
{
    if (ReportingAsked())
        window.installEventFilter(new ReportFirstPaint(&window));
}

void ReportReadyWhenAsked()
{
    if (ReportingAsked()) {
        std::fprintf(stderr, "%s\n", kReadyMarker);
        std::fflush(stderr);
    }
}

// Runs start once, on the turn of the event loop after the window's first paint,
// so the window is on the screen before the start-up sequence fills it. A window
// that is never painted (minimised, say) starts a moment later all the same.
class StartAfterFirstPaint : public QObject {
public:
    StartAfterFirstPaint(QWidget* window, std::function<void()> start)
        : QObject(window), window_(window), start_(std::move(start))
    {
        window->installEventFilter(this);
        QTimer::singleShot(kFallbackMs, this, &StartAfterFirstPaint::startOnce);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            window_->removeEventFilter(this);
            QTimer::singleShot(0, this, &StartAfterFirstPaint::startOnce);
        }
        return false;
    }

private:
    static constexpr int kFallbackMs = 300;

    void startOnce()
    {
        if (started_)
            return;
        started_ = true;
        window_->removeEventFilter(this);
        start_();
    }

    QWidget* window_;
    std::function<void()> start_;
    bool started_ = false;
};

void QuitAfterStartupWhenAsked(MainWindow& window)
{
    bool isNumber = false;
    const int quitAfterMs = qEnvironmentVariableIntValue("JOTRAK_QUIT_AFTER_STARTUP_MS", &isNumber);
    if (isNumber && quitAfterMs >= 0)
        QTimer::singleShot(quitAfterMs, &window, &QWidget::close);
}

} // namespace

int RunProgram(const QString& exeDir)
{
    InstallQtTranslation();
    AppContext context;
    MainWindow window;
    window.setWindowIcon(ProgramIcon());
    ReportShownWhenAsked(window);
    new StartAfterFirstPaint(&window, [&window, exeDir] {
        if (!StartOrReport(exeDir)) {
            QCoreApplication::exit(1);
            return;
        }
        ReportReadyWhenAsked();
        QuitAfterStartupWhenAsked(window);
    });
    window.show();
    return QApplication::exec();
}

} // namespace jotrak
