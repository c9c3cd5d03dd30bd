#include "server/storage/sqlite/SqliteDatabase.h"

#include "entity/Error.h"
#include "server/storage/internal/QueryBudget.h"
#include "server/storage/internal/Text.h"
#include "server/storage/internal/TransactionState.h"

#include <chrono>
#include <climits>
#include <filesystem>
#include <mutex>
#include <sqlite3.h>
#include <unordered_map>

namespace corvo::server::storage::sqlite {

using internal::statementError;

namespace {

constexpr int BusyTimeoutMs = 5000;
// Statements a connection keeps prepared: the services' statements repeat with other values, and
// preparing one costs more than running a short query.
constexpr std::size_t KeptStatements = 64;

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

} // namespace

class Connection {
public:
    Connection(const std::string& path, bool create)
    {
        int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
        int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
            sqlite3_close_v2(m_db);
            throw StorageError("Cannot open database file " + path + ": " + message);
        }
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, BusyTimeoutMs);
        try {
            // The first statements are where a file that is no database shows itself.
            exec("PRAGMA foreign_keys = ON");
            std::string journal = singleText("PRAGMA journal_mode = WAL");
            if (journal != "wal")
                throw StorageError("the file stays in journal mode \"" + journal +
                                   "\" instead of WAL");
            // An acknowledged write must survive a crash of the machine, not only of the process.
            exec("PRAGMA synchronous = FULL");
        } catch (const Error& e) {
            sqlite3_close_v2(m_db);
            throw StorageError("Cannot open database file " + path + ": " + e.what());
        }
    }
    ~Connection()
    {
        m_statements.clear();
        sqlite3_close_v2(m_db);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const noexcept { return m_db; }

    /// Interrupts the statements stepped from now on once `limit` has passed (0: never).
    void startClock(std::chrono::milliseconds limit)
    {
        if (limit.count() <= 0) {
            if (m_clocked) sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
            m_clocked = false;
            return;
        }
        m_deadline = std::chrono::steady_clock::now() + limit;
        if (!m_clocked)
            sqlite3_progress_handler(m_db, ProgressSteps, &Connection::pastDeadline, this);
        m_clocked = true;
    }
    /// Statements stepped from now on run unbounded again.
    void stopClock() noexcept { m_deadline = std::chrono::steady_clock::time_point::max(); }

    /// The statement of that text, prepared on first use and kept (the most recently used
    /// KeptStatements of them), ready to bind; reset it after use.
    sqlite3_stmt* statement(std::string_view sql);

    /// One statement without parameters or rows, kept prepared like the others.
    void run(std::string_view sql)
    {
        sqlite3_stmt* s = statement(sql);
        const int rc = sqlite3_step(s);
        sqlite3_reset(s);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW) throw StorageError(sqlite3_errmsg(m_db));
    }

    void exec(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : sqlite3_errmsg(m_db);
            sqlite3_free(error);
            throw StorageError(message);
        }
    }

    // Makes a read transaction refuse writes, as PostgreSQL's READ ONLY does.
    void setQueryOnly(bool on)
    {
        if (on == m_queryOnly) return;
        run(on ? "PRAGMA query_only = 1" : "PRAGMA query_only = 0");
        m_queryOnly = on;
    }

private:
    // Virtual machine steps between two looks at the clock: far below a millisecond.
    static constexpr int ProgressSteps = 10000;

    static int pastDeadline(void* self)
    {
        return std::chrono::steady_clock::now() > static_cast<Connection*>(self)->m_deadline;
    }

    std::string singleText(const char* sql)
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &raw, nullptr) != SQLITE_OK)
            throw StorageError(sqlite3_errmsg(m_db));
        Statement statement(raw);
        int rc = sqlite3_step(raw);
        if (rc != SQLITE_ROW) throw StorageError(sqlite3_errmsg(m_db));
        const unsigned char* text = sqlite3_column_text(raw, 0);
        return text ? reinterpret_cast<const char*>(text) : "";
    }

    struct Kept {
        Statement statement;
        uint64_t lastUse = 0;
    };

    sqlite3* m_db = nullptr;
    bool m_queryOnly = false;
    bool m_clocked = false;
    std::chrono::steady_clock::time_point m_deadline = std::chrono::steady_clock::time_point::max();
    // Declared after m_db so the statements are finalised first.
    std::unordered_map<std::string, Kept> m_statements;
    uint64_t m_uses = 0;
};

