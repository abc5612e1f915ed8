#include "export/export_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

namespace jotrak {

namespace {

// Why the file at path could not be written, told from what the disk shows now;
// the system's own words go to the details.
ExportResult CannotWrite(const QString& path, bool existed, qint64 size, const QString& systemText)
{
    const QFileInfo file(path);
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QFileInfo folderInfo(file.absolutePath());
    QString cause;
    if (!folderInfo.isDir())
        cause = QString::fromUtf8("文件夹 %1 不存在。请选择一个已有的文件夹。").arg(folder);
    else if (existed && !file.isWritable())
        cause = QString::fromUtf8("这个文件是只读的。请去掉它的只读属性,或换一个文件名。");
    else if (!folderInfo.isWritable())
        cause = QString::fromUtf8("文件夹 %1 不允许写入。请选择另一个文件夹。").arg(folder);
    else if (QStorageInfo(folderInfo.absoluteFilePath()).bytesAvailable() < size)
        cause = QString::fromUtf8("磁盘空间不足。请清理磁盘空间后再试。");
    else
        cause = QString::fromUtf8("文件名可能太长,或文件正被其他程序占用。请关闭打开它的程序,或换一个文件名后再试。");
    QString text = QString::fromUtf8("无法写入文件 %1:%2").arg(QDir::toNativeSeparators(path), cause);
    if (existed)
        text += QString::fromUtf8("原有的文件没有改动。");
    return ExportResult::Failure(text, {}, systemText);
}

} // namespace

ExportResult WriteExportBytes(const QByteArray& bytes, QIODevice& out)
{
    if (out.write(bytes) != bytes.size())
        return ExportResult::Failure(QString::fromUtf8("无法写入导出的数据。"), {}, out.errorString());
    return ExportResult::Success();
}

ExportResult ReplaceFileWith(const QString& path, const QByteArray& bytes)
{
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return CannotWrite(path, existed, bytes.size(), file.errorString());
    return ExportResult::Success();
}

} // namespace jotrak
