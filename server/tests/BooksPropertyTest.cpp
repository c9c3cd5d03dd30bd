// Eight clients at once store, change, verify and invalidate receipts, deliveries, invoices and
// payments in random order through the real server. Afterwards the books agree with what the
// clients saw answered: the stock is the seeded stock plus every verified, still valid
// movement, per warehouse, product and size; every account's balance is the sum of its
// entries and moved by exactly the booked bills; no code is given twice.
#include "ServerProcess.h"
#include "StatusClient.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "server/schema/SystemIds.h"
#include "server/storage/Database.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;

constexpr int Clients = 8;
constexpr int StepsPerClient = 14;

/// Quantity then Size1 … Size20.
using Counts = std::array<int64_t, 21>;
using StockKey = std::pair<std::string, std::string>; ///< warehouse, product (upper-cased)

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

struct Line {
    std::string objId;
    std::string product;
    Counts counts{};
};

/// A document a client stored, as the answers it got say it is now.
struct Doc {
    std::string table;
    std::string objId;
    std::string warehouse;
    std::string owner; ///< account owner and partner, for bills
    std::string organ;
    int64_t cents = 0;
    std::vector<Line> lines;
    bool verified = false;
    bool invalid = false;
};

struct Reference {
    std::vector<std::string> warehouses;
    std::vector<std::string> products;  ///< of the 女装 type: five sizes
    std::vector<std::string> customers; ///< KH001 …
    std::vector<std::string> suppliers; ///< GY001 …
};

class Worker {
public:
    Worker(const std::string& url, const Reference& ref, int seed)
        : m_client(url, "DEMO", "admin"), m_ref(ref), m_random(static_cast<unsigned>(seed))
    {
    }

    void run()
    {
        for (int step = 0; step < StepsPerClient; ++step) {
            const int pick = below(10);
            Doc* doc =
                m_docs.empty()
                    ? nullptr
                    : &m_docs[static_cast<std::size_t>(below(static_cast<int>(m_docs.size())))];
            if (!doc || pick < 4)
                addDocument();
            else if (pick < 5)
                changeLine(*doc);
            else if (pick < 8)
                verify(*doc);
            else
                invalidate(*doc);
        }
    }

    const std::vector<Doc>& docs() const { return m_docs; }
    std::vector<std::string> failures;

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    template <class T> const T& any(const std::vector<T>& v)
    {
        return v[static_cast<std::size_t>(below(static_cast<int>(v.size())))];
    }

    void expect(const std::string& what, const std::string& got, const std::string& want)
    {
        if (got != want) failures.push_back(what + ": " + got + " (expected " + want + ")");
    }

    Line randomLine()
    {
        Line l{Guid::create().toString(), any(m_ref.products), {}};
        for (int s = 1; s <= 5; ++s) {
            const int q = below(3) == 0 ? 0 : below(4);
            l.counts[static_cast<std::size_t>(s)] = q;
            l.counts[0] += q;
        }
        if (l.counts[0] == 0) l.counts[0] = l.counts[3] = 1;
        return l;
    }

    void fillLine(TCustomEntity& lines, const Doc& d, const Line& l)
    {
        lines.FieldByName("ObjID").SetAsString(l.objId);
        lines.FieldByName("ParentID").SetAsString(d.objId);
        lines.FieldByName("TProductID").SetAsString(l.product);
        for (int s = 1; s <= 20; ++s)
            if (l.counts[static_cast<std::size_t>(s)])
                lines.FieldByName("Size" + std::to_string(s))
                    .SetAsString(std::to_string(l.counts[static_cast<std::size_t>(s)]));
        lines.FieldByName("Quantity").SetAsString(std::to_string(l.counts[0]));
        lines.FieldByName("UnitPrice").SetAsString("10");
    }

