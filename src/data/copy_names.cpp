#include "data/copy_names.h"

#include <QRegularExpression>

namespace jotrak {

namespace {

const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

} // namespace

QString BackupFileName(const QDateTime& at)
{
    return QStringLiteral("db-%1.mdb").arg(at.toString(kStampFormat));
}

QString UpgradeBackupFileName(const QDateTime& at, int schemaVersion)
{
    return QStringLiteral("db-%1-v%2.mdb").arg(at.toString(kStampFormat)).arg(schemaVersion);
}

QDateTime BackupTimeOfName(const QString& name, bool* beforeUpgrade)
{
    static const QRegularExpression pattern(QStringLiteral("^db-(\\d{8}-\\d{6})(-v\\d+)?\\.mdb$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return {};
    if (beforeUpgrade)
        *beforeUpgrade = match.hasCaptured(2);
    return QDateTime::fromString(match.captured(1), kStampFormat);
}

} // namespace jotrak
