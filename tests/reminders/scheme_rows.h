#pragma once

#include "data/record_access.h"

#include <QStringList>

namespace jotrak::testutil {

// Appends one row to Tx as the settings dialog writes it; returns its IDME.
inline int AddSchemeRow(ConnectionHolder& connection, const Value& shijian, int lifa, const QString& nr,
                        const QString& ming = QStringLiteral("scheme"))
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), connection);
    AddNewRow(rs);
    SetFieldValue(rs, QStringLiteral("ming"), ming);
    SetFieldValue(rs, QStringLiteral("nr"), nr);
    SetFieldValue(rs, QStringLiteral("shijian"), shijian);
    SetFieldValue(rs, QStringLiteral("lifa"), lifa);
    const int id = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    CloseRecordset(rs);
    return id;
}

// Schemes written as "G0221=content" (Gregorian) or "L05=content" (lunar), one
// per list entry, appended in list order.
inline void AddSchemeRows(ConnectionHolder& connection, const QStringList& schemes)
{
    for (const QString& scheme : schemes) {
        const qsizetype equals = scheme.indexOf(u'=');
        AddSchemeRow(connection, scheme.mid(1, equals - 1), scheme.startsWith(u'L') ? 1 : 0, scheme.mid(equals + 1));
    }
}

} // namespace jotrak::testutil
