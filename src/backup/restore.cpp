#include "backup/restore.h"

#include "data/database_copy.h"
#include "data/file_safety.h"
#include "data/log_identity.h"
#include "data/record_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace jotrak {

namespace {

const QString kRestoreWhat = QStringLiteral("restore");

RestoreResult Refused(QString reason, QString details = {})
{
    RestoreResult result;
    result.reason = std::move(reason);
    result.details = std::move(details);
    return result;
}

} // namespace

RestoreResult RestoreBackup(ConnectionHolder& connection, const QString& backupPath, const QString& backupFolder,
                            const QDateTime& now)
{
    const QString databasePath = QDir::fromNativeSeparators(connection.path());
    const QString folder = QFileInfo(databasePath).absolutePath();
    const QString shownBackup = QDir::toNativeSeparators(backupPath);
    if (!connection.isOpen() || connection.savepointDepth > 0)
        return Refused(QString::fromUtf8("数据库正在使用中,没有恢复。"));
    const std::lock_guard restoring(RestoreLock());
    const QString logId = ReadLogId(connection.handle());

    RemoveLeftoversOfGoneProcesses(folder, kRestoreWhat);
    const QString aside = databasePath + AsideSuffix(kRestoreWhat);
    QFile::remove(aside);
    QString details;
    QString problem;
    if (!QFile::copy(backupPath, aside) || !SyncFile(aside))
        problem = QString::fromUtf8("无法把备份 %1 复制到数据文件夹 %2(文件不可读、文件夹不允许写入或磁盘已满),"
                                    "数据库没有改动。")
                      .arg(shownBackup, QDir::toNativeSeparators(folder));
    else if (const QString bad = CheckDatabaseFile(aside, &details); !bad.isEmpty())
        problem = QString::fromUtf8("备份 %1 无法恢复:%2。数据库没有改动。").arg(shownBackup, bad);
    const QString copyId = problem.isEmpty() ? ReadCopyContents(aside).logId : QString();
    if (!copyId.isEmpty() && !logId.isEmpty() && copyId != logId)
        problem = QString::fromUtf8("备份 %1 是另一个日志的备份,数据库没有改动。").arg(shownBackup);
    if (!problem.isEmpty()) {
        QFile::remove(aside);
        return Refused(problem, details);
    }

    RestoreResult result;
    result.before = MakeBackup(connection, backupFolder, now);
    if (!result.before.ok) {
        QFile::remove(aside);
        result.reason =
            QString::fromUtf8("恢复之前无法先备份当前的数据库,数据库没有改动。%1").arg(result.before.reason);
        result.details = result.before.details;
        return result;
    }

    CloseConnection(connection);
    result.reason = ReplaceDatabaseFile(databasePath, aside, &result.details);
    result.ok = result.reason.isEmpty();
    if (!result.ok)
        QFile::remove(aside);
    OpenDatabase(connection, databasePath);
    // a copy of an older release got a new id when it was upgraded on opening: it keeps the log's
    if (result.ok && copyId.isEmpty() && !logId.isEmpty() && !ReadLogId(connection.handle()).isEmpty())
        WriteLogId(connection, logId);
    return result;
}

} // namespace jotrak
