// Paged queries of many clients against one real corvo-server over the large demo company
// (1,000,000 sales lines on SQLite), measured against their floor: the same statements run
// directly on the database plus deflating the replies.
//
// Each client does what a query form does: builds the clause set from the dictionary of its
// login reply (first page, then next pages after the last key), writes the server GUID (which
// frees the previous server object), creates the query object and invokes it. The lines are
// paged by the single-table query; the daily reports by the master/detail query, each page
// of 20 reports bringing their lines.
#include "LoadHarness.h"
#include "SqliteDb.h"
#include "entity/Error.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TClientDataSet.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/Envelope.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/schema/Schema.h"
#include "server/sql/StatementBuilder.h"
#include "server/storage/Database.h"
#include "server/tests/ServerProcess.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace corvo::bench {
namespace {

namespace app = remote::appserver;
using server::test::LoginPacket;
using server::test::ServerProcess;

constexpr const char* PagedTable = "TStockOutList";
constexpr int PagesPerWalk = 10; ///< a first page, then nine next pages

// A folder removed with everything in it when the program ends.
struct TemporaryFolder {
    std::filesystem::path path;
    ~TemporaryFolder()
    {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

// The large company: the file CORVO_QUERY_BENCH_DB names (made there when missing, kept
// afterwards), else one made in a new temporary folder for this run.
const std::string& databasePath()
{
    static TemporaryFolder made;
    static const std::string path = [] {
        std::string file;
        if (const char* given = std::getenv("CORVO_QUERY_BENCH_DB"); given && *given) {
            file = given;
        } else {
            made.path = std::filesystem::temp_directory_path() /
                        ("corvo-query-bench-" + std::to_string(::getpid()));
            std::filesystem::create_directories(made.path);
            file = (made.path / "large.db").string();
        }
        if (!std::filesystem::exists(file)) {
            // A smoke run pages a small company: enough lines for every page of a walk.
            std::vector<std::string> command{"init-demo", "--db", "sqlite:" + file, "--large"};
            if (smokeRun())
                command = {"init-demo", "--db", "sqlite:" + file, "--sales-lines", "5000"};
            std::cerr << "making the large demo company in " << file << " ...\n";
            std::string out;
            if (server::test::runServerCommand(command, &out) != 0)
                throw Error("init-demo failed: " + out);
        }
        return file;
    }();
    return path;
}

// As many server threads as cores: over SQLite the handlers never wait on a network, so more
// threads only add wake-ups. CORVO_QUERY_BENCH_THREADS sets another number.
std::string serverThreads()
{
    if (const char* given = std::getenv("CORVO_QUERY_BENCH_THREADS"); given && *given) return given;
    return std::to_string(std::max(1u, std::thread::hardware_concurrency()));
}

ServerProcess& theServer()
{
    static ServerProcess server("sqlite:" + databasePath(), {"--threads", serverThreads()});
    return server;
}

/// A logged-in client with its own connection and the dictionary of its login reply.
class Client {
public:
    Client()
    {
        m_conn.setURL(theServer().url());
        LoginPacket login("DEMO", "admin", "admin");
        if (!remote::CallServer(m_conn, app::Login, app::login::Login, login))
            throw Error("the login was refused");
        m_registry.LoadDictionary(login);
    }

    /// The clause set of the form's next query: the first page, or the page after `lastKey`.
    Variant clauseSet(const std::string& lastKey, const char* table = PagedTable)
    {
        TSQLAdder adder;
        m_registry.SelectTableFields(table);
        adder.BuildQuery(&m_registry.EntityByName("TDictField"),
                         lastKey.empty() ? pagemode::FirstPage : pagemode::NextPage, lastKey, "");
        return adder.Data();
    }

    /// One query as a form makes it; returns the key of the page's last row (empty when the
    /// page is empty) and leaves the reply in `reply`.
    std::string page(const std::string& lastKey, TParamData& reply)
    {
        reply.SetParamData("TMaster", clauseSet(lastKey));
        query(app::query::SingleTable, reply);
        TClientDataSet rows;
        rows.SetData(reply.GetParamData("TMaster"));
        if (rows.RecordCount() == 0) return {};
        rows.Last();
        return rows.FieldByName("ObjID").AsString();
    }

    /// The next query of this client's walk: pages 1 .. PagesPerWalk, then the first again.
    void nextQuery()
    {
        TParamData reply(paramkind::Data);
        m_lastKey = page(m_pageInWalk == 0 ? std::string() : m_lastKey, reply);
        m_pageInWalk = m_lastKey.empty() ? 0 : (m_pageInWalk + 1) % PagesPerWalk;
    }

    /// The daily-report query form's next page: 20 reports by Code and all their lines; returns
    /// the lines received.
    int nextReportPage()
    {
        TParamData packet(paramkind::Data);
        packet.SetParamData(
            "TMaster", clauseSet(m_reportPage == 0 ? std::string() : m_lastReport, "TStockOut"));
        packet.SetParamData("TDetailQuery",
                            m_registry.BuildEntity("TStockOutList", "TDetailQuery").Data());
        query(app::query::MasterDetail, packet);
        TClientDataSet masters, lines;
        masters.SetData(packet.GetParamData("TMaster"));
        lines.SetData(packet.GetParamData("TDetailQuery"));
        if (masters.RecordCount() == 0) {
            m_reportPage = 0;
            return lines.RecordCount();
        }
        masters.Last();
        m_lastReport = masters.FieldByName("Code").AsString();
        m_reportPage = (m_reportPage + 1) % PagesPerWalk;
        return lines.RecordCount();
    }

private:
    /// The query server's method as a form calls it: the packet's common rows, the previous
    /// object freed by writing the server GUID, a new one created and invoked.
    void query(int32_t method, TParamData& packet)
    {
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamValue("TOwnerID", Variant(EmptyGuidText));
        m_conn.setServerGUID(std::string(app::Query));
        if (!remote::CallServer(m_conn, app::Query, method, packet))
            throw Error("the query was refused");
    }

    remote::TIntellegentWebconn m_conn{"Query"};
    TCustomEntityList m_registry;
    std::string m_lastKey;
    int m_pageInWalk = 0;
    std::string m_lastReport;
    int m_reportPage = 0;
};

// Clients outlive a single run, so the sizing runs Google Benchmark makes first pay for the
// logins and connects.
Client& clientOf(int threadIndex)
{
    static std::array<std::unique_ptr<Client>, MaxClients> clients;
    auto& client = clients.at(static_cast<std::size_t>(threadIndex));
    if (!client) client = std::make_unique<Client>();
    return *client;
}

/// One walk's statements as the server builds them, with the reply each one gets.
struct FloorQuery {
    server::sql::Statement statement;
    Bytes reply; ///< the reply packet the client received
};

int runFloor(SqliteDb& db, const server::sql::Statement& s)
{
    return db.readAll(s.sql, s.params);
}

/// The company the benchmark's user acts for, as the server's session scopes its statements.
std::string sessionOwner(server::storage::Transaction& tx)
{
    const server::storage::Rows rows =
        tx.query("SELECT u.\"TOwnerID\", o.\"TOwnerID\" FROM \"TUser\" u JOIN \"TOrgan\" o ON "
                 "o.\"ObjID\" = u.\"TOrganID\" WHERE o.\"Code\" = ? AND u.\"Code\" = ?",
                 std::vector<server::storage::Value>{server::storage::Value(std::string("DEMO")),
                                                     server::storage::Value(std::string("admin"))});
    if (rows.rows.size() != 1) throw Error("the demo's user admin is not in the database");
    const auto& row = rows.rows.front();
    const std::string owner = row[0].isNull() ? std::string() : row[0].asString();
    if (!owner.empty()) return owner;
    return row[1].isNull() ? std::string() : row[1].asString();
}

/// The rows of a reply's TMaster packet.
int replyRows(const Bytes& reply)
{
    TParamData packet(paramkind::Data);
    packet.SetData(Variant(reply));
    TClientDataSet rows;
    rows.SetData(packet.GetParamData("TMaster"));
    return rows.RecordCount();
}

std::vector<FloorQuery> floorQueries()
{
    auto db = server::storage::Database::open("sqlite:" + databasePath());
    server::schema::Dictionary dictionary;
    std::string owner;
    {
        auto tx = db->begin(server::storage::TransactionMode::Read);
        dictionary = server::schema::loadDictionary(*tx);
        owner = sessionOwner(*tx);
        tx->commit();
    }
    Client client;
    std::vector<FloorQuery> out;
    std::string lastKey;
    for (int p = 0; p < PagesPerWalk; ++p) {
        TClientDataSet clauses;
        clauses.SetData(client.clauseSet(lastKey));
        FloorQuery q;
        q.statement = server::sql::buildStatement(dictionary, server::sql::clausesOf(clauses),
                                                  {server::storage::Dialect::Sqlite, owner});
        TParamData reply(paramkind::Data);
        lastKey = client.page(lastKey, reply);
        q.reply = reply.Data().asBytes();
        out.push_back(std::move(q));
    }
    // A floor that reads other rows than the server sends measures something else.
    SqliteDb check = SqliteDb::readOnly(databasePath());
    for (const FloorQuery& q : out) {
        const int floorRows = runFloor(check, q.statement);
        if (floorRows != replyRows(q.reply) || floorRows == 0)
            throw Error("the floor statement reads " + std::to_string(floorRows) +
                        " rows, the server replied " + std::to_string(replyRows(q.reply)));
    }
    static bool shown = false;
    if (!shown) {
        shown = true;
        std::cerr << "a next page's statement: " << out.back().statement.sql << "\n";
    }
    return out;
}

// zlib's default level through the envelope's own deflate: a reused stream, as the server's.
std::size_t deflateDefault(const Bytes& in)
{
    return remote::envelope::pack(in).size();
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

/// The floor's CPU per query, measured once per run over many walks.
double floorCpuMs()
{
    static const double perQuery = [] {
        const std::vector<FloorQuery> walk = floorQueries();
        SqliteDb db = SqliteDb::readOnly(databasePath());
        for (const FloorQuery& q : walk) // warm the page cache as the server's is
            runFloor(db, q.statement);
        constexpr int Walks = 200;
        const double start = threadCpuMs();
        for (int w = 0; w < Walks; ++w)
            for (const FloorQuery& q : walk) {
                runFloor(db, q.statement);
                benchmark::DoNotOptimize(deflateDefault(q.reply));
            }
        return (threadCpuMs() - start) / (Walks * static_cast<double>(walk.size()));
    }();
    return perQuery;
}

// The floor on its own: one statement of the walk and its reply's deflate per iteration.
void BM_Query_Floor(benchmark::State& state)
{
    const std::vector<FloorQuery> walk = floorQueries();
    SqliteDb db = SqliteDb::readOnly(databasePath());
    std::size_t at = 0, rows = 0, replyBytes = 0, deflated = 0;
    for (auto _ : state) {
        const FloorQuery& q = walk[at];
        at = (at + 1) % walk.size();
        rows += static_cast<std::size_t>(runFloor(db, q.statement));
        replyBytes += q.reply.size();
        deflated += deflateDefault(q.reply);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["rows"] = static_cast<double>(rows) / n;
    state.counters["reply_bytes"] = static_cast<double>(replyBytes) / n;
    state.counters["deflated_bytes"] = static_cast<double>(deflated) / n;
}

// Paged queries from N clients at once.
void BM_Query_PagedLines(benchmark::State& state)
{
    static Latencies latencies;
    const double floor = state.thread_index() == 0 ? floorCpuMs() : 0.0;
    Client& client = clientOf(state.thread_index());
    const double serverCpu =
        runClient(state, latencies, theServer().pid(), [&] { client.nextQuery(); });
    if (serverCpu >= 0) {
        state.counters["floor_ms"] = floor;
        state.counters["server_to_floor"] = serverCpu / floor;
        state.counters["server_threads"] = std::stod(serverThreads());
    }
}

// Pages of daily reports with their lines (the master/detail query), from N clients at once.
void BM_Query_ReportPagesWithLines(benchmark::State& state)
{
    static Latencies latencies;
    Client& client = clientOf(state.thread_index());
    std::size_t lines = 0;
    runClient(state, latencies, theServer().pid(),
              [&] { lines += static_cast<std::size_t>(client.nextReportPage()); });
    state.counters["lines_per_page"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_Query_Floor)->Unit(benchmark::kMicrosecond);
// Real time: items_per_second is then the queries of all clients per second of wall clock.
BENCHMARK(BM_Query_PagedLines)
    ->Threads(1)
    ->Threads(8)
    ->Threads(32)
    ->UseRealTime()
    ->MinTime(minTime(3.0))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Query_ReportPagesWithLines)
    ->Threads(1)
    ->Threads(8)
    ->UseRealTime()
    ->MinTime(minTime(3.0))
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace corvo::bench

BENCHMARK_MAIN();