namespace {

using Pool = internal::ConnectionPool<Connection>;

Statement prepare(sqlite3* db, std::string_view sql)
{
    internal::checkStatementText(sql);
    if (sql.size() > INT_MAX) throw StorageError("Statement text is too long");
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), 0, &raw, &tail) !=
        SQLITE_OK)
        throw StorageError(statementError(sqlite3_errmsg(db), sql));
    Statement statement(raw);
    if (!statement) throw StorageError(statementError("The text holds no statement", sql));
    std::string_view rest(tail, static_cast<std::size_t>(sql.data() + sql.size() - tail));
    if (!rest.empty()) {
        sqlite3_stmt* next = nullptr;
        int rc =
            sqlite3_prepare_v3(db, rest.data(), static_cast<int>(rest.size()), 0, &next, nullptr);
        Statement extra(next);
        if (rc != SQLITE_OK) throw StorageError(statementError(sqlite3_errmsg(db), sql));
        if (extra)
            throw StorageError(
                statementError("Only one statement runs at a time here; several go to "
                               "executeScript",
                               sql));
    }
    return statement;
}

} // namespace

sqlite3_stmt* Connection::statement(std::string_view sql)
{
    const uint64_t use = ++m_uses;
    if (const auto it = m_statements.find(std::string(sql)); it != m_statements.end()) {
        it->second.lastUse = use;
        return it->second.statement.get();
    }
    Statement fresh = prepare(m_db, sql);
    if (m_statements.size() >= KeptStatements) {
        auto oldest = m_statements.begin();
        for (auto it = m_statements.begin(); it != m_statements.end(); ++it)
            if (it->second.lastUse < oldest->second.lastUse) oldest = it;
        m_statements.erase(oldest);
    }
    sqlite3_stmt* raw = fresh.get();
    m_statements.emplace(std::string(sql), Kept{std::move(fresh), use});
    return raw;
}

