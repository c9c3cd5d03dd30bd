#include "StorageTestSupport.h"
#include "entity/Error.h"
#include "server/storage/Database.h"
#include "server/storage/postgres/PostgresDatabase.h"
#include "server/storage/sqlite/SqliteDatabase.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <mutex>
#include <thread>
#include <tuple>

namespace corvo::server::storage {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;

enum class Backend { Sqlite, Postgres };

std::string backendName(Backend backend)
{
    return backend == Backend::Sqlite ? "Sqlite" : "Postgres";
}

void PrintTo(Backend backend, std::ostream* out)
{
    *out << backendName(backend);
}

// The same behaviour on each backend: a SQLite file in a temporary directory, and a private
// schema on the server named by CORVO_TEST_PG_URL (skipped without it).
class BackendFixture : public ::testing::Test {
protected:
    void openBackend(Backend backend)
    {
        m_backend = backend;
        if (backend == Backend::Postgres) {
            auto url = test::postgresUrl();
            if (!url) GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
            m_schema = std::make_unique<test::PgSchema>(*url);
        }
        db = openStore();
    }

    void TearDown() override
    {
        db.reset();
        m_schema.reset();
    }

    /// Another database object on the same store, with its own pool.
    std::unique_ptr<Database> openStore(internal::PoolLimits limits = {})
    {
        if (m_backend == Backend::Sqlite)
            return sqlite::SqliteDatabase::open((m_dir.path() / "store.db").string(),
                                                OpenMode::CreateIfMissing, limits);
        return postgres::PostgresDatabase::open(m_schema->url(), limits);
    }

    const char* pick(const char* sqlite, const char* postgres) const
    {
        return m_backend == Backend::Sqlite ? sqlite : postgres;
    }

    void script(const std::string& sql)
    {
        auto transaction = db->begin(TransactionMode::Write);
        transaction->executeScript(sql);
        transaction->commit();
    }

    int64_t count(const std::string& table)
    {
        auto transaction = db->begin(TransactionMode::Read);
        return transaction->query("SELECT COUNT(*) AS n FROM " + table)
            .rows.at(0)
            .at(0)
            .asInteger();
    }

