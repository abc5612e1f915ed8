#include "export/export_dialog_rules.h"

#include <array>

namespace jotrak {

namespace {

constexpr const char16_t* kYearTooLow = u"请输入一个大于2017的年份";
constexpr const char16_t* kYearTooHigh = u"请输入一个小于2060的年份";
constexpr const char16_t* kMonthTooLow = u"请输入一个大于201701的月份";
constexpr const char16_t* kMonthTooHigh = u"请输入一个小于206012的月份";
constexpr const char16_t* kDayTooLow = u"请输入一个大于20170101的日子";
constexpr const char16_t* kDayTooHigh = u"请输入一个小于20601231的日子";

constexpr std::array<ExportButtonRule, 6> kRules{{
    {1011, u"导出年目标", "exportYearGoalsButton", 4, 2017, 2060, kYearTooLow, kYearTooHigh, ExportTarget::Text,
     Table::Nian},
    {1012, u"导出月目标", "exportMonthGoalsButton", 6, 201701, 206012, kMonthTooLow, kMonthTooHigh, ExportTarget::Text,
     Table::Yue},
    {1013, u"导出日目标", "exportDayGoalsButton", 0, 20170101, 20601231, kDayTooLow, kDayTooHigh, ExportTarget::Text,
     Table::Ri},
    {1014, u"导出年细项", "exportYearItemsButton", 4, 2017, 2060, kYearTooLow, kYearTooHigh, ExportTarget::Spreadsheet,
     Table::Nian},
    {1015, u"导出月细项", "exportMonthItemsButton", 6, 201701, 206012, kMonthTooLow, kMonthTooHigh,
     ExportTarget::Spreadsheet, Table::Yue},
    {1016, u"导出日细项", "exportDayItemsButton", 0, 20170101, 20601231, kDayTooLow, kDayTooHigh,
     ExportTarget::Spreadsheet, Table::Ri},
}};

QString DayKeyOf(QDate date)
{
    return FormatDayKey(date.year(), date.month(), date.day());
}

} // namespace

std::span<const ExportButtonRule> ExportButtonRules()
{
    return kRules;
}

QString CutExportKey(const QString& typed, int cutLength)
{
    return cutLength > 0 ? typed.left(cutLength) : typed;
}

std::optional<QString> ExportRangeMessage(const ExportButtonRule& rule, const QString& fromKey, const QString& toKey)
{
    const int from = LeadingNumber(fromKey);
    const int to = LeadingNumber(toKey);
    if (from < rule.lowerBound || to < rule.lowerBound)
        return QString::fromUtf16(rule.belowLowerMessage);
    if (from > rule.upperBound || to > rule.upperBound)
        return QString::fromUtf16(rule.aboveUpperMessage);
    return std::nullopt;
}

QString DefaultExportFromKey(QDate today)
{
    return DayKeyOf(today.addDays(-30));
}

QString DefaultExportToKey(QDate today)
{
    return DayKeyOf(today);
}

ExportFileChoice ExportFileChoiceFor(ExportTarget target)
{
    const QString title = QStringLiteral("请选择要保存的文件名称");
    if (target == ExportTarget::Text)
        return {title, QStringLiteral("文本文件(*.txt)"), QStringLiteral("txt")};
    return {title, QStringLiteral("Excel文件(*.xls)"), QStringLiteral("xls")};
}

} // namespace jotrak
