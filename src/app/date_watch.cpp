#include "app/date_watch.h"

#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "calendar/day_rollover.h"
#include "calendar/today_line.h"
#include "data/database_error.h"
#include "data/seed.h"
#include "goals/goal_store.h"
#include "reminders/reminder_text.h"
#include "shell/app_context.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace jotrak {

namespace {

constexpr qint64 kLongestWaitMs = 60 * 60 * 1000;
constexpr qint64 kShortestWaitMs = 1000;

struct Boxes {
    PeriodKind kind;
    QLineEdit* AppContext::*key;
    QPlainTextEdit* AppContext::*goal;
};
constexpr Boxes kBoxes[] = {
    {PeriodKind::Year, &AppContext::YearKeyEdit, &AppContext::YearGoalEdit},
    {PeriodKind::Month, &AppContext::MonthKeyEdit, &AppContext::MonthGoalEdit},
    {PeriodKind::Day, &AppContext::DayKeyEdit, &AppContext::DayGoalEdit},
};

QDate TodayShown()
{
    const CRiLi& today = *App().today;
    return QDate(today.year(), today.month(), today.day());
}

// Rows of a year the database does not hold yet (2038 on) are appended in one
// transaction, as at start-up. A file that cannot take them (read-only, say)
// still shows the new date; its boxes then stay where they are.
void AppendRowsOfYear(int year)
{
    try {
        ExtendPeriodTables(App().connection, year);
    } catch (const DatabaseError& error) {
        qWarning().noquote() << "date change: rows of" << year << "not added:" << error.message();
    }
}

class DateWatch : public QObject {
public:
    explicit DateWatch(QWidget* window) : QObject(window), rollover_(TodayShown())
    {
        AppContext& app = App();
        for (const Boxes& boxes : kBoxes)
            rollover_.Fill(boxes.kind, (app.*boxes.key)->text(), (app.*boxes.goal)->toPlainText());
        timer_->setObjectName(QStringLiteral("MidnightTimer"));
        timer_->setSingleShot(true);
        // a coarse timer may fire minutes early on a long interval
        timer_->setTimerType(Qt::PreciseTimer);
        connect(timer_, &QTimer::timeout, this, &DateWatch::check);
        window->installEventFilter(this);
        arm();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate)
            check();
        return false;
    }

private:
    void check()
    {
        const QDate today = Clock::LocalNow().date();
        // a dialog open over the window is left alone; closing it activates the window
        if (rollover_.DateChanged(today) && !QApplication::activeModalWidget()) {
            try {
                moveTo(today);
            } catch (const DatabaseError& error) {
                qWarning().noquote() << "date change: tried again later:" << error.message();
            }
        }
        arm();
    }

    void arm()
    {
        const QDateTime now = Clock::LocalNow();
        QDateTime midnight = now;
        midnight.setDate(now.date().addDays(1));
        midnight.setTime(QTime(0, 0));
        timer_->start(static_cast<int>(std::clamp(now.msecsTo(midnight), kShortestWaitMs, kLongestWaitMs)));
    }

    // Each box that moves is remembered at once, so a failure part way leaves
    // the rest for the next look.
    void moveTo(QDate today)
    {
        AppContext& app = App();
        AppendRowsOfYear(today.year());
        app.today = std::make_unique<CRiLi>(today.year(), today.month(), today.day());
        app.mainWindow->findChild<QLabel*>(QStringLiteral("TodayLabel"))->setText(BuildTodayLine(*app.today));
        for (const Boxes& boxes : kBoxes) {
            QLineEdit* keyEdit = app.*boxes.key;
            QPlainTextEdit* goalEdit = app.*boxes.goal;
            const std::optional<QString> key =
                rollover_.NextKey(boxes.kind, today, keyEdit->text(), goalEdit->toPlainText());
            if (!key)
                continue;
            const std::optional<QString> goal = ReadGoalText(app.connection, GoalTableOf(boxes.kind), *key);
            if (!goal)
                continue;
            const QString reminders =
                boxes.kind == PeriodKind::Day ? ComposeDayReminders(app.connection, *key) : QString();
            keyEdit->setText(*key);
            goalEdit->setPlainText(*goal);
            if (boxes.kind == PeriodKind::Day)
                app.ReminderEdit->setPlainText(reminders);
            rollover_.Fill(boxes.kind, *key, goalEdit->toPlainText());
        }
        rollover_.Show(today);
    }

    DayRollover rollover_;
    QTimer* timer_ = new QTimer(this);
};

} // namespace

void StartDateWatch(QWidget* mainWindow)
{
    new DateWatch(mainWindow);
}

} // namespace jotrak