    std::unique_ptr<Database> db;

private:
    Backend m_backend = Backend::Sqlite;
    test::TempDir m_dir;
    std::unique_ptr<test::PgSchema> m_schema;
};

class StorageTest : public BackendFixture, public ::testing::WithParamInterface<Backend> {
protected:
    void SetUp() override { openBackend(GetParam()); }
    Backend backend() const { return GetParam(); }
};

// ---- values -------------------------------------------------------------------------------

struct ValueCase {
    std::string name;
    Value value;
    const char* sqliteType;
    const char* postgresType;
    Value fromSqlite;
    Value fromPostgres;
};

std::vector<ValueCase> valueCases()
{
    const Bytes withNul{0x00, 0xFF, 0x00, 0x41, 0x0A};
    const Value noon = *DateTime::parse("2024-02-29 13:45:30");
    const Decimal money{-123456780, 4};
    const Decimal large{123456789012345678, 2};
    const std::string chinese = "商品库存为零 – ümlaut";
    const int64_t maxInt = std::numeric_limits<int64_t>::max();
    const int64_t minInt = std::numeric_limits<int64_t>::min();
    return {
        {"Null", Value(), "TEXT", "TEXT", Value(), Value()},
        {"LargestInteger", maxInt, "BIGINT", "BIGINT", maxInt, maxInt},
        {"SmallestInteger", minInt, "BIGINT", "BIGINT", minInt, minInt},
        {"FloatWithNoise", 0.1 + 0.2, "DOUBLE PRECISION", "DOUBLE PRECISION", 0.1 + 0.2, 0.1 + 0.2},
        {"HugeFloat", -1.5e300, "DOUBLE PRECISION", "DOUBLE PRECISION", -1.5e300, -1.5e300},
        {"True", true, "SMALLINT", "SMALLINT", 1, 1},
        {"False", false, "SMALLINT", "SMALLINT", 0, 0},
        // SQLite keeps a decimal as exact text; a NUMERIC column would turn it into a double.
        {"Decimal", money, "TEXT", "NUMERIC(18,4)", "-12345.678", Decimal{-123456780, 4}},
        {"LargeDecimal", large, "TEXT", "NUMERIC(20,2)", "1234567890123456.78", large},
        {"DateTime", noon, "TEXT", "TIMESTAMP", "2024-02-29 13:45:30", "2024-02-29 13:45:30"},
        {"ChineseText", chinese, "TEXT", "TEXT", chinese, chinese},
        {"EmptyText", "", "TEXT", "TEXT", "", ""},
        {"BytesWithNul", withNul, "BLOB", "BYTEA", withNul, withNul},
        {"EmptyBytes", Bytes{}, "BLOB", "BYTEA", Bytes{}, Bytes{}},
    };
}

void PrintTo(const ValueCase& c, std::ostream* out)
{
    *out << c.name;
}

class RoundTripTest : public BackendFixture,
                      public ::testing::WithParamInterface<std::tuple<Backend, ValueCase>> {
protected:
    void SetUp() override { openBackend(std::get<0>(GetParam())); }
};

TEST_P(RoundTripTest, StoredValueReadsBackAsItsColumnKeepsIt)
{
    const ValueCase& c = std::get<1>(GetParam());
    script(std::string("CREATE TABLE kept (id INTEGER PRIMARY KEY, v ") +
           pick(c.sqliteType, c.postgresType) + ")");
    {
        auto transaction = db->begin(TransactionMode::Write);
        const Value params[] = {Value(7), c.value};
        EXPECT_EQ(transaction->execute("INSERT INTO kept (id, v) VALUES (?, ?)", params), 1);
        transaction->commit();
    }
    auto transaction = db->begin(TransactionMode::Read);
    const Value key[] = {Value(7)};
    Rows rows = transaction->query("SELECT v FROM kept WHERE id = ?", key);
    ASSERT_EQ(rows.rows.size(), 1u);
    const Value& expected =
        std::get<0>(GetParam()) == Backend::Sqlite ? c.fromSqlite : c.fromPostgres;
    EXPECT_EQ(test::describe(rows.rows[0][0]), test::describe(expected));
}

INSTANTIATE_TEST_SUITE_P(Backends, RoundTripTest,
                         ::testing::Combine(::testing::Values(Backend::Sqlite, Backend::Postgres),
                                            ::testing::ValuesIn(valueCases())),
                         [](const auto& info) {
                             return backendName(std::get<0>(info.param)) + "_" +
                                    std::get<1>(info.param).name;
                         });

// ---- transactions -------------------------------------------------------------------------

TEST_P(StorageTest, TransactionNotCommittedIsRolledBack)
{
    script("CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT)");
    {
        auto transaction = db->begin(TransactionMode::Write);
        transaction->execute("INSERT INTO items VALUES (1, 'lost')");
    }
    EXPECT_EQ(count("items"), 0);
    // The connection went back to the pool in a clean state.
    auto transaction = db->begin(TransactionMode::Write);
    transaction->execute("INSERT INTO items VALUES (1, 'kept')");
    transaction->commit();
    EXPECT_EQ(count("items"), 1);
}

TEST_P(StorageTest, CommittedRowsAreSeenOnlyByLaterTransactions)
{
    script("CREATE TABLE items (id INTEGER PRIMARY KEY)");
    auto writer = db->begin(TransactionMode::Write);
    writer->execute("INSERT INTO items VALUES (1)");
    EXPECT_EQ(count("items"), 0);
    writer->commit();
    EXPECT_EQ(count("items"), 1);
    EXPECT_THROW(writer->execute("INSERT INTO items VALUES (2)"), Error);
}

TEST_P(StorageTest, FailedStatementLeavesOnlyTheRollback)
{
    script("CREATE TABLE items (id INTEGER PRIMARY KEY)");
    {
        auto transaction = db->begin(TransactionMode::Write);
        transaction->execute("INSERT INTO items VALUES (1)");
        EXPECT_THROW(transaction->execute("INSERT INTO items VALUES (1)"), Error);
        try {
            transaction->execute("INSERT INTO items VALUES (2)");
            FAIL() << "a statement ran after a failed one";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("can only be rolled back"));
        }
        EXPECT_THROW(transaction->commit(), Error);
    }
    EXPECT_EQ(count("items"), 0);
}

