// Saves under faults, through real server processes: fifty clients saving documents while the
// server is killed (SIGKILL) and started again, retrying every save whose answer they lost;
// and two server processes on one PostgreSQL database saving at once.
#include "ServerProcess.h"
#include "WriteClient.h"
#include "entity/Guid.h"
#include "remote/AppServers.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <thread>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using storage::Value;
using namespace std::chrono_literals;

constexpr int LinesPerDocument = 5;

struct Catalogue {
    std::string customer, warehouse, saleType;
    std::vector<std::string> products;
};

Catalogue catalogue(storage::Database& db)
{
    auto id = [&](const char* table, const std::string& code) {
        return scalar(db, std::string("SELECT \"ObjID\" FROM \"") + table + "\" WHERE \"Code\" = ?",
                      {Value(code)});
    };
    Catalogue c{id("TOrgan", "KH002"),
                id("TWarehouse", "CK01"),
                scalar(db, "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = "
                           "'TSaleTypeID' AND \"Code\" = 'WHOLESALE'"),
                {}};
    for (const char* p : {"NZ-2501", "NZ-2502", "CS-2501", "CS-2502", "NX-2501"})
        c.products.push_back(id("TProduct", p));
    return c;
}

/// A sale order with its lines, identified by `objId`, as the entry form sends it.
std::unique_ptr<TParamData> order(WriteClient& client, const Catalogue& c, const std::string& objId)
{
    auto master = client.blank("TSaleOrder");
    auto lines = client.blank("TSaleOrderList");
    master->Append();
    setText(*master, "ObjID", objId);
    setText(*master, "HappenDate", "2026-01-15");
    setText(*master, "TOrganID", c.customer);
    setText(*master, "TWarehouseID", c.warehouse);
    setText(*master, "TSaleTypeID", c.saleType);
    setText(*master, "Remark", "fault");
    master->Post();
    for (int n = 0; n < LinesPerDocument; ++n) {
        lines->Append();
        setText(*lines, "ObjID", Guid::create().toString());
        setText(*lines, "ParentID", objId);
        setText(*lines, "TProductID", c.products[static_cast<std::size_t>(n) % c.products.size()]);
        setText(*lines, "Quantity", std::to_string(n + 1));
        setText(*lines, "UnitPrice", "10");
        lines->Post();
    }
    return packetOf({{"TMaster", master.get()}, {"TDetailInsert", lines.get()}});
}

/// Answers the clients lost (a call that raised and was sent again).
std::atomic<int> lostAnswers{0};

/// Saves until the server answers; a lost answer is retried with the same packet.
bool saveWithRetries(WriteClient& client, TParamData& sent,
                     std::chrono::steady_clock::time_point end)
{
    while (std::chrono::steady_clock::now() < end) {
        auto packet = copyOf(sent);
        try {
            if (client.call(app::Insert, app::insert::MasterDetail, *packet)) return true;
        } catch (const std::exception&) {
            ++lostAnswers;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

enum class Backend { Sqlite, Postgres };

class WriteFault : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !postgresAvailable())
            GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        url = makeDemoDatabase(GetParam() == Backend::Postgres);
        db = storage::Database::open(url);
    }

    /// Every document the test saved is whole, and their codes are all different.
    void expectWholeAndUnique(const std::set<std::string>& acknowledged)
    {
        auto tx = db->begin(storage::TransactionMode::Read);
        const storage::Rows docs = tx->query(
            "SELECT d.\"ObjID\", d.\"Code\", (SELECT COUNT(*) FROM \"TSaleOrderList\" l WHERE "
            "l.\"ParentID\" = d.\"ObjID\") FROM \"TSaleOrder\" d WHERE d.\"Remark\" = 'fault'");
        std::set<std::string> stored, codes;
        for (const auto& row : docs.rows) {
            EXPECT_TRUE(stored.insert(row[0].toText()).second) << "stored twice";
            EXPECT_TRUE(codes.insert(row[1].toText()).second) << "code twice: " << row[1].toText();
            EXPECT_EQ(row[2].toText(), std::to_string(LinesPerDocument)) << "half stored";
        }
        for (const std::string& id : acknowledged)
            EXPECT_TRUE(stored.count(id)) << "acknowledged but missing: " << id;
    }

    std::string url;
    std::unique_ptr<storage::Database> db;
};

