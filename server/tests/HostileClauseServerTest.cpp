// The hostile clause sets sent as a query form sends its clause set, to the real server on
// each backend: every one is answered with its refusal and nothing changes.
#include "ServerProcess.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/sql/tests/HostileClauses.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;

enum class Backend { Sqlite, Postgres };

class HostileClausesThroughTheServer : public ::testing::TestWithParam<Backend> {};

// Rows of the tables a hostile statement would most like to reach or change.
std::vector<int> rowCounts(remote::TIntellegentWebconn& conn)
{
    std::vector<int> counts;
    for (const char* table : {"TOrgan", "TUser", "TOtherParam"}) {
        TSQLAdder adder;
        adder.AddClause("from", table);
        adder.AddClause("select", std::string(table) + ".ObjID");
        TParamData packet(paramkind::Data);
        packet.SetParamData("TMaster", adder.Data());
        if (!remote::CallServer(conn, app::Query, app::query::SingleTable, packet)) return {};
        TClientDataSet rows;
        rows.SetData(packet.GetParamData("TMaster"));
        counts.push_back(rows.RecordCount());
    }
    return counts;
}

TEST_P(HostileClausesThroughTheServer, AreAnsweredWithTheirRefusalAndChangeNothing)
{
    if (GetParam() == Backend::Postgres && !postgresAvailable())
        GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    const std::string db = makeDemoDatabase(GetParam() == Backend::Postgres);
    ServerProcess server(db);
    remote::TIntellegentWebconn conn("Hostile");
    conn.setURL(server.url());
    LoginPacket login("DEMO", "admin", "admin");
    ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, login));
    const std::vector<int> before = rowCounts(conn);
    ASSERT_EQ(before.size(), 3u);

    for (const sql::test::Hostile& c : sql::test::hostileClauseSets()) {
        TSQLAdder adder;
        for (const sql::Clause& clause : sql::test::clauseSet(c))
            adder.AddClause(clause.kind, gbk::fromUtf8(clause.text));
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamData("TMaster", adder.Data());
        try {
            remote::CallServer(conn, app::Query, app::query::SingleTable, packet);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const std::exception& e) {
            EXPECT_THAT(e.what(), ::testing::HasSubstr(c.message)) << c.what;
        }
    }
    EXPECT_EQ(rowCounts(conn), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, HostileClausesThroughTheServer,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
