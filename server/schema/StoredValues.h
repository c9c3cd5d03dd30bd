#pragma once

#include "TableLayout.h"
#include "server/storage/Database.h"

#include <string_view>

namespace corvo::server::schema {

/// A value a client sent for a stored column (texts GBK) in the form the storage binds, checked
/// as insertRows checks it: length in GBK bytes, GUID text, integer range, scale, date. An empty
/// text is Null. Throws corvo::Error naming the table and column.
storage::Value storedValue(const Variant& clientValue, const LayoutColumn& column,
                           std::string_view table);

/// A fetched value made ready for the client's field of the column (texts GBK).
Variant clientValue(const storage::Value& stored, const LayoutColumn& column,
                    std::string_view table);

} // namespace corvo::server::schema
