// The yardstick for the start-up benchmark: an empty window of the main
// window's size that reports its first paint and closes, as the program does
// under JOTRAK_REPORT_SHOWN and JOTRAK_QUIT_AFTER_STARTUP_MS. With the argument
// --with-text it also shows one line of Chinese text, which separates the cost
// of loading a CJK font from the program's own work.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class ReportFirstPaint : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            std::fprintf(stderr, "JOTRAK_SHOWN\n");
            std::fflush(stderr);
            watched->removeEventFilter(this);
        }
        return false;
    }
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
    }
    window.installEventFilter(new ReportFirstPaint(&window));
    window.show();
    bool isNumber = false;
    const int quitAfterMs = qEnvironmentVariableIntValue("JOTRAK_QUIT_AFTER_STARTUP_MS", &isNumber);
    if (isNumber)
        QTimer::singleShot(quitAfterMs, &window, &QWidget::close);
    return QApplication::exec();
}
