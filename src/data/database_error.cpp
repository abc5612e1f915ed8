#include "data/database_error.h"

namespace jotrak {

DatabaseError::DatabaseError(int code, QString message)
    : code_(code), message_(std::move(message)), utf8_(message_.toStdString())
{
}

} // namespace jotrak
