#include "goals/period_goals.h"

#include "data/record_access.h"
#include "shell/app_context.h"
#include "shell/message_box.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace jotrak {

namespace {

const QString kNoSuchGoal = QStringLiteral("数据库中不存在该条记录,请选择一个大于20180101的年月");
const QString kModified = QStringLiteral("修改完成");
const QString kGoalText = QStringLiteral("nr");

} // namespace

std::optional<QString> ReadGoal(Table goalTable, const QString& key)
{
    RecordsetHolder goal;
    CreateRecordset(goal);
    OpenRecordset(goal, stmt::GoalByKey(goalTable, key), App().connection);
    if (IsAtEnd(goal))
        return std::nullopt;
    const Value text = GetFieldValue(goal, kGoalText);
    return text.isNull() ? QString() : TextFromValue(text);
}

void ViewGoal(QLineEdit* keyEdit, Table goalTable, QPlainTextEdit* goalEdit)
{
    const std::optional<QString> text = ReadGoal(goalTable, keyEdit->text());
    if (!text) {
        ShowMessage(App().mainWindow, kNoSuchGoal);
        return;
    }
    goalEdit->setPlainText(*text);
}

void ModifyGoal(QLineEdit* keyEdit, QPlainTextEdit* goalEdit, Table goalTable)
{
    const QString key = keyEdit->text();
    const QString text = goalEdit->toPlainText();
    RecordsetHolder goal;
    CreateRecordset(goal);
    OpenRecordset(goal, stmt::GoalByKey(goalTable, key), App().connection);
    if (IsAtEnd(goal)) {
        CloseRecordset(goal);
        ShowMessage(App().mainWindow, kNoSuchGoal);
        return;
    }
    // an empty box stores an empty text, never Null
    SetFieldValue(goal, kGoalText, Value(text));
    StoreRow(goal);
    CloseRecordset(goal);
    ShowMessage(App().mainWindow, kModified);
}

} // namespace jotrak
