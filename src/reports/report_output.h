#pragma once

#include "reports/report_builder.h"

#include <QString>

#include <memory>
#include <vector>

class QMimeData;
class QWidget;

namespace jotrak {

// What the report dialog hands out: the clipboard's two formats, files, print.

// text/plain and text/html of one report, so a paste into a mail, a chat or a
// word processor keeps headings and lists.
std::unique_ptr<QMimeData> ReportMimeData(const std::vector<ReportBlock>& blocks);

// Writes the report as .txt, .md or .html (by the path's suffix; any other is
// text) in UTF-8. Returns an empty text, or a Chinese sentence naming the file
// and what went wrong; a file that fails halfway is left as it was.
QString SaveReport(const std::vector<ReportBlock>& blocks, const QString& path);

// Asks for a printer and prints the report on it; an empty text, or why it cannot.
QString PrintReport(QWidget* parent, const QString& docName, const std::vector<ReportBlock>& blocks);
// A PDF file of the report (A4, the text selectable and its Chinese characters
// embedded); an empty text, or what went wrong.
QString SaveReportPdf(const std::vector<ReportBlock>& blocks, const QString& path);

} // namespace jotrak
