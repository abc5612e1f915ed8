#pragma once

#include "export/biff_workbook.h"

#include <vector>

namespace jotrak::fuzz {

// Rows an export appends: a key, texts with an apostrophe, a character outside
// the BMP, an empty cell, and a text long enough to need a CONTINUE record.
inline std::vector<xls::SheetRow> ExportRows()
{
    return {
        {QStringLiteral("20180101"), QString::fromUtf8("写周报 'A' 😀"), QString(), QStringLiteral("OK")},
        {QStringLiteral("20180102"), QString(9000, QChar(u'字')), QString::fromUtf8("完成一半"),
         QString::fromUtf8("未完成")},
    };
}

} // namespace jotrak::fuzz
