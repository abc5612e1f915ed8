#include "data/backup_names.h"

#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <set>
#include <vector>

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

QStringList BackupsToRemove(const QStringList& names)
{
    std::vector<std::pair<QDateTime, QString>> daily;
    for (const QString& name : names) {
        bool beforeUpgrade = false;
        const QDateTime at = BackupTimeOfName(name, &beforeUpgrade);
        if (at.isValid() && !beforeUpgrade)
            daily.emplace_back(at, name);
    }
    std::sort(daily.begin(), daily.end(), std::greater<>());
    // newest first: every copy of the most recent days, then the newest of each month before them
    std::set<QDate> days;
    std::set<int> months;
    QStringList removed;
    for (const auto& [at, name] : daily) {
        if (days.count(at.date()) || days.size() < kDailyBackupsKept)
            days.insert(at.date());
        else if (months.size() >= kMonthlyBackupsKept ||
                 !months.insert(at.date().year() * 100 + at.date().month()).second)
            removed << name;
    }
    return removed;
}

} // namespace jotrak
