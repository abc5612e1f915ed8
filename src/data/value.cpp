#include "data/value.h"

#include "data/keys.h"

#include <limits>

namespace jotrak {

qint64 Value::toInteger() const
{
    if (const auto* i = std::get_if<qint64>(&v_))
        return *i;
    if (const auto* s = std::get_if<QString>(&v_))
        return LeadingNumber(*s);
    return 0;
}

int Value::toInt() const
{
    const qint64 v = toInteger();
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

QString Value::toText() const
{
    if (const auto* s = std::get_if<QString>(&v_))
        return *s;
    if (const auto* i = std::get_if<qint64>(&v_))
        return QString::number(*i);
    return {};
}

QString TextFromValue(const Value& value)
{
    return value.toText();
}

} // namespace jotrak
