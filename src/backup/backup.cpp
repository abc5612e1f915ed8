#include "backup/backup.h"

#include "backup/backup_retention.h"
#include "data/copy_names.h"
#include "data/log_identity.h"
#include "data/record_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace jotrak {

namespace {

QString Canonical(const QString& folder)
{
    const QFileInfo info(folder);
    return info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
}

} // namespace

bool LogCopies::holdsName(const QString& name) const
{
    const CopyName copy = ParseCopyName(name);
    return copy.time.isValid() && (copy.logId.isEmpty() ? ownFolder : copy.logId == logId);
}

bool LogCopies::holdsCopy(const QString& name, const CopyContents& contents) const
{
    if (contents.goals < 0)
        return holdsName(name);
    return contents.logId.isEmpty() ? ownFolder : contents.logId == logId;
}

LogCopies CopiesOfLog(sqlite3* db, const QString& databasePath, const QString& folder)
{
    return {folder, ReadLogId(db), Canonical(folder) == Canonical(DefaultBackupFolder(databasePath))};
}

LogCopies CopiesOfLog(ConnectionHolder& connection, const QString& folder)
{
    return CopiesOfLog(connection.handle(), QDir::fromNativeSeparators(connection.path()), folder);
}

BackupResult MakeBackup(sqlite3* source, const QString& databasePath, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop)
{
    const LogCopies log = CopiesOfLog(source, databasePath, folder);
    BackupResult result = CopyDatabaseInto(
        source, databasePath, folder, now, [&log](const QDateTime& at) { return BackupFileName(at, log.logId); }, stop);
    if (result.ok) {
        const QDir dir(folder);
        QStringList own = dir.entryList({QStringLiteral("db-*.mdb")}, QDir::Files);
        own.removeIf([&log](const QString& name) { return !log.holdsName(name); });
        for (const QString& name : BackupsToRemove(own))
            QFile::remove(dir.filePath(name));
    }
    return result;
}

BackupResult MakeBackup(ConnectionHolder& connection, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop)
{
    return MakeBackup(connection.handle(), QDir::fromNativeSeparators(connection.path()), folder, now, stop);
}

std::mutex& RestoreLock()
{
    static std::mutex lock;
    return lock;
}

bool HasBackupOfDay(const LogCopies& log, const QDate& day)
{
    const QString pattern = QStringLiteral("db-%1-*.mdb").arg(day.toString(QStringLiteral("yyyyMMdd")));
    for (const QString& name : QDir(log.folder).entryList({pattern}, QDir::Files))
        if (log.holdsName(name) && !ParseCopyName(name).beforeUpgrade)
            return true;
    return false;
}

QList<BackupInfo> ListBackups(const LogCopies& log)
{
    const QDir dir(log.folder);
    QList<BackupInfo> list;
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("db-*.mdb")}, QDir::Files)) {
        const CopyName name = ParseCopyName(file.fileName());
        if (!name.time.isValid())
            continue;
        const CopyContents contents = ReadCopyContents(file.absoluteFilePath());
        if (!log.holdsCopy(file.fileName(), contents))
            continue;
        BackupInfo info;
        info.time = name.time;
        info.beforeUpgrade = name.beforeUpgrade;
        info.path = file.absoluteFilePath();
        info.size = file.size();
        info.goals = contents.goals;
        info.items = contents.items;
        list << info;
    }
    std::sort(list.begin(), list.end(), [](const BackupInfo& a, const BackupInfo& b) { return a.time > b.time; });
    return list;
}

} // namespace jotrak
