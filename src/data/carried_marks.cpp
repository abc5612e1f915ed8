#include "data/carried_marks.h"

#include "data/record_access.h"

namespace jotrak {

QStringList CarriedMarksSchema()
{
    QStringList statements;
    for (const char* table : {"NianNext", "YueNext", "RiNext"})
        statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT").arg(QLatin1String(table), kCarriedToColumn);
    return statements;
}

bool HasCarriedMarks(ConnectionHolder& connection)
{
    bool present = false;
    ReadRows(
        connection,
        {QStringLiteral("Select 1 from pragma_table_info('RiNext') where name = ?"), {kCarriedToColumn}, Table::RiNext},
        [&](const std::vector<Value>&) {
            present = true;
            return false;
        });
    return present;
}

} // namespace jotrak
