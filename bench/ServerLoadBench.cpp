// Concurrent clients against one real corvo-server process.
//
// Every benchmark thread is one client with its own web connection (its own HTTP keep-alive
// connection and cookie jar). The login cycle is what each client does at start-up; the
// free-object exchange is the cheapest request the server answers, the floor of the protocol.
// The slow password hash is timed on its own: it is half of the server's work for a login.
#include "LoadHarness.h"
#include "entity/Error.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "password/EncodePassword.h"
#include "remote/AppServers.h"
#include "remote/ObjectId.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/service/PasswordHash.h"
#include "server/tests/ServerProcess.h"

#include <array>
#include <memory>
#include <string>

namespace corvo::bench {
namespace {

namespace app = remote::appserver;
using server::test::LoginPacket;
using server::test::ServerProcess;

constexpr const char* ServerThreads = "4";

// The server lets one user have at most three logins under way and one address ten: each
// client logs in as its own user, and at most eight clients log in at once.
constexpr int LoginClients = 8;

std::string loginUser(int client)
{
    return "load" + std::to_string(client);
}

// Started on first use and stopped when the program ends; the clients below are made after it,
// so they are destroyed (freeing their server objects) while it still runs.
ServerProcess& theServer()
{
    static ServerProcess server(
        [] {
            const std::string url = server::test::makeDemoDatabase();
            for (int c = 0; c < LoginClients; ++c) {
                std::string out;
                if (server::test::runServerCommand({"user", "add", "--db", url, "--org", "DEMO",
                                                    "--code", loginUser(c), "--name", loginUser(c),
                                                    "--password", loginUser(c)},
                                                   &out) != 0)
                    throw Error("cannot add the load user: " + out);
            }
            return url;
        }(),
        {"--threads", ServerThreads});
    return server;
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

template <class Call> void runCalls(benchmark::State& state, Latencies& latencies, Call call)
{
    remote::TIntellegentWebconn& conn = clientOf(state.thread_index());
    runClient(state, latencies, theServer().pid(), [&] { call(conn); });
}

// Free the previous login object, create a new one, log in.
void BM_ServerLoad_LoginCycle(benchmark::State& state)
{
    static Latencies latencies;
    const std::string user = loginUser(state.thread_index());
    const Variant request = LoginPacket("DEMO", user, user).Data();
    runCalls(state, latencies, [&](remote::TIntellegentWebconn& conn) {
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
    runCalls(state, latencies, [](remote::TIntellegentWebconn& conn) {
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
    ->Threads(LoginClients)
    ->UseRealTime()
    ->MinTime(minTime(3.0))
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ServerLoad_FreeObject)
    ->Threads(1)
    ->Threads(8)
    ->Threads(32)
    ->UseRealTime()
    ->MinTime(minTime(2.0))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ServerLoad_PasswordHash)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace corvo::bench

BENCHMARK_MAIN();
