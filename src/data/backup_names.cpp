#include "data/backup_names.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <set>

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
    // the newest daily copy of each day and of each month, newest first
    std::map<QDate, QString, std::greater<>> newestOfDay;
    std::map<int, QString, std::greater<>> newestOfMonth;
    std::vector<std::pair<QDateTime, QString>> daily;
    for (const QString& name : names) {
        bool beforeUpgrade = false;
        const QDateTime at = BackupTimeOfName(name, &beforeUpgrade);
        if (!at.isValid() || beforeUpgrade)
            continue;
        daily.emplace_back(at, name);
    }
    std::sort(daily.begin(), daily.end());
    for (const auto& [at, name] : daily) {
        newestOfDay[at.date()] = name;
        newestOfMonth[at.date().year() * 100 + at.date().month()] = name;
    }
    std::set<QString> kept;
    auto keepFirst = [&kept](const auto& newest, int count) {
        for (auto it = newest.begin(); it != newest.end() && count-- > 0; ++it)
            kept.insert(it->second);
    };
    keepFirst(newestOfDay, kDailyBackupsKept);
    keepFirst(newestOfMonth, kMonthlyBackupsKept);
    QStringList removed;
    for (const auto& [at, name] : daily)
        if (!kept.count(name))
            removed << name;
    return removed;
}

} // namespace jotrak
