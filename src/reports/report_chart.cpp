#include "reports/report_chart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QStackedBarSeries>
#include <QValueAxis>

namespace jotrak {

QWidget* MakeCountsChart(QWidget* parent)
{
    auto* view = new QChartView(parent);
    view->setObjectName(QStringLiteral("reportChart"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(170);
    view->chart()->legend()->setAlignment(Qt::AlignRight);
    view->chart()->setMargins(QMargins(2, 2, 2, 2));
    return view;
}

void ShowCounts(QWidget* chart, const std::vector<CountRow>& counts)
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
    for (const CountRow& row : counts) {
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

} // namespace jotrak
