// The yardstick for the start-up benchmark: an empty window of the main
// window's size that reports its first paint and closes, as the program does
// under JOTRAK_REPORT_SHOWN and JOTRAK_QUIT_AFTER_STARTUP_MS. With the argument
// --with-text it also shows one line of Chinese text, which separates the cost
// of loading a CJK font from the program's own work, and reports each paint of
// that line as the program reports today's line ("JOTRAK_TODAY <window id>").
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

// Writes the marker once the paint of the watched widget has been handed to the
// screen, as the program does: once, or after every paint with the window's id.
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

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal"));
    window.resize(1008, 710);
    if (QCoreApplication::arguments().contains(QStringLiteral("--with-text"))) {
        auto* line = new QLabel(QStringLiteral("今日 2018年 1月 1日, 星期一"), &window);
        QFont song;
        song.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                          QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC")});
        song.setPixelSize(12);
        line->setFont(song);
        line->setGeometry(25, 10, 460, 16);
        new ReportPaint(line, "JOTRAK_TODAY", true);
    }
    new ReportPaint(&window, "JOTRAK_SHOWN", false);
    window.show();
    bool isNumber = false;
    const int quitAfterMs = qEnvironmentVariableIntValue("JOTRAK_QUIT_AFTER_STARTUP_MS", &isNumber);
    if (isNumber)
        QTimer::singleShot(quitAfterMs, &window, &QWidget::close);
    return QApplication::exec();
}