namespace {

/// Leaves a kept statement ready for its next use: reset, parameters unbound (they may point
/// into values that are gone).
class InUse {
public:
    explicit InUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~InUse()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;
    sqlite3_stmt* get() const noexcept { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

void bind(sqlite3* db, sqlite3_stmt* statement, std::span<const Value> params, std::string_view sql)
{
    const int expected = sqlite3_bind_parameter_count(statement);
    if (static_cast<std::size_t>(expected) != params.size())
        throw StorageError(statementError(
            internal::parameterCountError(static_cast<std::size_t>(expected), params.size()), sql));
    for (int i = 0; i < expected; ++i) {
        const Value& value = params[static_cast<std::size_t>(i)];
        const int at = i + 1;
        int rc = SQLITE_OK;
        switch (value.type()) {
        case Value::Type::Null:
            rc = sqlite3_bind_null(statement, at);
            break;
        case Value::Type::Boolean:
            rc = sqlite3_bind_int64(statement, at, value.asBool() ? 1 : 0);
            break;
        case Value::Type::Integer:
            rc = sqlite3_bind_int64(statement, at, value.asInteger());
            break;
        case Value::Type::Float:
            rc = sqlite3_bind_double(statement, at, value.asFloat());
            break;
        case Value::Type::Decimal:
        case Value::Type::DateTime: {
            std::string text =
                value.type() == Value::Type::Decimal
                    ? value.asDecimal().toString()
                    : internal::dateTimeParameter(value.asDateTime(), static_cast<std::size_t>(at));
            rc = sqlite3_bind_text64(statement, at, text.data(), text.size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
            break;
        }
        case Value::Type::String: {
            const std::string& text = value.asString();
            rc = sqlite3_bind_text64(statement, at, text.data(), text.size(), SQLITE_STATIC,
                                     SQLITE_UTF8);
            break;
        }
        case Value::Type::Bytes: {
            const Bytes& bytes = value.asBytes();
            // A null pointer would bind NULL; an empty array stays an empty blob.
            rc = bytes.empty() ? sqlite3_bind_zeroblob(statement, at, 0)
                               : sqlite3_bind_blob64(statement, at, bytes.data(), bytes.size(),
                                                     SQLITE_STATIC);
            break;
        }
        }
        if (rc != SQLITE_OK) throw StorageError(statementError(sqlite3_errmsg(db), sql));
    }
}

Value columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return Value(static_cast<int64_t>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return Value(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
        return Value(text ? std::string(text, size) : std::string());
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(statement, column));
        auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
        return Value(data ? Bytes(data, data + size) : Bytes());
    }
    default:
        return Value();
    }
}

/// The time bound over one statement's steps, and only those.
class Timed {
public:
    Timed(Connection& connection, std::chrono::milliseconds limit) : m_connection(connection)
    {
        m_connection.startClock(limit);
    }
    ~Timed() { m_connection.stopClock(); }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

private:
    Connection& m_connection;
};

class SqliteTransaction final : public Transaction {
public:
    SqliteTransaction(Pool::Lease lease, TransactionMode mode, QueryLimits limits,
                      std::shared_ptr<std::timed_mutex> writer)
        : m_writerMutex(std::move(writer)), m_writer(*m_writerMutex, std::defer_lock),
          m_lease(std::move(lease)), m_budget(internal::budgetOf(mode, limits))
    {
        // Waiting for the writer counts against the write time: the wait ends with it.
        const auto left = m_budget.remaining();
        const bool waitBound = left < std::chrono::milliseconds(BusyTimeoutMs);
        const auto wait = waitBound ? left : std::chrono::milliseconds(BusyTimeoutMs);
        if (mode == TransactionMode::Write && !m_writer.try_lock_for(wait)) {
            if (waitBound) throw LimitExceeded(m_budget.writeMessage());
            throw StorageError("database is locked: another write transaction of this process "
                               "held it for " +
                               std::to_string(BusyTimeoutMs) + " ms");
        }
        const char* begin = mode == TransactionMode::Write ? "BEGIN IMMEDIATE" : "BEGIN";
        sqlite3* db = m_lease->handle();
        try {
            m_lease->setQueryOnly(mode == TransactionMode::Read);
            if (waitBound) sqlite3_busy_timeout(db, static_cast<int>(m_budget.remaining().count()));
            m_lease->run(begin);
            if (waitBound) sqlite3_busy_timeout(db, BusyTimeoutMs);
        } catch (const Error& e) {
            if (waitBound) {
                sqlite3_busy_timeout(db, BusyTimeoutMs);
                if ((sqlite3_extended_errcode(db) & 0xff) == SQLITE_BUSY)
                    throw LimitExceeded(m_budget.writeMessage());
            }
            throw StorageError(statementError(e.what(), begin));
        }
    }

    ~SqliteTransaction() override
    {
        sqlite3* db = m_lease->handle();
        if (!m_state.committed()) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (!sqlite3_get_autocommit(db)) m_lease.markBroken();
    }

    int64_t execute(std::string_view sql, std::span<const Value> params) override
    {
        return m_state.run([&] {
            sqlite3* db = m_lease->handle();
            InUse statement(m_lease->statement(sql));
            bind(db, statement.get(), params, sql);
            const auto before = sqlite3_total_changes64(db);
            const Timed timed(*m_lease, m_budget.statementLimit());
            int rc;
            while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) fail(rc, sql);
            // changes() keeps the count of the last data change, which a schema statement
            // leaves alone; the running total shows whether this one changed anything.
            return sqlite3_total_changes64(db) == before
                       ? int64_t{0}
                       : static_cast<int64_t>(sqlite3_changes64(db));
        });
    }

