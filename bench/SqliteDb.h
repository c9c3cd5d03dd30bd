#pragma once

#include <cstdint>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace corvo::bench {

/// An in-memory SQLite database set up for speed: temporary b-trees of sorts and index builds
/// stay in memory. Failures throw std::runtime_error with SQLite's message.
class SqliteDb {
public:
    SqliteDb();
    ~SqliteDb();
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    void exec(const char* sql);
    int64_t queryInt(const char* sql);
    /// Replaces this database's content with a page copy of another one.
    void copyFrom(SqliteDb& source);
    sqlite3* handle() const noexcept { return m_db; }

private:
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
