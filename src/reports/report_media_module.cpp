// The report dialog's chart and printing, in a module of their own
// (jotrak_report_media) that report_media.cpp loads when a report dialog is
// first opened: Qt Charts and Qt Print Support are not loaded with the program.
#include "reports/report_builder.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QStackedBarSeries>
#include <QTextDocument>
#include <QValueAxis>

#include <algorithm>
#include <vector>

namespace {

void Print(const QString& html, QPrinter& printer)
{
    QTextDocument document;
    document.setHtml(html);
    document.print(&printer);
}

} // namespace

// The module's entry points, resolved by name (report_media.cpp).
extern "C" Q_DECL_EXPORT QWidget* jotrak_make_counts_chart(QWidget* parent)
{
    auto* view = new QChartView(parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(170);
    view->chart()->legend()->setAlignment(Qt::AlignRight);
    view->chart()->setMargins(QMargins(2, 2, 2, 2));
    return view;
}

extern "C" Q_DECL_EXPORT void jotrak_show_counts(QWidget* chart, const std::vector<jotrak::CountRow>* counts)
{
    auto* view = qobject_cast<QChartView*>(chart);
    if (!view)
        return;
    QChart* target = view->chart();
    target->removeAllSeries();
    for (QAbstractAxis* axis : target->axes())
        target->removeAxis(axis);

    auto* done = new QBarSet(QString::fromUtf8("已完成"));
    auto* open = new QBarSet(QString::fromUtf8("未完成"));
    QStringList labels;
    int highest = 1;
    for (const jotrak::CountRow& row : *counts) {
        *done << row.done;
        *open << row.all - row.done;
        // "12月7日 周一" -> "12/7"; a week "12月7日–12月13日" -> "12/7"
        QString label = row.label.section(QString::fromUtf8("日"), 0, 0);
        labels << label.replace(QString::fromUtf8("月"), QStringLiteral("/"));
        highest = std::max(highest, row.all);
    }
    auto* series = new QStackedBarSeries;
    series->append(done);
    series->append(open);
    target->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    categories->setLabelsAngle(labels.size() > 14 ? -90 : 0);
    target->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    auto* values = new QValueAxis;
    values->setRange(0, highest);
    values->setLabelFormat(QStringLiteral("%d"));
    values->setTickCount(std::min(highest, 4) + 1);
    target->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
}

extern "C" Q_DECL_EXPORT void jotrak_print_html(QWidget* parent, const QString* docName, const QString* html)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(*docName);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted)
        Print(*html, printer);
}

extern "C" Q_DECL_EXPORT void jotrak_write_pdf(const QString* html, const QString* docName, const QString* path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(*path);
    printer.setDocName(*docName);
    Print(*html, printer);
}
