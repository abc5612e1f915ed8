#include "backup/backup_retention.h"

#include "data/copy_names.h"

#include <algorithm>
#include <functional>
#include <set>
#include <vector>

namespace jotrak {

QStringList BackupsToRemove(const QStringList& names)
{
    std::vector<std::pair<QDateTime, QString>> daily;
    for (const QString& name : names) {
        const CopyName copy = ParseCopyName(name);
        if (copy.time.isValid() && !copy.beforeUpgrade)
            daily.emplace_back(copy.time, name);
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
