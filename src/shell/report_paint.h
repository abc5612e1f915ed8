#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace jotrak {

// Writes a marker line on standard error when the watched widget has been
// painted and the frame handed to the screen: either once, or after every paint
// followed by the id of the native top-level window it was painted in (a
// benchmark tells a replaced window by that id).
class ReportPaint : public QObject {
public:
    ReportPaint(QWidget* widget, const char* marker, bool everyPaint)
        : QObject(widget), widget_(widget), marker_(marker), everyPaint_(everyPaint)
    {
        widget->installEventFilter(this);
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        if (everyPaint_)
            std::fprintf(stderr, "%s 0x%llx %lld\n", marker_,
                         static_cast<unsigned long long>(widget_->window()->winId()),
                         static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                    std::chrono::steady_clock::now().time_since_epoch())
                                                    .count()));
        else
            std::fprintf(stderr, "%s\n", marker_);
        std::fflush(stderr);
        return true;
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        if (!everyPaint_)
            widget_->removeEventFilter(this);
        // the frame is on its way to the screen once the paint that holds this one is done;
        // ahead of anything else already waiting in the queue
        QCoreApplication::postEvent(this, new QEvent(QEvent::User), Qt::HighEventPriority);
        return false;
    }

private:
    QWidget* widget_;
    const char* marker_;
    bool everyPaint_;
};

} // namespace jotrak
