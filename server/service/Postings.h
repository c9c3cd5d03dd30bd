#pragma once

#include "entity/DateTime.h"
#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvo::server {

/// What a posting writes with: the transaction of its call and who posts. Stock and account
/// postings only add to the call's transaction; the call commits or drops them together with
/// the status change that caused them.
struct PostingScope {
    storage::Transaction& tx;
    const schema::Dictionary& dictionary;
    storage::Dialect dialect;
    std::string userId; ///< TUserID of the rows a posting writes
    DateTime now;       ///< their CreateDate
    /// The next Code of an auto-coded table for a row dated `date`.
    std::function<std::string(std::string_view table, DateTime date)> nextCode;
};

/// " FOR UPDATE" where the backend locks rows read in a write transaction; SQLite's write
/// transaction holds the whole file already.
inline const char* forUpdate(const PostingScope& scope)
{
    return scope.dialect == storage::Dialect::Postgres ? " FOR UPDATE" : "";
}

/// A fetched text column; empty for Null.
inline std::string stringOf(const storage::Value& v)
{
    return v.isNull() ? std::string() : v.asString();
}

/// An amount in cents, whatever number type the backend fetched it as.
int64_t centsOf(const storage::Value& v);

/// The calendar day of a fetched date-time; nothing for Null or a text that is no date.
std::optional<DateTime> dayOf(const storage::Value& v);

} // namespace corvo::server
