#include "data/carried_marks.h"

namespace jotrak {

QStringList CarriedMarksSchema()
{
    QStringList statements;
    for (const char* table : {"NianNext", "YueNext", "RiNext"})
        statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT").arg(QLatin1String(table), kCarriedToColumn);
    return statements;
}

} // namespace jotrak
