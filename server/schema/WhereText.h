#pragma once

#include "server/schema/TableLayout.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace corvo::server::schema {

/// Checks a reader's condition and spells its column names as the dictionary does, so that
/// both backends see the same names: every column is written in double quotes and must be a
/// column of the table (letter case ignored); literals are single-quoted; the only bare words
/// are and, or, not, like, in, is, null, between and escape; ';' and comments are refused, and
/// the number of "?" must equal `parameterCount`. SQLite would otherwise read a misspelt
/// quoted name as a text literal and quietly match nothing. Throws corvo::Error.
std::string checkedWhere(std::string_view where, const TableLayout& layout,
                         std::size_t parameterCount);

} // namespace corvo::server::schema
