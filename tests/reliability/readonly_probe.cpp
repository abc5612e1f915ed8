// Starts the main window (offscreen, clock at 2018-01-01) on the program folder
// <exeDir> and reports what a user would see, one line each:
//   goal <the day goal box>
//   items <rows listed by 118>
//   after-modify <the message of 117, modify the day goal>
//   after-add <the message of 120, add an item> and rows <rows listed then>
// The tests start it as an unprivileged user on a read-only file or folder.
// Exit code 0 when start-up succeeded, 1 when it raised (reason on stderr).

#include "support/app_fixture.h"

#include "app/command_ids.h"
#include "data/database_error.h"
#include "goals/add_item_dialog.h"

#include <QApplication>

#include <cstdio>

using namespace jotrak;
using namespace jotrak::test;

namespace {

void Report(const char* what, QString text)
{
    std::printf("%s %s\n", what, qPrintable(text.replace(u'\n', u' ')));
}

QString LastMessage()
{
    const QString text = AppFixture::messages().isEmpty() ? QString() : AppFixture::messages().last().text;
    AppFixture::clearMessages();
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    AppFixtureOptions options;
    options.exeDir = application.arguments().value(1);
    std::unique_ptr<AppFixture> fx;
    try {
        fx = std::make_unique<AppFixture>(options);
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "start-up failed: %s\n", error.what());
        return 1;
    }
    Report("goal", fx->app().DayGoalEdit->toPlainText());
    fx->command(kCmdDayItems);
    std::printf("items %d\n", fx->app().ItemList->rowCount());
    fx->app().DayGoalEdit->setPlainText(QStringLiteral("changed"));
    fx->command(kCmdModifyDayGoal);
    Report("after-modify", LastMessage());
    fx->modals.next<AddItemDialog>([](AddItemDialog* dialog) {
        dialog->findChild<QPlainTextEdit*>(QStringLiteral("contentEdit"))->setPlainText(QStringLiteral("new"));
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    fx->command(kCmdAddItem);
    Report("after-add", LastMessage() + QStringLiteral(" rows %1").arg(fx->app().ItemList->rowCount()));
    return 0;
}
