#include "data/schema_steps.h"

#include "data/log_identity.h"
#include "data/search_index.h"

namespace jotrak {

const std::vector<SchemaStep>& SchemaSteps()
{
    // version 2: the search index; version 4: the log's id
    static const std::vector<SchemaStep> steps = {
        {2, &SearchIndexSchema},
        {4, &LogIdentitySchema},
    };
    return steps;
}

} // namespace jotrak
