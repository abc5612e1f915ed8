// The yardstick for the start-up benchmark: an empty window of the main
// window's size that reports its first paint and closes, as the program does
// with --report-paint and --quit-after-startup <ms>, the options it takes too
// (others, such as --no-start-page, mean nothing to it). With the argument
// --with-text it also shows one line of Chinese text, which separates the cost
// of loading a CJK font from the program's own work, and reports each paint of
// that line as the program reports today's line ("JOTRAK_TODAY <window id>").
#include "shell/report_paint.h"

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

using jotrak::ReportPaint;

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
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype quitAfter = arguments.indexOf(QStringLiteral("--quit-after-startup"));
    bool isNumber = false;
    const int quitAfterMs = arguments.value(quitAfter + 1).toInt(&isNumber);
    if (quitAfter > 0 && isNumber)
        QTimer::singleShot(quitAfterMs, &window, &QWidget::close);
    return QApplication::exec();
}
