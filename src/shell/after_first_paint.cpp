#include "shell/after_first_paint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace jotrak {

namespace {

class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* widget, std::function<void()> action) : QObject(widget), action_(std::move(action))
    {
        widget->installEventFilter(this);
        widget->window()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !scheduled_) {
            scheduled_ = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                auto action = std::move(action_);
                deleteLater();
                action();
            });
        }
        return false;
    }

private:
    std::function<void()> action_;
    bool scheduled_ = false;
};

} // namespace

QObject* RunAfterFirstPaint(QWidget* widget, std::function<void()> action)
{
    return new AfterFirstPaint(widget, std::move(action));
}

} // namespace jotrak
