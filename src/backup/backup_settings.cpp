#include "backup/backup_settings.h"

#include "shell/settings_store.h"

#include <QDir>
#include <QSettings>

#include <memory>

namespace jotrak {

namespace {

const QString kFolderKey = QStringLiteral("folder");

QString DefaultFolderOf(const QString& dataDir)
{
    return DefaultBackupFolder(QDir(dataDir).filePath(QStringLiteral("db.mdb")));
}

// Each log keeps its backup state in its own data folder, so two logs of one
// user back up, and remember, each for itself; the state goes with the folder.
std::unique_ptr<QSettings> OpenBackupState(const QString& dataDir)
{
    return std::make_unique<QSettings>(QDir(dataDir).filePath(QStringLiteral("backup.ini")), QSettings::IniFormat);
}

} // namespace

QString BackupFolder(const QString& dataDir)
{
    const auto state = OpenBackupState(dataDir);
    // a folder chosen before the state moved into the data folder stays chosen
    const QString chosen = state->contains(kFolderKey)
                               ? state->value(kFolderKey).toString()
                               : OpenSettings()->value(QStringLiteral("backup/folder")).toString();
    return chosen.isEmpty() ? DefaultFolderOf(dataDir) : chosen;
}

void SetBackupFolder(const QString& dataDir, const QString& folder)
{
    const QString chosen = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    const bool isDefault = chosen.isEmpty() || chosen == DefaultFolderOf(dataDir);
    OpenBackupState(dataDir)->setValue(kFolderKey, isDefault ? QString() : chosen);
}

std::optional<BackupResult> LastBackup(const QString& dataDir)
{
    const auto state = OpenBackupState(dataDir);
    state->beginGroup(QStringLiteral("lastBackup"));
    BackupResult result;
    result.time = QDateTime::fromString(state->value(QStringLiteral("time")).toString(), Qt::ISODate);
    if (!result.time.isValid())
        return std::nullopt;
    result.ok = state->value(QStringLiteral("ok")).toBool();
    result.path = state->value(QStringLiteral("path")).toString();
    result.reason = state->value(QStringLiteral("reason")).toString();
    result.details = state->value(QStringLiteral("details")).toString();
    return result;
}

void RememberBackup(const QString& dataDir, const BackupResult& result)
{
    const auto state = OpenBackupState(dataDir);
    state->beginGroup(QStringLiteral("lastBackup"));
    state->setValue(QStringLiteral("time"), result.time.toString(Qt::ISODate));
    state->setValue(QStringLiteral("ok"), result.ok);
    state->setValue(QStringLiteral("path"), result.path);
    state->setValue(QStringLiteral("reason"), result.reason);
    state->setValue(QStringLiteral("details"), result.details);
}

QString LastBackupText(const QString& dataDir)
{
    const std::optional<BackupResult> last = LastBackup(dataDir);
    if (!last)
        return QStringLiteral("上次备份:还没有备份");
    return QStringLiteral("上次备份:%1 %2")
        .arg(last->time.toString(QStringLiteral("yyyy-MM-dd HH:mm")), last->ok ? u"成功" : u"失败");
}

} // namespace jotrak