    Rows query(std::string_view sql, std::span<const Value> params) override
    {
        return m_state.run([&] {
            sqlite3* db = m_lease->handle();
            InUse statement(m_lease->statement(sql));
            bind(db, statement.get(), params, sql);
            Rows rows;
            const Timed timed(*m_lease, m_budget.statementLimit());
            // Columns are read after the first step: a kept statement is prepared again there
            // when the schema changed since, and may then have other columns.
            int rc = sqlite3_step(statement.get());
            const int count = sqlite3_column_count(statement.get());
            for (int i = 0; i < count; ++i) {
                const char* name = sqlite3_column_name(statement.get(), i);
                rows.columns.emplace_back(name ? name : "");
            }
            for (; rc == SQLITE_ROW; rc = sqlite3_step(statement.get())) {
                std::vector<Value>& row = rows.rows.emplace_back();
                row.reserve(static_cast<std::size_t>(count));
                for (int i = 0; i < count; ++i)
                    row.push_back(columnValue(statement.get(), i));
                m_budget.addRow(row);
            }
            if (rc != SQLITE_DONE) fail(rc, sql);
            return rows;
        });
    }

    void executeScript(std::string_view sql) override
    {
        m_state.run([&] {
            internal::checkStatementText(sql);
            try {
                m_lease->exec(std::string(sql));
            } catch (const Error& e) {
                throw StorageError(statementError(e.what(), sql));
            }
        });
    }

    void commit() override
    {
        m_state.commit([&] {
            m_budget.requireTimeLeft();
            try {
                m_lease->run("COMMIT");
            } catch (const Error& e) {
                throw StorageError(statementError(e.what(), "COMMIT"));
            }
        });
    }

private:
    [[noreturn]] void fail(int rc, std::string_view sql)
    {
        if (rc == SQLITE_INTERRUPT) throw LimitExceeded(m_budget.timeMessage());
        throw StorageError(statementError(sqlite3_errmsg(m_lease->handle()), sql));
    }

    std::shared_ptr<std::timed_mutex> m_writerMutex;
    std::unique_lock<std::timed_mutex> m_writer; ///< held by a write transaction
    Pool::Lease m_lease;
    internal::TransactionState m_state;
    internal::QueryBudget m_budget;
};

} // namespace

SqliteDatabase::SqliteDatabase(std::shared_ptr<Pool> pool, QueryLimits limits, std::string file)
    : m_pool(std::move(pool)), m_limits(limits), m_file(std::move(file))
{
}

SqliteDatabase::~SqliteDatabase() = default;

std::unique_ptr<SqliteDatabase> SqliteDatabase::open(const std::string& path, OpenMode mode,
                                                     internal::PoolLimits limits,
                                                     QueryLimits queryLimits)
{
    if (path.empty()) throw StorageError("The SQLite database URL names no file");
    if (path == ":memory:")
        throw StorageError(
            "The SQLite database must be a file that all pooled connections share: " + path);
    std::error_code error;
    if (mode == OpenMode::MustExist && !std::filesystem::exists(path, error))
        throw StorageError("Database file not found: " + path);
    const bool create = mode == OpenMode::CreateIfMissing;
    // Connections opened later must find the same file even if the working directory changed.
    const std::string file = std::filesystem::absolute(path, error).string();
    if (error) throw StorageError("Cannot open database file " + path + ": " + error.message());
    auto pool = std::make_shared<Pool>(
        [file, create] { return std::make_unique<Connection>(file, create); }, limits);
    pool->acquire(); // the first connection now, so a bad file is reported by open()
    return std::unique_ptr<SqliteDatabase>(new SqliteDatabase(std::move(pool), queryLimits, file));
}

