#pragma once

#include "server/storage/Database.h"

#include <cstdint>

namespace corvo::server {

/// An integer column whatever the backend fetched it as; Null reads as 0.
inline int64_t integerOf(const storage::Value& v)
{
    switch (v.type()) {
    case Variant::Type::Null:
        return 0;
    case Variant::Type::Integer:
        return v.asInteger();
    case Variant::Type::Boolean:
        return v.asBool() ? 1 : 0;
    default:
        return static_cast<int64_t>(v.toDouble());
    }
}

} // namespace corvo::server
