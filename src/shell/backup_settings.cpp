#include "shell/backup_settings.h"

#include "shell/app_context.h"

#include <QDir>
#include <QSettings>

#include <memory>

namespace jotrak {

namespace {

// The program's settings file, beside the database.
std::unique_ptr<QSettings> Settings()
{
    const QString path = QDir(App().exeDir).filePath(QStringLiteral("Dt/jotrak.ini"));
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace

QString BackupFolder()
{
    const QString chosen = Settings()->value(QStringLiteral("backup/folder")).toString();
    return chosen.isEmpty() ? DefaultBackupFolder(DatabasePath(App().exeDir)) : chosen;
}

void SetBackupFolder(const QString& folder)
{
    Settings()->setValue(QStringLiteral("backup/folder"), folder);
}

std::optional<BackupResult> LastBackup()
{
    const auto settings = Settings();
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
    const auto settings = Settings();
    settings->beginGroup(QStringLiteral("lastBackup"));
    settings->setValue(QStringLiteral("time"), result.time.toString(Qt::ISODate));
    settings->setValue(QStringLiteral("ok"), result.ok);
    settings->setValue(QStringLiteral("path"), result.path);
    settings->setValue(QStringLiteral("reason"), result.reason);
    settings->setValue(QStringLiteral("details"), result.details);
}

} // namespace jotrak
