#pragma once

#include "entity/Variant.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace corvo::bench {

/// An in-memory SQLite database set up for speed: temporary b-trees of sorts and index builds
/// stay in memory. Failures throw std::runtime_error with SQLite's message.
class SqliteDb {
public:
    SqliteDb();
    /// A database file opened read-only, as a floor reads the server's file beside it.
    static SqliteDb readOnly(const std::string& path);
    SqliteDb(SqliteDb&& other) noexcept;
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    void exec(const char* sql);
    int64_t queryInt(const char* sql);
    /// Replaces this database's content with a page copy of another one.
    void copyFrom(SqliteDb& source);
    sqlite3* handle() const noexcept { return m_db; }

    /// Prepares the statement, binds the values (null, integer, else their text), steps
    /// through every row reading every column and finalises: the work a server statement
    /// costs the database. Returns the rows read.
    int readAll(std::string_view sql, std::span<const Variant> params);

private:
    explicit SqliteDb(sqlite3* db) : m_db(db) {}

    sqlite3* m_db = nullptr;
};

class SqliteStatement {
public:
    SqliteStatement(SqliteDb& db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    /// Texts are bound without copying: they must outlive the next step.
    void bindText(int index, std::string_view text);
    void bindInt(int index, int64_t value);
    /// True while a row is available.
    bool step();
    void reset();
    int64_t columnInt(int index) const;
    std::string_view columnText(int index) const;
    sqlite3_stmt* handle() const noexcept { return m_stmt; }

private:
    void check(int rc) const;

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace corvo::bench
