#include "forms/rules/QueryPaging.h"

#include "RulesFixture.h"
#include "entity/Error.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "forms/rules/QueryPacket.h"

#include <gtest/gtest.h>
#include <set>

namespace corvo::forms {
namespace {

void fillCodes(TCustomEntity& master, std::vector<std::string> codes)
{
    master.Close();
    master.FieldDefs().Clear();
    master.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    master.FieldDefs().Add("Code", FieldType::String, 20);
    master.CreateDataSet();
    for (const std::string& code : codes) {
        master.Append();
        master.FieldByName("Code").SetAsString(code);
        master.Post();
    }
}

TEST(QueryPaging, GuardsAndKeysOfTheSteps)
{
    QueryPaging p;
    EXPECT_FALSE(p.canNext());
    p.firstPage();
    EXPECT_EQ(p.mode, "AllPage");
    EXPECT_EQ(p.page, 1);
    TCustomEntity master;
    fillCodes(master, {"30", "10", "20"});
    p.takePage(master, "Code");
    EXPECT_EQ(p.minKey, "10");
    EXPECT_EQ(p.maxKey, "30");
    EXPECT_EQ(master.FieldByName("Code").AsString(), "10") << "shown ascending, on the first row";
    ASSERT_TRUE(p.canNext());
    EXPECT_FALSE(p.canPrevious());

    // The next page after all rows: empty; previous asks below saved MaxKey + 1.
    p.next();
    EXPECT_EQ(p.mode, "NextPage");
    EXPECT_EQ(p.page, 2);
    fillCodes(master, {});
    p.takePage(master, "Code");
    EXPECT_EQ(p.maxKey, "");
    EXPECT_EQ(p.minKey, "31");
    EXPECT_FALSE(p.canNext());
    ASSERT_TRUE(p.canPrevious());
    p.previous();
    EXPECT_EQ(p.mode, "PreviousPage");
    EXPECT_EQ(p.page, 1);

    p.allPages();
    p.allPagesDone();
    EXPECT_FALSE(p.canNext());
    EXPECT_FALSE(p.canPrevious());
}

TEST(QueryPaging, TextKeysLeaveNoWayBackAfterAnEmptyPage)
{
    QueryPaging p;
    p.firstPageMD();
    EXPECT_EQ(p.mode, "FirstPage");
    TCustomEntity master;
    fillCodes(master, {"A0012", "A0013"});
    p.takePage(master, "Code");
    p.next();
    fillCodes(master, {});
    p.takePage(master, "Code");
    EXPECT_EQ(p.minKey, "");
    EXPECT_FALSE(p.canPrevious());
    p.reset();
    EXPECT_EQ(p.mode, "");
    EXPECT_EQ(p.page, 0);
}

TEST(QueryPaging, SortFieldFromTheDictionary)
{
    auto col = [](const char* code, int sort) {
        DictColumn c;
        c.code = code;
        c.isSort = sort;
        return c;
    };
    EXPECT_EQ(SortFieldOf({col("TStockOut", 0), col("Code", 0), col("HappenDate", 1)}),
              "HappenDate");
    EXPECT_EQ(SortFieldOf({col("TStockOut", 0), col("Code", 0)}), "Code");
    EXPECT_EQ(SortFieldOf({col("TStock", 0), col("Qty", 0)}), "ObjID");
}

class QueryPacketTest : public ::testing::Test {
protected:
    QueryPacketTest()
    {
        registry.AddEntities({"TDictTable", "TDictField", "TMaster"});
        TCustomEntity& tables = registry.EntityByName("TDictTable");
        corvo::test::declareDictTable(tables);
        corvo::test::addDictTable(tables, {test::id(1), "TWarehouse", "", 0, 1});
        TCustomEntity& fields = registry.EntityByName("TDictField");
        corvo::test::declareDictField(fields);
        auto add = [&](const char* code, int order, const char* type, int query, int sort) {
            corvo::test::DictField d;
            d.parentId = test::id(1);
            d.code = code;
            d.colOrder = order;
            d.dataType = type;
            d.isQuery = query;
            d.isSort = sort;
            corvo::test::addDictField(fields, d);
        };
        add("TWarehouse", 1, "uniqueidentifier", 0, 0);
        add("ObjID", 2, "uniqueidentifier", 0, 0);
        add("Code", 3, "varchar", 1, 1);
        add("Name", 4, "varchar", 1, 0);
        add("TOwnerID", 5, "uniqueidentifier", 1, 0);
        registry.SelectTableFields("TWarehouse");
    }
    std::vector<std::pair<std::string, std::string>> rows(TSQLAdder& adder)
    {
        std::vector<std::pair<std::string, std::string>> out;
        for (adder.First(); !adder.Eof(); adder.Next())
            out.emplace_back(adder.FieldByName("SQLKey").AsString(),
                             adder.FieldByName("SQLClause").AsString());
        return out;
    }

