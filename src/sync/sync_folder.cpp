#include "sync/sync_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>

namespace jotrak {

namespace {

const QRegularExpression& DeviceName()
{
    static const QRegularExpression name(QStringLiteral("^[0-9a-f]{32}$"));
    return name;
}

const QRegularExpression& FileName()
{
    static const QRegularExpression name(QStringLiteral("^([0-9]{10})\\.(changeset|snapshot)$"));
    return name;
}

// A name our own or an engine's temporary file has while it is being written.
bool IsTemporary(const QString& name)
{
    static const QRegularExpression saving(QStringLiteral("\\.(changeset|snapshot)\\.[A-Za-z0-9]{6}$"));
    return name.startsWith(u'.') || name.startsWith(u'~') || name.endsWith(QStringLiteral(".tmp")) ||
           name.endsWith(QStringLiteral(".part")) || saving.match(name).hasMatch();
}

} // namespace

SyncFolderListing ListSyncFolder(const QString& folder)
{
    SyncFolderListing listing;
    const QDir root(folder);
    for (const QString& device : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!DeviceName().match(device).hasMatch())
            continue;
        const QDir files(root.filePath(device));
        for (const QString& name : files.entryList(QDir::Files)) {
            const QRegularExpressionMatch match = FileName().match(name);
            if (match.hasMatch()) {
                auto& byKind = match.captured(2) == QStringLiteral("snapshot") ? listing.snapshots : listing.changes;
                byKind[device][match.captured(1).toLongLong()] = files.filePath(name);
            } else if (!IsTemporary(name) &&
                       (name.contains(QStringLiteral(".changeset")) || name.contains(QStringLiteral(".snapshot")))) {
                listing.copies << device + u'/' + name;
            }
        }
    }
    return listing;
}

QString SyncFilePath(const QString& folder, const QString& device, qint64 seq, ChangeFile::Kind kind)
{
    return QDir(folder).filePath(
        device + u'/' + QStringLiteral("%1").arg(seq, 10, 10, QLatin1Char('0')) +
        (kind == ChangeFile::Kind::Snapshot ? QStringLiteral(".snapshot") : QStringLiteral(".changeset")));
}

QString WriteSyncFile(const QString& folder, const ChangeFile& file)
{
    if (!QDir(folder).mkpath(file.device))
        return QString::fromUtf8("无法在同步文件夹 %1 里建立本机的文件夹").arg(QDir::toNativeSeparators(folder));
    const QString path = SyncFilePath(folder, file.device, file.seq, file.kind);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(EncodeChangeFile(file)) < 0 || !out.commit())
        return QString::fromUtf8("无法写入同步文件 %1: %2").arg(QDir::toNativeSeparators(path), out.errorString());
    return {};
}

namespace {

QString SeenPath(const QString& folder, const QString& device)
{
    return QDir(folder).filePath(device + QStringLiteral("/seen.json"));
}

QByteArray SeenBytes(const std::map<QString, qint64>& applied)
{
    QJsonObject seen;
    for (const auto& [device, seq] : applied)
        seen[device] = seq;
    return QJsonDocument(seen).toJson(QJsonDocument::Compact);
}

} // namespace

std::map<QString, std::map<QString, qint64>> ReadSeenFiles(const QString& folder)
{
    std::map<QString, std::map<QString, qint64>> all;
    const QDir root(folder);
    for (const QString& device : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile in(SeenPath(folder, device));
        if (!DeviceName().match(device).hasMatch() || !in.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject seen = QJsonDocument::fromJson(in.readAll()).object();
        for (auto it = seen.begin(); it != seen.end(); ++it)
            all[device][it.key()] = it.value().toInteger();
    }
    return all;
}

QString WriteSeenFile(const QString& folder, const QString& device, const std::map<QString, qint64>& applied)
{
    const QString path = SeenPath(folder, device);
    const QByteArray bytes = SeenBytes(applied);
    QFile old(path);
    if (old.open(QIODevice::ReadOnly) && old.readAll() == bytes)
        return {};
    old.close();
    QSaveFile out(path);
    if (!QDir(folder).mkpath(device) || !out.open(QIODevice::WriteOnly) || out.write(bytes) < 0 || !out.commit())
        return QString::fromUtf8("无法写入同步文件 %1: %2").arg(QDir::toNativeSeparators(path), out.errorString());
    return {};
}

QString SyncFolderProblem(const QString& folder, const QString& dataFolder)
{
    if (folder.trimmed().isEmpty())
        return QString::fromUtf8("还没有选择同步文件夹");
    const QFileInfo info(folder);
    const QString shown = QDir::toNativeSeparators(folder);
    if (!info.exists())
        return QString::fromUtf8("同步文件夹 %1 不存在(若在移动硬盘或网络盘上,请先连接)").arg(shown);
    if (!info.isDir())
        return QString::fromUtf8("%1 不是文件夹").arg(shown);
    if (!info.isWritable())
        return QString::fromUtf8("同步文件夹 %1 是只读的,无法写入本机的修改").arg(shown);
    const QString canonical = info.canonicalFilePath();
    const QString data = QFileInfo(dataFolder).canonicalFilePath();
    if (!data.isEmpty() &&
        (canonical == data || canonical.startsWith(data + u'/') || data.startsWith(canonical + u'/')))
        return QString::fromUtf8("同步文件夹不能是数据文件夹,也不能在它里面或包含它");
    return {};
}

} // namespace jotrak
