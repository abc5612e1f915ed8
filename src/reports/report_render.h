#pragma once

#include "reports/report_builder.h"

#include <QString>

#include <vector>

namespace jotrak {

// A composed report as plain text (headings in 【】, items as "- " lines), as
// Markdown, or as an HTML document. User texts are escaped for the format:
// nothing a user wrote becomes markup.
QString RenderPlainText(const std::vector<ReportBlock>& blocks);
QString RenderMarkdown(const std::vector<ReportBlock>& blocks);
QString RenderHtml(const std::vector<ReportBlock>& blocks);

} // namespace jotrak
