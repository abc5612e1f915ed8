#include "shell/backup_settings.h"

#include "shell/app_context.h"
#include "shell/settings_store.h"

#include <QDir>

namespace jotrak {

QString BackupFolder()
{
    const QString chosen = OpenSettings()->value(QStringLiteral("backup/folder")).toString();
    return chosen.isEmpty() ? DefaultBackupFolder(DatabaseFile(App().dataDir)) : chosen;
}

void SetBackupFolder(const QString& folder)
{
    const QString chosen = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    const bool isDefault = chosen.isEmpty() || chosen == DefaultBackupFolder(DatabaseFile(App().dataDir));
    OpenSettings()->setValue(QStringLiteral("backup/folder"), isDefault ? QString() : chosen);
}

std::optional<BackupResult> LastBackup()
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

void RememberBackup(const BackupResult& result)
{
    const auto settings = OpenSettings();
    settings->beginGroup(QStringLiteral("lastBackup"));
    settings->setValue(QStringLiteral("time"), result.time.toString(Qt::ISODate));
    settings->setValue(QStringLiteral("ok"), result.ok);
    settings->setValue(QStringLiteral("path"), result.path);
    settings->setValue(QStringLiteral("reason"), result.reason);
    settings->setValue(QStringLiteral("details"), result.details);
}

} // namespace jotrak
