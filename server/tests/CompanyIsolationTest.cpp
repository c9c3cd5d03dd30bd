// Two companies in one database, through the real server: whatever table or query method a
// user of one company asks for, none of the other company's rows come back, nor its values
// through a join or a sub-select.
#include "ServerProcess.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TClientDataSet.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/schema/Ownership.h"
#include "server/schema/SystemIds.h"
#include "server/storage/Database.h"

#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using Ids = std::set<std::string>;

enum class Backend { Sqlite, Postgres };

constexpr const char* Other = "ACME";

Ids idsOf(TParamData& packet, std::string_view row, std::string_view field = "ObjID")
{
    Ids ids;
    if (!packet.ParamExists(row)) return ids;
    TClientDataSet rows;
    rows.SetData(packet.GetParamData(row));
    const int at = rows.FieldIndexOf(field);
    if (at < 0) return ids;
    for (rows.First(); !rows.Eof(); rows.Next())
        ids.insert(rows.Fields(at).AsString());
    return ids;
}

/// One logged-in user of one company, querying as the client's forms do.
class Client {
public:
    Client(const std::string& url, const std::string& organ)
    {
        m_conn.setURL(url);
        LoginPacket login(organ, "admin", "admin");
        if (!remote::CallServer(m_conn, app::Login, app::login::Login, login))
            throw std::runtime_error("login refused: " + organ);
        m_registry.LoadDictionary(login);
        TClientDataSet users;
        users.SetData(login.GetParamData("TUser"));
        for (users.First(); !users.Eof(); users.Next())
            if (users.FieldByName("Code").AsString() == "admin")
                adminId = users.FieldByName("ObjID").AsString();
        TClientDataSet tables;
        tables.SetData(login.GetParamData("TDictTable"));
        for (tables.First(); !tables.Eof(); tables.Next())
            this->tables.push_back(gbk::toUtf8(tables.FieldByName("Code").AsString()));
    }

    /// Every ObjID a method answers for the whole table: masters, lines and their sizes.
    Ids query(const std::string& table, int method)
    {
        TSQLAdder adder;
        m_registry.SelectTableFields(table);
        adder.BuildQuery(&m_registry.EntityByName("TDictField"), "AllPage", "", "");
        if (method == app::query::Summary) adder.AddClause("sum", table + ".ObjID");
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamData("TMaster", adder.Data());
        const bool detailed =
            method == app::query::MasterDetail || method == app::query::SizeSummary;
        if (detailed && hasTable(table + "List"))
            packet.SetParamData("TDetailQuery",
                                m_registry.BuildEntity(table + "List", "TDetailQuery").Data());
        if (!remote::CallServer(m_conn, app::Query, method, packet))
            throw std::runtime_error("query refused");
        Ids ids = idsOf(packet, "TMaster");
        for (const char* row : {"TDetailQuery", "TDetailListQuery"})
            for (const std::string& id : idsOf(packet, row))
                ids.insert(id);
        return ids;
    }

    /// The rows of a hand-written single-table query.
    Ids where(const std::string& table, const std::string& condition)
    {
        TSQLAdder adder;
        adder.AddClause("from", table);
        adder.AddClause("select", table + ".ObjID");
        adder.AddClause("where", condition);
        TParamData packet(paramkind::Data);
        packet.SetParamData("TMaster", adder.Data());
        if (!remote::CallServer(m_conn, app::Query, app::query::SingleTable, packet))
            throw std::runtime_error("query refused");
        return idsOf(packet, "TMaster");
    }

    void single(const std::string& table, TParamData& packet)
    {
        TSQLAdder adder;
        m_registry.SelectTableFields(table);
        adder.BuildQuery(&m_registry.EntityByName("TDictField"), "AllPage", "", "");
        packet.SetParamData("TMaster", adder.Data());
        if (!remote::CallServer(m_conn, app::Query, app::query::SingleTable, packet))
            throw std::runtime_error("query refused");
    }

