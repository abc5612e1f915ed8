#include "reports/report_output.h"

#include "reports/report_media.h"
#include "reports/report_render.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QSaveFile>

namespace jotrak {

std::unique_ptr<QMimeData> ReportMimeData(const std::vector<ReportBlock>& blocks)
{
    auto data = std::make_unique<QMimeData>();
    data->setText(RenderPlainText(blocks));
    data->setHtml(RenderHtml(blocks));
    return data;
}

QString SaveReport(const std::vector<ReportBlock>& blocks, const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString text = suffix == QLatin1String("md")                                       ? RenderMarkdown(blocks)
                         : suffix == QLatin1String("html") || suffix == QLatin1String("htm") ? RenderHtml(blocks)
                                                                                             : RenderPlainText(blocks);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        return QString::fromUtf8("无法保存报告到 %1:%2").arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

QString PrintReport(QWidget* parent, const QString& docName, const std::vector<ReportBlock>& blocks)
{
    return PrintHtml(parent, docName, RenderHtml(blocks));
}

QString SaveReportPdf(const std::vector<ReportBlock>& blocks, const QString& path)
{
    if (const QString trouble = WritePdf(RenderHtml(blocks), blocks.empty() ? QString() : blocks.front().text, path);
        !trouble.isEmpty())
        return trouble;
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0)
        return QString::fromUtf8("无法写入 PDF 文件 %1,请检查文件夹是否可写").arg(QDir::toNativeSeparators(path));
    return {};
}

} // namespace jotrak
