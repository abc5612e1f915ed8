#include "backup/backup_settings.h"

#include "shell/settings_store.h"

#include <QDir>

namespace jotrak {

namespace {

QString DefaultFolderOf(const QString& dataDir)
{
    return DefaultBackupFolder(QDir(dataDir).filePath(QStringLiteral("db.mdb")));
}

} // namespace

QString BackupFolder(const QString& dataDir)
{
    const QString chosen = OpenSettings()->value(QStringLiteral("backup/folder")).toString();
    return chosen.isEmpty() ? DefaultFolderOf(dataDir) : chosen;
}

void SetBackupFolder(const QString& dataDir, const QString& folder)
{
    const QString chosen = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    const bool isDefault = chosen.isEmpty() || chosen == DefaultFolderOf(dataDir);
    OpenSettings()->setValue(QStringLiteral("backup/folder"), isDefault ? QString() : chosen);
}

std::optional<BackupResult> LastBackup(const QString&)
{
    const auto settings = OpenSettings();
    settings->beginGroup(QStringLiteral("lastBackup"));
    BackupResult result;
    result.time = QDateTime::fromString(settings->value(QStringLiteral("time")).toString(), Qt::ISODate);
    if (!result.time.isValid())
        return std::nullopt;
    result.ok = settings->value(QStringLiteral("ok")).toBool();
    result.path = settings->value(QStringLiteral("path")).toString();
    result.reason = settings->value(QStringLiteral("reason")).toString();
    result.details = settings->value(QStringLiteral("details")).toString();
    return result;
}

void RememberBackup(const QString&, const BackupResult& result)
{
    const auto settings = OpenSettings();
    settings->beginGroup(QStringLiteral("lastBackup"));
    settings->setValue(QStringLiteral("time"), result.time.toString(Qt::ISODate));
    settings->setValue(QStringLiteral("ok"), result.ok);
    settings->setValue(QStringLiteral("path"), result.path);
    settings->setValue(QStringLiteral("reason"), result.reason);
    settings->setValue(QStringLiteral("details"), result.details);
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
