// The query service against the real corvo-server, driven as the client's query forms drive it:
// the clause set built by the client's own TSQLAdder from the dictionary of the login reply.
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

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using ::testing::HasSubstr;

class QueryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        database = new std::string(makeDemoDatabase());
        server = new ServerProcess(*database);
    }
    static void TearDownTestSuite()
    {
        delete server;
        delete database;
    }

    QueryTest()
    {
        conn.setURL(server->url());
        LoginPacket login("DEMO", "admin", "admin");
        if (!remote::CallServer(conn, app::Login, app::login::Login, login))
            throw std::runtime_error("login refused");
        registry.LoadDictionary(login);
    }

    /// The clause set of a query form over the table, in the page mode, with extra conditions.
    void clauses(TSQLAdder& adder, const std::string& table, const std::string& pageMode,
                 const std::vector<std::string>& where = {})
    {
        TCustomEntity& fields = registry.EntityByName("TDictField");
        registry.SelectTableFields(table);
        adder.BuildQuery(&fields, pageMode, "", "");
        for (const std::string& w : where)
            adder.AddClause("where", gbk::fromUtf8(w));
    }

    void queryPacket(TParamData& packet, TSQLAdder& adder)
    {
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamValue("TOwnerID", Variant(EmptyGuidText));
        packet.SetParamData("TMaster", adder.Data());
    }

    static std::string* database;
    static ServerProcess* server;
    remote::TIntellegentWebconn conn{"Query"};
    TCustomEntityList registry;
};

std::string* QueryTest::database = nullptr;
ServerProcess* QueryTest::server = nullptr;

TEST_F(QueryTest, FirstPageOfATableComesInTheClientsStructure)
{
    TSQLAdder adder;
    clauses(adder, "TProduct", "FirstPage");
    TParamData packet(paramkind::Data);
    queryPacket(packet, adder);
    ASSERT_TRUE(remote::CallServer(conn, app::Query, app::query::SingleTable, packet));

    TClientDataSet rows;
    rows.SetData(packet.GetParamData("TMaster"));
    EXPECT_GT(rows.RecordCount(), 0);
    EXPECT_LE(rows.RecordCount(), 20);
    TCustomEntity& expected = registry.BuildEntity("TProduct", "ProductShape");
    ASSERT_EQ(rows.FieldCount(), expected.FieldCount());
    for (int f = 0; f < rows.FieldCount(); ++f) {
        EXPECT_EQ(rows.Fields(f).FieldName(), expected.Fields(f).FieldName());
        EXPECT_EQ(rows.Fields(f).DataType(), expected.Fields(f).DataType());
    }
    rows.First();
    EXPECT_FALSE(rows.FieldByName("Name").AsString().empty());
}

TEST_F(QueryTest, ConditionTextsNarrowTheRows)
{
    TSQLAdder all, some;
    clauses(all, "TProduct", "AllPage");
    clauses(some, "TProduct", "AllPage", {"TProduct.Name like '%羽绒%'"});
    TParamData a(paramkind::Data), b(paramkind::Data);
    queryPacket(a, all);
    queryPacket(b, some);
    ASSERT_TRUE(remote::CallServer(conn, app::Query, app::query::SingleTable, a));
    ASSERT_TRUE(remote::CallServer(conn, app::Query, app::query::SingleTable, b));
    TClientDataSet allRows, someRows;
    allRows.SetData(a.GetParamData("TMaster"));
    someRows.SetData(b.GetParamData("TMaster"));
    EXPECT_GT(someRows.RecordCount(), 0);
    EXPECT_LT(someRows.RecordCount(), allRows.RecordCount());
    for (someRows.First(); !someRows.Eof(); someRows.Next())
        EXPECT_THAT(gbk::toUtf8(someRows.FieldByName("Name").AsString()), HasSubstr("羽绒"));
}

