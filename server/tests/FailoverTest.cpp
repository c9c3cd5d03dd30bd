// Two server processes on one database: a client logged in through the first goes on through
// the second when the first dies, without logging in again.
#include "ServerProcess.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <csignal>
#include <gtest/gtest.h>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;

enum class Backend { Sqlite, Postgres };

class Failover : public ::testing::TestWithParam<Backend> {};

bool queryProducts(remote::TIntellegentWebconn& conn)
{
    TSQLAdder adder;
    adder.AddClause("from", "TProduct");
    adder.AddClause("select", "top 20 TProduct.Code");
    TParamData packet(paramkind::Data);
    packet.SetParamData("TMaster", adder.Data());
    return remote::CallServer(conn, app::Query, app::query::SingleTable, packet);
}

TEST_P(Failover, TheSessionTravelsToTheNextServerOfTheList)
{
    if (GetParam() == Backend::Postgres && !postgresAvailable())
        GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    const std::string db = makeDemoDatabase(GetParam() == Backend::Postgres);
    ServerProcess first(db);
    // Another host name: the cookie of the first is not the second's.
    ServerProcess second(db, {"--listen", "127.0.0.2:0"});
    remote::TIntellegentWebconn conn{"Failover"};
    conn.setUrls({first.url(), second.url()});

    LoginPacket login("DEMO", "admin", "admin");
    ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, login));
    ASSERT_TRUE(queryProducts(conn));
    EXPECT_EQ(conn.URL(), first.url());

    ::kill(first.pid(), SIGKILL);
    first.stop();
    EXPECT_TRUE(queryProducts(conn));
    EXPECT_EQ(conn.URL(), second.url());
    const std::string log = second.log();
    EXPECT_NE(log.find("SingleTableQuery user=admin"), std::string::npos) << log;
    EXPECT_EQ(log.find("login Login"), std::string::npos) << "no second login";
}

INSTANTIATE_TEST_SUITE_P(Backends, Failover, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
