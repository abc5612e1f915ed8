#pragma once

#include <QByteArray>

namespace jotrak {

// The file of a new log as this release creates it, made by the data layer at
// build time (make_new_log): a first start copies it (CreateDatabaseFrom)
// instead of waiting for the schema and the seeding.
QByteArray NewLogFile();

} // namespace jotrak