TEST_F(QueryTest, MasterDetailQueryReturnsTheLinesOfThePageAndTheirSizes)
{
    TSQLAdder adder;
    clauses(adder, "TStockOut", "FirstPage");
    TParamData packet(paramkind::Data);
    queryPacket(packet, adder);
    TCustomEntity& shape = registry.BuildEntity("TStockOutList", "TDetailQuery");
    packet.SetParamData("TDetailQuery", shape.Data());
    ASSERT_TRUE(remote::CallServer(conn, app::Query, app::query::MasterDetail, packet));

    TClientDataSet masters, lines, sizes;
    masters.SetData(packet.GetParamData("TMaster"));
    lines.SetData(packet.GetParamData("TDetailQuery"));
    sizes.SetData(packet.GetParamData("TDetailListQuery"));
    EXPECT_TRUE(packet.ParamExists("TDetail"));
    ASSERT_GT(masters.RecordCount(), 0);
    ASSERT_GT(lines.RecordCount(), 0);
    EXPECT_GT(sizes.RecordCount(), 0);
    EXPECT_EQ(lines.FieldCount(), shape.FieldCount());
    // Every line belongs to one of the masters of the page.
    for (lines.First(); !lines.Eof(); lines.Next())
        EXPECT_TRUE(masters.Locate("ObjID", Variant(lines.FieldByName("ParentID").AsString())));
}

TEST_F(QueryTest, SizeSummaryGivesOneLinePerProductWithItsSizesSummed)
{
    auto ask = [&](int32_t method, TParamData& packet) {
        TSQLAdder adder;
        clauses(adder, "TStockOut", "FirstPage");
        queryPacket(packet, adder);
        packet.SetParamData("TDetailQuery",
                            registry.BuildEntity("TStockOutList", "TDetailQuery").Data());
        ASSERT_TRUE(remote::CallServer(conn, app::Query, method, packet));
    };
    TParamData plain(paramkind::Data), summed(paramkind::Data);
    ask(app::query::MasterDetail, plain);
    ask(app::query::SizeSummary, summed);

    TCustomEntity lines, summary, sizes, summarySizes;
    lines.SetData(plain.GetParamData("TDetailQuery"));
    summary.SetData(summed.GetParamData("TDetailQuery"));
    sizes.SetData(plain.GetParamData("TDetailListQuery"));
    summarySizes.SetData(summed.GetParamData("TDetailListQuery"));
    ASSERT_GT(lines.RecordCount(), summary.RecordCount());
    EXPECT_DOUBLE_EQ(summary.SumField("Quantity"), lines.SumField("Quantity"));
    EXPECT_DOUBLE_EQ(summarySizes.SumField("Quantity"), sizes.SumField("Quantity"));
    std::set<std::string> products, lineSizes;
    for (summary.First(); !summary.Eof(); summary.Next())
        EXPECT_TRUE(products.insert(summary.FieldByName("TProductID").AsString()).second);
    for (summarySizes.First(); !summarySizes.Eof(); summarySizes.Next()) {
        const std::string parent = summarySizes.FieldByName("ParentID").AsString();
        EXPECT_TRUE(summary.Locate("ObjID", Variant(parent))) << "a size under a summary line";
        EXPECT_TRUE(
            lineSizes.insert(parent + summarySizes.FieldByName("SizeNo").AsString()).second);
    }
}

