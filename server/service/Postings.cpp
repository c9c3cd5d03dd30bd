#include "Postings.h"

#include <cmath>

namespace corvo::server {

int64_t centsOf(const storage::Value& v)
{
    switch (v.type()) {
    case Variant::Type::Null:
        return 0;
    case Variant::Type::Integer:
        return v.asInteger() * 100;
    case Variant::Type::Decimal: {
        const auto cents = v.asDecimal().rescaled(2);
        if (cents) return cents->units;
        break;
    }
    default:
        break;
    }
    return std::llround(v.toDouble() * 100);
}

std::optional<DateTime> dayOf(const storage::Value& v)
{
    if (v.type() == Variant::Type::DateTime) return DateTime{std::floor(v.asDateTime().days)};
    if (v.type() != Variant::Type::String) return std::nullopt;
    return DateTime::parse(std::string_view(v.asString()).substr(0, 10));
}

} // namespace corvo::server
