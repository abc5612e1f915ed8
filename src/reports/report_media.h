#pragma once

#include "reports/report_builder.h"

#include <QString>

#include <vector>

class QWidget;

namespace jotrak {

// The chart and the printing of the report dialog, reached in a module loaded
// at their first use (report_media_module.cpp). A module that cannot be
// loaded leaves the chart out and says so where a print or a PDF was asked for.

// A small stacked bar chart of the counts ("reportChart"): done and still open
// per day (or week); an empty place without the module.
QWidget* MakeCountsChart(QWidget* parent);
void ShowCounts(QWidget* chart, const std::vector<CountRow>& counts);

// Asks for a printer and prints html on it; an empty text, or why it cannot.
QString PrintHtml(QWidget* parent, const QString& docName, const QString& html);
// Lays html out on A4 pages of a PDF file, the text selectable and its Chinese
// characters embedded; an empty text, or why it cannot.
QString WritePdf(const QString& html, const QString& docName, const QString& path);

} // namespace jotrak