    bool hasTable(const std::string& table) const
    {
        for (const std::string& t : tables)
            if (t == table) return true;
        return false;
    }

    std::string adminId;
    std::vector<std::string> tables;

private:
    remote::TIntellegentWebconn m_conn{"Isolation"};
    TCustomEntityList m_registry;
};

class CompanyIsolation : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !postgresAvailable())
            GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        url = makeDemoDatabase(GetParam() == Backend::Postgres);
        std::string out;
        ASSERT_EQ(runServerCommand({"init-demo", "--db", url, "--company", Other}, &out), 0) << out;
        db = storage::Database::open(url);
        server = std::make_unique<ServerProcess>(url);
        demo = std::make_unique<Client>(server->url(), "DEMO");
        other = std::make_unique<Client>(server->url(), Other);
    }

    storage::Rows sql(const std::string& text, std::vector<storage::Value> params = {})
    {
        auto tx = db->begin(storage::TransactionMode::Read);
        return tx->query(text, params);
    }

    /// The table's rows of no company, which every company reads.
    Ids ofNoCompany(const std::string& table)
    {
        Ids ids;
        if (!hasOwnerColumn(table)) return ids;
        for (const auto& row :
             sql("SELECT \"ObjID\" FROM \"" + table +
                     "\" WHERE \"TOwnerID\" IS NULL OR \"TOwnerID\" = '' OR \"TOwnerID\" = ?",
                 {std::string(EmptyGuidText)})
                 .rows)
            ids.insert(row[0].asString());
        return ids;
    }

    bool hasOwnerColumn(const std::string& table)
    {
        return sql("SELECT COUNT(*) FROM \"TDictField\" f JOIN \"TDictTable\" t ON t.\"ObjID\" = "
                   "f.\"ParentID\" WHERE t.\"Code\" = ? AND f.\"Code\" = 'TOwnerID'",
                   {table})
                   .rows[0][0]
                   .asInteger() > 0;
    }

    int64_t rowCount(const std::string& table)
    {
        return sql("SELECT COUNT(*) FROM \"" + table + "\"").rows[0][0].asInteger();
    }

    std::string url;
    std::unique_ptr<storage::Database> db;
    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<Client> demo, other;
};

TEST_P(CompanyIsolation, NoTableAndNoMethodAnswersTheOtherCompanysRows)
{
    const int methods[] = {app::query::SingleTable, app::query::MasterDetail, app::query::Summary,
                           app::query::SizeSummary};
    int tablesChecked = 0, leaked = 0;
    for (const std::string& table : demo->tables) {
        const Ids none = ofNoCompany(table);
        const bool shared = schema::isSharedTable(table);
        for (int method : methods) {
            SCOPED_TRACE(table + " method " + std::to_string(method));
            const Ids a = demo->query(table, method);
            const Ids b = other->query(table, method);
            if (shared) {
                EXPECT_EQ(a, b);
                continue;
            }
            // The second company is a copy: each reads as many rows of its own.
            EXPECT_EQ(a.size(), b.size());
            if (rowCount(table) > 0) {
                EXPECT_FALSE(a.empty());
            }
            int both = 0;
            std::string example;
            for (const std::string& id : a)
                if (b.count(id) && !none.count(id) && ++both == 1) example = id;
            EXPECT_EQ(both, 0) << "both companies read rows such as " << example;
            leaked += both;
        }
        ++tablesChecked;
    }
    std::cout << "tables checked: " << tablesChecked << ", rows leaked: " << leaked << std::endl;
}

