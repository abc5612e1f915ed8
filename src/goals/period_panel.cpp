#include "goals/period_panel.h"

#include "shell/command_guard.h"
#include "shell/fixed_layout.h"
#include "shell/message_box.h"
#include "shell/work_log.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

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

    const auto button = [&](int id, const QString& text, const QRect& place, void (PeriodPanel::*action)()) {
        QPushButton* pushed = MakeCommandButton(window, id, text, place, font);
        connect(pushed, &QPushButton::clicked, this,
                [this, action] { RunGuarded(keyEdit_->window(), [&] { (this->*action)(); }); });
    };
    button(places.viewId, QStringLiteral("查看"), places.view, &PeriodPanel::view);
    button(places.modifyId, QStringLiteral("修改"), places.modify, &PeriodPanel::modify);
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

void PeriodPanel::view()
{
    const QString shown = key();
    if (const std::optional<QString> text = log_.goalText(kind_, shown)) {
        goalEdit_->setPlainText(*text);
        loadedText_ = goalText();
    } else {
        ShowMessage(keyEdit_->window(), kNoSuchGoal);
    }
    emit viewed(shown);
}

void PeriodPanel::modify()
{
    const QString text = goalText();
    if (!log_.storeGoalText(kind_, key(), text)) {
        ShowMessage(keyEdit_->window(), kNoSuchGoal);
        return;
    }
    loadedText_ = text;
    ShowMessage(keyEdit_->window(), QStringLiteral("修改完成"));
}

void PeriodPanel::show(const QString& key, const QString& goalText)
{
    keyEdit_->setText(key);
    goalEdit_->setPlainText(goalText);
    loadedText_ = this->goalText();
}

void PeriodPanel::follow(PeriodKind kind, const QString& key)
{
    if (kind != kind_ || key != this->key() || hasUnsavedText())
        return;
    if (const std::optional<QString> text = log_.goalText(kind_, key))
        show(key, *text);
}

} // namespace jotrak
