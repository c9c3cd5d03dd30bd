#pragma once

// The database test kit of the server's libraries: temporary directories, the PostgreSQL
// server named by CORVO_TEST_PG_URL and a database of its own for each test.
#include "server/storage/Database.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace corvo::server::storage::test {

/// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

/// A value with its kind and exact content ("Decimal(-123456780e-4)"), so that a comparison
/// tells an Integer 1 from a String "1" and 1.50 from 1.5.
std::string describe(const Value& value);

/// CORVO_TEST_PG_URL when set and not empty.
std::optional<std::string> postgresUrl();

/// A schema of its own for one test on the shared test database, dropped with all its tables;
/// url() opens the database with this schema first on the search path.
class PgSchema {
public:
    explicit PgSchema(const std::string& serverUrl);
    ~PgSchema();
    PgSchema(const PgSchema&) = delete;
    PgSchema& operator=(const PgSchema&) = delete;

    const std::string& url() const { return m_url; }

private:
    std::unique_ptr<Database> m_admin;
    std::string m_name;
    std::string m_url;
};

/// A database of its own for one test, removed at the end: a SQLite file in a fresh
/// directory, or with `pgServerUrl` a schema of its own on that PostgreSQL server.
class TestDatabase {
public:
    explicit TestDatabase(const std::string& pgServerUrl = {});
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    Database& db() { return *m_db; }

private:
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<PgSchema> m_schema;
    std::unique_ptr<Database> m_db; // last, so it closes before its schema or file goes
};

} // namespace corvo::server::storage::test
