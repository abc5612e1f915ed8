// Reaches the report media module (report_media_module.cpp), loaded at the
// first report dialog rather than with the program: Qt Charts and Qt Print
// Support and the libraries they pull in are not needed to show the window.
#include "reports/report_media.h"

#include "shell/module_path.h"

#include <QWidget>

#include <mutex>

namespace jotrak {

namespace {

using MakeChartFunction = QWidget* (*)(QWidget*);
using ShowCountsFunction = void (*)(QWidget*, const std::vector<CountRow>*);
using PrintFunction = void (*)(QWidget*, const QString*, const QString*);
using PdfFunction = void (*)(const QString*, const QString*, const QString*);

struct Module {
    MakeChartFunction makeChart = nullptr;
    ShowCountsFunction showCounts = nullptr;
    PrintFunction print = nullptr;
    PdfFunction pdf = nullptr;
    QString trouble; // why it could not be loaded (the loader's words)
};

const Module& LoadedModule()
{
    static Module module;
    static std::once_flag once;
    std::call_once(once, [] {
        const auto found = LoadModuleFunctions(
            QStringLiteral(JOTRAK_REPORT_MEDIA_MODULE),
            {"jotrak_make_counts_chart", "jotrak_show_counts", "jotrak_print_html", "jotrak_write_pdf"},
            &module.trouble);
        module.makeChart = reinterpret_cast<MakeChartFunction>(found[0]);
        module.showCounts = reinterpret_cast<ShowCountsFunction>(found[1]);
        module.print = reinterpret_cast<PrintFunction>(found[2]);
        module.pdf = reinterpret_cast<PdfFunction>(found[3]);
    });
    return module;
}

QString Trouble()
{
    return QString::fromUtf8("无法载入 Jotrak 的报告模块 %1,不能打印或保存 PDF,请重新安装 Jotrak。\n%2")
        .arg(QStringLiteral(JOTRAK_REPORT_MEDIA_MODULE), LoadedModule().trouble);
}

} // namespace

QWidget* MakeCountsChart(QWidget* parent)
{
    const Module& module = LoadedModule();
    QWidget* chart = module.makeChart ? module.makeChart(parent) : new QWidget(parent);
    chart->setObjectName(QStringLiteral("reportChart"));
    return chart;
}

void ShowCounts(QWidget* chart, const std::vector<CountRow>& counts)
{
    if (const Module& module = LoadedModule(); module.showCounts)
        module.showCounts(chart, &counts);
}

QString PrintHtml(QWidget* parent, const QString& docName, const QString& html)
{
    const Module& module = LoadedModule();
    if (!module.print)
        return Trouble();
    module.print(parent, &docName, &html);
    return {};
}

QString WritePdf(const QString& html, const QString& docName, const QString& path)
{
    const Module& module = LoadedModule();
    if (!module.pdf)
        return Trouble();
    module.pdf(&html, &docName, &path);
    return {};
}

} // namespace jotrak