TEST_P(StorageTest, ReadTransactionRefusesWrites)
{
    script("CREATE TABLE items (id INTEGER PRIMARY KEY)");
    {
        auto transaction = db->begin(TransactionMode::Read);
        EXPECT_THROW(transaction->execute("INSERT INTO items VALUES (1)"), Error);
    }
    // The same pooled connection writes again in a write transaction.
    script("INSERT INTO items VALUES (2)");
    EXPECT_EQ(count("items"), 1);
}

TEST_P(StorageTest, ExecuteCountsChangedRows)
{
    auto transaction = db->begin(TransactionMode::Write);
    transaction->executeScript("CREATE TABLE items (id INTEGER PRIMARY KEY, price INTEGER);"
                               "INSERT INTO items VALUES (1, 10), (2, 20), (3, 30);");
    const Value limit[] = {Value(15)};
    EXPECT_EQ(transaction->execute("UPDATE items SET price = price + 1 WHERE price > ?", limit), 2);
    EXPECT_EQ(transaction->execute("CREATE TABLE other (id INTEGER)"), 0);
    EXPECT_EQ(transaction->execute("SELECT * FROM items"), 0);
    EXPECT_EQ(transaction->execute("DELETE FROM items"), 3);
}

// ---- statements ---------------------------------------------------------------------------

TEST_P(StorageTest, QuestionMarksInQuotesAndCommentsAreNoParameters)
{
    auto transaction = db->begin(TransactionMode::Write);
    transaction->execute("CREATE TABLE \"odd?\" (\"who?\" TEXT, note TEXT)");
    const Value params[] = {Value("ann")};
    transaction->execute("INSERT INTO \"odd?\" VALUES (?, 'why?') -- or ?", params);
    Rows rows = transaction->query("SELECT 'it''s ?' AS lit, \"who?\" AS who, note /* ? */ FROM "
                                   "\"odd?\" WHERE \"who?\" = ?",
                                   params);
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0][rows.column("LIT")].asString(), "it's ?");
    EXPECT_EQ(rows.rows[0][rows.column("Who")].asString(), "ann");
    EXPECT_EQ(rows.rows[0][rows.column("note")].asString(), "why?");
}

TEST_P(StorageTest, WrongNumberOfParametersIsRefused)
{
    auto transaction = db->begin(TransactionMode::Read);
    const Value two[] = {Value(1), Value(2)};
    try {
        transaction->query("SELECT ? AS a", std::span<const Value>(two, 2));
        FAIL() << "two parameters were taken for one placeholder";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), StartsWith("Statement expects 1 parameter, got 2"));
    }
    auto next = db->begin(TransactionMode::Read);
    EXPECT_THROW(next->query("SELECT ? AS a, ? AS b", std::span<const Value>(two, 1)), Error);
}

struct BadStatement {
    const char* sql;
    const char* sqliteSays;
    const char* postgresSays;
};

TEST_P(StorageTest, BadStatementCarriesTheBackendMessage)
{
    const BadStatement cases[] = {
        {"SELECT * FROM no_such_table", "no such table: no_such_table",
         "relation \"no_such_table\" does not exist"},
        {"SELEC 1", "syntax error", "syntax error at or near \"SELEC\""},
        {"SELECT 1; SELECT 2", "one statement", "multiple commands"},
        {"  ", "Empty statement", "Empty statement"},
    };
    for (const BadStatement& c : cases) {
        SCOPED_TRACE(c.sql);
        auto transaction = db->begin(TransactionMode::Read);
        try {
            transaction->query(c.sql);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr(pick(c.sqliteSays, c.postgresSays)));
        }
    }
}

