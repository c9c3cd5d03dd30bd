#include "server/storage/postgres/PostgresDatabase.h"

#include "entity/Error.h"
#include "server/storage/internal/QueryBudget.h"
#include "server/storage/internal/Text.h"
#include "server/storage/internal/TransactionState.h"
#include "server/storage/postgres/PgValues.h"
#include "server/storage/postgres/Placeholders.h"

#include <charconv>
#include <climits>
#include <libpq-fe.h>
#include <optional>

namespace corvo::server::storage::postgres {

using internal::statementError;

namespace {

struct ResultDeleter {
    void operator()(PGresult* result) const noexcept { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// Settings the value conversions rely on, whatever the server's defaults are.
constexpr const char* SessionSettings = "SET bytea_output = 'hex'; SET DateStyle = 'ISO, YMD'; "
                                        "SET standard_conforming_strings = on";

// Server notices ("drop cascades to ...") would only clutter the server's output.
void ignoreNotice(void*, const char*) {}

} // namespace

class Connection {
public:
    Connection(const std::string& url, const QueryLimits& limits)
    {
        // Keywords after "dbname" override the URL; those before it are defaults it may change.
        const char* keys[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
        const char* values[] = {"10", url.c_str(), "UTF8", nullptr};
        m_conn = PQconnectdbParams(keys, values, 1);
        if (!m_conn)
            throw StorageError("Cannot connect to " + internal::redactUrl(url) + ": out of memory");
        if (PQstatus(m_conn) != CONNECTION_OK) {
            std::string message = internal::oneLine(PQerrorMessage(m_conn));
            PQfinish(m_conn);
            throw StorageError("Cannot connect to " + internal::redactUrl(url) + ": " +
                               internal::hideSecrets(message, url));
        }
        PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
        std::string settings = SessionSettings;
        if (limits.statementTime.count() > 0)
            settings += "; SET statement_timeout = " + std::to_string(limits.statementTime.count());
        Result result(PQexec(m_conn, settings.c_str()));
        if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
            std::string message = internal::oneLine(PQerrorMessage(m_conn));
            PQfinish(m_conn);
            throw StorageError("Cannot set up the session on " + internal::redactUrl(url) + ": " +
                               message);
        }
    }
    ~Connection() { PQfinish(m_conn); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    PGconn* handle() const noexcept { return m_conn; }
    bool broken() const noexcept { return PQstatus(m_conn) != CONNECTION_OK; }
    bool idle() const noexcept { return PQtransactionStatus(m_conn) == PQTRANS_IDLE; }

private:
    PGconn* m_conn = nullptr;
};

namespace {

using Pool = internal::ConnectionPool<Connection>;

// The server's own words: the primary message and, when given, its detail ("Key (id)=(1)
// already exists."); the connection's message when the failure never reached the server.
std::string errorMessage(PGconn* conn, const PGresult* result)
{
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (!primary) {
        std::string message =
            internal::oneLine(result ? PQresultErrorMessage(result) : PQerrorMessage(conn));
        if (message.empty()) message = internal::oneLine(PQerrorMessage(conn));
        return message.empty() ? "The database server did not answer" : message;
    }
    std::string message = primary;
    if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL))
        message += std::string(" (") + detail + ")";
    return message;
}

// The SQL state of a statement the server stopped at statement_timeout (or we cancelled).
constexpr std::string_view QueryCanceled = "57014";

bool canceled(const PGresult* result)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state && state == QueryCanceled;
}

bool succeeded(const PGresult* result)
{
    ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

class PostgresTransaction final : public Transaction {
public:
    PostgresTransaction(Pool::Lease lease, TransactionMode mode, QueryLimits limits)
        : m_lease(std::move(lease)), m_budget(internal::budgetOf(mode, limits)),
          m_timeoutInForce(limits.statementTime)
    {
        const char* begin = mode == TransactionMode::Write ? "BEGIN" : "BEGIN READ ONLY";
        Result result(PQexec(m_lease->handle(), begin));
        if (!succeeded(result.get()) && m_lease->broken()) {
            // An idle pooled connection may have died (server restart, idle timeout); nothing
            // has run on it yet, so a fresh one can take its place.
            m_lease.renew();
            result.reset(PQexec(m_lease->handle(), begin));
        }
        if (!succeeded(result.get())) {
            std::string message = errorMessage(m_lease->handle(), result.get());
            m_lease.markBroken();
            throw StorageError(statementError(message, begin));
        }
    }

    ~PostgresTransaction() override
    {
        PGconn* conn = m_lease->handle();
        if (!m_state.committed() && !m_lease->broken()) {
            Result rollback(PQexec(conn, "ROLLBACK"));
        }
        if (m_lease->broken() || !m_lease->idle()) m_lease.markBroken();
    }

    int64_t execute(std::string_view sql, std::span<const Value> params) override
    {
        return m_state.run([&] {
            Result result = run(sql, params);
            // PQcmdTuples also counts the rows a SELECT returned; only data changes count here.
            std::string_view command = PQcmdStatus(result.get());
            if (!(command.starts_with("INSERT ") || command.starts_with("UPDATE ") ||
                  command.starts_with("DELETE ") || command.starts_with("MERGE ")))
                return int64_t{0};
            std::string_view count = PQcmdTuples(result.get());
            int64_t changed = 0;
            std::from_chars(count.data(), count.data() + count.size(), changed);
            return changed;
        });
    }

    Rows query(std::string_view sql, std::span<const Value> params) override
    {
        return m_state.run([&] {
            PGconn* conn = m_lease->handle();
            const Bound bound = bindParameters(sql, params);
            applyTimeLimit();
            // Row by row, so the bounds stop a large result before it is all in memory.
            if (!PQsendQueryParams(conn, bound.sql.c_str(), static_cast<int>(params.size()),
                                   nullptr, bound.values.data(), bound.lengths.data(),
                                   bound.formats.data(), 0)) {
                if (m_lease->broken()) m_lease.markBroken();
                throw StorageError(statementError(errorMessage(conn, nullptr), sql));
            }
            PQsetSingleRowMode(conn);
            Rows rows;
            std::vector<unsigned> types;
            std::optional<LimitExceeded> stopped;
            Result failed;
            while (PGresult* raw = PQgetResult(conn)) {
                Result result(raw);
                const ExecStatusType status = PQresultStatus(raw);
                if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT) {
                    m_lease.markBroken();
                    throw StorageError(statementError("COPY is not supported here", sql));
                }
                if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK) {
                    if (!failed) failed = std::move(result);
                    continue;
                }
                const int fields = PQnfields(raw);
                if (rows.columns.empty() && types.empty())
                    for (int f = 0; f < fields; ++f) {
                        rows.columns.emplace_back(PQfname(raw, f));
                        types.push_back(PQftype(raw, f));
                    }
                if (stopped) continue;
                for (int t = 0; t < PQntuples(raw); ++t) {
                    std::vector<Value> row;
                    row.reserve(static_cast<std::size_t>(fields));
                    for (int f = 0; f < fields; ++f) {
                        if (PQgetisnull(raw, t, f)) {
                            row.emplace_back();
                            continue;
                        }
                        std::string_view text(PQgetvalue(raw, t, f),
                                              static_cast<std::size_t>(PQgetlength(raw, t, f)));
                        row.push_back(fromText(types[static_cast<std::size_t>(f)], text));
                    }
                    try {
                        m_budget.addRow(row);
                    } catch (const LimitExceeded& e) {
                        stopped.emplace(e.what());
                        cancel(conn);
                        break;
                    }
                    rows.rows.push_back(std::move(row));
                }
            }
            if (stopped) throw LimitExceeded(*stopped);
            if (failed) check(failed.get(), sql);
            return rows;
        });
    }

