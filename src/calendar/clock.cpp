#include "calendar/clock.h"

#include <optional>

namespace jotrak {

namespace {

std::optional<QDateTime>& FixedNow()
{
    static std::optional<QDateTime> fixed;
    return fixed;
}

} // namespace

QDateTime Clock::LocalNow()
{
    return FixedNow() ? *FixedNow() : QDateTime::currentDateTime();
}

QDateTime Clock::UtcNow()
{
    return FixedNow() ? FixedNow()->toUTC() : QDateTime::currentDateTimeUtc();
}

void Clock::SetForTest(const QDateTime& localNow)
{
    FixedNow() = localNow;
}

void Clock::Reset()
{
    FixedNow().reset();
}

} // namespace jotrak
