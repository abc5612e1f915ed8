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
#include "web/web_browser.h"

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

bool StartOrReport(AppContext& context, MainWindow& window, const QString& exeDir, const QString& chosenDataDir)
{
    const QString caption = QString::fromUtf8("Jotrak 无法启动");
    const DataFolder data = ChooseDataFolder(StandardPlaces(exeDir, chosenDataDir));
    const QString trouble = PrepareDataFolder(data.path, ShippedFilesDir(exeDir));
    if (!trouble.isEmpty()) {
        qWarning().noquote() << "start-up failed:" << trouble;
        ShowMessage(&window, trouble, caption);
        return false;
    }
    try {
        RunStartup(context, window, exeDir, data);
        return true;
    } catch (const DatabaseError& error) {
        qWarning().noquote() << "start-up failed:" << error.what();
        ShowMessage(&window,
                    QString::fromUtf8("无法打开数据库文件 %1,程序将退出。\n\n%2")
                        .arg(QDir::toNativeSeparators(DatabaseFile(data.path)), error.message()),
                    caption, MessageButtons::Ok, error.details());
    } catch (const std::exception& error) {
        qWarning() << "start-up failed:" << error.what();
        ShowMessage(&window, QString::fromUtf8("出现了意外的错误,Jotrak 无法启动,程序将退出。"), caption,
                    MessageButtons::Ok, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

void ReportReady(MainWindow& window)
{
    std::fprintf(stderr, "%s\n", kReadyMarker);
    std::fflush(stderr);
    if (auto* today = window.findChild<QWidget*>(QStringLiteral("TodayLabel")))
        new ReportPaint(today, kTodayMarker, true);
}

} // namespace

int RunProgram(const QString& exeDir, const CommandLine& commandLine)
{
    InstallQtTranslation();
    if (commandLine.unattended)
        AnswerMessagesOnStandardError();
    if (!commandLine.startPage)
        CWebBrowser2::TurnEngineOff();
    AppContext context;
    MainWindow window(context.log);
    window.setWindowIcon(ProgramIcon());
    if (commandLine.reportPaint)
        new ReportPaint(&window, kShownMarker, false);
    window.show();
    if (!StartOrReport(context, window, exeDir, commandLine.dataDir))
        return 1;
    StartDailyBackup(&window, context.log.connection(), context.dataDir);
    if (commandLine.reportPaint)
        ReportReady(window);
    if (commandLine.quitAfterStartupMs >= 0)
        QTimer::singleShot(commandLine.quitAfterStartupMs, &window, &QWidget::close);
    return QApplication::exec();
}

} // namespace jotrak
