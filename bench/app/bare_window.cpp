// The yardstick of every start-up row: a window of the main window's size that
// paints one line of Chinese text, reports each paint of that line as the
// program reports today's line ("JOTRAK_TODAY <window id> <time>"), and closes
// as the program does with --report-paint and --quit-after-startup <ms>, the
// options it takes too (others, such as --no-start-page, mean nothing to it).
// The text line holds the cost of loading a CJK font, which every window of the
// program pays as well.
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
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(1008, 710);
    auto* line = new QLabel(QStringLiteral("今日 2018年 1月 1日, 星期一"), &window);
    QFont song;
    song.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC")});
    song.setPixelSize(12);
    line->setFont(song);
    line->setGeometry(25, 10, 460, 16);
    new ReportPaint(line, "JOTRAK_TODAY", true);
    window.show();
    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype quitAfter = arguments.indexOf(QStringLiteral("--quit-after-startup"));
    bool isNumber = false;
    const int quitAfterMs = arguments.value(quitAfter + 1).toInt(&isNumber);
    if (quitAfter > 0 && isNumber)
        QTimer::singleShot(quitAfterMs, &window, &QWidget::close);
    return QApplication::exec();
}
