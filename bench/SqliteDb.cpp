#include "SqliteDb.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <utility>

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

SqliteDb SqliteDb::readOnly(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + path + ": " + message);
    }
    return SqliteDb(db);
}

SqliteDb::SqliteDb(SqliteDb&& other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}

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

int SqliteDb::readAll(std::string_view sql, std::span<const Variant> params)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) !=
        SQLITE_OK)
        fail(m_db, "prepare");
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, &sqlite3_finalize);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const Variant& v = params[i];
        const int at = static_cast<int>(i + 1);
        int rc = SQLITE_OK;
        if (v.isNull()) {
            rc = sqlite3_bind_null(raw, at);
        } else if (v.type() == Variant::Type::Integer) {
            rc = sqlite3_bind_int64(raw, at, v.asInteger());
        } else {
            const std::string text = v.toText();
            rc = sqlite3_bind_text(raw, at, text.c_str(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) fail(m_db, "bind");
    }
    int rows = 0;
    std::size_t bytes = 0;
    int rc = SQLITE_OK;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        ++rows;
        for (int c = 0, n = sqlite3_column_count(raw); c < n; ++c) {
            switch (sqlite3_column_type(raw, c)) {
            case SQLITE_INTEGER:
                bytes += static_cast<std::size_t>(sqlite3_column_int64(raw, c) & 1);
                break;
            case SQLITE_FLOAT:
                bytes += sqlite3_column_double(raw, c) > 0 ? 1 : 0;
                break;
            case SQLITE_NULL:
                break;
            default:
                sqlite3_column_text(raw, c);
                bytes += static_cast<std::size_t>(sqlite3_column_bytes(raw, c));
            }
        }
    }
    if (rc != SQLITE_DONE) fail(m_db, "step");
    benchmark::DoNotOptimize(bytes);
    return rows;
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
