// Saving documents through one real corvo-server process, beside the floor: the statements the
// server runs for one save, run directly on the same database file, one transaction each.
//
// Every benchmark thread is one client, logged in once, saving 20-line size documents (a
// wholesale delivery with two sizes a line, so 40 size rows) through the protocol: free the
// previous object, create one, invoke insert method 2. The floor records what one save sends
// to the storage (by running the insert service in this process over a recording database)
// and replays it with fresh ObjIDs per iteration. Updating one line of a document of 10, 100
// and 1,000 lines shows that the work follows the change set.
#include "LoadHarness.h"
#include "entity/Error.h"
#include "entity/Guid.h"
#include "entity/TParamData.h"
#include "remote/AppServers.h"
#include "server/service/CallContext.h"
#include "server/service/InsertService.h"
#include "server/service/ServerContext.h"
#include "server/service/StatusService.h"
#include "server/tests/ServerProcess.h"
#include "server/tests/WriteClient.h"

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace corvo::bench {
namespace {

namespace app = remote::appserver;
using server::storage::Value;
using server::test::packetOf;
using server::test::scalar;
using server::test::ServerProcess;
using server::test::setText;
using server::test::WriteClient;

constexpr int Lines = 20;

const std::string& databaseUrl()
{
    static const std::string url = server::test::makeDemoDatabase();
    return url;
}

ServerProcess& theServer()
{
    static ServerProcess server(databaseUrl(), {"--threads", "4"});
    return server;
}

struct Catalogue {
    std::string customer, warehouse, employee, kind, saleType;
    std::vector<std::string> products;
};

const Catalogue& catalogue()
{
    static const Catalogue c = [] {
        auto db = server::storage::Database::open(databaseUrl());
        auto id = [&](const char* table, const char* code) {
            return scalar(*db,
                          std::string("SELECT \"ObjID\" FROM \"") + table + "\" WHERE \"Code\" = ?",
                          {Value(std::string(code))});
        };
        Catalogue out{id("TOrgan", "KH001"),          id("TWarehouse", "CK01"),
                      id("TEmployee", "YG007"),       id("TOtherParam", "WHOLESALE"),
                      id("TOtherParam", "WHOLESALE"), {}};
        out.kind = scalar(*db, "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = "
                               "'TStockOutTypeID' AND \"Code\" = 'WHOLESALE'");
        out.saleType = scalar(*db, "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = "
                                   "'TSaleTypeID' AND \"Code\" = 'WHOLESALE'");
        auto tx = db->begin(server::storage::TransactionMode::Read);
        for (const auto& row :
             tx->query("SELECT \"ObjID\" FROM \"TProduct\" WHERE \"Code\" LIKE 'NZ-%'").rows)
            out.products.push_back(row[0].toText());
        return out;
    }();
    return c;
}

/// A delivery of `lines` lines, two sizes each, as the size entry form sends it.
std::unique_ptr<TParamData> delivery(WriteClient& client, int lines, std::string objId = {})
{
    const Catalogue& c = catalogue();
    auto master = client.blank("TStockOut");
    auto detail = client.blank("TStockOutList");
    if (objId.empty()) objId = Guid::create().toString();
    master->Append();
    setText(*master, "ObjID", objId);
    setText(*master, "HappenDate", "2026-06-15");
    setText(*master, "TStockOutTypeID", c.kind);
    setText(*master, "TOrganID", c.customer);
    setText(*master, "TWarehouseID", c.warehouse);
    setText(*master, "TEmployeeID", c.employee);
    setText(*master, "TSaleTypeID", c.saleType);
    setText(*master, "TotalQuantity", std::to_string(3 * lines));
    master->Post();
    for (int n = 0; n < lines; ++n) {
        detail->Append();
        setText(*detail, "ObjID", Guid::create().toString());
        setText(*detail, "ParentID", objId);
        setText(*detail, "TProductID", c.products[static_cast<std::size_t>(n) % c.products.size()]);
        setText(*detail, "Size2", "1");
        setText(*detail, "Size3", "2");
        setText(*detail, "Quantity", "3");
        setText(*detail, "UnitPrice", "128.5");
        setText(*detail, "InPrice", "80");
        setText(*detail, "SubTotal", "385.5");
        setText(*detail, "Profit", "145.5");
        detail->Post();
    }
    return packetOf({{"TMaster", master.get()}, {"TDetailInsert", detail.get()}});
}

WriteClient& clientOf(int threadIndex)
{
    static std::mutex lock;
    static std::array<std::unique_ptr<WriteClient>, MaxClients> clients;
    std::lock_guard guard(lock); // concurrent logins of one user count as failed guesses
    auto& client = clients.at(static_cast<std::size_t>(threadIndex));
    if (!client) client = std::make_unique<WriteClient>(theServer().url());
    return *client;
}

void BM_Write_SaveDocument(benchmark::State& state)
{
    static Latencies latencies;
    WriteClient& client = clientOf(state.thread_index());
    runClient(state, latencies, theServer().pid(), [&] {
        auto packet = delivery(client, Lines);
        if (!client.call(app::Insert, app::insert::MasterDetail, *packet))
            throw Error("the save was refused");
    });
}

/// The size verify of a stored document, as the size verify form sends it.
std::unique_ptr<TParamData> verifyOf(TParamData& saved)
{
    TClientDataSet master;
    master.SetData(saved.GetParamData("TMaster"));
    return packetOf({{"TMaster", &master}});
}

void BM_Write_SaveAndVerify(benchmark::State& state)
{
    static Latencies latencies;
    WriteClient& client = clientOf(state.thread_index());
    runClient(state, latencies, theServer().pid(), [&] {
        auto packet = delivery(client, Lines);
        if (!client.call(app::Insert, app::insert::MasterDetail, *packet))
            throw Error("the save was refused");
        auto verify = verifyOf(*packet);
        if (!client.call(app::SizeVerify, app::sizeverify::Verify, *verify))
            throw Error("the verify was refused");
    });
}

// ---- The floor ----

struct Statement {
    std::string sql;
    std::vector<Value> params;
    bool query = false;
};

class RecordingTransaction : public server::storage::Transaction {
public:
    RecordingTransaction(std::unique_ptr<server::storage::Transaction> real,
                         std::vector<Statement>& log)
        : m_real(std::move(real)), m_log(log)
    {
    }
    int64_t execute(std::string_view sql, std::span<const Value> params) override
    {
        m_log.push_back({std::string(sql), {params.begin(), params.end()}, false});
        return m_real->execute(sql, params);
    }
    server::storage::Rows query(std::string_view sql, std::span<const Value> params) override
    {
        m_log.push_back({std::string(sql), {params.begin(), params.end()}, true});
        return m_real->query(sql, params);
    }
    void executeScript(std::string_view sql) override { m_real->executeScript(sql); }
    void commit() override { m_real->commit(); }

private:
    std::unique_ptr<server::storage::Transaction> m_real;
    std::vector<Statement>& m_log;
};

class RecordingDatabase : public server::storage::Database {
public:
    explicit RecordingDatabase(server::storage::Database& real) : m_real(real) {}
    server::storage::Dialect dialect() const noexcept override { return m_real.dialect(); }
    std::unique_ptr<server::storage::Transaction>
    begin(server::storage::TransactionMode mode) override
    {
        log.clear();
        return std::make_unique<RecordingTransaction>(m_real.begin(mode), log);
    }
    /// The statements of the last transaction begun.
    std::vector<std::string> tableNames() override { return m_real.tableNames(); }
    std::vector<Statement> log;

private:
    server::storage::Database& m_real;
};

using Transactions = std::vector<std::vector<Statement>>;

/// The statements of one save of a delivery, as the insert service sends them to the storage,
/// and with `verify` those of its size verify too: one list per transaction.
Transactions recordedCalls(server::storage::Database& db, std::set<std::string>& fresh, bool verify)
{
    RecordingDatabase recording(db);
    server::ServerContext context{recording, server::SessionStore(), server::Credentials(), {}};
    WriteClient& client = clientOf(0);
    const std::string organ = scalar(db, "SELECT \"TOrganID\" FROM \"TUser\" WHERE \"ObjID\" = ?",
                                     {Value(client.userId)});
    const server::Session session{client.userId, "admin", client.ownerId, organ};
    server::CallContext callContext;
    server::CallScope scope(callContext);
    server::ServiceCall call{context, &session, callContext};
    Transactions calls;
    for (int pass = 0; pass < 2; ++pass) { // the first one also loads the dictionary
        auto packet = delivery(client, Lines);
        fresh.clear();
        // The ObjIDs the client made for the document and its lines.
        for (const char* rows : {"TMaster", "TDetailInsert"}) {
            TClientDataSet sent;
            sent.SetData(packet->GetParamData(rows));
            for (sent.First(); !sent.Eof(); sent.Next())
                fresh.insert(sent.FieldByName("ObjID").AsString());
        }
        calls.clear();
        server::insertDocument(call, *packet);
        calls.push_back(recording.log);
        if (verify) {
            auto sent = verifyOf(*packet);
            server::verifySizeDocuments(call, *sent);
            calls.push_back(recording.log);
        }
    }
    // And those the server made: first seen in an insert.
    std::set<std::string> seen;
    for (const auto& statements : calls)
        for (const Statement& s : statements) {
            const bool insert = s.sql.rfind("INSERT", 0) == 0;
            for (const Value& v : s.params) {
                if (v.type() != Variant::Type::String || !Guid::parse(v.asString())) continue;
                if (insert && !seen.count(v.asString())) fresh.insert(v.asString());
                seen.insert(v.asString());
            }
        }
    return calls;
}

void replayFloor(benchmark::State& state, bool verify)
{
    auto db = server::storage::Database::open(databaseUrl());
    std::set<std::string> fresh;
    const Transactions calls = recordedCalls(*db, fresh, verify);
    std::size_t count = 0;
    for (const auto& statements : calls)
        count += statements.size();
    for (auto _ : state) {
        std::map<std::string, std::string> renamed;
        for (const auto& statements : calls) {
            auto tx = db->begin(server::storage::TransactionMode::Write);
            for (const Statement& s : statements) {
                std::vector<Value> params = s.params;
                for (Value& v : params)
                    if (v.type() == Variant::Type::String && fresh.count(v.asString())) {
                        auto [at, added] = renamed.try_emplace(v.asString());
                        if (added) at->second = Guid::create().toString();
                        v = Value(at->second);
                    }
                if (s.query)
                    benchmark::DoNotOptimize(tx->query(s.sql, params));
                else
                    tx->execute(s.sql, params);
            }
            tx->commit();
        }
    }
    state.counters["statements"] = static_cast<double>(count);
    state.SetItemsProcessed(state.iterations());
}

void BM_Write_Floor(benchmark::State& state)
{
    replayFloor(state, false);
}

void BM_Write_FloorWithVerify(benchmark::State& state)
{
    replayFloor(state, true);
}

// ---- One line of a long document ----

void BM_Write_UpdateOneLine(benchmark::State& state)
{
    static Latencies latencies;
    WriteClient& client = clientOf(0);
    const int lines = static_cast<int>(state.range(0));
    auto saved = delivery(client, lines);
    TClientDataSet sentLines;
    sentLines.SetData(saved->GetParamData("TDetailInsert"));
    if (!client.call(app::Insert, app::insert::MasterDetail, *saved))
        throw Error("the document was refused");
    auto master = std::make_unique<TClientDataSet>();
    master->SetData(saved->GetParamData("TMaster"));
    auto line = client.blank("TStockOutList");
    sentLines.First();
    line->Append();
    for (int f = 0; f < line->FieldCount(); ++f)
        if (TField* from = sentLines.FindField(line->Fields(f).FieldName()))
            line->Fields(f).SetAsVariant(from->AsVariant());
    line->Post();
    int quantity = 3;
    runClient(state, latencies, theServer().pid(), [&] {
        line->Edit();
        quantity = quantity == 3 ? 4 : 3;
        setText(*line, "Size3", std::to_string(quantity - 1));
        setText(*line, "Quantity", std::to_string(quantity));
        line->Post();
        auto packet = packetOf({{"TMaster", master.get()}, {"TDetailUpdate", line.get()}});
        if (!client.call(app::Update, app::update::MasterDetail, *packet))
            throw Error("the change was refused");
    });
}

BENCHMARK(BM_Write_SaveDocument)
    ->Threads(1)
    ->Threads(8)
    ->Threads(32)
    ->UseRealTime()
    ->MinTime(minTime(3.0))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_Floor)->MinTime(minTime(3.0))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_SaveAndVerify)
    ->Threads(1)
    ->Threads(8)
    ->Threads(32)
    ->UseRealTime()
    ->MinTime(minTime(3.0))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_FloorWithVerify)->MinTime(minTime(3.0))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_UpdateOneLine)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->UseRealTime()
    ->MinTime(minTime(3.0))
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace corvo::bench

BENCHMARK_MAIN();
