#include "server/storage/Database.h"

#include "entity/Error.h"
#include "server/storage/internal/Text.h"
#include "server/storage/postgres/PostgresDatabase.h"
#include "server/storage/sqlite/SqliteDatabase.h"

#include <algorithm>
#include <cctype>

namespace corvo::server::storage {

int Rows::column(std::string_view name) const noexcept
{
    auto sameName = [name](const std::string& column) {
        return std::equal(column.begin(), column.end(), name.begin(), name.end(),
                          [](char a, char b) {
                              return std::tolower(static_cast<unsigned char>(a)) ==
                                     std::tolower(static_cast<unsigned char>(b));
                          });
    };
    auto it = std::find_if(columns.begin(), columns.end(), sameName);
    return it == columns.end() ? -1 : static_cast<int>(it - columns.begin());
}

std::unique_ptr<Database> Database::open(std::string_view url, OpenMode mode, QueryLimits limits)
{
    constexpr std::string_view SqlitePrefix = "sqlite:";
    if (url.starts_with(SqlitePrefix))
        return sqlite::SqliteDatabase::open(std::string(url.substr(SqlitePrefix.size())), mode, {},
                                            limits);
    if (url.starts_with("postgresql://") || url.starts_with("postgres://"))
        return postgres::PostgresDatabase::open(std::string(url), {}, limits);
    throw StorageError("Unknown database URL: " + internal::redactUrl(url));
}

void Database::checkReachable()
{
    begin(TransactionMode::Read)->query("SELECT 1");
}

namespace {

std::string sqlitePath(std::string_view url)
{
    constexpr std::string_view SqlitePrefix = "sqlite:";
    if (url.starts_with("postgresql://") || url.starts_with("postgres://"))
        throw Error("a PostgreSQL database is backed up and restored with pg_dump and "
                    "pg_restore (see docs/operations.md)");
    if (!url.starts_with(SqlitePrefix))
        throw StorageError("Unknown database URL: " + internal::redactUrl(url));
    return std::string(url.substr(SqlitePrefix.size()));
}

} // namespace

void backup(std::string_view url, const std::string& out)
{
    sqlite::backupFile(sqlitePath(url), out);
}

void restore(const std::string& in, std::string_view url)
{
    sqlite::restoreFile(in, sqlitePath(url));
}

} // namespace corvo::server::storage