    void executeScript(std::string_view sql) override
    {
        m_state.run([&] {
            internal::checkStatementText(sql);
            Result result(PQexec(m_lease->handle(), std::string(sql).c_str()));
            check(result.get(), sql);
        });
    }

    void commit() override
    {
        m_state.commit([&] {
            m_budget.requireTimeLeft();
            Result result(PQexec(m_lease->handle(), "COMMIT"));
            check(result.get(), "COMMIT");
            // A transaction the server had already aborted answers COMMIT with ROLLBACK.
            if (std::string_view(PQcmdStatus(result.get())) != "COMMIT")
                throw StorageError(
                    statementError("The database server rolled the transaction back", "COMMIT"));
        });
    }

private:
    /// A statement's text with numbered placeholders and its parameters in libpq's form.
    struct Bound {
        std::string sql;
        std::vector<std::string> texts;
        std::vector<const char*> values;
        std::vector<int> lengths;
        std::vector<int> formats;
    };

    static void cancel(PGconn* conn)
    {
        if (PGcancel* handle = PQgetCancel(conn)) {
            char message[256];
            PQcancel(handle, message, sizeof message);
            PQfreeCancel(handle);
        }
    }

    Bound bindParameters(std::string_view sql, std::span<const Value> params)
    {
        internal::checkStatementText(sql);
        NumberedStatement statement = numberPlaceholders(sql);
        if (statement.parameterCount != params.size())
            throw StorageError(statementError(
                internal::parameterCountError(statement.parameterCount, params.size()), sql));
        if (params.size() > INT_MAX) throw StorageError(statementError("Too many parameters", sql));

        static const char Empty[] = "";
        Bound bound;
        bound.sql = std::move(statement.sql);
        std::vector<std::string>& texts = bound.texts;
        std::vector<const char*>& values = bound.values;
        std::vector<int>& lengths = bound.lengths;
        std::vector<int>& formats = bound.formats;
        texts.resize(params.size());
        values.assign(params.size(), nullptr);
        lengths.assign(params.size(), 0);
        formats.assign(params.size(), 0);
        for (std::size_t i = 0; i < params.size(); ++i) {
            const Value& value = params[i];
            if (value.isNull()) continue;
            if (value.type() == Value::Type::Bytes) {
                const Bytes& bytes = value.asBytes();
                if (bytes.size() > INT_MAX)
                    throw StorageError(statementError(
                        "Parameter " + std::to_string(i + 1) + " holds too many bytes", sql));
                values[i] = bytes.empty() ? Empty : reinterpret_cast<const char*>(bytes.data());
                lengths[i] = static_cast<int>(bytes.size());
                formats[i] = 1;
            } else {
                texts[i] = parameterText(value, i + 1);
                values[i] = texts[i].c_str();
            }
        }
        return bound;
    }

