#pragma once

// A real database for each test: a SQLite file in a fresh directory, or a private schema on
// the PostgreSQL server named by CORVO_TEST_PG_URL. And a small dictionary of two tables
// whose columns cover every kind of value and both kinds of join.
#include "server/schema/Dictionary.h"
#include "server/storage/tests/StorageTestSupport.h"

#include <string>

namespace corvo::server::schema::test {

using storage::test::postgresUrl;

/// A fresh SQLite database file, removed with its directory.
using SqliteFile = storage::test::TestDatabase;

/// A schema of its own on the PostgreSQL server, first on the search path of db(); dropped
/// with its tables at the end.
class PgSchema : public storage::test::TestDatabase {
public:
    explicit PgSchema(const std::string& serverUrl) : TestDatabase(serverUrl) {}
};

inline constexpr const char* ShopTableID = "{5A0B0000-0000-4000-8000-000000000001}";
inline constexpr const char* ParamTableID = "{5A0B0000-0000-4000-8000-000000000002}";

/// TOtherParam (TOtherParam, ObjID, Code, Name) and TShop: TShop, ObjID, Code varchar(20),
/// Name varchar(10), Area decimal(10,2), Weight float (Scale 3), Opened datetime, Staff int,
/// Note text, Photo image, TOwnerID, TOwnerName (joined: the owner shop's Name), StatusID
/// (other parameter) and StatusName (joined: its Name). Code is the sort column.
Dictionary shopDictionary();

} // namespace corvo::server::schema::test
