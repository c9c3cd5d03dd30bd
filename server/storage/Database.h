#pragma once

#include "entity/Error.h"
#include "entity/Variant.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::storage {

enum class Dialect { Sqlite, Postgres };

/// A bound parameter or a fetched value. Texts are UTF-8 here: the services convert to and from
/// the client's GBK. Decimals and date-times are bound as their canonical text; booleans as 0/1.
using Value = corvo::Variant;

struct Rows {
    std::vector<std::string> columns;
    std::vector<std::vector<Value>> rows;

    /// Position of a column by name (letter case ignored); -1 when absent.
    int column(std::string_view name) const noexcept;
};

/// One unit of work on one pooled connection. Statements use "?" for parameters whatever the
/// backend; values are always bound, never spliced into the text. Destroying a transaction that
/// was not committed rolls it back.
class Transaction {
public:
    virtual ~Transaction() = default;
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    /// Rows changed by the statement.
    virtual int64_t execute(std::string_view sql, std::span<const Value> params = {}) = 0;
    virtual Rows query(std::string_view sql, std::span<const Value> params = {}) = 0;
    /// Runs several statements without parameters (schema scripts).
    virtual void executeScript(std::string_view sql) = 0;
    virtual void commit() = 0;

protected:
    Transaction() = default;
};

enum class TransactionMode {
    Read,  ///< may read only; never waits for writers
    Write, ///< takes the write lock up front, so two writers cannot deadlock on an upgrade
};

enum class OpenMode { MustExist, CreateIfMissing };

/// Bounds on the work of one transaction's statements; 0 leaves a bound off.
struct QueryLimits {
    /// How long one statement may run before the backend stops it.
    std::chrono::milliseconds statementTime{0};
    /// Rows all the queries of one transaction may fetch together.
    std::size_t rows = 0;
    /// Bytes of the values (texts and binaries by their length, others 8) those rows hold.
    std::size_t bytes = 0;
    /// How long a write transaction may last from its begin (waiting for the writer included)
    /// to its commit; past it the statement running is stopped, the next one or the commit
    /// refused, and the transaction can only be rolled back.
    std::chrono::milliseconds writeTime{0};
};

/// A failure of the database or of a statement, in the backend's own words with the statement
/// text: for the server's log, not for the user.
class StorageError : public corvo::Error {
public:
    using corvo::Error::Error;
};

/// A statement stopped at a bound of QueryLimits; the message is for the user and names it.
/// The transaction can then only be rolled back.
class LimitExceeded : public corvo::Error {
public:
    using corvo::Error::Error;
};

/// A database named by a URL: "sqlite:PATH" or "postgresql://user@host:port/name?...".
/// Thread-safe: every begin() hands out a connection of its own from a bounded pool.
class Database {
public:
    virtual ~Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    /// Throws corvo::Error with a clear message for a bad URL or an unreachable database.
    static std::unique_ptr<Database> open(std::string_view url, OpenMode mode = OpenMode::MustExist,
                                          QueryLimits limits = {});

    virtual Dialect dialect() const noexcept = 0;
    virtual std::unique_ptr<Transaction> begin(TransactionMode mode) = 0;
    /// Names of the tables of the database (the schema the server works in).
    virtual std::vector<std::string> tableNames() = 0;
    /// Throws StorageError when the database cannot be reached now (a health check).
    virtual void checkReachable();

protected:
    Database() = default;
};

/// A consistent copy of the SQLite database of `url` in the new file `out`, taken through
/// SQLite's online backup while other connections go on reading and writing. Throws
/// corvo::Error for a PostgreSQL URL (pg_dump backs those up), an existing `out` or a failure.
void backup(std::string_view url, const std::string& out);

/// Brings the copy `in` that backup() made back as the SQLite database of `url`, which must
/// not exist yet or hold no tables. Throws corvo::Error when `in` is no Corvo database.
void restore(const std::string& in, std::string_view url);

} // namespace corvo::server::storage
