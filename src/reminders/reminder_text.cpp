#include "reminders/reminder_text.h"

#include "reminders/scheme_store.h"

namespace jotrak {

QString ComposeDayReminders(ConnectionHolder& connection, const QString& dayKey)
{
    const ReminderDay day = ReminderDayOf(dayKey);
    const QString prefix = QString::fromUtf16(kReminderPrefix);
    QString text;
    for (const StoredScheme& stored : ListSchemes(connection)) {
        const Scheme& scheme = stored.scheme;
        if (!SchemeFiresOn(day, scheme.calendar, scheme.dateRule))
            continue;
        text += prefix;
        text += scheme.content;
        text += QStringLiteral("\r\n");
    }
    return text.isEmpty() ? QString::fromUtf16(kNoReminders) : text;
}

} // namespace jotrak
