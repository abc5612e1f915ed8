#include "data/schema_steps.h"

#include "data/carried_marks.h"
#include "data/log_identity.h"
#include "data/search_grams.h"
#include "data/search_index.h"
#include "data/sync_schema.h"

namespace jotrak {

namespace {

// How many days before its day a reminder is announced; 0, as before, on the day only.
QStringList ReminderAheadSchema()
{
    return {QStringLiteral("ALTER TABLE Tx ADD COLUMN tiqian INTEGER DEFAULT 0")};
}

} // namespace

const std::vector<SchemaStep>& SchemaSteps()
{
    // version 2: the search index; 3: words of one and two characters through it;
    // 4: the log's id; 5: days ahead of a reminder; 6: the marks of items carried forward;
    // 7: what sync needs
    static const std::vector<SchemaStep> steps = {
        {2, &SearchIndexSchema},   {3, &GramIndexSchema},    {4, &LogIdentitySchema},
        {5, &ReminderAheadSchema}, {6, &CarriedMarksSchema}, {7, &SyncSchema},
    };
    return steps;
}

} // namespace jotrak
