#pragma once

#include "data/keys.h"

#include <QDate>
#include <QString>

#include <optional>
#include <span>

namespace jotrak {

// Where an export button writes: a text file of goals or a workbook of items.
enum class ExportTarget { Text, Spreadsheet };

// One export button of dialog 129: how it cuts the typed keys, the range its
// numbers must lie in (both bounds included) and what it writes.
struct ExportButtonRule {
    int id;
    const char16_t* caption;
    const char* objectName;
    int cutLength; // 0: the key is not cut
    int lowerBound;
    int upperBound;
    const char16_t* belowLowerMessage;
    const char16_t* aboveUpperMessage;
    ExportTarget target;
    Table goalTable;
};

// The six buttons 1011 to 1016 in order: year, month and day goals as text,
// then year, month and day items as a workbook.
std::span<const ExportButtonRule> ExportButtonRules();

// The key as the writer gets it: its first cutLength characters (year 4,
// month 6), or all of it when cutLength is 0.
QString CutExportKey(const QString& typed, int cutLength);

// Nothing when both cut keys pass; otherwise the message to show. Only the
// leading number of each key is tested, and the lower bound first, so a pair
// with one key too low and the other too high gets the lower-bound message.
std::optional<QString> ExportRangeMessage(const ExportButtonRule& rule, const QString& fromKey, const QString& toKey);

// The range the dialog opens with: 30 calendar days before today, and today.
QString DefaultExportFromKey(QDate today);
QString DefaultExportToKey(QDate today);

// The Save-As dialog of each target.
struct ExportFileChoice {
    QString title;
    QString filter;
    QString defaultSuffix;
};
ExportFileChoice ExportFileChoiceFor(ExportTarget target);

} // namespace jotrak
