// The books under concurrency: eight clients on two server processes over one database race
// saves, line edits, verifies and invalidations of the same receipts. Whatever order the calls
// ran in, the stock afterwards is the opening stock plus the stored lines of the receipts that
// are verified and valid, per product and size, and no two receipts share a code.
#include "DemoWriteTest.h"
#include "entity/Guid.h"
#include "remote/AppServers.h"
#include "server/schema/SystemIds.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <thread>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using storage::Value;

constexpr int Clients = 8;
constexpr int CallsPerClient = 14;
constexpr int Receipts = 6;

/// Per product: the quantity, then the twenty sizes.
using Stock = std::map<std::string, std::vector<int64_t>>;

class BooksRace : public DemoWriteTest {
protected:
    std::string param(const std::string& type, const std::string& code)
    {
        return scalar(*db,
                      "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = ? AND "
                      "\"Code\" = ?",
                      {Value(type), Value(code)});
    }

    /// A receipt into CK01 with a line per product, sizes 1 and 2 filled.
    std::unique_ptr<TParamData> receipt(WriteClient& client, const std::string& objId, int seed)
    {
        auto master = client.blank("TStockIn");
        auto lines = client.blank("TStockInList");
        master->Append();
        setText(*master, "ObjID", objId);
        setText(*master, "HappenDate", "2026-03-02");
        setText(*master, "TStockInTypeID", purchase);
        setText(*master, "TOrganID", supplier);
        setText(*master, "TWarehouseID", warehouse);
        setText(*master, "TEmployeeID", employee);
        setText(*master, "Remark", "race");
        master->Post();
        for (std::size_t p = 0; p < products.size(); ++p) {
            const int a = 1 + (seed + static_cast<int>(p)) % 4;
            const int b = 1 + (seed * 3 + static_cast<int>(p)) % 3;
            lines->Append();
            setText(*lines, "ObjID", Guid::create().toString());
            setText(*lines, "ParentID", objId);
            setText(*lines, "TProductID", products[p]);
            setText(*lines, "Size1", std::to_string(a));
            setText(*lines, "Size2", std::to_string(b));
            setText(*lines, "Quantity", std::to_string(a + b));
            setText(*lines, "UnitPrice", "10");
            lines->Post();
        }
        return packetOf({{"TMaster", master.get()}, {"TDetailInsert", lines.get()}});
    }

    Stock stored()
    {
        auto tx = db->begin(storage::TransactionMode::Read);
        std::string sql = "SELECT \"TProductID\", \"Quantity\"";
        for (int n = 1; n <= 20; ++n)
            sql += ", \"Size" + std::to_string(n) + "\"";
        sql += " FROM \"TStock\" WHERE \"TWarehouseID\" = ?";
        const storage::Rows rows = tx->query(sql, std::vector<Value>{Value(warehouse)});
        Stock out;
        for (const auto& row : rows.rows) {
            std::vector<int64_t>& v = out[row[0].toText()];
            v.assign(21, 0);
            for (std::size_t k = 0; k < 21; ++k)
                v[k] += row[k + 1].isNull() ? 0 : static_cast<int64_t>(row[k + 1].toDouble());
        }
        return out;
    }

    /// What the verified, valid receipts of the race add: their stored lines and size rows.
    Stock booked()
    {
        auto tx = db->begin(storage::TransactionMode::Read);
        const std::string verified =
            "d.\"Remark\" = 'race' AND d.\"StatusID\" = ? AND d.\"StatusTStockInID\" <> ?";
        const std::vector<Value> params = {Value(std::string(schema::ids::StatusValid)),
                                           Value(id("TOtherParam", "StatusTStockInID_New"))};
        Stock out;
        const storage::Rows lines =
            tx->query("SELECT l.\"TProductID\", l.\"Quantity\" FROM \"TStockInList\" l JOIN "
                      "\"TStockIn\" d ON d.\"ObjID\" = l.\"ParentID\" WHERE " +
                          verified,
                      params);
        for (const auto& row : lines.rows) {
            std::vector<int64_t>& v = out[row[0].toText()];
            v.resize(21);
            v[0] += static_cast<int64_t>(row[1].toDouble());
        }
        const storage::Rows sizes = tx->query(
            "SELECT l.\"TProductID\", s.\"SizeNo\", s.\"Quantity\" FROM \"TStockInListSize\" s "
            "JOIN \"TStockInList\" l ON l.\"ObjID\" = s.\"ParentID\" JOIN \"TStockIn\" d ON "
            "d.\"ObjID\" = l.\"ParentID\" WHERE " +
                verified,
            params);
        for (const auto& row : sizes.rows) {
            std::vector<int64_t>& v = out[row[0].toText()];
            v.resize(21);
            v[static_cast<std::size_t>(row[1].toDouble())] +=
                static_cast<int64_t>(row[2].toDouble());
        }
        return out;
    }

    std::string purchase, supplier, warehouse, employee;
    std::vector<std::string> products;
};

