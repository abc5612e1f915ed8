#include "goals/period_panel.h"

#include "shell/command_guard.h"
#include "shell/fixed_layout.h"
#include "shell/message_box.h"
#include "shell/work_log.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <functional>

namespace jotrak {

namespace {

const QString kNoSuchGoal = QStringLiteral("数据库中不存在该条记录,请选择一个大于20180101的年月");

QString KindName(PeriodKind kind)
{
    switch (kind) {
    case PeriodKind::Year: return QStringLiteral("Year");
    case PeriodKind::Month: return QStringLiteral("Month");
    case PeriodKind::Day: break;
    }
    return QStringLiteral("Day");
}

QString GoalName(PeriodKind kind)
{
    switch (kind) {
    case PeriodKind::Year: return QStringLiteral("年工作目标");
    case PeriodKind::Month: return QStringLiteral("月工作目标");
    case PeriodKind::Day: break;
    }
    return QStringLiteral("日工作目标");
}

} // namespace

PeriodPanel::PeriodPanel(QWidget* window, WorkLog& log, PeriodKind kind, const PeriodRowPlaces& places,
                         const QString& key, const QFont& font, const QFont& textFont)
    : QObject(window), log_(log), kind_(kind)
{
    const QString name = KindName(kind);
    setObjectName(name + QStringLiteral("Panel"));
    keyEdit_ = new QLineEdit(key, window);
    keyEdit_->setAlignment(places.keyAlignment | Qt::AlignVCenter);
    keyEdit_->setMaxLength(1 << 30);
    PlaceControl(keyEdit_, name + QStringLiteral("KeyEdit"), 0, places.key, font);
    MakeStaticText(window, name + QStringLiteral("GoalLabel"), places.label, places.labelPlace, font);

    const auto button = [&](int id, const QString& text, const QRect& place, const std::function<void()>& action) {
        QPushButton* pushed = MakeCommandButton(window, id, text, place, font);
        connect(pushed, &QPushButton::clicked, this, [this, action] { RunGuarded(keyEdit_->window(), action); });
    };
    button(places.viewId, QStringLiteral("查看"), places.view, [this] { view(); });
    button(places.modifyId, QStringLiteral("修改"), places.modify, [this] { modify(); });
    if (places.itemsId != 0) {
        QPushButton* items = MakeCommandButton(window, places.itemsId, QStringLiteral("细项查看"), places.items, font);
        connect(items, &QPushButton::clicked, this, [this] { emit itemsRequested(kind_, this->key()); });
    }
    goalEdit_ = MakeTextBox(window, name + QStringLiteral("GoalEdit"), places.goal, textFont);
    connect(&log_, &WorkLog::goalChanged, this, &PeriodPanel::follow);
}

QString PeriodPanel::key() const
{
    return keyEdit_->text();
}

QString PeriodPanel::goalText() const
{
    return goalEdit_->toPlainText();
}

bool PeriodPanel::hasUnsavedText() const
{
    return goalText() != loadedText_;
}

void PeriodPanel::view(Typing typing)
{
    const QString shown = key();
    QWidget* owner = keyEdit_->window();
    std::optional<QString> text = log_.goalText(kind_, shown);
    if (!text) {
        ShowMessage(owner, kNoSuchGoal);
        emit viewed(shown);
        return;
    }
    if (typing == Typing::Ask && hasUnsavedText()) {
        if (!SettleUnsavedGoals(owner, {this}, QStringLiteral("查看之前要保存吗?")))
            return;
        // read after the store the question may have made
        text = log_.goalText(kind_, shown);
    }
    if (text)
        show(shown, *text);
    emit viewed(shown);
}

void PeriodPanel::modify()
{
    if (store(key(), goalText()))
        ShowMessage(keyEdit_->window(), QStringLiteral("修改完成"));
}

bool PeriodPanel::saveTyping()
{
    return store(loadedKey_, goalText());
}

bool PeriodPanel::store(const QString& key, QString text)
{
    QWidget* owner = keyEdit_->window();
    if (key != loadedKey_) {
        // another goal, written over as 修改 always did
        if (!log_.storeGoalText(kind_, key, text)) {
            ShowMessage(owner, kNoSuchGoal);
            return false;
        }
    } else {
        QString expected = storedText_;
        for (;;) {
            const GoalStoreOutcome outcome = log_.storeGoalText(kind_, key, expected, text);
            if (outcome.result == GoalStoreOutcome::Stored)
                break;
            if (outcome.result == GoalStoreOutcome::NoSuchGoal) {
                ShowMessage(owner, kNoSuchGoal);
                return false;
            }
            const int answer =
                ShowMessage(owner,
                            QStringLiteral("%1(%2)在这里打开以后,另一个窗口保存了新的内容。\n"
                                           "保留两者:那边的内容接在这里的内容后面,中间隔一行标记;\n"
                                           "覆盖:只保存这里的内容,那边的不再保留;\n取消:什么也不保存。")
                                .arg(GoalName(kind_), key),
                            QStringLiteral("目标已被另一个窗口修改"), MessageButtons::KeepBothOverwriteCancel);
            if (answer == kIdCancel)
                return false;
            if (answer == kIdOk)
                text += u'\n' + QString::fromUtf16(kOtherWindowsText) + u'\n' + outcome.storedText;
            expected = outcome.storedText;
        }
    }
    if (text != goalText())
        goalEdit_->setPlainText(text);
    loadedKey_ = key;
    loadedText_ = goalText();
    storedText_ = text;
    return true;
}

void PeriodPanel::show(const QString& key, const QString& goalText)
{
    keyEdit_->setText(key);
    goalEdit_->setPlainText(goalText);
    loadedKey_ = key;
    loadedText_ = this->goalText();
    storedText_ = goalText;
}

void PeriodPanel::rebase()
{
    if (const std::optional<QString> text = log_.goalText(kind_, loadedKey_))
        storedText_ = *text;
}

void PeriodPanel::follow(PeriodKind kind, const QString& key)
{
    if (kind != kind_ || key != this->key() || hasUnsavedText())
        return;
    if (const std::optional<QString> text = log_.goalText(kind_, key))
        show(key, *text);
}

bool SettleUnsavedGoals(QWidget* owner, const QList<PeriodPanel*>& panels, const QString& question)
{
    QList<PeriodPanel*> unsaved;
    QStringList names;
    for (PeriodPanel* panel : panels)
        if (panel && panel->hasUnsavedText()) {
            unsaved << panel;
            names << QStringLiteral("%1(%2)").arg(GoalName(panel->kind()), panel->loadedKey());
        }
    if (unsaved.isEmpty())
        return true;
    const int answer =
        ShowMessage(owner, QStringLiteral("%1中输入的内容还没有保存。\n%2").arg(names.join(u'、'), question),
                    QStringLiteral("内容还没有保存"), MessageButtons::SaveDiscardCancel);
    if (answer != kIdOk)
        return answer == kIdOther;
    for (PeriodPanel* panel : unsaved)
        if (!panel->saveTyping())
            return false;
    return true;
}

} // namespace jotrak
