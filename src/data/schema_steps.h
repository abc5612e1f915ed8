#pragma once

#include <QStringList>

#include <vector>

namespace jotrak {

// One change of the file layout: the statements that bring a file of the
// version before it to `version`. A new file runs every step after the
// version-1 tables; an older file runs the steps above its own version, all in
// one transaction (upgrade.h). kSchemaVersion (schema.h) is the highest step.
struct SchemaStep {
    int version;
    QStringList (*statements)();
};

// The steps in ascending order of version.
const std::vector<SchemaStep>& SchemaSteps();

} // namespace jotrak
