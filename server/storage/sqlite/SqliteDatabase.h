#pragma once

#include "server/storage/Database.h"
#include "server/storage/internal/ConnectionPool.h"

#include <memory>
#include <mutex>
#include <string>

namespace corvo::server::storage::sqlite {

class Connection;

/// One database file shared by a pool of connections in WAL mode: readers never wait, writers
/// queue on the file's write lock for up to the busy timeout.
class SqliteDatabase final : public Database {
public:
    /// MustExist refuses a missing file; CreateIfMissing makes an empty database (but no
    /// missing directory). The first connection is made here, so a bad file fails at once.
    /// `queryLimits`: a statement past its time is interrupted (a progress handler), a
    /// transaction's queries stop at their rows or bytes.
    static std::unique_ptr<SqliteDatabase> open(const std::string& path, OpenMode mode,
                                                internal::PoolLimits limits = {},
                                                QueryLimits queryLimits = {});
    ~SqliteDatabase() override;

    Dialect dialect() const noexcept override { return Dialect::Sqlite; }
    std::unique_ptr<Transaction> begin(TransactionMode mode) override;
    std::vector<std::string> tableNames() override;
    /// Also refuses when the file is gone from its path: the open connections would go on
    /// working on a file nobody can back up or restart on.
    void checkReachable() override;

private:
    SqliteDatabase(std::shared_ptr<internal::ConnectionPool<Connection>> pool, QueryLimits limits,
                   std::string file);

    std::shared_ptr<internal::ConnectionPool<Connection>> m_pool;
    QueryLimits m_limits;
    std::string m_file;
    /// SQLite lets one transaction write at a time; the process's writers queue here instead of
    /// sleeping in SQLite's busy handler (other processes on the file still do).
    std::shared_ptr<std::timed_mutex> m_writer = std::make_shared<std::timed_mutex>();
};

/// See storage::backup() and storage::restore(), which take URLs.
void backupFile(const std::string& database, const std::string& out);
void restoreFile(const std::string& in, const std::string& database);

} // namespace corvo::server::storage::sqlite
