#include "server/storage/postgres/PostgresDatabase.h"

#include "entity/Error.h"
#include "server/storage/internal/Text.h"
#include "server/storage/internal/TransactionState.h"
#include "server/storage/postgres/PgValues.h"
#include "server/storage/postgres/Placeholders.h"

#include <charconv>
#include <climits>
#include <libpq-fe.h>

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
    explicit Connection(const std::string& url)
    {
        // Keywords after "dbname" override the URL; those before it are defaults it may change.
        const char* keys[] = {"connect_timeout", "dbname", "client_encoding", nullptr};
        const char* values[] = {"10", url.c_str(), "UTF8", nullptr};
        m_conn = PQconnectdbParams(keys, values, 1);
        if (!m_conn)
            throw Error("Cannot connect to " + internal::redactUrl(url) + ": out of memory");
        if (PQstatus(m_conn) != CONNECTION_OK) {
            std::string message = internal::oneLine(PQerrorMessage(m_conn));
            PQfinish(m_conn);
            throw Error("Cannot connect to " + internal::redactUrl(url) + ": " +
                        internal::hideSecrets(message, url));
        }
        PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
        Result result(PQexec(m_conn, SessionSettings));
        if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) {
            std::string message = internal::oneLine(PQerrorMessage(m_conn));
            PQfinish(m_conn);
            throw Error("Cannot set up the session on " + internal::redactUrl(url) + ": " +
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

bool succeeded(const PGresult* result)
{
    ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

class PostgresTransaction final : public Transaction {
public:
    PostgresTransaction(Pool::Lease lease, TransactionMode mode) : m_lease(std::move(lease))
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
            throw Error(statementError(message, begin));
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
            Result result = run(sql, params);
            const PGresult* r = result.get();
            Rows rows;
            const int fields = PQnfields(r);
            std::vector<unsigned> types;
            for (int f = 0; f < fields; ++f) {
                rows.columns.emplace_back(PQfname(r, f));
                types.push_back(PQftype(r, f));
            }
            const int count = PQntuples(r);
            rows.rows.reserve(static_cast<std::size_t>(count));
            for (int t = 0; t < count; ++t) {
                std::vector<Value>& row = rows.rows.emplace_back();
                row.reserve(static_cast<std::size_t>(fields));
                for (int f = 0; f < fields; ++f) {
                    if (PQgetisnull(r, t, f)) {
                        row.emplace_back();
                        continue;
                    }
                    std::string_view text(PQgetvalue(r, t, f),
                                          static_cast<std::size_t>(PQgetlength(r, t, f)));
                    row.push_back(fromText(types[static_cast<std::size_t>(f)], text));
                }
            }
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
            Result result(PQexec(m_lease->handle(), "COMMIT"));
            check(result.get(), "COMMIT");
            // A transaction the server had already aborted answers COMMIT with ROLLBACK.
            if (std::string_view(PQcmdStatus(result.get())) != "COMMIT")
                throw Error(
                    statementError("The database server rolled the transaction back", "COMMIT"));
        });
    }

private:
    Result run(std::string_view sql, std::span<const Value> params)
    {
        internal::checkStatementText(sql);
        NumberedStatement statement = numberPlaceholders(sql);
        if (statement.parameterCount != params.size())
            throw Error(statementError(
                internal::parameterCountError(statement.parameterCount, params.size()), sql));
        if (params.size() > INT_MAX) throw Error(statementError("Too many parameters", sql));

        static const char Empty[] = "";
        std::vector<std::string> texts(params.size());
        std::vector<const char*> values(params.size(), nullptr);
        std::vector<int> lengths(params.size(), 0);
        std::vector<int> formats(params.size(), 0);
        for (std::size_t i = 0; i < params.size(); ++i) {
            const Value& value = params[i];
            if (value.isNull()) continue;
            if (value.type() == Value::Type::Bytes) {
                const Bytes& bytes = value.asBytes();
                if (bytes.size() > INT_MAX)
                    throw Error(statementError(
                        "Parameter " + std::to_string(i + 1) + " holds too many bytes", sql));
                values[i] = bytes.empty() ? Empty : reinterpret_cast<const char*>(bytes.data());
                lengths[i] = static_cast<int>(bytes.size());
                formats[i] = 1;
            } else {
                texts[i] = parameterText(value, i + 1);
                values[i] = texts[i].c_str();
            }
        }
        Result result(PQexecParams(m_lease->handle(), statement.sql.c_str(),
                                   static_cast<int>(params.size()), nullptr, values.data(),
                                   lengths.data(), formats.data(), 0));
        check(result.get(), sql);
        return result;
    }

    void check(const PGresult* result, std::string_view sql)
    {
        if (succeeded(result)) return;
        std::string message =
            PQresultStatus(result) == PGRES_COPY_IN || PQresultStatus(result) == PGRES_COPY_OUT
                ? "COPY is not supported here"
                : errorMessage(m_lease->handle(), result);
        if (m_lease->broken()) m_lease.markBroken();
        throw Error(statementError(message, sql));
    }

    Pool::Lease m_lease;
    internal::TransactionState m_state;
};

} // namespace

PostgresDatabase::PostgresDatabase(std::shared_ptr<Pool> pool) : m_pool(std::move(pool)) {}

PostgresDatabase::~PostgresDatabase() = default;

std::unique_ptr<PostgresDatabase> PostgresDatabase::open(const std::string& url,
                                                         internal::PoolLimits limits)
{
    auto pool = std::make_shared<Pool>([url] { return std::make_unique<Connection>(url); }, limits);
    pool->acquire(); // the first connection now, so a bad URL or server is reported by open()
    return std::unique_ptr<PostgresDatabase>(new PostgresDatabase(std::move(pool)));
}

std::unique_ptr<Transaction> PostgresDatabase::begin(TransactionMode mode)
{
    return std::make_unique<PostgresTransaction>(m_pool->acquire(), mode);
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