    TCustomEntityList registry;
    TParamData packet{paramkind::Data};
    TSQLAdder adder;
};

TEST_F(QueryPacketTest, PacketRowsAndTheFormsOwnClauses)
{
    QueryPaging paging;
    paging.firstPageMD();
    registry.AddEntity("TDetail");
    TCustomEntity& detail = registry.EntityByName("TDetail");
    fillCodes(detail, {"line"});
    packet.SetParamValue("Stale", Variant("x"));
    FillQueryPacket(packet, adder, registry, paging, test::id(500), [&] {
        adder.AddClause("where", "(TWarehouse.Code like '%1%')");
        packet.SetParamValue("BeginDate", Variant("2026-12-01"));
    });
    EXPECT_FALSE(packet.ParamExists("Stale"));
    EXPECT_EQ(packet.GetParamValue("AppName").toText(), "Corvo");
    EXPECT_EQ(packet.GetParamValue("TOwnerID").toText(), test::id(500));
    EXPECT_EQ(packet.GetParamValue("BeginDate").toText(), "2026-12-01");
    TSQLAdder sent;
    sent.SetData(packet.GetParamData("TMaster"));
    const auto clauses = rows(sent);
    ASSERT_FALSE(clauses.empty());
    EXPECT_EQ(clauses.back(),
              (std::pair<std::string, std::string>{"where", "(TWarehouse.Code like '%1%')"}));
    EXPECT_TRUE(detail.IsEmpty()) << "TDetail is sent as an empty structure";
    TCustomEntity structure;
    structure.SetData(packet.GetParamData("TDetailQuery"));
    EXPECT_EQ(structure.FieldCount(), detail.FieldCount());

    // A form that writes its own owner row keeps it.
    FillQueryPacket(packet, adder, registry, paging, test::id(500),
                    [&] { packet.SetParamValue("TOwnerID", Variant(test::id(7))); });
    EXPECT_EQ(packet.GetParamValue("TOwnerID").toText(), test::id(7));
}

TEST_F(QueryPacketTest, ReplyRowsGoToTheirEntities)
{
    TCustomEntity rows;
    fillCodes(rows, {"a", "b"});
    TCustomEntity lines;
    fillCodes(lines, {"l1", "l2", "l3"});
    packet.SetParamData("TMaster", rows.Data());
    packet.SetParamData("TDetailQuery", lines.Data());
    packet.SetParamData("TDetail", Variant(Bytes{}));
    EXPECT_EQ(ReadQueryReply(packet, registry, ReplyKind::MasterDetail), 2);
    EXPECT_EQ(registry.EntityByName("TDetail").RecordCount(), 3);
    EXPECT_EQ(registry.EntityByName("TDetailQuery").RecordCount(), 3);

    TParamData broken(paramkind::Data);
    broken.SetParamData("TDetail", rows.Data());
    EXPECT_THROW(ReadQueryReply(broken, registry, ReplyKind::MasterDetail), Error);
}

TEST_F(QueryPacketTest, BaseConditionsOnePerTickedControl)
{
    const std::vector<DictColumn> columns =
        selectedColumns(registry.EntityByName("TDictField"), "Name");
    auto conditionOf = [](const std::string& code) -> std::string {
        if (code == "Code") return " Code like '%7%' ";
        if (code == "TOwnerID") return "TOwnerID = '{X}'";
        return "";
    };
    adder.AddClause("where", "old");
    BuildBaseConditions(adder, columns, conditionOf, true);
    EXPECT_EQ(rows(adder), (std::vector<std::pair<std::string, std::string>>{
                               {"where", "(TWarehouse.Code like '%7%')"},
                               {"where", "(TWarehouse.TOwnerID = '{X}')"}}));
    BuildBaseConditions(adder, columns, conditionOf, false);
    EXPECT_EQ(rows(adder).size(), 1u) << "no owner condition for modules of every organisation";
    BuildBaseConditions(
        adder, columns, [](const std::string&) { return std::string(); }, true);
    EXPECT_TRUE(rows(adder).empty());
}

TEST(PickedRows, ThreeProductsBecomeThreeLines)
{
    TCustomEntity detail;
    detail.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    detail.FieldDefs().Add("ParentID", FieldType::Guid, 38);
    detail.FieldDefs().Add("TProductID", FieldType::Guid, 38);
    detail.FieldDefs().Add("TProductCode", FieldType::String, 30);
    detail.FieldDefs().Add("TProductName", FieldType::String, 60);
    detail.FieldDefs().Add("UnitPrice", FieldType::Float);
    detail.CreateDataSet();
    ASSERT_EQ(PickedTable(detail), "TProduct");

    TCustomEntity products;
    products.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    products.FieldDefs().Add("Code", FieldType::String, 30);
    products.FieldDefs().Add("Name", FieldType::String, 60);
    products.FieldDefs().Add("UnitPrice", FieldType::Float);
    products.CreateDataSet();
    for (int i = 1; i <= 3; ++i) {
        products.Append();
        products.FieldByName("ObjID").SetAsString(test::id(i));
        products.FieldByName("Code").SetAsString("P" + std::to_string(i));
        products.FieldByName("Name").SetAsString("N" + std::to_string(i));
        products.FieldByName("UnitPrice").SetAsFloat(i * 1.5);
        products.Post();
    }
    std::set<std::string> ids;
    for (products.First(); !products.Eof(); products.Next())
        AddPickedRow(detail, products, "TProduct");
    ASSERT_EQ(detail.RecordCount(), 3);
    int n = 1;
    for (detail.First(); !detail.Eof(); detail.Next(), ++n) {
        ids.insert(detail.FieldByName("ObjID").AsString());
        EXPECT_NE(detail.FieldByName("ObjID").AsString(), test::id(n));
        EXPECT_EQ(detail.FieldByName("TProductID").AsString(), test::id(n));
        EXPECT_EQ(detail.FieldByName("TProductCode").AsString(), "P" + std::to_string(n));
        EXPECT_EQ(detail.FieldByName("TProductName").AsString(), "N" + std::to_string(n));
        EXPECT_EQ(detail.FieldByName("UnitPrice").AsFloat(), n * 1.5);
    }
    EXPECT_EQ(ids.size(), 3u);

    TCustomEntity plain;
    plain.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    plain.CreateDataSet();
    EXPECT_EQ(PickedTable(plain), "");
}

} // namespace
} // namespace corvo::forms
