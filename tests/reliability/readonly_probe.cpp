// Runs the program's start-up on <exeDir> with the main window offscreen and
// the clock at 2018-01-01, then reports what a user would see, one line each:
//   goal <hex of the day goal box>
//   items <rows listed by command 118>
//   after-modify <hex of the message shown by command 117 (modify day goal)>
//   after-add <hex of the message shown by command 120 (add an item)>
//   search <hex of the count the search dialog shows for 今天的目标>
// The tests start it as an unprivileged user on a read-only file or folder.
// Exit code 0 when start-up succeeded, 1 when it raised (reason on stderr).

#include "support/app_fixture.h"

#include "app/command_ids.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "calendar/clock.h"
#include "data/database_error.h"
#include "goals/add_item_dialog.h"
#include "shell/app_context.h"
#include "shell/desktop.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <cstdio>

using namespace jotrak;

namespace {

void Report(const char* what, const QString& text)
{
    std::printf("%s %s\n", what, text.toUtf8().toHex().constData());
}

QString LastMessage()
{
    const auto& shown = testing::MessageBoxSeam::Shown();
    const QString text = shown.isEmpty() ? QString() : shown.last().text;
    testing::MessageBoxSeam::Clear();
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: readonly_probe <exeDir>\n");
        return 2;
    }
    Clock::SetForTest(QDateTime(QDate(2018, 1, 1), QTime(9, 0)));
    testing::MessageBoxSeam::Enable();
    testing::FileDialogSeam::Enable();
    testing::ShellSeam::Enable();
    test::ModalAnswers answers;

    AppContext context;
    MainWindow window;
    window.show();
    try {
        const QString exeDir = QString::fromLocal8Bit(argv[1]);
        RunStartup(exeDir, PortableDataFolder(exeDir));
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "start-up failed: %s\n", error.what());
        return 1;
    }
    AppContext& app = App();
    Report("goal", app.DayGoalEdit->toPlainText());
    DispatchCommand(kCmdDayItems);
    std::printf("items %d\n", app.ItemList->rowCount());

    app.DayGoalEdit->setPlainText(QStringLiteral("changed"));
    DispatchCommand(kCmdModifyDayGoal);
    Report("after-modify", LastMessage());
    answers.next<AddItemDialog>([](AddItemDialog* dialog) {
        dialog->findChild<QPlainTextEdit*>(QStringLiteral("contentEdit"))->setPlainText(QStringLiteral("new"));
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    DispatchCommand(kCmdAddItem);
    Report("after-add", LastMessage());
    std::printf("rows-after-add %d\n", app.ItemList->rowCount());
    DispatchCommand(kCmdSearch);
    auto* search = window.findChild<QDialog*>(QStringLiteral("SearchDialog"));
    search->findChild<QLineEdit*>(QStringLiteral("QueryEdit"))->setText(QStringLiteral("今天的目标"));
    search->findChild<QPushButton*>(QStringLiteral("SearchButton"))->click();
    auto* count = search->findChild<QLabel*>(QStringLiteral("CountLabel"));
    const bool done = QTest::qWaitFor([count] { return count->text().startsWith(QStringLiteral("共找到")); }, 10000);
    Report("search", done ? count->text() : QStringLiteral("no answer"));
    return 0;
}
