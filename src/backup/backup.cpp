#include "backup/backup.h"

#include "backup/backup_retention.h"
#include "data/copy_names.h"
#include "data/record_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace jotrak {

BackupResult MakeBackup(sqlite3* source, const QString& databasePath, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop)
{
    BackupResult result = CopyDatabaseInto(
        source, databasePath, folder, now, [](const QDateTime& at) { return BackupFileName(at); }, stop);
    if (result.ok) {
        const QDir dir(folder);
        for (const QString& name : BackupsToRemove(dir.entryList({QStringLiteral("db-*.mdb")}, QDir::Files)))
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

bool HasBackupOfDay(const QString& folder, const QDate& day)
{
    const QString pattern = QStringLiteral("db-%1-*.mdb").arg(day.toString(QStringLiteral("yyyyMMdd")));
    for (const QString& name : QDir(folder).entryList({pattern}, QDir::Files)) {
        bool beforeUpgrade = false;
        if (BackupTimeOfName(name, &beforeUpgrade).isValid() && !beforeUpgrade)
            return true;
    }
    return false;
}

QList<BackupInfo> ListBackups(const QString& folder)
{
    const QDir dir(folder);
    QList<BackupInfo> list;
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("db-*.mdb")}, QDir::Files)) {
        BackupInfo info;
        info.time = BackupTimeOfName(file.fileName(), &info.beforeUpgrade);
        if (!info.time.isValid())
            continue;
        info.path = file.absoluteFilePath();
        info.size = file.size();
        const CopyContents contents = ReadCopyContents(info.path);
        info.goals = contents.goals;
        info.items = contents.items;
        list << info;
    }
    std::sort(list.begin(), list.end(), [](const BackupInfo& a, const BackupInfo& b) { return a.time > b.time; });
    return list;
}

} // namespace jotrak