    void addDocument()
    {
        static const char* const Tables[] = {"TStockIn",     "TStockOut",        "TStockOut",
                                             "TSaleInvoice", "TPurchaseInvoice", "TCollectionOrder",
                                             "TPaymentOrder"};
        Doc d;
        d.table = Tables[below(7)];
        d.objId = Guid::create().toString();
        const bool stock = d.table.rfind("TStock", 0) == 0;
        const bool supplierSide =
            d.table == "TStockIn" || d.table == "TPurchaseInvoice" || d.table == "TPaymentOrder";
        const std::string partner = any(supplierSide ? m_ref.suppliers : m_ref.customers);
        TCustomEntity& head = m_client.registry.BuildEntity(d.table, d.table + "Master");
        head.EmptyDataSet();
        head.Append();
        head.FieldByName("ObjID").SetAsString(d.objId);
        head.FieldByName("HappenDate").SetAsString(m_client.today);
        head.FieldByName("TOrganID").SetAsString(partner);
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        if (stock) {
            d.warehouse = any(m_ref.warehouses);
            head.FieldByName("TWarehouseID").SetAsString(d.warehouse);
            head.FieldByName("TEmployeeID").SetAsString(m_client.employee);
            head.FieldByName(d.table + "TypeID")
                .SetAsString(m_client.param(d.table == "TStockIn" ? "TStockInTypeID_PURCHASE"
                                                                  : "TStockOutTypeID_WHOLESALE"));
            if (d.table == "TStockOut")
                head.FieldByName("TSaleTypeID")
                    .SetAsString(m_client.param("TSaleTypeID_WHOLESALE"));
            TCustomEntity& lines =
                m_client.registry.BuildEntity(d.table + "List", d.table + "Added");
            lines.EmptyDataSet();
            for (int n = 0, count = 1 + below(3); n < count; ++n) {
                d.lines.push_back(randomLine());
                lines.Append();
                fillLine(lines, d, d.lines.back());
                lines.Post();
            }
            packet.SetParamData("TDetailInsert", lines.Data());
        } else {
            d.cents = 100 * (1 + below(500));
            head.FieldByName("TotalAmount").SetAsString(std::to_string(d.cents / 100));
            if (d.table.find("Invoice") != std::string::npos)
                head.FieldByName("InvoiceNo").SetAsString(d.objId.substr(1, 20));
            else
                head.FieldByName("TPaymentTypeID")
                    .SetAsString(m_client.param("TPaymentTypeID_BANK"));
            d.owner = supplierSide ? partner : m_client.owner;
            d.organ = supplierSide ? m_client.owner : partner;
        }
        head.Post();
        packet.SetParamData("TMaster", head.Data());
        const std::string answer = m_client.call(app::Insert, app::insert::MasterDetail, packet);
        expect("insert " + d.table, answer, "(no error)");
        if (answer == "(no error)") m_docs.push_back(std::move(d));
    }

    void changeLine(Doc& d)
    {
        if (d.lines.empty() || d.verified || d.invalid) return;
        Line& line = d.lines[static_cast<std::size_t>(below(static_cast<int>(d.lines.size())))];
        const Line changed{line.objId, line.product, randomLine().counts};
        Rows master = m_client.query(d.table, {d.table + ".ObjID = '" + d.objId + "'"});
        TCustomEntity& lines = m_client.registry.BuildEntity(d.table + "List", d.table + "Changed");
        lines.EmptyDataSet();
        lines.Append();
        fillLine(lines, d, changed);
        lines.Post();
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamData("TMaster", master->Data());
        packet.SetParamData("TDetailUpdate", lines.Data());
        const std::string answer = m_client.call(app::Update, app::update::MasterDetail, packet);
        expect("change a line of " + d.table, answer, "(no error)");
        if (answer == "(no error)") line = changed;
    }