std::unique_ptr<Transaction> SqliteDatabase::begin(TransactionMode mode)
{
    return std::make_unique<SqliteTransaction>(m_pool->acquire(), mode, m_limits, m_writer);
}

std::vector<std::string> SqliteDatabase::tableNames()
{
    auto transaction = begin(TransactionMode::Read);
    Rows rows = transaction->query("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                   "NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name");
    std::vector<std::string> names;
    for (const auto& row : rows.rows)
        names.push_back(row.at(0).asString());
    return names;
}

void SqliteDatabase::checkReachable()
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(m_file, error))
        throw StorageError("Database file not found: " + m_file);
    Database::checkReachable();
}

namespace {

/// A connection of its own for a backup or a restore, outside any pool.
class RawFile {
public:
    RawFile(const std::string& path, bool create)
    {
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        const int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
            sqlite3_close_v2(m_db);
            throw StorageError("Cannot open database file " + path + ": " + message);
        }
        sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    }
    ~RawFile() { sqlite3_close_v2(m_db); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    sqlite3* handle() const noexcept { return m_db; }

    std::vector<std::string> column(const std::string& path, const char* sql)
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &raw, nullptr) != SQLITE_OK)
            throw StorageError(path + " is no SQLite database: " + sqlite3_errmsg(m_db));
        const Statement statement(raw);
        std::vector<std::string> values;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            const auto* text = sqlite3_column_text(raw, 0);
            values.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        }
        if (rc != SQLITE_DONE)
            throw StorageError(path + " cannot be read: " + sqlite3_errmsg(m_db));
        return values;
    }

private:
    sqlite3* m_db = nullptr;
};

constexpr const char* TablesQuery =
    "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
    "ESCAPE '\\'";

/// Copies every page of `from` into `to` in one read transaction of `from`, so the copy is
/// one moment of it however much is written meanwhile; retries while `from` is busy.
void copyPages(RawFile& from, RawFile& to, const std::string& target)
{
    sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup)
        throw StorageError("Cannot copy into " + target + ": " + sqlite3_errmsg(to.handle()));
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < 100; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) break;
        sqlite3_sleep(50);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw StorageError("Cannot copy into " + target + ": " + sqlite3_errstr(rc));
}

} // namespace

void backupFile(const std::string& database, const std::string& out)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(database, error))
        throw StorageError("Database file not found: " + database);
    if (std::filesystem::exists(out, error))
        throw Error("the backup file " + out + " exists already");
    // A backup cut short must not look like one: it gets its name once complete.
    const std::string part = out + ".part";
    std::filesystem::remove(part, error);
    try {
        RawFile from(database, false);
        {
            RawFile to(part, true);
            copyPages(from, to, part);
            // The copy stands alone: no journal beside it.
            to.column(part, "PRAGMA journal_mode = DELETE");
        }
        std::filesystem::rename(part, out);
    } catch (...) {
        std::filesystem::remove(part, error);
        throw;
    }
}

void restoreFile(const std::string& in, const std::string& database)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(in, error))
        throw Error("the backup file " + in + " does not exist");
    RawFile from(in, false);
    const auto check = from.column(in, "PRAGMA quick_check");
    if (check != std::vector<std::string>{"ok"})
        throw Error(in + " is damaged: " + (check.empty() ? std::string("?") : check.front()));
    bool corvo = false;
    for (const std::string& table : from.column(in, TablesQuery))
        corvo = corvo || table == "TDictTable";
    if (!corvo) throw Error(in + " holds no Corvo database");
    RawFile to(database, true);
    const auto existing = to.column(database, TablesQuery);
    if (!existing.empty())
        throw Error("the database " + database + " already holds " +
                    std::to_string(existing.size()) + " tables; restore into an empty one");
    copyPages(from, to, database);
    to.column(database, "PRAGMA journal_mode = WAL");
}

} // namespace corvo::server::storage::sqlite
