#include "data/schema_steps.h"

#include "data/carried_marks.h"
#include "data/search_index.h"

namespace jotrak {

const std::vector<SchemaStep>& SchemaSteps()
{
    // version 2: the search index; version 6: the marks of items carried forward
    static const std::vector<SchemaStep> steps = {
        {2, &SearchIndexSchema},
        {6, &CarriedMarksSchema},
    };
    return steps;
}

} // namespace jotrak
