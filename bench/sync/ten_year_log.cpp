#include "ten_year_log.h"

#include "reliability/varied_text.h"

#include "data/goal_store.h"
#include "data/item_store.h"
#include "data/keys.h"
#include "data/record_access.h"
#include "data/schema.h"
#include "data/search_index.h"
#include "data/seed.h"

namespace jotrak::bench {

namespace {

bool WithinLog(const QString& key)
{
    return key.left(4).toInt() <= kLastYearOfLog;
}

void AddItems(RecordsetHolder& items, VariedText& texts, int goalId, int count)
{
    for (int i = 0; i < count; ++i) {
        AddNewRow(items);
        SetFieldValue(items, QStringLiteral("ShangId"), Value(goalId));
        SetFieldValue(items, QStringLiteral("nr"), texts.sentence(3 + (i * 7 + goalId) % 6));
        if ((i + goalId) % 3 != 0)
            SetFieldValue(items, QStringLiteral("wcqk"), texts.sentence(2 + (i + goalId) % 4));
        SetFieldValue(items, QStringLiteral("IsOk"), Value((i + goalId) % 5 != 0 ? 1 : 0));
        StoreRow(items);
    }
}

void FillGoals(ConnectionHolder& connection, VariedText& texts, Table goalTable, int itemsEach, int itemsMore)
{
    RecordsetHolder goals;
    OpenRecordset(goals, stmt::SelectAll(goalTable), connection);
    RecordsetHolder items;
    OpenRecordset(items, stmt::ForAppending(ItemTableOf(goalTable)), connection);
    for (; !IsAtEnd(goals); MoveToNext(goals)) {
        if (!WithinLog(GetFieldValue(goals, QStringLiteral("ming")).toText()))
            continue;
        const int goalId = GetFieldValue(goals, QStringLiteral("IDME")).toInt();
        SetFieldValue(goals, QStringLiteral("nr"), texts.sentence(5 + goalId % 9));
        StoreRow(goals);
        AddItems(items, texts, goalId, itemsEach + (itemsMore ? goalId * 7 % (itemsMore + 1) : 0));
    }
}

void FillSchemes(ConnectionHolder& connection, VariedText& texts)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), connection);
    for (int i = 0; i < 60; ++i) {
        AddNewRow(rs);
        const QString rule =
            i % 2 == 0 ? TwoDigitText(i % 28 + 1) : TwoDigitText(i % 12 + 1) + TwoDigitText(i % 28 + 1);
        SetFieldValue(rs, QStringLiteral("ming"), texts.sentence(2));
        SetFieldValue(rs, QStringLiteral("nr"), texts.sentence(4 + i % 5));
        SetFieldValue(rs, QStringLiteral("shijian"), rule);
        SetFieldValue(rs, QStringLiteral("lifa"), Value(i % 4 < 3 ? 0 : 1));
        StoreRow(rs);
    }
}

void BindLaunchers(ConnectionHolder& connection)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectLaunchers(), connection);
    for (int n = 1; !IsAtEnd(rs); MoveToNext(rs), ++n) {
        SetFieldValue(rs, QStringLiteral("ming"), QString::fromUtf8("按钮 %1").arg(n));
        SetFieldValue(rs, QStringLiteral("wj"), QStringLiteral("/home/user/文档/%1").arg(n));
        StoreRow(rs);
    }
}

QString DayKey(const QDate& day)
{
    return FormatDayKey(day.year(), day.month(), day.day());
}

} // namespace

void FillTenYears(ConnectionHolder& connection, VariedText& texts)
{
    SeedPeriodTables(connection);
    Transaction transaction(connection);
    RebuildSearchIndex(connection, [&] {
        FillGoals(connection, texts, Table::Nian, 6, 0);
        FillGoals(connection, texts, Table::Yue, 3, 0);
        FillGoals(connection, texts, Table::Ri, 3, 2);
    });
    FillSchemes(connection, texts);
    BindLaunchers(connection);
    transaction.commit();
}

int WorkADay(ConnectionHolder& connection, VariedText& texts, const QDate& day)
{
    const QString key = DayKey(day);
    int commits = 0;
    QString plan = texts.sentence(6);
    StoreGoalText(connection, Table::Ri, key, plan);
    ++commits;
    const int goal = *FindGoalId(connection, Table::Ri, key);
    std::vector<int> added;
    for (int i = 0; i < 10; ++i) {
        added.push_back(AppendWorkItem(connection, Table::Ri, goal, texts.sentence(3 + i % 5)));
        ++commits;
        if (i == 3 || i == 7) { // the plan grows as the day goes
            plan += u'\n' + texts.sentence(4 + i % 3);
            StoreGoalText(connection, Table::Ri, key, plan);
            ++commits;
        }
    }
    const std::vector<WorkItem> items = ListWorkItems(connection, Table::Ri, goal);
    for (int i = 0; i < 6; ++i) {
        const WorkItem& item = items[static_cast<std::size_t>(i)];
        if (i < 2) // reworded
            ChangeWorkItem(connection, Table::Ri, item.id, item.content + texts.sentence(2), item.note, item.done);
        else if (i < 4) // a note of how it went
            ChangeWorkItem(connection, Table::Ri, item.id, item.content, texts.sentence(3 + i), item.done);
        else
            ChangeWorkItem(connection, Table::Ri, item.id, item.content, texts.sentence(2), true);
        ++commits;
    }
    RemoveWorkItem(connection, Table::Ri, added.back());
    ++commits;
    const std::optional<int> dayBefore = FindGoalId(connection, Table::Ri, DayKey(day.addDays(-1)));
    if (const std::vector<WorkItem> before =
            dayBefore ? ListWorkItems(connection, Table::Ri, *dayBefore) : std::vector<WorkItem>{};
        !before.empty()) {
        RemoveWorkItem(connection, Table::Ri, before.front().id);
        ++commits;
    }
    const QString month = FormatMonthKey(day.year(), day.month());
    StoreGoalText(connection, Table::Yue, month,
                  ReadGoalText(connection, Table::Yue, month).value_or(QString()) + u'\n' + texts.sentence(5));
    ++commits;
    return commits;
}

} // namespace jotrak::bench
