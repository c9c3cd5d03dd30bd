#pragma once

#include "server/storage/Database.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace corvo::server::storage::postgres {

/// Type OIDs of the built-in types that results convert; they are fixed in every server.
namespace oid {
constexpr unsigned Bool = 16;
constexpr unsigned Bytea = 17;
constexpr unsigned Int8 = 20;
constexpr unsigned Int2 = 21;
constexpr unsigned Int4 = 23;
constexpr unsigned Float4 = 700;
constexpr unsigned Float8 = 701;
constexpr unsigned Numeric = 1700;
} // namespace oid

/// The text form of a parameter (neither Null nor Bytes, which travel otherwise): integers
/// and floats exactly, booleans as 1/0 so they fit smallint columns, decimals and date-times
/// in their canonical text. Throws corvo::Error for text holding NUL or a date out of range.
std::string parameterText(const Value& value, std::size_t position);

/// The shortest text that reads back as the same double; NaN and infinities as PostgreSQL
/// spells them.
std::string floatText(double value);

/// A result field in text format converted by its column type: bool → Boolean, int2/4/8 →
/// Integer, float4/8 → Float, numeric → Decimal with the scale of the text (a value that does
/// not fit, or NaN, stays String), bytea → Bytes, anything else → String.
/// Throws corvo::Error for a malformed field.
Value fromText(unsigned typeOid, std::string_view text);

/// bytea's hex output form "\x0aff..." as bytes.
Bytes decodeBytea(std::string_view text);

} // namespace corvo::server::storage::postgres
