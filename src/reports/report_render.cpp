#include "reports/report_render.h"

#include <QStringList>

namespace jotrak {

namespace {

QStringList Lines(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    return unified.split(u'\n');
}

QString EscapeMarkdown(const QString& line)
{
    static const QString special = QStringLiteral("\\`*_{}[]<>()#+-.!|~");
    QString out;
    out.reserve(line.size() + 8);
    for (const QChar c : line) {
        if (special.contains(c))
            out += u'\\';
        out += c;
    }
    return out;
}

QString EscapeHtml(const QString& text)
{
    return Lines(text.toHtmlEscaped()).join(QStringLiteral("<br>"));
}

} // namespace

QString RenderPlainText(const std::vector<ReportBlock>& blocks)
{
    QString out;
    for (const ReportBlock& block : blocks) {
        const QStringList lines = Lines(block.text);
        switch (block.kind) {
        case BlockKind::Title: out += block.text + QStringLiteral("\n"); break;
        case BlockKind::Heading: out += QString::fromUtf8("\n【%1】\n").arg(block.text); break;
        case BlockKind::Subheading: out += block.text + u'\n'; break;
        case BlockKind::Paragraph: out += QStringLiteral("  ") + lines.join(QStringLiteral("\n  ")) + u'\n'; break;
        case BlockKind::Bullet: out += QStringLiteral("  - ") + lines.join(QStringLiteral("\n    ")) + u'\n'; break;
        }
    }
    return out;
}

QString RenderMarkdown(const std::vector<ReportBlock>& blocks)
{
    QString out;
    BlockKind previous = BlockKind::Title;
    for (const ReportBlock& block : blocks) {
        QStringList lines = Lines(block.text);
        for (QString& line : lines)
            line = EscapeMarkdown(line);
        if (!out.isEmpty() && !(block.kind == BlockKind::Bullet && previous == BlockKind::Bullet))
            out += u'\n';
        switch (block.kind) {
        case BlockKind::Title: out += QStringLiteral("# ") + lines.join(u' ') + u'\n'; break;
        case BlockKind::Heading: out += QStringLiteral("## ") + lines.join(u' ') + u'\n'; break;
        case BlockKind::Subheading: out += QStringLiteral("### ") + lines.join(u' ') + u'\n'; break;
        case BlockKind::Paragraph: out += lines.join(QStringLiteral("  \n")) + u'\n'; break;
        case BlockKind::Bullet: out += QStringLiteral("- ") + lines.join(QStringLiteral("  \n  ")) + u'\n'; break;
        }
        previous = block.kind;
    }
    return out;
}

QString RenderHtml(const std::vector<ReportBlock>& blocks)
{
    QString title;
    QString body;
    bool inList = false;
    for (const ReportBlock& block : blocks) {
        if (inList && block.kind != BlockKind::Bullet) {
            body += QStringLiteral("</ul>\n");
            inList = false;
        }
        const QString text = EscapeHtml(block.text);
        switch (block.kind) {
        case BlockKind::Title:
            title = block.text.toHtmlEscaped();
            body += QStringLiteral("<h1>%1</h1>\n").arg(text);
            break;
        case BlockKind::Heading: body += QStringLiteral("<h2>%1</h2>\n").arg(text); break;
        case BlockKind::Subheading: body += QStringLiteral("<h3>%1</h3>\n").arg(text); break;
        case BlockKind::Paragraph: body += QStringLiteral("<p>%1</p>\n").arg(text); break;
        case BlockKind::Bullet:
            if (!inList)
                body += QStringLiteral("<ul>\n");
            inList = true;
            body += QStringLiteral("<li>%1</li>\n").arg(text);
            break;
        }
    }
    if (inList)
        body += QStringLiteral("</ul>\n");
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n<body>\n%2"
                          "</body></html>\n")
        .arg(title, body);
}

} // namespace jotrak
