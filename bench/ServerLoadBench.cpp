// Concurrent clients against one real corvo-server process.
//
// Every benchmark thread is one client with its own web connection (its own HTTP keep-alive
// connection and cookie jar). The login cycle is what each client does at start-up; the
// free-object exchange is the cheapest request the server answers, the floor of the protocol.
// The slow password hash is timed on its own: it is half of the server's work for a login.
#include "entity/Error.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "remote/AppServers.h"
#include "remote/ObjectId.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/service/PasswordHash.h"
#include "server/tests/ServerProcess.h"
#include "shell/EncodePassword.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace corvo::bench {
namespace {

namespace app = remote::appserver;
using server::test::LoginPacket;
using server::test::ServerProcess;

constexpr int MaxClients = 32;
constexpr const char* ServerThreads = "4";

// Started on first use and stopped when the program ends; the clients below are made after it,
// so they are destroyed (freeing their server objects) while it still runs.
ServerProcess& theServer()
{
    static ServerProcess server(server::test::makeDemoDatabase(), {"--threads", ServerThreads});
    return server;
}

// The server's /proc/PID/stat: it is the one corvo-server child of this process.
std::string serverStatPath()
{
    theServer();
    static const std::string path = [] {
        const std::string parent = std::to_string(::getpid());
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream in(entry.path() / "stat");
            std::string line;
            if (!std::getline(in, line)) continue;
            const std::size_t open = line.find('(');
            const std::size_t close = line.rfind(')');
            if (open == std::string::npos || close == std::string::npos) continue;
            std::istringstream rest(line.substr(close + 1));
            std::string state, ppid;
            rest >> state >> ppid;
            if (ppid == parent && line.substr(open + 1, close - open - 1) == "corvo-server")
                return (entry.path() / "stat").string();
        }
        throw Error("the corvo-server process was not found");
    }();
    return path;
}

// CPU time (user and system) the server has used so far, in milliseconds.
double serverCpuMs()
{
    std::ifstream in(serverStatPath());
    std::string line;
    std::getline(in, line);
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    std::string field;
    for (int i = 0; i < 11; ++i) // state .. cmajflt
        rest >> field;
    long long user = 0, system = 0;
    rest >> user >> system;
    return 1000.0 * static_cast<double>(user + system) /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Clients outlive a single run, so their keep-alive connections do too: the runs Google
// Benchmark makes to size the measured one pay for the connects.
remote::TIntellegentWebconn& clientOf(int threadIndex)
{
    const std::string& url = theServer().url();
    static std::array<std::unique_ptr<remote::TIntellegentWebconn>, MaxClients> clients;
    auto& client = clients.at(static_cast<std::size_t>(threadIndex));
    if (!client) {
        client =
            std::make_unique<remote::TIntellegentWebconn>("Load" + std::to_string(threadIndex));
        client->setURL(url);
    }
    return *client;
}

// Per-call latencies of one benchmark, one slot per thread. A thread fills only its own slot;
// the loop's closing barrier lets thread 0 read them all afterwards.
struct Latencies {
    std::array<std::vector<double>, MaxClients> perThread;

    std::vector<double>& start(const benchmark::State& state)
    {
        auto& mine = perThread.at(static_cast<std::size_t>(state.thread_index()));
        mine.clear();
        return mine;
    }

    void report(benchmark::State& state, double serverCpuBefore)
    {
        // A failed thread 0 left its loop without the closing barrier: the others may still
        // be writing.
        if (state.thread_index() != 0 || state.error_occurred()) return;
        std::vector<double> all;
        for (int i = 0; i < state.threads(); ++i)
            all.insert(all.end(), perThread[static_cast<std::size_t>(i)].begin(),
                       perThread[static_cast<std::size_t>(i)].end());
        if (all.empty()) return;
        // Only thread 0 sets these, so Google Benchmark's sum over threads leaves them as is.
        state.counters["p50_ms"] = percentile(all, 0.50);
        state.counters["p99_ms"] = percentile(all, 0.99);
        state.counters["server_cpu_ms"] =
            (serverCpuMs() - serverCpuBefore) / static_cast<double>(all.size());
    }

    static double percentile(std::vector<double>& values, double p)
    {
        const auto rank =
            static_cast<std::size_t>(std::ceil(p * static_cast<double>(values.size())) - 1.0);
        const auto at =
            values.begin() + static_cast<std::ptrdiff_t>(std::min(rank, values.size() - 1));
        std::nth_element(values.begin(), at, values.end());
        return *at;
    }
};

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// One client's calls in the timed loop; the first error stops the run with its text.
template <class Call> void runClient(benchmark::State& state, Latencies& latencies, Call call)
{
    std::vector<double>& mine = latencies.start(state);
    remote::TIntellegentWebconn& conn = clientOf(state.thread_index());
    // No client sends before every thread, thread 0 included, has entered the loop.
    const double serverCpuBefore = state.thread_index() == 0 ? serverCpuMs() : 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        try {
            call(conn);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
        mine.push_back(millisecondsSince(start));
    }
    state.SetItemsProcessed(state.iterations());
    latencies.report(state, serverCpuBefore);
}

// Free the previous login object, create a new one, log in.
void BM_ServerLoad_LoginCycle(benchmark::State& state)
{
    static Latencies latencies;
    const Variant request = LoginPacket("DEMO", "admin", "admin").Data();
    runClient(state, latencies, [&](remote::TIntellegentWebconn& conn) {
        conn.setServerGUID(std::string(app::Login));
        TParamData packet(paramkind::Data);
        packet.SetData(request);
        if (!remote::CallServer(conn, app::Login, app::login::Login, packet))
            throw Error("the login was refused");
    });
}

// A free request for an object the server never made: read, looked up, answered empty.
void BM_ServerLoad_FreeObject(benchmark::State& state)
{
    static Latencies latencies;
    runClient(state, latencies, [](remote::TIntellegentWebconn& conn) {
        conn.interpreter().SendFreeObject(remote::newObjectId());
    });
}

// The check every correct login pays on the server: one derivation of the stored hash.
void BM_ServerLoad_PasswordHash(benchmark::State& state)
{
    const std::string encoded = EncodePassword("admin", "admin");
    const std::string stored = server::hashPassword(encoded);
    for (auto _ : state)
        if (!server::verifyPassword(encoded, stored)) state.SkipWithError("hash mismatch");
}

// Real time: with several threads Google Benchmark divides the summed thread wall times by the
// thread count and sums the iterations, so items_per_second is the calls of all clients per
// second of wall clock; the default CPU time would count only the clients' own CPU.
BENCHMARK(BM_ServerLoad_LoginCycle)
    ->Threads(1)
    ->Threads(8)
    ->Threads(32)
    ->UseRealTime()
    ->MinTime(3.0)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerLoad_FreeObject)
    ->Threads(1)
    ->Threads(8)
    ->Threads(32)
    ->UseRealTime()
    ->MinTime(2.0)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ServerLoad_PasswordHash)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace corvo::bench

BENCHMARK_MAIN();
