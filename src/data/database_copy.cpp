#include "data/database_copy.h"

#include "data/copy_names.h"
#include "data/file_safety.h"
#include "data/log_identity.h"
#include "data/schema.h"

#include <sqlite3.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace jotrak {

namespace {

// Pages copied per step: the engine holds the connection (and, from another
// connection, the file) for one step only, so a store of the program waits a
// millisecond or two at most.
constexpr int kPagesPerStep = 32;
// The pause between two steps: a store waiting for the connection gets it
// before the next step does.
constexpr unsigned long kPauseUs = 500;
// A change made through another connection starts the copy again; after this
// many restarts the rest is copied in one step, holding the file meanwhile, so
// a copy made while the program stores every few moments still ends.
constexpr int kRestartsBeforeOneStep = 3;
// While the file stays locked by another program, or a change of the program
// is under way on the connection, the copy waits this long before it gives up.
constexpr int kLockedWaitMs = 30000;
const QString kPartWhat = QStringLiteral("part");

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString EngineWords(sqlite3* db, int rc)
{
    return QStringLiteral("SQLite %1: %2").arg(rc).arg(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
}

// Opens path with the engine; a null handle when that fails, with *rc and *words set.
Db OpenFile(const QString& path, int flags, int* rc, QString* words)
{
    sqlite3* raw = nullptr;
    *rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    Db db(raw);
    if (*rc != SQLITE_OK) {
        *words = EngineWords(raw, *rc);
        return nullptr;
    }
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

int StopWhenAsked(void* stop)
{
    return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

QString Stopped()
{
    return QString::fromUtf8("程序退出,备份被中止。");
}

BackupResult Failed(const QDateTime& time, QString reason, QString details = {})
{
    BackupResult result;
    result.time = time;
    result.reason = std::move(reason);
    result.details = std::move(details);
    return result;
}

// Why a step of the copy failed, told by the engine's code.
QString CopyFailure(int rc, const QString& databasePath, const QString& folder)
{
    switch (rc & 0xff) {
    case SQLITE_FULL: return QString::fromUtf8("备份文件夹 %1 所在的磁盘已满,备份没有完成。").arg(Native(folder));
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QString::fromUtf8("数据库文件一直被另一个程序占用,备份没有完成,下次再试。");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QString::fromUtf8("数据库文件 %1 已损坏,无法备份。可以在“备份与恢复”中恢复一个以前的备份。")
            .arg(Native(databasePath));
    default:
        return QString::fromUtf8("无法写入备份文件夹 %1(不允许写入、磁盘没有连接或出了故障),备份没有完成。")
            .arg(Native(folder));
    }
}

// The engine's online backup of the open database into a new file at target,
// in steps. Changes the program makes meanwhile on the same connection reach
// the copy as they are made. Empty when done, else why not.
QString CopyDatabase(sqlite3* from, const QString& source, const QString& target, const QString& folder,
                     const std::atomic<bool>* stop, QString* details)
{
    int rc = SQLITE_OK;
    Db to = OpenFile(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &rc, details);
    if (!to)
        return CopyFailure(rc, source, folder);
    // The copy is thrown away if anything fails, so it needs no journal; it is
    // written to the disk once it is whole, outside the steps.
    sqlite3_exec(to.get(), "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from, "main");
    if (!backup) {
        rc = sqlite3_extended_errcode(to.get());
        *details = EngineWords(to.get(), rc);
        return CopyFailure(rc, source, folder);
    }
    QElapsedTimer locked;
    int pages = kPagesPerStep;
    int copied = 0;
    int restarts = 0;
    do {
        if (stop && stop->load()) {
            sqlite3_backup_finish(backup);
            return Stopped();
        }
        rc = sqlite3_backup_step(backup, pages);
        if (rc == SQLITE_OK) {
            const int before =
                std::exchange(copied, sqlite3_backup_pagecount(backup) - sqlite3_backup_remaining(backup));
            if (copied < before && ++restarts == kRestartsBeforeOneStep)
                pages = -1;
            QThread::usleep(kPauseUs);
        }
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) {
            locked.invalidate();
        } else if (!locked.isValid()) {
            locked.start();
        } else if (locked.hasExpired(kLockedWaitMs)) {
            break;
        } else {
            QThread::msleep(10);
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        *details = EngineWords(nullptr, rc);
        return CopyFailure(rc, source, folder);
    }
    return {};
}

// Another program may take the same name meanwhile: the rename never replaces
// a file, and the next free second is tried.
QString FreeName(const QDir& dir, QDateTime at, const std::function<QString(const QDateTime&)>& name)
{
    while (QFileInfo::exists(dir.filePath(name(at))))
        at = at.addSecs(1);
    return dir.filePath(name(at));
}

} // namespace

QString DefaultBackupFolder(const QString& databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backup"));
}

BackupResult CopyDatabaseInto(sqlite3* source, const QString& databasePath, const QString& folder, const QDateTime& now,
                              const std::function<QString(const QDateTime&)>& name, const std::atomic<bool>* stop)
{
    if (!QDir().mkpath(folder))
        return Failed(
            now,
            QString::fromUtf8("无法创建备份文件夹 %1(不允许写入,或磁盘没有连接),备份没有完成。").arg(Native(folder)));
    RemoveLeftoversOfGoneProcesses(folder, kPartWhat);
    const QDir dir(folder);
    QString target = FreeName(dir, now, name);
    // two copies may be under way at once, for the same name: each has a part of its own
    static std::atomic<int> parts{0};
    const QString part = target + AsideSuffix(kPartWhat) + QStringLiteral("-%1").arg(++parts);
    QFile::remove(part);
    QString details;
    QString failure = source ? CopyDatabase(source, databasePath, part, folder, stop, &details)
                             : QString::fromUtf8("数据库没有打开,备份没有完成。");
    if (failure.isEmpty() && !SyncFile(part))
        failure = CopyFailure(SQLITE_IOERR, databasePath, folder);
    if (failure.isEmpty()) {
        const QString problem = CheckDatabaseFile(part, &details, stop);
        if (!problem.isEmpty())
            failure = stop && stop->load()
                          ? Stopped()
                          : QString::fromUtf8("备份副本没有通过检查(%1),已经删除,备份没有完成。").arg(problem);
    }
    for (int attempt = 0; failure.isEmpty() && !QFile::rename(part, target); ++attempt) {
        if (attempt == 3 || !QFileInfo::exists(target))
            failure = QString::fromUtf8("无法把备份副本改名为 %1,备份没有完成。").arg(Native(target));
        else
            target = FreeName(dir, now, name);
    }
    if (!failure.isEmpty()) {
        QFile::remove(part);
        return Failed(now, failure, details);
    }
    SyncFolder(folder);
    BackupResult result;
    result.time = now;
    result.ok = true;
    result.path = target;
    return result;
}

BackupResult BackupBeforeUpgrade(sqlite3* db, const QString& databasePath, int fileVersion)
{
    const QDateTime changed = QFileInfo(databasePath).lastModified();
    return CopyDatabaseInto(
        db, databasePath, DefaultBackupFolder(databasePath), changed,
        [fileVersion, logId = ReadLogId(db)](const QDateTime& at) {
            return UpgradeBackupFileName(at, fileVersion, logId);
        },
        nullptr);
}

QString CheckDatabaseFile(const QString& path, QString* details, const std::atomic<bool>* stop)
{
    QString words;
    int rc = SQLITE_OK;
    Db db = OpenFile(path, SQLITE_OPEN_READONLY, &rc, &words);
    if (details)
        *details = words;
    if (!db)
        return QString::fromUtf8("无法打开");
    if (stop)
        sqlite3_progress_handler(db.get(), 1000, StopWhenAsked, const_cast<std::atomic<bool>*>(stop));
    sqlite3_stmt* st = nullptr;
    QString verdict;
    if (sqlite3_prepare_v2(db.get(), "PRAGMA integrity_check(1)", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        verdict = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    else
        words = EngineWords(db.get(), sqlite3_extended_errcode(db.get()));
    sqlite3_finalize(st);
    if (verdict != QStringLiteral("ok")) {
        if (details)
            *details = verdict.isEmpty() ? words : verdict;
        return QString::fromUtf8("文件已损坏或不是数据库");
    }
    const QString problem = CheckSchema(db.get(), &rc);
    if (!problem.isEmpty() && details)
        *details = problem;
    return problem.isEmpty() ? QString() : QString::fromUtf8("不是可以使用的 Jotrak 数据库:%1").arg(problem);
}

CopyContents ReadCopyContents(const QString& path)
{
    CopyContents contents;
    int rc = SQLITE_OK;
    QString words;
    Db db = OpenFile(path, SQLITE_OPEN_READONLY, &rc, &words);
    sqlite3_stmt* st = nullptr;
    if (db &&
        sqlite3_prepare_v2(db.get(),
                           "SELECT (SELECT count(*) FROM Nian WHERE trim(nr)<>'')"
                           " + (SELECT count(*) FROM Yue WHERE trim(nr)<>'')"
                           " + (SELECT count(*) FROM Ri WHERE trim(nr)<>''),"
                           " (SELECT count(*) FROM NianNext) + (SELECT count(*) FROM YueNext)"
                           " + (SELECT count(*) FROM RiNext)",
                           -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW) {
        contents.goals = sqlite3_column_int(st, 0);
        contents.items = sqlite3_column_int(st, 1);
    }
    sqlite3_finalize(st);
    contents.logId = ReadLogId(db.get());
    return contents;
}

QString ReplaceDatabaseFile(const QString& databasePath, const QString& aside, QString* details)
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

} // namespace jotrak