// ---- concurrency and the pool ------------------------------------------------------------

TEST_P(StorageTest, ConcurrentWritersAllSucceedWithDistinctCodes)
{
    script("CREATE TABLE counter (id INTEGER PRIMARY KEY, n BIGINT NOT NULL);"
           "INSERT INTO counter VALUES (1, 0);"
           "CREATE TABLE codes (code BIGINT PRIMARY KEY, writer INTEGER NOT NULL)");
    constexpr int Writers = 4, Each = 25;
    std::mutex mutex;
    std::vector<std::string> failures;
    std::vector<std::thread> threads;
    for (int w = 0; w < Writers; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < Each; ++i) {
                try {
                    auto transaction = db->begin(TransactionMode::Write);
                    // A read before the write, as services do: a writer that took its lock
                    // only now would find its snapshot stale.
                    const Value writer[] = {Value(w)};
                    Rows mine =
                        transaction->query("SELECT COUNT(*) FROM codes WHERE writer = ?", writer);
                    EXPECT_EQ(mine.rows.at(0).at(0).asInteger(), i);
                    Rows drawn =
                        transaction->query("UPDATE counter SET n = n + 1 WHERE id = 1 RETURNING n");
                    const Value params[] = {drawn.rows.at(0).at(0), Value(w)};
                    transaction->execute("INSERT INTO codes VALUES (?, ?)", params);
                    transaction->commit();
                } catch (const Error& e) {
                    std::lock_guard lock(mutex);
                    failures.emplace_back(e.what());
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_THAT(failures, ::testing::IsEmpty());
    auto transaction = db->begin(TransactionMode::Read);
    Rows rows = transaction->query("SELECT COUNT(*), MIN(code), MAX(code) FROM codes");
    EXPECT_EQ(test::describe(rows.rows.at(0).at(0)), "Integer(100)");
    EXPECT_EQ(test::describe(rows.rows.at(0).at(1)), "Integer(1)");
    EXPECT_EQ(test::describe(rows.rows.at(0).at(2)), "Integer(100)");
}

TEST_P(StorageTest, BeginWaitsForAFreeConnection)
{
    auto small = openStore({2, 30s});
    auto first = small->begin(TransactionMode::Read);
    auto second = small->begin(TransactionMode::Read);
    std::atomic<bool> started{false};
    std::thread third([&] { started = small->begin(TransactionMode::Read) != nullptr; });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(started) << "a third connection was handed out by a pool of two";
    first.reset();
    third.join();
    EXPECT_TRUE(started);
}

TEST_P(StorageTest, BusyPoolGivesUpWithAClearMessage)
{
    auto tiny = openStore({1, 100ms});
    auto held = tiny->begin(TransactionMode::Read);
    try {
        tiny->begin(TransactionMode::Read);
        FAIL() << "a second connection was handed out by a pool of one";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "All 1 database connections are busy; try again later");
    }
    held.reset();
    EXPECT_NO_THROW(tiny->begin(TransactionMode::Read));
}

TEST_P(StorageTest, TableNamesListTheTablesOnly)
{
    script(std::string("CREATE TABLE TProduct (id INTEGER PRIMARY KEY, name TEXT);"
                       "CREATE VIEW VProduct AS SELECT name FROM TProduct;") +
           pick("CREATE TABLE TCounter (id INTEGER PRIMARY KEY AUTOINCREMENT);",
                "CREATE TABLE TCounter (id SERIAL PRIMARY KEY);"));
    std::vector<std::string> names = db->tableNames();
    for (auto& name : names)
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::sort(names.begin(), names.end());
    EXPECT_THAT(names, ::testing::ElementsAre("tcounter", "tproduct"));
}

// ---- statements a connection keeps prepared ----------------------------------------------

/// Each row as its values joined by ":", in the order the statement returned them.
std::vector<std::string> texts(const Rows& rows)
{
    std::vector<std::string> out;
    for (const auto& row : rows.rows) {
        std::string line;
        for (const Value& value : row)
            line += (line.empty() ? "" : ":") + value.toText();
        out.push_back(line);
    }
    return out;
}

TEST_P(StorageTest, StatementsBeyondWhatIsKeptAndBackGiveTheirOwnRows)
{
    script("CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT);"
           "INSERT INTO items VALUES (1, 'a'), (2, 'b'), (3, 'c')");
    auto one = openStore({1, 30s}); // every transaction on the same connection
    constexpr int Distinct = 150;
    auto check = [&](int i) {
        auto transaction = one->begin(TransactionMode::Read);
        const Value id[] = {Value(i % 3 + 1)};
        Rows rows = transaction->query(
            "SELECT name, " + std::to_string(i) + " AS n FROM items WHERE id = ?", id);
        const std::string name(1, static_cast<char>('a' + i % 3));
        EXPECT_THAT(texts(rows), ::testing::ElementsAre(name + ":" + std::to_string(i)));
        transaction->commit();
    };
    for (int i = 0; i < Distinct; ++i)
        check(i);
    for (int i = 0; i < Distinct; ++i)
        check(i);
    for (int i = Distinct - 1; i >= 0; --i)
        check(i);
}

TEST_P(StorageTest, KeptStatementAnswersItsNewParametersOnly)
{
    script("CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT, shop TEXT);"
           "INSERT INTO items VALUES (1, 'a', 'north'), (2, 'b', 'north'), (3, 'c', 'south')");
    auto one = openStore({1, 30s});
    struct Case {
        Value shop;
        Value above;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {Value("north"), Value(0), {"1:a", "2:b"}},
        {Value("south"), Value(0), {"3:c"}},
        {Value("north"), Value(1), {"2:b"}},
        {Value("west"), Value(0), {}},
        {Value(), Value(0), {}},
        {Value("north"), Value(0), {"1:a", "2:b"}},
    };
    const char* sql = "SELECT id, name FROM items WHERE shop = ? AND id > ? ORDER BY id";
    // Within one transaction and across transactions on the same connection.
    auto shared = one->begin(TransactionMode::Read);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shop.toText() + " above " + c.above.toText());
        const Value params[] = {c.shop, c.above};
        EXPECT_EQ(texts(shared->query(sql, params)), c.rows);
    }
    shared->commit();
    shared.reset();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shop.toText() + " above " + c.above.toText());
        auto transaction = one->begin(TransactionMode::Read);
        const Value params[] = {c.shop, c.above};
        EXPECT_EQ(texts(transaction->query(sql, params)), c.rows);
    }
}

