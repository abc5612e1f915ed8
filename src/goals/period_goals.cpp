#include "goals/period_goals.h"

#include "goals/goal_store.h"
#include "shell/app_context.h"
#include "shell/message_box.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace jotrak {

namespace {

const QString kNoSuchGoal = QStringLiteral("数据库中不存在该条记录,请选择一个大于20180101的年月");
const QString kModified = QStringLiteral("修改完成");

} // namespace

void ViewGoal(QLineEdit* keyEdit, Table goalTable, QPlainTextEdit* goalEdit)
{
    const std::optional<QString> text = ReadGoalText(App().connection, goalTable, keyEdit->text());
    if (!text) {
        ShowMessage(App().mainWindow, kNoSuchGoal);
        return;
    }
    goalEdit->setPlainText(*text);
}

void ModifyGoal(QLineEdit* keyEdit, QPlainTextEdit* goalEdit, Table goalTable)
{
    if (!StoreGoalText(App().connection, goalTable, keyEdit->text(), goalEdit->toPlainText())) {
        ShowMessage(App().mainWindow, kNoSuchGoal);
        return;
    }
    ShowMessage(App().mainWindow, kModified);
}

} // namespace jotrak
