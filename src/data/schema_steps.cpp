#include "data/schema_steps.h"

#include "data/search_grams.h"
#include "data/search_index.h"

namespace jotrak {

const std::vector<SchemaStep>& SchemaSteps()
{
    // version 2: the search index; 3: words of one and two characters through it
    static const std::vector<SchemaStep> steps = {
        {2, &SearchIndexSchema},
        {3, &GramIndexSchema},
    };
    return steps;
}

} // namespace jotrak
