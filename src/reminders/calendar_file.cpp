#include "reminders/calendar_file.h"

#include "calendar/clock.h"
#include "reminders/reminder_occurrences.h"

#include <QSaveFile>

namespace jotrak {

namespace {

constexpr qsizetype kLineOctets = 75;

// TEXT values escape backslash, semicolon, comma and line breaks.
QString EscapeText(const QString& text)
{
    QString escaped;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' || c == u';' || c == u',') {
            escaped += u'\\';
            escaped += c;
        } else if (c == u'\r' || c == u'\n') {
            escaped += QStringLiteral("\\n");
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// One content line, folded so that no line passes 75 octets and no UTF-8
// sequence is cut; a continuation begins with a space.
void AppendLine(QByteArray& out, const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    qsizetype start = 0;
    qsizetype room = kLineOctets;
    while (bytes.size() - start > room) {
        qsizetype cut = start + room;
        while ((static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
            --cut;
        out += bytes.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        room = kLineOctets - 1;
    }
    out += bytes.mid(start);
    out += "\r\n";
}

} // namespace

QByteArray WriteCalendarFile(const std::vector<StoredScheme>& schemes, QDate first, int years, const QDateTime& stamp)
{
    QByteArray out;
    AppendLine(out, QStringLiteral("BEGIN:VCALENDAR"));
    AppendLine(out, QStringLiteral("VERSION:2.0"));
    AppendLine(out, QStringLiteral("PRODID:-//Jotrak//Reminders//ZH"));
    AppendLine(out, QStringLiteral("CALSCALE:GREGORIAN"));
    const QString stampText = stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    for (const Occurrence& occurrence : OccurrencesBetween(schemes, first, first.addYears(years).addDays(-1))) {
        const QString day = occurrence.date.toString(QStringLiteral("yyyyMMdd"));
        const Scheme& scheme = occurrence.scheme->scheme;
        AppendLine(out, QStringLiteral("BEGIN:VEVENT"));
        AppendLine(out, QStringLiteral("UID:jotrak-reminder-%1-%2").arg(occurrence.scheme->id).arg(day));
        AppendLine(out, QStringLiteral("DTSTAMP:") + stampText);
        AppendLine(out, QStringLiteral("DTSTART;VALUE=DATE:") + day);
        AppendLine(out, QStringLiteral("DTEND;VALUE=DATE:") + occurrence.date.addDays(1).toString(u"yyyyMMdd"));
        AppendLine(out, QStringLiteral("SUMMARY:") + EscapeText(SchemeTitle(scheme)));
        if (!scheme.content.isEmpty())
            AppendLine(out, QStringLiteral("DESCRIPTION:") + EscapeText(scheme.content));
        AppendLine(out, QStringLiteral("TRANSP:TRANSPARENT"));
        AppendLine(out, QStringLiteral("END:VEVENT"));
    }
    AppendLine(out, QStringLiteral("END:VCALENDAR"));
    return out;
}

CalendarExportResult ExportReminderCalendar(ConnectionHolder& connection, const QString& path, int years)
{
    const QDateTime now = Clock::LocalNow();
    const QByteArray bytes = WriteCalendarFile(ListSchemes(connection), now.date(), years, now);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return {QString::fromUtf8("无法写入日历文件 %1。").arg(path), file.errorString()};
    return {};
}

} // namespace jotrak