enum class Alterer { SameConnection, OtherDatabase };

void PrintTo(Alterer alterer, std::ostream* out)
{
    *out << (alterer == Alterer::SameConnection ? "same connection" : "other database");
}

TEST_P(StorageTest, KeptStatementReadsATableAlteredSinceItWasPrepared)
{
    for (const Alterer alterer : {Alterer::SameConnection, Alterer::OtherDatabase}) {
        SCOPED_TRACE(::testing::PrintToString(alterer));
        const std::string table = alterer == Alterer::SameConnection ? "items_same" : "items_other";
        script("CREATE TABLE " + table + " (id INTEGER PRIMARY KEY, name TEXT); INSERT INTO " +
               table + " VALUES (1, 'a'), (2, 'b')");
        auto one = openStore({1, 30s});
        const std::string sql = "SELECT * FROM " + table + " WHERE id = ?";
        const Value id[] = {Value(2)};
        {
            auto transaction = one->begin(TransactionMode::Read);
            EXPECT_EQ(texts(transaction->query(sql, id)), std::vector<std::string>{"2:b"});
        }
        {
            auto other = alterer == Alterer::SameConnection ? nullptr : openStore();
            auto transaction = (other ? *other : *one).begin(TransactionMode::Write);
            transaction->execute("ALTER TABLE " + table + " ADD COLUMN note TEXT");
            transaction->execute("UPDATE " + table + " SET note = 'x'");
            transaction->commit();
        }
        auto transaction = one->begin(TransactionMode::Read);
        Rows rows = transaction->query(sql, id);
        EXPECT_EQ(rows.columns, (std::vector<std::string>{"id", "name", "note"}));
        EXPECT_EQ(texts(rows), std::vector<std::string>{"2:b:x"});
    }
}