TEST_P(CompanyIsolation, SubSelectsReachNoOtherCompanysRows)
{
    const auto documentOf = [&](const std::string& owner) {
        return sql("SELECT \"ObjID\" FROM \"TStockOut\" WHERE \"TOwnerID\" = ? ORDER BY "
                   "\"ObjID\" LIMIT 1",
                   {owner})
            .rows.at(0)
            .at(0)
            .asString();
    };
    const std::string otherCompany =
        sql("SELECT \"ObjID\" FROM \"TOrgan\" WHERE \"Code\" = ?", {std::string(Other)})
            .rows.at(0)
            .at(0)
            .asString();
    struct Probe {
        const char* table;
        std::string condition; ///< "<id>" stands for the row asked about
        std::string own, others;
    };
    const Probe probes[] = {
        // Which modules another company's user holds.
        {"TModuleGroup",
         "TModuleGroup.TModuleID in (select TModuleID from TUserModule where "
         "TUserModule.TUserID = '<id>')",
         demo->adminId, other->adminId},
        // The status of another company's document.
        {"TOtherParam",
         "TOtherParam.ObjID in (select StatusTStockOutID from TStockOut where TStockOut.ObjID = "
         "'<id>')",
         documentOf(std::string(schema::ids::DemoOrgan)), documentOf(otherCompany)},
    };
    for (const Probe& p : probes) {
        const auto ask = [&](const std::string& id) {
            std::string c = p.condition;
            c.replace(c.find("<id>"), 4, id);
            return demo->where(p.table, c);
        };
        EXPECT_FALSE(ask(p.own).empty()) << p.condition;
        EXPECT_TRUE(ask(p.others).empty()) << p.condition;
    }
}

TEST_P(CompanyIsolation, JoinedColumnsShowNothingOfTheOtherCompany)
{
    // A warehouse of the demo company that names the other company's store.
    const std::string store =
        sql("SELECT \"ObjID\" FROM \"TOrgan\" WHERE \"Code\" = ?", {std::string(Other) + "-LS"})
            .rows.at(0)
            .at(0)
            .asString();
    const std::string warehouse = sql("SELECT \"ObjID\" FROM \"TWarehouse\" WHERE \"TOwnerID\" = ? "
                                      "ORDER BY \"ObjID\" LIMIT 1",
                                      {std::string(schema::ids::DemoOrgan)})
                                      .rows.at(0)
                                      .at(0)
                                      .asString();
    {
        auto tx = db->begin(storage::TransactionMode::Write);
        tx->execute("UPDATE \"TWarehouse\" SET \"TOrganID\" = ? WHERE \"ObjID\" = ?",
                    std::vector<storage::Value>{store, warehouse});
        tx->commit();
    }
    TParamData reply(paramkind::Data);
    demo->single("TWarehouse", reply);
    TClientDataSet rows;
    rows.SetData(reply.GetParamData("TMaster"));
    int named = 0;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        if (rows.FieldByName("ObjID").AsString() != warehouse) {
            named += rows.FieldByName("TOrganName").AsString().empty() ? 0 : 1;
            continue;
        }
        EXPECT_EQ(rows.FieldByName("TOrganID").AsString(), store);
        EXPECT_EQ(rows.FieldByName("TOrganName").AsString(), "");
    }
    EXPECT_GT(named, 0) << "the other warehouses show their store";
}

TEST_P(CompanyIsolation, TheSecondCompanyHasTheSystemsListsAndItsOwnLogin)
{
    std::string out;
    EXPECT_NE(runServerCommand({"init-demo", "--db", url, "--company", Other}, &out), 0);
    EXPECT_NE(out.find("already holds the organisation"), std::string::npos) << out;
    // The status and kind lists every form looks up are there for both companies.
    for (Client* c : {demo.get(), other.get()}) {
        const Ids statuses =
            c->where("TOtherParam", "TOtherParam.Type = 'StatusTStockOutID' or TOtherParam.Type "
                                    "= 'TStockOutTypeID' or TOtherParam.Type = 'StatusID'");
        EXPECT_GE(statuses.size(), 5u);
        EXPECT_TRUE(statuses.count(std::string(schema::ids::StatusValid)));
    }
    LoginPacket clerk(std::string(Other) + "-LS", "clerk", "clerk");
    remote::TIntellegentWebconn conn{"Clerk"};
    conn.setURL(server->url());
    EXPECT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, clerk));
}

INSTANTIATE_TEST_SUITE_P(Backends, CompanyIsolation,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
