// The bounds of one call through the real server: statement time, rows and bytes of one call's
// reads; past them the call ends with a message for the user and the server goes on serving.
// A failure the user cannot act on is answered with a number that finds it in the log.
#include "ServerProcess.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/storage/Database.h"

#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <string>
#include <thread>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;

enum class Backend { Sqlite, Postgres };

class QueryLimits : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !postgresAvailable())
            GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        url = makeDemoDatabase(GetParam() == Backend::Postgres);
    }

    void start(std::vector<std::string> options)
    {
        server = std::make_unique<ServerProcess>(url, std::move(options));
        conn.setURL(server->url());
        LoginPacket login("DEMO", "admin", "admin");
        ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, login));
        registry.LoadDictionary(login);
    }

    /// The error a query answers, "(no error)" when it is served.
    std::string query(const std::string& table, int method, std::string_view pageMode,
                      const std::string& where = {}, remote::TIntellegentWebconn* on = nullptr)
    {
        TSQLAdder adder;
        registry.SelectTableFields(table);
        adder.BuildQuery(&registry.EntityByName("TDictField"), pageMode, "", "");
        if (!where.empty()) adder.AddClause("where", gbk::fromUtf8(where));
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamData("TMaster", adder.Data());
        if (method == app::query::MasterDetail && table == "TStockOut")
            packet.SetParamData("TDetailQuery",
                                registry.BuildEntity("TStockOutList", "TDetailQuery").Data());
        return errorOf([&] { remote::CallServer(on ? *on : conn, app::Query, method, packet); });
    }

    std::string url;
    std::unique_ptr<ServerProcess> server;
    remote::TIntellegentWebconn conn{"Limits"};
    TCustomEntityList registry;
};

TEST_P(QueryLimits, ACallStopsAtItsRowsAndTheNextIsServed)
{
    // The demo holds about 3,000 daily-report lines in about 530 reports; a login reads about
    // 1,100 rows.
    start({"--max-reply-rows", "2000"});
    const std::string tooMany = "查询结果超过2000行，请缩小查询范围后重试。";
    struct Case {
        const char* table;
        int method;
        std::string_view pageMode;
        std::string error;
    };
    const Case cases[] = {
        {"TStockOutList", app::query::SingleTable, "AllPage", tooMany},
        // The summary reads every page whatever the form asks for.
        {"TStockOutList", app::query::Summary, "FirstPage", tooMany},
        // The masters, their lines and their sizes are one call's reads.
        {"TStockOut", app::query::MasterDetail, "AllPage", tooMany},
        {"TStockOut", app::query::MasterDetail, "FirstPage", "(no error)"},
        {"TStockOut", app::query::Summary, "FirstPage", "(no error)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(query(c.table, c.method, c.pageMode), c.error) << c.table << " " << c.method;
}

TEST_P(QueryLimits, ACallStopsAtItsBytes)
{
    start({"--max-reply-mb", "1"});
    EXPECT_EQ(query("TStockOut", app::query::MasterDetail, "AllPage"),
              "查询结果超过1MB，请缩小查询范围后重试。");
    EXPECT_EQ(query("TStockOut", app::query::MasterDetail, "FirstPage"), "(no error)");
}

TEST_P(QueryLimits, ASlowStatementIsStoppedWhileOthersAreServed)
{
    start({"--statement-timeout", "1"});
    // Every line against every size row against every size row: hours of work.
    const std::string slow =
        "TStockOutList.Quantity in (select Quantity from TStockOutListSize where "
        "TStockOutListSize.SizeNo <> TStockOutList.Quantity and TStockOutListSize.Quantity in "
        "(select SizeNo from TStockOutListSize where TStockOutListSize.Quantity <> "
        "TStockOutList.Quantity))";
    std::string stopped;
    std::thread slowCall(
        [&] { stopped = query("TStockOutList", app::query::SingleTable, "AllPage", slow); });
    remote::TIntellegentWebconn other{"Other"};
    other.setURL(server->url());
    LoginPacket login("DEMO", "admin", "admin");
    EXPECT_TRUE(remote::CallServer(other, app::Login, app::login::Login, login));
    EXPECT_EQ(query("TProduct", app::query::SingleTable, "FirstPage", {}, &other), "(no error)");
    slowCall.join();
    EXPECT_EQ(stopped, "查询超过1秒仍未完成，已被中止，请缩小查询范围后重试。");
    EXPECT_EQ(query("TStockOut", app::query::SingleTable, "FirstPage"), "(no error)");
}

TEST_P(QueryLimits, ADatabaseFailureIsAnsweredWithItsLogNumberOnly)
{
    start({});
    {
        auto db = storage::Database::open(url);
        auto tx = db->begin(storage::TransactionMode::Write);
        tx->executeScript("DROP TABLE \"TMaterial\"");
        tx->commit();
    }
    const std::string error = query("TMaterial", app::query::SingleTable, "FirstPage");
    std::smatch number;
    ASSERT_TRUE(std::regex_search(error, number, std::regex("日志编号：([0-9]+-[0-9]+)"))) << error;
    EXPECT_EQ(error, "服务器处理请求时出错，请稍后重试或与系统管理员联系（日志编号：" +
                         number[1].str() + "）。");
    const std::string log = server->log();
    const std::size_t at = log.find("error " + number[1].str() + ": ");
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_NE(log.find("TMaterial", at), std::string::npos) << "the statement is in the log";
}

INSTANTIATE_TEST_SUITE_P(Backends, QueryLimits,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
