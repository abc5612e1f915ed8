#pragma once

// The store worker changes a file through the program's stores in a loop, printing one flushed line per commit:
//   <stamp> <row> <its value now, percent-encoded; empty: gone>   every text written begins "s<stamp> "
//   store_worker <db.mdb> <first stamp> [lane] [changes]   (lanes keep two workers apart; no changes: until killed)
//   store_worker <db.mdb> <first stamp> backups   until killed: "restore <copy> <stamp>", "restored"
//   store_worker <db.mdb> <first stamp> carry     until killed: items added under 20180101 and carried to 20180102

#include "support/database.h"
#include "launcher/launcher_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QMap>

namespace jotrak::test {

struct Lane {
    int number = 0;
    std::vector<std::pair<Table, QString>> goals() const
    {
        return {{Table::Nian, QString::number(2018 + number)},
                {Table::Yue, FormatMonthKey(2018, 1 + number)},
                {Table::Ri, FormatDayKey(2018, 1, 1 + 2 * number)},
                {Table::Ri, FormatDayKey(2018, 1, 2 + 2 * number)}};
    }
    QString schemePrefix() const { return QStringLiteral("L%1 ").arg(number); }
    int firstButton() const { return 1 + 9 * number; }
};

inline QString Stamp(qint64 stamp)
{
    return QStringLiteral("s%1 ").arg(stamp);
}

// Row -> value.
using Facts = QMap<QString, QString>;

inline QString ItemRow(Table goalTable, int id)
{
    return QStringLiteral("item/%1/%2").arg(TableName(goalTable)).arg(id);
}
inline QString ItemValue(const WorkItem& item)
{
    return item.content + u'|' + item.note + u'|' + QString::number(item.done);
}
inline QString SchemeValue(const Scheme& s)
{
    return s.content + u'|' + s.name + u'|' + s.dateRule + u'|' + QString::number(s.calendar);
}

inline Facts ReadFacts(ConnectionHolder& c, const Lane& lane)
{
    Facts facts;
    for (const auto& [table, key] : lane.goals()) {
        facts[QStringLiteral("goal/") + key] = GoalText(c, table, key);
        for (const WorkItem& item : Items(c, table, key))
            facts[ItemRow(table, item.id)] = ItemValue(item);
    }
    for (const StoredScheme& s : ListSchemes(c))
        if (s.scheme.name.startsWith(lane.schemePrefix()))
            facts[QStringLiteral("scheme/%1").arg(s.id)] = SchemeValue(s.scheme);
    for (int n = lane.firstButton(); n < lane.firstButton() + 9; ++n) {
        const LauncherRow row = ReadLauncherRow(c, n).value_or(LauncherRow{});
        facts[QStringLiteral("button/%1").arg(n)] = row.name + u'|' + row.path;
    }
    return facts;
}

// A missing row reads as empty.
inline QStringList Differing(const Facts& a, const Facts& b)
{
    QStringList rows = a.keys() + b.keys();
    rows.removeDuplicates();
    rows.removeIf([&](const QString& row) { return a.value(row) == b.value(row); });
    return rows;
}

// Applies whole lines; returns the stamp after the last.
inline qint64 ApplyReport(Facts& facts, const QByteArray& output, qint64 next)
{
    const QList<QByteArray> lines = output.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split(' ');
        facts[QString::fromUtf8(fields.value(1))] = QString::fromUtf8(QByteArray::fromPercentEncoding(fields.value(2)));
        next = fields[0].toLongLong() + 1;
    }
    return next;
}

inline void StartWorker(QProcess& worker, const QStringList& arguments)
{
    worker.start(QCoreApplication::applicationDirPath() + QStringLiteral("/store_worker"), arguments);
}

// /dev/shm when there, so a worker makes many changes between kills.
inline QString ScratchRoot()
{
    return (QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
           QStringLiteral("/jotrak-XXXXXX");
}

} // namespace jotrak::test
