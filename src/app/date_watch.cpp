#include "app/date_watch.h"

#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "calendar/day_rollover.h"
#include "calendar/today_line.h"
#include "app/main_window.h"
#include "data/database_error.h"
#include "data/seed.h"
#include "goals/period_panel.h"
#include "shell/app_context.h"
#include "shell/work_log.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace jotrak {

namespace {

constexpr qint64 kLongestWaitMs = 60 * 60 * 1000;
constexpr qint64 kShortestWaitMs = 1000;

constexpr PeriodKind kKinds[] = {PeriodKind::Year, PeriodKind::Month, PeriodKind::Day};

QDate DateOf(const CRiLi& day)
{
    return QDate(day.year(), day.month(), day.day());
}

// Rows of a year the database does not hold yet (2038 on) are appended in one
// transaction, as at start-up. A file that cannot take them (read-only, say)
// still shows the new date; its boxes then stay where they are.
void AppendRowsOfYear(WorkLog& log, int year)
{
    try {
        ExtendPeriodTables(log.connection(), year);
    } catch (const DatabaseError& error) {
        qWarning().noquote() << "date change: rows of" << year << "not added:" << error.message();
    }
}

class DateWatch : public QObject {
public:
    DateWatch(MainWindow& window, AppContext& context)
        : QObject(&window), window_(window), context_(context), rollover_(DateOf(*context.today))
    {
        for (PeriodKind kind : kKinds)
            rollover_.Fill(kind, window_.panel(kind)->key(), window_.panel(kind)->goalText());
        timer_->setObjectName(QStringLiteral("MidnightTimer"));
        timer_->setSingleShot(true);
        // a coarse timer may fire minutes early on a long interval
        timer_->setTimerType(Qt::PreciseTimer);
        connect(timer_, &QTimer::timeout, this, &DateWatch::check);
        window.installEventFilter(this);
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
        WorkLog& log = context_.log;
        AppendRowsOfYear(log, today.year());
        context_.today = std::make_unique<CRiLi>(today.year(), today.month(), today.day());
        window_.showToday(*context_.today);
        for (PeriodKind kind : kKinds) {
            PeriodPanel* panel = window_.panel(kind);
            const std::optional<QString> key = rollover_.NextKey(kind, today, panel->key(), panel->goalText());
            if (!key)
                continue;
            const std::optional<QString> goal = log.goalText(kind, *key);
            if (!goal)
                continue;
            if (kind == PeriodKind::Day)
                window_.showDayReminders(*key);
            panel->show(*key, *goal);
            rollover_.Fill(kind, *key, panel->goalText());
        }
        rollover_.Show(today);
        window_.greetDay(today);
    }

    MainWindow& window_;
    AppContext& context_;
    DayRollover rollover_;
    QTimer* timer_ = new QTimer(this);
};

} // namespace

void StartDateWatch(MainWindow& window, AppContext& context)
{
    new DateWatch(window, context);
}

} // namespace jotrak
