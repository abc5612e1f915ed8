#include "export/workbook_file.h"

#include <QFile>

namespace jotrak::xls {

namespace {

constexpr qint64 kMaxFileSize = qint64{512} << 20;

} // namespace

std::optional<WorkbookFile> WorkbookFile::FromBytes(QByteArray fileBytes, QString* error)
{
    std::optional<CompoundEntry> root = ReadCompoundFile(fileBytes, error);
    if (!root)
        return std::nullopt;
    const CompoundEntry* stream = root->findStream(QStringLiteral("Workbook"));
    if (!stream) {
        if (error)
            *error = root->findStream(QStringLiteral("Book"))
                         ? QString::fromUtf8("这是 Excel 5.0/95 格式的工作簿,只能使用 Excel 97-2003 格式")
                         : QString::fromUtf8("文件中没有工作簿数据");
        return std::nullopt;
    }
    std::optional<Workbook> workbook = Workbook::Parse(stream->data, error);
    if (!workbook)
        return std::nullopt;
    return WorkbookFile(std::move(fileBytes), std::move(*root), std::move(*workbook));
}

std::optional<QByteArray> WorkbookFile::withRows(const std::vector<SheetRow>& rows, QString* error) const
{
    CompoundEntry root = root_;
    root.findStream(QStringLiteral("Workbook"))->data = workbook_.withRows(rows);
    return WriteCompoundFile(root, error);
}

std::optional<WorkbookFile> OpenWorkbook(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QString::fromUtf8("无法打开 %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > kMaxFileSize) {
        if (error)
            *error = QString::fromUtf8("文件 %1 太大").arg(path);
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) {
        if (error)
            *error = QString::fromUtf8("无法读取 %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return WorkbookFile::FromBytes(std::move(bytes), error);
}

} // namespace jotrak::xls
