#pragma once

// A real database for each test: a SQLite file in a fresh directory, or a private schema on
// the PostgreSQL server named by CORVO_TEST_PG_URL. And a small dictionary of two tables
// whose columns cover every kind of value and both kinds of join.
#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace corvo::server::schema::test {

/// A fresh SQLite database file, removed with its directory.
class SqliteFile {
public:
    SqliteFile();
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    storage::Database& db() { return *m_db; }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<storage::Database> m_db;
};

/// CORVO_TEST_PG_URL when set and not empty.
std::optional<std::string> postgresUrl();

/// A schema of its own on the PostgreSQL server, first on the search path of db(); dropped
/// with its tables at the end.
class PgSchema {
public:
    explicit PgSchema(const std::string& serverUrl);
    ~PgSchema();
    PgSchema(const PgSchema&) = delete;
    PgSchema& operator=(const PgSchema&) = delete;

    storage::Database& db() { return *m_db; }

private:
    std::unique_ptr<storage::Database> m_admin;
    std::string m_name;
    std::unique_ptr<storage::Database> m_db;
};

inline constexpr const char* ShopTableID = "{5A0B0000-0000-4000-8000-000000000001}";
inline constexpr const char* ParamTableID = "{5A0B0000-0000-4000-8000-000000000002}";

/// TOtherParam (TOtherParam, ObjID, Code, Name) and TShop: TShop, ObjID, Code varchar(20),
/// Name varchar(10), Area decimal(10,2), Weight float (Scale 3), Opened datetime, Staff int,
/// Note text, Photo image, TOwnerID, TOwnerName (joined: the owner shop's Name), StatusID
/// (other parameter) and StatusName (joined: its Name). Code is the sort column.
Dictionary shopDictionary();

} // namespace corvo::server::schema::test
