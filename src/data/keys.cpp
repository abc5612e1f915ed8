#include "data/keys.h"

#include <limits>

namespace jotrak {

QString TableName(Table table)
{
    switch (table) {
    case Table::Nian: return QStringLiteral("Nian");
    case Table::Yue: return QStringLiteral("Yue");
    case Table::Ri: return QStringLiteral("Ri");
    case Table::NianNext: return QStringLiteral("NianNext");
    case Table::YueNext: return QStringLiteral("YueNext");
    case Table::RiNext: return QStringLiteral("RiNext");
    case Table::An: return QStringLiteral("An");
    case Table::Tx: return QStringLiteral("Tx");
    }
    return {};
}

Table GoalTableOf(PeriodKind kind)
{
    switch (kind) {
    case PeriodKind::Year: return Table::Nian;
    case PeriodKind::Month: return Table::Yue;
    case PeriodKind::Day: break;
    }
    return Table::Ri;
}

Table ItemTableOf(Table goalTable)
{
    switch (goalTable) {
    case Table::Nian: return Table::NianNext;
    case Table::Yue: return Table::YueNext;
    default: return Table::RiNext;
    }
}

std::optional<PeriodKind> PeriodKindFromInt(int kind)
{
    if (kind >= 1 && kind <= 3)
        return static_cast<PeriodKind>(kind);
    return std::nullopt;
}

QString TwoDigitText(int n)
{
    return n < 10 ? QStringLiteral("0%1").arg(n) : QString::number(n);
}

QString FormatMonthKey(int year, int month)
{
    return QString::number(year) + TwoDigitText(month);
}

QString FormatDayKey(int year, int month, int day)
{
    return QString::number(year) + TwoDigitText(month) + TwoDigitText(day);
}

int LeadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    // the C library's white space: blank, \t \n \v \f \r
    while (i < n && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    constexpr qint64 limit = qint64{std::numeric_limits<int>::max()} + 1;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        if (value <= limit)
            value = value * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace jotrak
