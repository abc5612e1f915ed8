#include "backup/restore.h"

#include "data/file_safety.h"
#include "data/log_identity.h"
#include "data/record_access.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

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

// With the file locked against every other program, a journal still beside it
// is not one the engine would play back: it is removed, so it can never be
// played back onto the restored file. Then the copy aside takes the file's
// name. Empty when done, else why not.
QString SwapInPlace(const QString& databasePath, const QString& aside, QString* details)
{
    sqlite3* lock = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &lock, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(lock, 5000);
        rc = sqlite3_exec(lock, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    }
    QString failure;
    if (rc != SQLITE_OK) {
        *details = QStringLiteral("SQLite %1: %2").arg(rc).arg(QString::fromUtf8(sqlite3_errmsg(lock)));
        failure =
            (rc & 0xff) == SQLITE_BUSY
                ? QString::fromUtf8("数据库文件正被另一个程序占用,没有恢复。请关闭另一个 Jotrak 后再试。")
                : QString::fromUtf8("无法锁定数据库文件 %1,没有恢复。").arg(QDir::toNativeSeparators(databasePath));
    } else {
        QFile::remove(databasePath + QStringLiteral("-journal"));
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(aside).toStdString(), QFile::encodeName(databasePath).toStdString(),
                                error);
        if (error) {
            *details = QString::fromLocal8Bit(error.message().c_str());
            failure = QString::fromUtf8("无法替换数据库文件 %1,没有恢复。").arg(QDir::toNativeSeparators(databasePath));
        } else {
            SyncFolder(QFileInfo(databasePath).absolutePath());
        }
        sqlite3_exec(lock, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(lock);
    return failure;
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
    result.reason = SwapInPlace(databasePath, aside, &result.details);
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
