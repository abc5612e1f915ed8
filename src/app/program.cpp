#include "app/program.h"

#include "app/main_window.h"
#include "app/startup.h"
#include "app/translation.h"
#include "data/database_error.h"
#include "shell/app_context.h"
#include "shell/data_folder.h"
#include "shell/message_box.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace jotrak {

namespace {

// Icons 107 (large) and 108 (small), compiled into the program.
QIcon ProgramIcon()
{
    // read as PNG outright: finding the format out would load every image format plugin
    QIcon icon;
    for (const char* file : {":/icons/jotrak-32.png", ":/icons/jotrak-16.png"}) {
        QImageReader reader(QString::fromLatin1(file), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

// Writes a marker line on standard error when the watched widget has been
// painted and the frame handed to the screen: either once, or after every paint
// followed by the id of the native top-level window it was painted in (a
// benchmark tells a replaced window by that id).
class ReportPaint : public QObject {
public:
    ReportPaint(QWidget* widget, const char* marker, bool everyPaint)
        : QObject(widget), widget_(widget), marker_(marker), everyPaint_(everyPaint)
    {
        widget->installEventFilter(this);
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        if (everyPaint_)
            std::fprintf(stderr, "%s 0x%llx %lld\n", marker_,
                         static_cast<unsigned long long>(widget_->window()->winId()),
                         static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                    std::chrono::steady_clock::now().time_since_epoch())
                                                    .count()));
        else
            std::fprintf(stderr, "%s\n", marker_);
        std::fflush(stderr);
        return true;
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        if (!everyPaint_)
            widget_->removeEventFilter(this);
        // the frame is on its way to the screen once the paint that holds this one is done;
        // ahead of anything else already waiting in the queue
        QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
        return false;
    }

private:
    QWidget* widget_;
    const char* marker_;
    bool everyPaint_;
};

bool StartOrReport(const QString& exeDir, const QString& chosenDataDir)
{
    const QString caption = QString::fromUtf8("Jotrak 无法启动");
    const DataFolder data = ChooseDataFolder(StandardPlaces(exeDir, chosenDataDir));
    if (!data.portable) {
        const QString trouble = PrepareDataFolder(data.path, ShippedFilesDir(exeDir));
        if (!trouble.isEmpty()) {
            qWarning().noquote() << "start-up failed:" << trouble;
            ShowMessage(App().mainWindow, trouble, caption);
            return false;
        }
    }
    try {
        RunStartup(exeDir, data);
        return true;
    } catch (const DatabaseError& error) {
        qWarning().noquote() << "start-up failed:" << error.what();
        ShowMessage(App().mainWindow,
                    QString::fromUtf8("无法打开数据库文件 %1,程序将退出。\n\n%2")
                        .arg(QDir::toNativeSeparators(DatabaseFile(data.path)), error.message()),
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
        new ReportPaint(&window, kShownMarker, false);
}

void ReportReadyWhenAsked(MainWindow& window)
{
    if (ReportingAsked()) {
        std::fprintf(stderr, "%s\n", kReadyMarker);
        std::fflush(stderr);
        if (auto* today = window.findChild<QWidget*>(QStringLiteral("TodayLabel")))
            new ReportPaint(today, kTodayMarker, true);
    }
}

void QuitAfterStartupWhenAsked(MainWindow& window)
{
    bool isNumber = false;
    const int quitAfterMs = qEnvironmentVariableIntValue("JOTRAK_QUIT_AFTER_STARTUP_MS", &isNumber);
    if (isNumber && quitAfterMs >= 0)
        QTimer::singleShot(quitAfterMs, &window, &QWidget::close);
}

} // namespace

int RunProgram(const QString& exeDir, const QString& dataDir)
{
    InstallQtTranslation();
    AppContext context;
    MainWindow window;
    window.setWindowIcon(ProgramIcon());
    ReportShownWhenAsked(window);
    window.show();
    if (!StartOrReport(exeDir, dataDir))
        return 1;
    ReportReadyWhenAsked(window);
    QuitAfterStartupWhenAsked(window);
    return QApplication::exec();
}

} // namespace jotrak
