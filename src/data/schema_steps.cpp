#include "data/schema_steps.h"

#include "data/search_index.h"

namespace jotrak {

const std::vector<SchemaStep>& SchemaSteps()
{
    // version 2: the search index
    static const std::vector<SchemaStep> steps = {
        {2, &SearchIndexSchema},
    };
    return steps;
}

} // namespace jotrak
