#include "export/export_file.h"

#include <QDir>
#include <QSaveFile>

namespace jotrak {

namespace {

ExportResult CannotWrite(const QString& path, const QString& reason)
{
    return ExportResult::Failure(
        QString::fromUtf8("无法写入文件 %1:%2。原有的文件没有改动。").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

ExportResult WriteExportBytes(const QByteArray& bytes, QIODevice& out)
{
    if (out.write(bytes) != bytes.size())
        return ExportResult::Failure(QString::fromUtf8("无法写入导出的数据:%1").arg(out.errorString()));
    return ExportResult::Success();
}

ExportResult ReplaceFileWith(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return CannotWrite(path, file.errorString());
    if (file.write(bytes) != bytes.size())
        return CannotWrite(path, file.errorString());
    if (!file.commit())
        return CannotWrite(path, file.errorString());
    return ExportResult::Success();
}

} // namespace jotrak