    /// Lowers the session's statement_timeout for the rest of the transaction when the write
    /// time ends sooner than the one in force would: set again only when that one would let a
    /// statement run an eighth longer than it may, so a short write costs no extra round trip.
    void applyTimeLimit()
    {
        const std::chrono::milliseconds limit = m_budget.statementLimit();
        if (limit.count() <= 0) return;
        if (m_timeoutInForce.count() > 0 && m_timeoutInForce <= limit + limit / 8) return;
        const std::string set = "SET LOCAL statement_timeout = " + std::to_string(limit.count());
        Result result(PQexec(m_lease->handle(), set.c_str()));
        check(result.get(), set);
        m_timeoutInForce = limit;
    }

    Result run(std::string_view sql, std::span<const Value> params)
    {
        const Bound bound = bindParameters(sql, params);
        applyTimeLimit();
        Result result(PQexecParams(m_lease->handle(), bound.sql.c_str(),
                                   static_cast<int>(params.size()), nullptr, bound.values.data(),
                                   bound.lengths.data(), bound.formats.data(), 0));
        check(result.get(), sql);
        return result;
    }

    void check(const PGresult* result, std::string_view sql)
    {
        if (succeeded(result)) return;
        if (canceled(result)) throw LimitExceeded(m_budget.timeMessage());
        std::string message =
            PQresultStatus(result) == PGRES_COPY_IN || PQresultStatus(result) == PGRES_COPY_OUT
                ? "COPY is not supported here"
                : errorMessage(m_lease->handle(), result);
        if (m_lease->broken()) m_lease.markBroken();
        throw StorageError(statementError(message, sql));
    }

    Pool::Lease m_lease;
    internal::TransactionState m_state;
    internal::QueryBudget m_budget;
    std::chrono::milliseconds m_timeoutInForce; ///< the session's statement_timeout (0: none)
};

} // namespace

PostgresDatabase::PostgresDatabase(std::shared_ptr<Pool> pool, QueryLimits limits)
    : m_pool(std::move(pool)), m_limits(limits)
{
}

PostgresDatabase::~PostgresDatabase() = default;

std::unique_ptr<PostgresDatabase>
PostgresDatabase::open(const std::string& url, internal::PoolLimits limits, QueryLimits queryLimits)
{
    auto pool = std::make_shared<Pool>(
        [url, queryLimits] { return std::make_unique<Connection>(url, queryLimits); }, limits);
    pool->acquire(); // the first connection now, so a bad URL or server is reported by open()
    return std::unique_ptr<PostgresDatabase>(new PostgresDatabase(std::move(pool), queryLimits));
}

std::unique_ptr<Transaction> PostgresDatabase::begin(TransactionMode mode)
{
    return std::make_unique<PostgresTransaction>(m_pool->acquire(), mode, m_limits);
}

std::vector<std::string> PostgresDatabase::tableNames()
{
    auto transaction = begin(TransactionMode::Read);
    Rows rows = transaction->query(
        "SELECT table_name::text FROM information_schema.tables WHERE table_schema = "
        "current_schema() AND table_type = 'BASE TABLE' ORDER BY table_name");
    std::vector<std::string> names;
    for (const auto& row : rows.rows)
        names.push_back(row.at(0).asString());
    return names;
}

} // namespace corvo::server::storage::postgres
