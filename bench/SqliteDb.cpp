#include "SqliteDb.h"

#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace corvo::bench {

namespace {

[[noreturn]] void fail(sqlite3* db, const char* what)
{
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

} // namespace

SqliteDb::SqliteDb()
{
    if (sqlite3_open(":memory:", &m_db) != SQLITE_OK) fail(m_db, "open");
    exec("PRAGMA temp_store=MEMORY");
}

SqliteDb::~SqliteDb()
{
    sqlite3_close(m_db);
}

void SqliteDb::exec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = std::string(sql) + ": " + (message ? message : "?");
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}

int64_t SqliteDb::queryInt(const char* sql)
{
    SqliteStatement statement(*this, sql);
    return statement.step() ? statement.columnInt(0) : 0;
}

void SqliteDb::copyFrom(SqliteDb& source)
{
    sqlite3_backup* backup = sqlite3_backup_init(m_db, "main", source.m_db, "main");
    if (!backup) fail(m_db, "backup");
    sqlite3_backup_step(backup, -1);
    if (sqlite3_backup_finish(backup) != SQLITE_OK) fail(m_db, "backup");
}

SqliteStatement::SqliteStatement(SqliteDb& db, const char* sql) : m_db(db.handle())
{
    if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) fail(m_db, sql);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

void SqliteStatement::check(int rc) const
{
    if (rc != SQLITE_OK) fail(m_db, "bind");
}

void SqliteStatement::bindText(int index, std::string_view text)
{
    check(sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                            SQLITE_STATIC));
}

void SqliteStatement::bindInt(int index, int64_t value)
{
    check(sqlite3_bind_int64(m_stmt, index, value));
}

bool SqliteStatement::step()
{
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) fail(m_db, "step");
    return false;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
}

int64_t SqliteStatement::columnInt(int index) const
{
    return sqlite3_column_int64(m_stmt, index);
}

std::string_view SqliteStatement::columnText(int index) const
{
    auto text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
    return {text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, index))};
}

} // namespace corvo::bench