TEST_P(BooksRace, StockIsTheVerifiedLinesWhateverOrderTheCallsRan)
{
    purchase = param("TStockInTypeID", "PURCHASE");
    supplier = id("TOrgan", "GY001");
    warehouse = id("TWarehouse", "CK01");
    employee = id("TEmployee", "YG001");
    for (const char* p : {"NZ-2501", "NZ-2502", "CS-2501"})
        products.push_back(id("TProduct", p));
    const Stock opening = stored();

    ServerProcess second(url);
    std::vector<std::unique_ptr<WriteClient>> clients;
    for (int c = 0; c < Clients; ++c)
        clients.push_back(std::make_unique<WriteClient>(c % 2 ? second.url() : server->url()));
    std::vector<std::string> receipts;
    for (int r = 0; r < Receipts; ++r) {
        receipts.push_back(Guid::create().toString());
        auto packet = receipt(*admin, receipts.back(), r);
        ASSERT_TRUE(admin->call(app::Insert, app::insert::MasterDetail, *packet));
    }

    std::mutex lock;
    std::map<std::string, int> outcomes;
    std::vector<std::string> unexpected;
    auto run = [&](int c) {
        WriteClient& client = *clients[static_cast<std::size_t>(c)];
        std::mt19937 rng(static_cast<unsigned>(c * 7919 + 1));
        for (int n = 0; n < CallsPerClient; ++n) {
            std::string target;
            {
                std::lock_guard guard(lock);
                target = receipts[rng() % receipts.size()];
            }
            const unsigned op = rng() % 8;
            std::string kind;
            const std::string answer = errorOf([&] {
                if (op == 7) {
                    kind = "save";
                    const std::string objId = Guid::create().toString();
                    auto packet = receipt(client, objId, static_cast<int>(rng() % 5));
                    client.call(app::Insert, app::insert::MasterDetail, *packet);
                    std::lock_guard guard(lock);
                    receipts.push_back(objId);
                    return;
                }
                auto master = client.rows("TStockIn", "TStockIn.ObjID = '" + target + "'");
                if (op < 3) {
                    kind = "edit";
                    auto lines =
                        client.rows("TStockInList", "TStockInList.ParentID = '" + target + "'");
                    while (lines->RecordCount() > 1) {
                        lines->Last();
                        lines->Delete();
                    }
                    lines->First();
                    const int a = 1 + static_cast<int>(rng() % 6);
                    setText(*lines, "Size1", std::to_string(a));
                    setText(*lines, "Size2", "1");
                    setText(*lines, "Quantity", std::to_string(a + 1));
                    auto packet =
                        packetOf({{"TMaster", master.get()}, {"TDetailUpdate", lines.get()}});
                    client.call(app::Update, app::update::MasterDetail, *packet);
                } else if (op < 6) {
                    kind = "verify";
                    auto packet = packetOf({{"TMaster", master.get()}});
                    client.call(app::SizeVerify, app::sizeverify::Verify, *packet);
                } else {
                    kind = "invalidate";
                    auto packet = packetOf({{"TMaster", master.get()}});
                    client.call(app::Update, app::update::Invalidate, *packet);
                }
            });
            std::lock_guard guard(lock);
            // The refusals a race may meet; anything else (a deadlock, a storage error) is a fault.
            const bool refusal = answer.find("已经审核") != std::string::npos ||
                                 answer.find("已经作废") != std::string::npos ||
                                 answer.find("已经是") != std::string::npos;
            ++outcomes[kind + (answer == "(no error)" ? " done"
                               : refusal              ? " refused"
                                                      : " FAILED")];
            if (answer != "(no error)" && !refusal) unexpected.push_back(kind + ": " + answer);
        }
    };
    std::vector<std::thread> threads;
    for (int c = 0; c < Clients; ++c)
        threads.emplace_back(run, c);
    for (auto& t : threads)
        t.join();
    EXPECT_TRUE(unexpected.empty()) << unexpected.front();
    for (const auto& [what, n] : outcomes)
        std::cout << "race: " << what << " " << n << std::endl;

    Stock expected = opening;
    for (const auto& [product, moved] : booked()) {
        std::vector<int64_t>& v = expected[product];
        v.resize(21);
        for (std::size_t k = 0; k < 21; ++k)
            v[k] += moved[k];
    }
    std::erase_if(expected, [](const auto& e) {
        return std::all_of(e.second.begin(), e.second.end(), [](int64_t q) { return q == 0; });
    });
    EXPECT_EQ(stored(), expected);
    EXPECT_EQ(
        count(*db,
              "SELECT COUNT(*) FROM (SELECT \"Code\" FROM \"TStockIn\" WHERE \"TOwnerID\" = ? "
              "GROUP BY \"Code\" HAVING COUNT(*) > 1) AS repeated",
              {Value(admin->ownerId)}),
        0);
}

INSTANTIATE_TEST_SUITE_P(Backends, BooksRace, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
