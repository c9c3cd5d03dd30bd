#pragma once

#include "server/storage/Database.h"
#include "server/storage/internal/ConnectionPool.h"

#include <memory>
#include <string>

namespace corvo::server::storage::postgres {

class Connection;

/// A PostgreSQL database reached by libpq, shared by a pool of connections. Several server
/// processes may use the same database; each keeps its own pool.
class PostgresDatabase final : public Database {
public:
    /// `url` is a libpq connection URI ("postgresql://user@host:port/name?..."). The database
    /// must exist. The first connection is made here, so an unreachable server fails at once.
    /// `queryLimits`: statements past their time are stopped by the server's
    /// statement_timeout; a transaction's queries stop at their rows or bytes (fetched row by
    /// row, so a larger result is never held).
    static std::unique_ptr<PostgresDatabase>
    open(const std::string& url, internal::PoolLimits limits = {}, QueryLimits queryLimits = {});
    ~PostgresDatabase() override;

    Dialect dialect() const noexcept override { return Dialect::Postgres; }
    std::unique_ptr<Transaction> begin(TransactionMode mode) override;
    /// Base tables of the schema first on the search path.
    std::vector<std::string> tableNames() override;

private:
    PostgresDatabase(std::shared_ptr<internal::ConnectionPool<Connection>> pool,
                     QueryLimits limits);

    std::shared_ptr<internal::ConnectionPool<Connection>> m_pool;
    QueryLimits m_limits;
};

} // namespace corvo::server::storage::postgres
