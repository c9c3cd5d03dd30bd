#pragma once

#include "../TableLayout.h"
#include "server/storage/Database.h"

#include <optional>
#include <string_view>

namespace corvo::server::schema::internal {

enum class TextEncoding { Gbk, Utf8 };

/// A value for a stored column, in the form the storage binds: texts UTF-8 and within the
/// column's length (counted in GBK bytes, as the client counts), GUIDs in canonical text,
/// integers range-checked, exact numbers as Decimal at the column's scale, date-times as
/// DateTime, binaries as Bytes; an empty text is Null. `encoding` says how the given texts
/// are encoded. Throws corvo::Error naming the table and column when the value does not fit.
storage::Value toStorage(const Variant& value, const LayoutColumn& column, std::string_view table,
                         TextEncoding encoding);

/// A fetched value made ready for the client's field of the column: texts turned into GBK,
/// date-time and numeric texts parsed. The field itself does the last conversion.
Variant fromStorage(const storage::Value& value, const LayoutColumn& column,
                    std::string_view table);

/// "yyyy-mm-dd", optionally followed by " " or "T" and "hh:mm[:ss[.fraction]]".
std::optional<DateTime> parseStorageDateTime(std::string_view text) noexcept;

} // namespace corvo::server::schema::internal
