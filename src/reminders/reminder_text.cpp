#include "reminders/reminder_text.h"

#include "data/record_access.h"

namespace jotrak {

QString ComposeDayReminders(ConnectionHolder& connection, const QString& dayKey)
{
    const ReminderDay day = ReminderDayOf(dayKey);
    const QString prefix = QString::fromUtf16(kReminderPrefix);
    QString text;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), connection);
    for (; !IsAtEnd(rs); MoveToNext(rs)) {
        const qint64 lifa = GetFieldValue(rs, QStringLiteral("lifa")).toInteger();
        const QString shijian = TextFromValue(GetFieldValue(rs, QStringLiteral("shijian")));
        if (!SchemeFiresOn(day, lifa, shijian))
            continue;
        text += prefix;
        text += TextFromValue(GetFieldValue(rs, QStringLiteral("nr")));
        text += QStringLiteral("\r\n");
    }
    CloseRecordset(rs);
    return text.isEmpty() ? QString::fromUtf16(kNoReminders) : text;
}

} // namespace jotrak