TEST_F(QueryTest, SummaryGivesOneRowPerGroupOverEveryPage)
{
    TSQLAdder grouped, all;
    clauses(grouped, "TStockOut", "FirstPage");
    grouped.AddClause("sum", "TWarehouseID");
    clauses(all, "TStockOut", "AllPage");
    TParamData summary(paramkind::Data), rows(paramkind::Data);
    queryPacket(summary, grouped);
    queryPacket(rows, all);
    ASSERT_TRUE(remote::CallServer(conn, app::Query, app::query::Summary, summary));
    ASSERT_TRUE(remote::CallServer(conn, app::Query, app::query::SingleTable, rows));

    TCustomEntity groups, lines;
    groups.SetData(summary.GetParamData("TMaster"));
    lines.SetData(rows.GetParamData("TMaster"));
    ASSERT_GT(lines.RecordCount(), 20) << "enough rows for more than one page";
    EXPECT_GE(groups.FieldIndexOf("TWarehouseID"), 0);
    EXPECT_LT(groups.FieldIndexOf("Code"), 0) << "texts other than the group are not kept";
    EXPECT_GE(lines.FieldIndexOf("SaleDiscount"), 0);
    EXPECT_LT(groups.FieldIndexOf("SaleDiscount"), 0) << "a discount percentage does not add up";
    lines.RemoveDuplicates("TWarehouseID", "");
    EXPECT_EQ(groups.RecordCount(), lines.RecordCount());

    TCustomEntity again;
    again.SetData(rows.GetParamData("TMaster"));
    EXPECT_NEAR(groups.SumField("TotalAmount"), again.SumField("TotalAmount"), 0.005);
}

TEST_F(QueryTest, APartnerSideQueryReachesOnlyThePartnersRowsThatNameTheCompany)
{
    auto organId = [&](const std::string& code) {
        TSQLAdder adder;
        clauses(adder, "TOrgan", "AllPage", {"(TOrgan.Code = '" + code + "')"});
        TParamData packet(paramkind::Data);
        queryPacket(packet, adder);
        EXPECT_TRUE(remote::CallServer(conn, app::Query, app::query::SingleTable, packet));
        TClientDataSet rows;
        rows.SetData(packet.GetParamData("TMaster"));
        return rows.RecordCount() == 1 ? rows.FieldByName("ObjID").AsString() : std::string();
    };
    const std::string company = organId("DEMO"), supplier = organId("GY001");
    ASSERT_FALSE(company.empty());
    ASSERT_FALSE(supplier.empty());

    // Owner -> how many rows of that owner come back, and whether every one names the company.
    auto accountsWithPacketOwner = [&](const std::string& packetOwner) {
        TSQLAdder adder;
        clauses(adder, "TAccount", "AllPage");
        TParamData packet(paramkind::Data);
        queryPacket(packet, adder);
        packet.SetParamValue("TOwnerID", Variant(packetOwner));
        EXPECT_TRUE(remote::CallServer(conn, app::Query, app::query::SingleTable, packet));
        TClientDataSet rows;
        rows.SetData(packet.GetParamData("TMaster"));
        std::map<std::string, int> owners;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            const std::string owner = rows.FieldByName("TOwnerID").AsString();
            ++owners[owner];
            if (owner != company) {
                EXPECT_EQ(rows.FieldByName("TOrganID").AsString(), company) << owner;
            }
        }
        return owners;
    };
    const auto own = accountsWithPacketOwner(company);
    EXPECT_EQ(own.size(), 1u) << "only the company's own rows";
    const auto partnerSide = accountsWithPacketOwner(supplier);
    EXPECT_EQ(partnerSide.size(), 2u) << "the company's rows and the supplier's payables";
    EXPECT_GT(partnerSide.count(supplier) ? partnerSide.at(supplier) : 0, 0);
}

TEST_F(QueryTest, HostileConditionsAreRefusedAndChangeNothing)
{
    for (const char* where :
         {"TProduct.Name = 'x'; delete from TUser",
          "TProduct.Name = 'x' union select Code from TUser", "TProduct.Name = 'x' -- ",
          "lower(TProduct.Name) = 'x'", "TProduct.PassWord = 'x'",
          "TProduct.TOwnerID = '{11111111-1111-1111-1111-111111111111}'"}) {
        TSQLAdder adder;
        clauses(adder, "TProduct", "AllPage", {where});
        TParamData packet(paramkind::Data);
        queryPacket(packet, adder);
        const std::string error =
            errorOf([&] { remote::CallServer(conn, app::Query, app::query::SingleTable, packet); });
        EXPECT_NE(error, "(no error)") << where;
    }
    LoginPacket again("DEMO", "admin", "admin");
    EXPECT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, again));
}

} // namespace
} // namespace corvo::server::test
