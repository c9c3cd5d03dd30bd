#include "StoredValues.h"

#include "internal/StorageValues.h"

namespace corvo::server::schema {

storage::Value storedValue(const Variant& clientValue, const LayoutColumn& column,
                           std::string_view table)
{
    return internal::toStorage(clientValue, column, table, internal::TextEncoding::Gbk);
}

Variant clientValue(const storage::Value& stored, const LayoutColumn& column,
                    std::string_view table)
{
    return internal::fromStorage(stored, column, table);
}

} // namespace corvo::server::schema
