#pragma once

// A real database for the statements to run on: the system dictionary, the minimal company and
// a few rows of another company and of none, in a SQLite file or in a private schema on the
// PostgreSQL server named by CORVO_TEST_PG_URL.
#include "HostileClauses.h"
#include "server/schema/Dictionary.h"
#include "server/sql/StatementBuilder.h"
#include "server/storage/Database.h"
#include "server/storage/tests/StorageTestSupport.h"

#include <string>
#include <vector>

namespace corvo::server::sql::test {

using storage::test::postgresUrl;

class SeededDatabase {
public:
    /// `pgUrl` empty: a SQLite file in a fresh directory.
    explicit SeededDatabase(const std::string& pgUrl = {});
    SeededDatabase(const SeededDatabase&) = delete;
    SeededDatabase& operator=(const SeededDatabase&) = delete;

    storage::Database& db() { return m_database.db(); }
    const schema::Dictionary& dictionary() const { return m_dictionary; }

    /// The row count of every table: what a statement that changed anything would change.
    std::vector<std::string> fingerprint();
    /// Runs a statement in a read transaction.
    storage::Rows run(const Statement& statement);
    /// The clause set the client builds for a table (its TDictField rows read back from the
    /// database, BuildQuery in `pageMode` with the two page keys), then the given "where" rows.
    std::vector<Clause> clientClauses(const std::string& table, const std::string& pageMode,
                                      const std::vector<std::string>& where = {},
                                      const std::string& nextKey = {},
                                      const std::string& previousKey = {});

private:
    storage::test::TestDatabase m_database;
    schema::Dictionary m_dictionary;
};

} // namespace corvo::server::sql::test