TEST_P(StorageTest, KeptStatementThatFailedRunsAgain)
{
    script("CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT NOT NULL)");
    auto one = openStore({1, 30s});
    const char* insert = "INSERT INTO items (id, name) VALUES (?, ?)";
    struct Case {
        Value id;
        Value name;
        bool accepted;
    };
    const Case cases[] = {
        {Value(1), Value("a"), true}, {Value(1), Value("dup"), false}, {Value(2), Value(), false},
        {Value(2), Value("b"), true}, {Value(2), Value("b"), false},   {Value(3), Value("c"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id.toText() + " " + c.name.toText());
        auto transaction = one->begin(TransactionMode::Write);
        const Value params[] = {c.id, c.name};
        if (!c.accepted) {
            EXPECT_THROW(transaction->execute(insert, params), Error);
            continue;
        }
        EXPECT_EQ(transaction->execute(insert, params), 1);
        transaction->commit();
    }
    auto transaction = one->begin(TransactionMode::Read);
    EXPECT_EQ(texts(transaction->query("SELECT id, name FROM items ORDER BY id")),
              (std::vector<std::string>{"1:a", "2:b", "3:c"}));
}

INSTANTIATE_TEST_SUITE_P(Backends, StorageTest,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return backendName(info.param); });

// ---- PostgreSQL connections that die ------------------------------------------------------

class PostgresConnectionTest : public BackendFixture {
protected:
    void SetUp() override { openBackend(Backend::Postgres); }

    static int64_t backendPid(Transaction& transaction)
    {
        return transaction.query("SELECT pg_backend_pid()").rows.at(0).at(0).asInteger();
    }
    static void terminate(Transaction& killer, int64_t pid)
    {
        const Value params[] = {Value(pid)};
        Rows rows = killer.query("SELECT pg_terminate_backend(?::int, 5000)", params);
        ASSERT_EQ(test::describe(rows.rows.at(0).at(0)), "Boolean(true)");
    }
};

TEST_F(PostgresConnectionTest, DeadIdleConnectionIsReplacedAtBegin)
{
    auto pooled = openStore({2, 30s});
    auto victim = pooled->begin(TransactionMode::Read);
    auto killer = pooled->begin(TransactionMode::Write);
    const int64_t dead = backendPid(*victim);
    victim->commit();
    victim.reset(); // idle in the pool
    terminate(*killer, dead);
    auto next = pooled->begin(TransactionMode::Read);
    EXPECT_NE(backendPid(*next), dead);
}

TEST_F(PostgresConnectionTest, ConnectionLostInATransactionFailsThatTransactionOnly)
{
    auto pooled = openStore({2, 30s});
    auto victim = pooled->begin(TransactionMode::Read);
    auto killer = pooled->begin(TransactionMode::Write);
    const int64_t dead = backendPid(*victim);
    terminate(*killer, dead);
    EXPECT_THROW(victim->query("SELECT 1"), Error);
    victim.reset();
    auto next = pooled->begin(TransactionMode::Read);
    EXPECT_NE(backendPid(*next), dead);
}

} // namespace
} // namespace corvo::server::storage