    void verify(Doc& d)
    {
        const bool stock = !d.lines.empty();
        const bool invoice = d.table.find("Invoice") != std::string::npos;
        if (invoice) return; // invoices are booked when stored; no form verifies them
        const std::string answer =
            stock ? m_client.send(app::SizeVerify, app::sizeverify::Verify, d.table, {d.objId})
                  : m_client.send(app::VerifyAccount, app::verify::Verify, d.table, {d.objId});
        if (d.invalid)
            expect("verify an invalid " + d.table,
                   answer.find("已经作废") != std::string::npos ? "refused" : answer, "refused");
        else if (d.verified)
            expect("verify twice " + d.table,
                   answer.find("不能重复操作") != std::string::npos ? "refused" : answer,
                   "refused");
        else {
            expect("verify " + d.table, answer, "(no error)");
            d.verified = answer == "(no error)";
        }
    }

    void invalidate(Doc& d)
    {
        std::string answer;
        if (!d.lines.empty()) {
            Rows master = m_client.query(d.table, {d.table + ".ObjID = '" + d.objId + "'"});
            TParamData packet(paramkind::Data);
            packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
            packet.SetParamData("TMaster", master->Data());
            TParamData change(paramkind::Field);
            change.SetParamValueField("TMaster", Variant(std::string(schema::ids::StatusInvalid)),
                                      "StatusID");
            packet.SetParamData("ParamDataStatusAlter", change.Data());
            answer = m_client.call(app::Update, app::update::MasterDetail, packet);
        } else {
            answer = m_client.send(app::Update, app::update::Invalidate, d.table, {d.objId});
        }
        if (d.invalid) {
            expect("invalidate twice " + d.table,
                   answer.find("不能再次作废") != std::string::npos ? "refused" : answer,
                   "refused");
            return;
        }
        expect("invalidate " + d.table, answer, "(no error)");
        d.invalid = answer == "(no error)";
    }

    StatusClient m_client;
    const Reference& m_ref;
    std::mt19937 m_random;
    std::vector<Doc> m_docs;
};

std::map<StockKey, Counts> stockIn(storage::Database& db)
{
    std::string columns = "\"TWarehouseID\", \"TProductID\", \"Quantity\"";
    for (int n = 1; n <= 20; ++n)
        columns += ", \"Size" + std::to_string(n) + "\"";
    auto tx = db.begin(storage::TransactionMode::Read);
    std::map<StockKey, Counts> out;
    for (const auto& row : tx->query("SELECT " + columns + " FROM \"TStock\"").rows) {
        Counts& c = out[{upper(row[0].asString()), upper(row[1].asString())}];
        for (std::size_t k = 0; k < 21; ++k)
            c[k] += row[2 + k].isNull() ? 0 : std::llround(row[2 + k].toDouble());
    }
    return out;
}

/// Per account (owner, partner): the sum of the valid entries in cents.
std::map<StockKey, int64_t> accountsIn(storage::Database& db)
{
    auto tx = db.begin(storage::TransactionMode::Read);
    std::map<StockKey, int64_t> out;
    for (const auto& row :
         tx->query(
               "SELECT \"TOwnerID\", \"TOrganID\", \"TotalAmount\" FROM \"TAccount\" WHERE "
               "\"StatusID\" = ?",
               std::vector<storage::Value>{storage::Value(std::string(schema::ids::StatusValid))})
             .rows)
        out[{upper(row[0].asString()), upper(row[1].asString())}] +=
            std::llround(row[2].toDouble() * 100);
    return out;
}

enum class Backend { Sqlite, Postgres };

class BooksProperty : public ::testing::TestWithParam<Backend> {};

