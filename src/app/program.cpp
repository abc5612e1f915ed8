#include "app/program.h"

#include "backup/daily_backup.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/translation.h"
#include "data/database_error.h"
#include "shell/app_context.h"
#include "shell/data_folder.h"
#include "shell/message_box.h"
#include "shell/report_paint.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTimer>

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
    StartDailyBackup(&window, App().connection, App().dataDir);
    ReportReadyWhenAsked(window);
    QuitAfterStartupWhenAsked(window);
    return QApplication::exec();
}

} // namespace jotrak