TEST_P(WriteFault, KilledServerLosesNoAcknowledgedDocumentAndStoresNoneTwice)
{
    constexpr int Clients = 50;
    constexpr int DocumentsEach = 4;
    lostAnswers = 0;
    auto server = std::make_unique<ServerProcess>(url);
    const std::string port = std::to_string(server->port());
    const Catalogue c = catalogue(*db);

    std::mutex lock;
    std::set<std::string> acknowledged;
    std::atomic<int> saved{0};
    std::atomic<int> failed{0};
    const auto end = std::chrono::steady_clock::now() + 120s;
    // One login after the other: concurrent logins of one user count as failed guesses.
    std::vector<std::unique_ptr<WriteClient>> logins;
    for (int i = 0; i < Clients; ++i)
        logins.push_back(std::make_unique<WriteClient>(server->url()));
    std::vector<std::thread> clients;
    for (int i = 0; i < Clients; ++i)
        clients.emplace_back([&, i] {
            WriteClient& client = *logins[static_cast<std::size_t>(i)];
            for (int n = 0; n < DocumentsEach; ++n) {
                const std::string objId = Guid::create().toString();
                auto packet = order(client, c, objId);
                if (!saveWithRetries(client, *packet, end)) return void(++failed);
                std::lock_guard guard(lock);
                acknowledged.insert(objId);
                ++saved;
            }
        });

    // Kill the server once some saves went through, while the others are under way.
    while (saved < Clients && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(5ms);
    ::kill(server->pid(), SIGKILL);
    server->stop();
    std::this_thread::sleep_for(300ms);
    server = std::make_unique<ServerProcess>(
        url, std::vector<std::string>{"--listen", "127.0.0.1:" + port});
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(failed, 0);
    EXPECT_GT(lostAnswers, 0) << "the kill met no save under way";
    EXPECT_EQ(static_cast<int>(acknowledged.size()), Clients * DocumentsEach);
    expectWholeAndUnique(acknowledged);
}

TEST_P(WriteFault, TwoServersOnOneDatabaseDrawDifferentCodes)
{
    if (GetParam() != Backend::Postgres) GTEST_SKIP() << "two processes share PostgreSQL";
    ServerProcess first(url);
    ServerProcess second(url);
    const Catalogue c = catalogue(*db);
    std::mutex lock;
    std::set<std::string> acknowledged;
    const auto end = std::chrono::steady_clock::now() + 120s;
    std::vector<std::unique_ptr<WriteClient>> logins;
    for (int i = 0; i < 8; ++i)
        logins.push_back(std::make_unique<WriteClient>(i % 2 ? first.url() : second.url()));
    std::vector<std::thread> clients;
    for (int i = 0; i < 8; ++i)
        clients.emplace_back([&, i] {
            WriteClient& client = *logins[static_cast<std::size_t>(i)];
            for (int n = 0; n < 10; ++n) {
                const std::string objId = Guid::create().toString();
                auto packet = order(client, c, objId);
                ASSERT_TRUE(saveWithRetries(client, *packet, end));
                std::lock_guard guard(lock);
                acknowledged.insert(objId);
            }
        });
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(acknowledged.size(), 80u);
    expectWholeAndUnique(acknowledged);
}

TEST(WriteDurability, SqliteConnectionsCommitWithFullSync)
{
    // The kill test shows a process crash loses nothing; a crash of the machine needs every
    // commit synced, in WAL mode too.
    auto db = storage::Database::open(makeDemoDatabase());
    auto tx = db->begin(storage::TransactionMode::Read);
    EXPECT_EQ(tx->query("PRAGMA synchronous").rows.at(0).at(0).toText(), "2"); // FULL
    EXPECT_EQ(tx->query("PRAGMA journal_mode").rows.at(0).at(0).toText(), "wal");
}

INSTANTIATE_TEST_SUITE_P(Backends, WriteFault,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
