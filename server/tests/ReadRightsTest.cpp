// Document tables through the real server are read only with a module on them: the demo's
// clerk keeps to the sales side, the buyer to purchasing; references stay open to both.
#include "ServerProcess.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;

enum class Backend { Sqlite, Postgres };

struct Case {
    const char* user;
    const char* table;
    int method;
    const char* where;   ///< an extra condition, or empty
    const char* refused; ///< the caption the refusal names; empty: the read is served
};

const Case Cases[] = {
    {"clerk", "TPurchaseOrder", app::query::SingleTable, "", "采购订单"},
    {"clerk", "TPurchaseOrder", app::query::MasterDetail, "", "采购订单"},
    {"clerk", "TPurchaseOrderList", app::query::SingleTable, "", "采购订单明细"},
    {"clerk", "TStockInListSize", app::query::Summary, "", "入库单尺码"},
    {"clerk", "TAccount", app::query::SingleTable, "", "往来帐"},
    // A reference read that reaches a document through a sub-select.
    {"clerk", "TProduct", app::query::SingleTable,
     "TProduct.ObjID in (select TProductID from TPurchaseOrderList)", "采购订单明细"},
    {"clerk", "TStockOut", app::query::SizeSummary, "", ""},
    {"clerk", "TStockOutList", app::query::SingleTable, "", ""},
    {"clerk", "TStock", app::query::SingleTable, "", ""},
    {"clerk", "TProduct", app::query::SingleTable, "", ""},
    {"clerk", "TOrgan", app::query::SingleTable, "", ""},
    {"buyer", "TPurchaseOrder", app::query::MasterDetail, "", ""},
    // Granted through the group of a group: 采购管理 → 采购入库 → its modules.
    {"buyer", "TStockIn", app::query::SizeSummary, "", ""},
    {"buyer", "TProduct", app::query::SingleTable,
     "TProduct.ObjID in (select TProductID from TPurchaseOrderList)", ""},
    {"buyer", "TStockOut", app::query::SingleTable, "", "出库单"},
    {"buyer", "TSaleOrderList", app::query::SingleTable, "", "销售订单明细"},
};

class ReadRights : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !postgresAvailable())
            GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        server = std::make_unique<ServerProcess>(makeDemoDatabase(GetParam() == Backend::Postgres));
        for (const auto& [organ, user] : {std::pair{"LS", "clerk"}, std::pair{"DEMO", "buyer"}}) {
            auto& s = sessions[user];
            s = std::make_unique<Session>();
            s->conn.setURL(server->url());
            LoginPacket login(organ, user, user);
            ASSERT_TRUE(remote::CallServer(s->conn, app::Login, app::login::Login, login)) << user;
            s->registry.LoadDictionary(login);
        }
    }

    struct Session {
        remote::TIntellegentWebconn conn{"Rights"};
        TCustomEntityList registry;
    };
    std::unique_ptr<ServerProcess> server;
    std::map<std::string, std::unique_ptr<Session>> sessions;
};

TEST_P(ReadRights, DocumentTablesNeedAModuleOnThemReferencesDoNot)
{
    int refused = 0;
    for (const Case& c : Cases) {
        SCOPED_TRACE(std::string(c.user) + " " + c.table + " method " + std::to_string(c.method));
        Session& s = *sessions.at(c.user);
        TSQLAdder adder;
        s.registry.SelectTableFields(c.table);
        adder.BuildQuery(&s.registry.EntityByName("TDictField"), "FirstPage", "", "");
        if (*c.where) adder.AddClause("where", gbk::fromUtf8(c.where));
        if (c.method == app::query::Summary)
            adder.AddClause("sum", std::string(c.table) + ".ObjID");
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamData("TMaster", adder.Data());
        const std::string error =
            errorOf([&] { remote::CallServer(s.conn, app::Query, c.method, packet); });
        if (*c.refused) {
            EXPECT_EQ(error,
                      "您没有查看[" + std::string(c.refused) + "]的权限，请与系统管理员联系！");
            ++refused;
        } else {
            EXPECT_EQ(error, "(no error)");
        }
    }
    std::cout << "refused reads: " << refused << std::endl;
}

TEST_P(ReadRights, AReadOfLinesAfterAGrantedMasterIsRefusedToo)
{
    // The clerk's own daily reports, with the buyer's order lines named as their details.
    Session& s = *sessions.at("clerk");
    TSQLAdder adder;
    s.registry.SelectTableFields("TStockOut");
    adder.BuildQuery(&s.registry.EntityByName("TDictField"), "FirstPage", "", "");
    TParamData packet(paramkind::Data);
    packet.SetParamData("TMaster", adder.Data());
    packet.SetParamData("TDetailQuery",
                        s.registry.BuildEntity("TPurchaseOrderList", "TDetailQuery").Data());
    EXPECT_EQ(
        errorOf([&] { remote::CallServer(s.conn, app::Query, app::query::MasterDetail, packet); }),
        "您没有查看[采购订单明细]的权限，请与系统管理员联系！");
}

INSTANTIATE_TEST_SUITE_P(Backends, ReadRights,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