TEST_P(BooksProperty, TheBooksFollowEveryAnsweredChange)
{
    if (GetParam() == Backend::Postgres && !postgresAvailable())
        GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    const std::string url = makeDemoDatabase(GetParam() == Backend::Postgres);
    ServerProcess server(url);
    auto db = storage::Database::open(url);
    const auto stockBefore = stockIn(*db);
    const auto accountsBefore = accountsIn(*db);

    StatusClient reader(server.url(), "DEMO", "admin");
    Reference ref;
    Rows warehouses = reader.query("TWarehouse");
    for (warehouses->First(); !warehouses->Eof(); warehouses->Next())
        ref.warehouses.push_back(warehouses->FieldByName("ObjID").AsString());
    Rows type = reader.query("TProductType", {"TProductType.Code = 'NZ'"});
    Rows products = reader.query(
        "TProduct", {"TProduct.TProductTypeID = '" + type->FieldByName("ObjID").AsString() + "'"});
    for (products->First(); !products->Eof(); products->Next())
        ref.products.push_back(products->FieldByName("ObjID").AsString());
    for (const char* c : {"KH001", "KH002", "KH003"})
        ref.customers.push_back(reader.organId(c));
    for (const char* c : {"GY001", "GY002", "GY003", "GY004"})
        ref.suppliers.push_back(reader.organId(c));
    ASSERT_FALSE(ref.products.empty());

    std::vector<std::unique_ptr<Worker>> workers;
    for (int i = 0; i < Clients; ++i)
        workers.push_back(std::make_unique<Worker>(server.url(), ref, 1000 + i));
    std::vector<std::thread> threads;
    for (auto& w : workers)
        threads.emplace_back([&w] { w->run(); });
    for (std::thread& t : threads)
        t.join();

    auto stock = stockBefore;
    auto accounts = accountsBefore;
    int booked = 0;
    for (const auto& w : workers) {
        for (const std::string& f : w->failures)
            ADD_FAILURE() << f;
        for (const Doc& d : w->docs()) {
            if (d.invalid) continue;
            const bool invoice = d.table.find("Invoice") != std::string::npos;
            if (!d.lines.empty() && d.verified) {
                ++booked;
                const int sign = d.table == "TStockIn" ? 1 : -1;
                for (const Line& l : d.lines) {
                    Counts& c = stock[{upper(d.warehouse), upper(l.product)}];
                    for (std::size_t k = 0; k < 21; ++k)
                        c[k] += sign * l.counts[k];
                }
            }
            if (d.lines.empty() && (invoice || d.verified)) {
                ++booked;
                accounts[{upper(d.owner), upper(d.organ)}] += invoice ? d.cents : -d.cents;
            }
        }
    }
    EXPECT_GT(booked, Clients);
    // A stock row with nothing left is removed.
    for (auto it = stock.begin(); it != stock.end();)
        it = it->second == Counts{} ? stock.erase(it) : std::next(it);
    EXPECT_EQ(stockIn(*db), stock);
    EXPECT_EQ(accountsIn(*db), accounts);

    // The statement service's balance of each account is the sum of its entries.
    for (const char* partner : {"KH001", "KH002", "KH003"}) {
        Rows s = reader.statement(partner, "2000-01-01", reader.today);
        s->Last();
        const StockKey account{upper(reader.owner), upper(reader.organId(partner))};
        EXPECT_EQ(std::llround(s->FieldByName("Balance").AsFloat() * 100), accounts[account])
            << partner;
    }
    for (const char* partner : {"GY001", "GY002", "GY003", "GY004"}) {
        Rows s = reader.statement(partner, "2000-01-01", reader.today, true);
        s->Last();
        const StockKey account{upper(reader.organId(partner)), upper(reader.owner)};
        EXPECT_EQ(std::llround(s->FieldByName("Balance").AsFloat() * 100), accounts[account])
            << partner;
    }

    // Codes stay unique in every table the clients wrote.
    auto tx = db->begin(storage::TransactionMode::Read);
    for (const char* table : {"TStockIn", "TStockOut", "TSaleInvoice", "TPurchaseInvoice",
                              "TCollectionOrder", "TPaymentOrder", "TAccount"})
        EXPECT_EQ(tx->query(std::string("SELECT \"Code\" FROM \"") + table +
                            "\" GROUP BY \"Code\" HAVING COUNT(*) > 1")
                      .rows.size(),
                  0u)
            << table;
}

INSTANTIATE_TEST_SUITE_P(Backends, BooksProperty,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
