// The store worker: see store_worker.h.

#include "store_worker.h"
#include "data/database_error.h"
#include "backup/restore.h"
#include "data/seed.h"
#include "data/carry_store.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QUrl>

#include <cstdio>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Texts a person might type: quotes, line breaks, Chinese, characters outside GBK, now and then a long one.
QString Sample(QRandomGenerator& rng)
{
    static const QString kTexts[] = {QStringLiteral("it's \"quoted\"; --"), QStringLiteral("第一行\n第二行\r\n"),
                                     QStringLiteral("😀 𠀀 ß"), QStringLiteral("工作内容")};
    const QString text = kTexts[rng.bounded(4)];
    return rng.bounded(20) == 0 ? text.repeated(3000) : text;
}

// One change; returns its row and the row's value afterwards.
std::pair<QString, QString> Change(ConnectionHolder& c, const Lane& lane, QRandomGenerator& rng, const QString& stamp)
{
    const auto [table, key] = lane.goals()[rng.bounded(4)];
    const QString text = stamp + Sample(rng);
    const int goal = GoalId(c, table, key);
    const std::vector<WorkItem> items = ListWorkItems(c, table, goal);
    quint32 pick = rng.bounded(10);
    if (items.empty() && pick >= 2 && pick <= 4)
        pick = 0;
    WorkItem item = items.empty() ? WorkItem{} : items[rng.bounded(static_cast<quint32>(items.size()))];
    if (pick < 2) {
        item = {AppendWorkItem(c, table, goal, text), text, {}, false};
    } else if (pick < 4) {
        item = {item.id, text, Sample(rng), rng.bounded(2) == 1};
        if (!ChangeWorkItem(c, table, item.id, item.content, item.note, item.done))
            throw DatabaseError(0, QStringLiteral("item gone"));
    } else if (pick < 5) {
        RemoveWorkItem(c, table, item.id);
        return {ItemRow(table, item.id), {}};
    } else if (pick < 6) {
        StoreGoalText(c, table, key, text);
        return {QStringLiteral("goal/") + key, text};
    } else if (pick < 9) {
        std::vector<StoredScheme> mine = ListSchemes(c);
        std::erase_if(mine, [&](const StoredScheme& s) { return !s.scheme.name.startsWith(lane.schemePrefix()); });
        const Scheme scheme{lane.schemePrefix() + Sample(rng).left(20), text, TwoDigitText(1 + rng.bounded(28)),
                            static_cast<int>(rng.bounded(2))};
        const int id = mine.empty() ? 0 : mine[rng.bounded(static_cast<quint32>(mine.size()))].id;
        if (id == 0 || pick == 6)
            return {QStringLiteral("scheme/%1").arg(AppendScheme(c, scheme)), SchemeValue(scheme)};
        if (pick == 7) {
            RemoveScheme(c, id);
            return {QStringLiteral("scheme/%1").arg(id), {}};
        }
        ChangeScheme(c, id, scheme);
        return {QStringLiteral("scheme/%1").arg(id), SchemeValue(scheme)};
    } else {
        const int button = lane.firstButton() + static_cast<int>(rng.bounded(9));
        const LauncherRow row{text, QStringLiteral("/tmp/") + Sample(rng)};
        StoreLauncherRow(c, button, row);
        return {QStringLiteral("button/%1").arg(button), row.name + u'|' + row.path};
    }
    return {ItemRow(table, item.id), ItemValue(item)};
}

// Stamps the 2018 goal and backs up (dated stamp days on); each third stamp restores an older copy.
void BackUpAndRestore(ConnectionHolder& c, QRandomGenerator& rng, qint64 stamp)
{
    const QString folder = DefaultBackupFolder(c.path());
    for (;; ++stamp) {
        const QDateTime now(QDate(2018, 1, 1).addDays(stamp), QTime(9, 0));
        StoreGoalText(c, Table::Nian, QStringLiteral("2018"), Stamp(stamp));
        if (const BackupResult made = MakeBackup(c, folder, now); !made.ok)
            throw DatabaseError(0, made.reason);
        const QList<BackupInfo> copies = ListBackups(CopiesOfLog(c, folder));
        if (stamp % 3 != 0 || copies.size() < 2)
            continue;
        const auto older = static_cast<quint32>(std::min<qsizetype>(copies.size() - 1, 7));
        const QString chosen = copies[1 + rng.bounded(older)].path;
        std::printf("restore %s %lld\n", qPrintable(chosen), stamp);
        std::fflush(stdout);
        if (const RestoreResult restored = RestoreBackup(c, chosen, folder, now.addSecs(1)); !restored.ok)
            throw DatabaseError(0, restored.reason);
        std::printf("restored\n");
        std::fflush(stdout);
    }
}

// Until killed: 30 open items under 20180101 in one transaction, then every open one there carried to 20180102.
void AddAndCarry(ConnectionHolder& c)
{
    const int goal = GoalId(c, Table::Ri, QStringLiteral("20180101"));
    for (;;) {
        std::vector<int> added;
        Transaction adding(c);
        for (int i = 0; i < 30; ++i)
            added.push_back(AppendWorkItem(c, Table::Ri, goal, QStringLiteral("carry %1").arg(i)));
        adding.commit();
        std::vector<int> open;
        for (const OpenItem& item :
             OpenItemsBetween(c, Table::Ri, QStringLiteral("20180101"), QStringLiteral("20180101")))
            open.push_back(item.id);
        std::printf("carried %d\n", CarryItemsForward(c, Table::Ri, open, QStringLiteral("20180102")).carried);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 3)
        return 2;
    qint64 stamp = args[2].toLongLong();
    const Lane lane{args.value(3).toInt()};
    const qint64 changes = args.size() > 4 ? args[4].toLongLong() : -1;
    QRandomGenerator rng(static_cast<quint32>(stamp));
    try {
        ConnectionHolder connection;
        OpenDatabase(connection, args[1]);
        SeedPeriodTables(connection);
        if (args.value(3) == u"backups")
            BackUpAndRestore(connection, rng, stamp);
        if (args.value(3) == u"carry")
            AddAndCarry(connection);
        for (qint64 n = 0; n != changes; ++n, ++stamp) {
            const auto [row, value] = Change(connection, lane, rng, Stamp(stamp));
            std::printf("%lld %s %s\n", stamp, qPrintable(row), QUrl::toPercentEncoding(value).constData());
            std::fflush(stdout);
        }
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "store_worker: %s\n", error.what());
        return 3;
    }
    return 0;
}
