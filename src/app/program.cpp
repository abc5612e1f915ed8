#include "app/program.h"

#include "backup/daily_backup.h"
#include "app/log_opening.h"
#include "app/main_window.h"
#include "app/scrolling_frame.h"
#include "app/single_window.h"
#include "app/startup.h"
#include "app/translation.h"
#include "data/database_error.h"
#include "shell/after_first_paint.h"
#include "shell/app_context.h"
#include "shell/centering.h"
#include "shell/command_guard.h"
#include "shell/data_folder.h"
#include "shell/message_box.h"
#include "shell/report_paint.h"
#include "sync/sync_engine.h"
#include "web/web_browser.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

namespace jotrak {

namespace {

// Another computer's changes are looked for once the window is up and filled.
constexpr int kSyncAfterStartMs = 1500;

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

// The start-up on what start made ready; false, the user told why, when it cannot run.
bool StartOrReport(AppContext& context, MainWindow& window, ProgramStart& start)
{
    const QString caption = QString::fromUtf8("Jotrak 无法启动");
    const auto folderCannotServe = [&](const QString& trouble) {
        qWarning().noquote() << "start-up failed:" << trouble;
        ShowMessage(&window, trouble, caption);
        return false;
    };
    if (!start.folderTrouble.isEmpty())
        return folderCannotServe(start.folderTrouble);
    const DataFolder& data = start.data;
    try {
        RunStartup(context, window, start.exeDir, data, *start.opening);
        return true;
    } catch (const FolderTrouble& trouble) {
        return folderCannotServe(trouble.sentence());
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

// A second start on a log already open: true when this program should end,
// its user having chosen the window open already.
bool GoToTheOpenWindow(SingleWindow& single, const QString& dataDir)
{
    if (!single.otherWindowOpen()) {
        single.serve();
        return false;
    }
    const int answer = ShowMessage(nullptr,
                                   QString::fromUtf8("这个日志(%1)已经在另一个 Jotrak 窗口中打开。\n"
                                                     "转到那个窗口,还是再开一个窗口?(两个窗口都能修改同一个日志)")
                                       .arg(QDir::toNativeSeparators(dataDir)),
                                   QString::fromUtf8("日志已经打开"), MessageButtons::SwitchOrOpen);
    if (answer == kIdOther)
        return false;
    single.bringOtherToFront();
    return true;
}

void BringToFront(QWidget& window)
{
    if (window.isMinimized())
        window.showNormal();
    window.raise();
    window.activateWindow();
}

// The data folder made and, when it can serve, given its shipped files and its log opened on a thread meanwhile.
void StartOpening(ProgramStart& start)
{
    start.folderTrouble = MakeDataFolder(start.data.path);
    if (start.folderTrouble.isEmpty())
        start.opening =
            StartOpeningLog(start.data, [folder = start.data.path, shipped = ShippedFilesDir(start.exeDir)] {
                return GiveShippedFiles(folder, shipped);
            });
}

void ReportReady(MainWindow& window)
{
    std::fprintf(stderr, "%s\n", kReadyMarker);
    std::fflush(stderr);
    new ReportPaint(window.todayLabel(), kTodayMarker, true);
}

} // namespace

std::unique_ptr<ProgramStart> BeginProgram(const QString& exeDir, const CommandLine& commandLine)
{
    auto start = std::make_unique<ProgramStart>();
    start->exeDir = exeDir;
    start->data = ChooseDataFolder(StandardPlaces(exeDir, commandLine.dataDir));
    start->single = std::make_unique<SingleWindow>(start->data.path);
    // with the log open elsewhere its user chooses first whether to open it here too
    if (!start->single->otherWindowOpen())
        StartOpening(*start);
    return start;
}

int RunProgram(std::unique_ptr<ProgramStart> start, const CommandLine& commandLine)
{
    InstallQtTranslation();
    if (commandLine.unattended)
        AnswerMessagesOnStandardError();
    if (!commandLine.startPage)
        CWebBrowser2::TurnEngineOff();
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (!start || start->exeDir != exeDir) {
        start.reset();
        start = BeginProgram(exeDir, commandLine);
    }
    const DataFolder& data = start->data;
    SingleWindow& single = *start->single;
    if (GoToTheOpenWindow(single, data.path))
        return 0;
    if (!start->opening && start->folderTrouble.isEmpty())
        StartOpening(*start);
    AppContext context;
    SyncEngine sync(context.log, data.path);
    MainWindow window(context.log, &sync);
    const std::unique_ptr<ScrollingFrame> frame = FrameWhenScreenIsSmall(window);
    QWidget& top = frame ? static_cast<QWidget&>(*frame) : window;
    QObject::connect(&single, &SingleWindow::frontRequested, &window, [&top] { BringToFront(top); });
    if (commandLine.reportPaint)
        new ReportPaint(&window, kShownMarker, false);
    CenterOnDesktop(&top);
    top.show();
    if (!StartOrReport(context, window, *start))
        return 1;
    StartDailyBackup(&window, context.log.connection(), context.dataDir);
    sync.start(kSyncAfterStartMs);
    RunAfterFirstPaint(&window, [&context, &window] {
        // every window's icon, the dialogs' too; the desktop takes it as readily after the first frame
        QApplication::setWindowIcon(ProgramIcon());
        RunGuarded(&window, [&context, &window] { FinishStartup(context, window); });
    });
    if (commandLine.reportPaint)
        ReportReady(window);
    if (commandLine.quitAfterStartupMs >= 0)
        QTimer::singleShot(commandLine.quitAfterStartupMs, &top, &QWidget::close);
    return QApplication::exec();
}

} // namespace jotrak
