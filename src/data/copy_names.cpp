#include "data/copy_names.h"

#include <QRegularExpression>

namespace jotrak {

namespace {

const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

QString Stamp(const QDateTime& at, const QString& logId)
{
    return logId.isEmpty() ? at.toString(kStampFormat) : at.toString(kStampFormat) + u'-' + logId;
}

} // namespace

QString BackupFileName(const QDateTime& at, const QString& logId)
{
    return QStringLiteral("db-%1.mdb").arg(Stamp(at, logId));
}

QString UpgradeBackupFileName(const QDateTime& at, int schemaVersion, const QString& logId)
{
    return QStringLiteral("db-%1-v%2.mdb").arg(Stamp(at, logId)).arg(schemaVersion);
}

CopyName ParseCopyName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^db-(\\d{8}-\\d{6})(?:-([0-9a-f]{16}))?(-v\\d+)?\\.mdb$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return {};
    return {QDateTime::fromString(match.captured(1), kStampFormat), match.captured(2), match.hasCaptured(3)};
}

} // namespace jotrak
