// The SQL clause set: clauses built from a dictionary selection, join tests, errors.
#include "DictionaryFixture.h"
#include "EntityFixture.h"
#include "TestTables.h"
#include "entity/Error.h"
#include "entity/TSQLAdder.h"

#include <functional>
#include <gtest/gtest.h>
#include <utility>

using namespace corvo;
using namespace corvo::test;

namespace {

using Clauses = std::vector<std::pair<std::string, std::string>>;

Clauses clausesOf(TSQLAdder& s)
{
    Clauses out;
    for (s.First(); !s.Eof(); s.Next())
        out.emplace_back(current(s, "SQLKey"), current(s, "SQLClause"));
    return out;
}

constexpr const char* OtherTableID = "{0000D1C7-0000-0000-0000-000000000002}";

/// The columns of one table as the registry selects them: filtered to the table's rows.
void selectTable(TCustomEntity& dict, const std::vector<DictField>& rows)
{
    declareDictField(dict);
    // A column of another table that the selection must hide.
    addDictField(dict, {.code = "Hidden", .colOrder = 0, .parentId = OtherTableID});
    for (const DictField& f : rows)
        addDictField(dict, f);
    dict.FilterEqual("ParentID", DictTableID);
}

// TSale, Code (sorts pages), TOwnerName (joined from TOrgan), declared out of order.
const std::vector<DictField> SaleColumns = {
    {.code = "TOwnerName",
     .colOrder = 3,
     .isJoined = 1,
     .joinedTable = "TOrgan",
     .joinedField = "Name",
     .joinedType = "left"},
    {.code = "TSale", .colOrder = 1, .dataType = "uniqueidentifier"},
    {.code = "Code", .colOrder = 2, .isSort = 1},
};

struct PageCase {
    const char* mode;
    const char* nextKey;
    const char* previousKey;
    Clauses clauses;
};

TEST(SqlAdderBuildQuery, SaleTableGivesTheClausesOfEachPageMode)
{
    const std::pair<std::string, std::string> from{"from", "TSale"};
    const std::pair<std::string, std::string> code{"select", "TSale.Code"};
    const std::pair<std::string, std::string> owner{"select", "TOwner.Name as TOwnerName"};
    const std::pair<std::string, std::string> join{
        "join", "left join TOrgan as TOwner on TSale.TOwnerID = TOwner.ObjID"};
    const std::pair<std::string, std::string> top{"select", "top 20 TSale.TSale"};
    const std::pair<std::string, std::string> ascending{"order", "TSale.Code"};
    const std::pair<std::string, std::string> descending{"order", "TSale.Code desc"};
    const std::vector<PageCase> cases = {
        {"FirstPage", "K9", "K1", {from, top, ascending, code, owner, join}},
        {"AllPage", "K9", "K1", {from, {"select", "TSale.TSale"}, ascending, code, owner, join}},
        {"NextPage", "", "K1", {from, top, ascending, code, owner, join}},
        {"NextPage",
         "A'5",
         "",
         {from, top, {"where", "TSale.Code>'A''5'"}, ascending, code, owner, join}},
        {"PreviousPage",
         "K9",
         "B10",
         {from, top, {"where", "TSale.Code<'B10'"}, descending, code, owner, join}},
        {"PreviousPage", "K9", "", {from, top, descending, code, owner, join}},
        {"firstpage", "K9", "K1", {from, {"select", "TSale.TSale"}, code, owner, join}},
        {"", "", "", {from, {"select", "TSale.TSale"}, code, owner, join}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " next=" + c.nextKey + " previous=" + c.previousKey);
        TCustomEntity dict;
        selectTable(dict, SaleColumns);
        TSQLAdder s;
        EXPECT_TRUE(s.BuildQuery(&dict, c.mode, c.nextKey, c.previousKey));
        EXPECT_EQ(clausesOf(s), c.clauses);
        EXPECT_FALSE(s.Filtered());
    }
}

TEST(SqlAdderBuildQuery, ASecondBuildKeepsOnlyItsOwnClauses)
{
    TCustomEntity sale;
    selectTable(sale, SaleColumns);
    TCustomEntity stock;
    selectTable(stock, {{.code = "TStock", .colOrder = 1}, {.code = "Qty", .colOrder = 2}});

    TSQLAdder s;
    s.BuildQuery(&sale, "FirstPage", "", "");
    s.AddClause("where", "TSale.Code like 'A%'");
    s.BuildQuery(&stock, "AllPage", "", "");
    EXPECT_EQ(clausesOf(s),
              (Clauses{{"from", "TStock"}, {"select", "TStock.TStock"}, {"select", "TStock.Qty"}}));
}

struct JoinCase {
    const char* what;
    std::vector<DictField> columns; ///< after the first column "TStock"
    Clauses clauses;                ///< after "from" and the first column's select
};

DictField joined(const char* code, int order, const char* table, const char* field,
                 const char* type = "left")
{
    return {.code = code,
            .colOrder = order,
            .isJoined = 1,
            .joinedTable = table,
            .joinedField = field,
            .joinedType = type};
}

DictField otherParam(const char* code, int order, const char* table)
{
    DictField f = joined(code, order, table, "Name");
    f.isOtherParam = 1;
    return f;
}

TEST(SqlAdderBuildQuery, JoinedColumnsShareTheirJoinByAlias)
{
    const std::string onWarehouse = " on TStock.TWarehouseID = TWarehouse.ObjID";
    const std::string onWarehouseIn = " on TStock.TWarehouseInID = TWarehouseIn.ObjID";
    const std::vector<JoinCase> cases = {
        {"two columns of one joined table, one join",
         {joined("TWarehouseCode", 2, "TWarehouse", "Code"),
          joined("TWarehouseName", 3, "TWarehouse", "Name")},
         {{"select", "TWarehouse.Code as TWarehouseCode"},
          {"join", "left join TWarehouse as TWarehouse" + onWarehouse},
          {"select", "TWarehouse.Name as TWarehouseName"}}},
        {"second warehouse joined before the first: both joins",
         {joined("TWarehouseInName", 2, "TWarehouse", "Name", "inner"),
          joined("TWarehouseName", 3, "TWarehouse", "Name")},
         {{"select", "TWarehouseIn.Name as TWarehouseInName"},
          {"join", "inner join TWarehouse as TWarehouseIn" + onWarehouseIn},
          {"select", "TWarehouse.Name as TWarehouseName"},
          {"join", "left join TWarehouse as TWarehouse" + onWarehouse}}},
        {"second warehouse renamed only in its exact spelling",
         {joined("TWarehouseinName", 2, "TWarehouse", "Name")},
         {{"select", "TWarehouse.Name as TWarehouseinName"},
          {"join", "left join TWarehouse as TWarehouse" + onWarehouse}}},
        {"owner renamed in any spelling",
         {joined("TOWNERNAME", 2, "TOrgan", "Name")},
         {{"select", "TOwner.Name as TOWNERNAME"},
          {"join", "left join TOrgan as TOwner on TStock.TOwnerID = TOwner.ObjID"}}},
        {"other parameters: one join per parameter table",
         {otherParam("TStockTypeName", 2, "TStockType"),
          otherParam("TStockTypeCode", 3, "TStockType"), otherParam("StatusName", 4, "StatusID")},
         {{"select", "TStockType.Name as TStockTypeName"},
          {"join", "left join TOtherParam as TStockType on TStock.TStockType = TStockType.ObjID"},
          {"select", "TStockType.Name as TStockTypeCode"},
          {"select", "StatusID.Name as StatusName"},
          {"join", "left join TOtherParam as StatusID on TStock.StatusID = StatusID.ObjID"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<DictField> columns = c.columns;
        columns.push_back({.code = "TStock", .colOrder = 1});
        TCustomEntity dict;
        selectTable(dict, columns);
        TSQLAdder s;
        s.BuildQuery(&dict, "AllPage", "", "");
        Clauses expected = {{"from", "TStock"}, {"select", "TStock.TStock"}};
        expected.insert(expected.end(), c.clauses.begin(), c.clauses.end());
        EXPECT_EQ(clausesOf(s), expected);
    }
}

TEST(SqlAdderBuildQuery, FirstColumnFromOtherParametersIsNotJoined)
{
    TCustomEntity dict;
    selectTable(dict, {otherParam("TKindRow", 1, "TKind"), otherParam("TKindName", 2, "TKind")});
    TSQLAdder s;
    s.BuildQuery(&dict, "FirstPage", "", "");
    EXPECT_EQ(clausesOf(s), (Clauses{{"from", "TKindRow"},
                                     {"select", "top 20 TKind.Name as TKindRow"},
                                     {"select", "TKind.Name as TKindName"},
                                     {"join", "left join TOtherParam as TKind on "
                                              "TKindRow.TKind = TKind.ObjID"}}));
}

TEST(SqlAdderBuildQuery, InputErrorsRaiseTheirMessages)
{
    TCustomEntity noStructure;
    TCustomEntity noRows;
    selectTable(noRows, {});
    TCustomEntity sale;
    selectTable(sale, SaleColumns);
    TSQLAdder closed;
    closed.Close();

    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[] { TSQLAdder().BuildQuery(nullptr, "FirstPage", "", ""); },
         "无效的输入变量--未分配内存"},
        {[&] { TSQLAdder().BuildQuery(&noRows, "FirstPage", "", ""); }, "无效的输入变量--为空"},
        {[&] { TSQLAdder().BuildQuery(&noStructure, "FirstPage", "", ""); },
         "无效的输入变量--为空"},
        {[&] { closed.BuildQuery(&sale, "FirstPage", "", ""); }, "在将SQL子句加入到数据集时出错！"},
    };
    for (const auto& [run, message] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(errorOf(run), message);
    }
}

TEST(SqlAdderAddClause, LongTextIsCutTo500BytesOnACharacterBoundary)
{
    const std::string zhang = G("张");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {std::string(501, 'x'), std::string(500, 'x')},
        {std::string(499, 'x') + zhang, std::string(499, 'x')},
        {std::string(498, 'x') + zhang, std::string(498, 'x') + zhang},
    };
    for (const auto& [text, stored] : cases) {
        TSQLAdder s;
        EXPECT_TRUE(s.AddClause("where", text));
        EXPECT_EQ(clausesOf(s), (Clauses{{"where", stored}}));
    }
}

TEST(SqlAdderAddClause, FailureRaisesItsMessageAndLeavesNoHalfRow)
{
    TSQLAdder s;
    s.AddClause("where", "a=1");
    EXPECT_EQ(errorOf([&] { s.AddClause("where", "\xFF"); }), "在将SQL子句加入到数据集时出错！");
    EXPECT_EQ(s.State(), DataSetState::Browse);
    s.AddClause("where", "b=2");
    EXPECT_EQ(clausesOf(s), (Clauses{{"where", "a=1"}, {"where", "b=2"}}));

    s.Close();
    EXPECT_EQ(errorOf([&] { s.AddClause("from", "TSale"); }), "在将SQL子句加入到数据集时出错！");
}

struct JoinTestCase {
    const char* key;
    const char* text;
    const char* alias;
    bool joinAs;
    bool otherParamJoin;
};

TEST(SqlAdderJoinTests, MatchTheWholeAliasWordInJoinClausesOnly)
{
    const std::vector<JoinTestCase> cases = {
        {"join", "left join TWarehouse as TWarehouse on T.TWarehouseID = TWarehouse.ObjID",
         "twarehouse", true, false},
        {"join", "left join TWarehouse as TWarehouseIn on T.TWarehouseInID = TWarehouseIn.ObjID",
         "TWarehouse", false, false},
        {"join", "left join TWarehouse as TWarehouseIn on T.TWarehouseInID = TWarehouseIn.ObjID",
         "TWarehouseIn", true, false},
        {"join", "left join TOrgan as TOwner on T.TOwnerID = TOwner.ObjID", "TOwner", true, false},
        {"join", "inner join TOrgan as TOrgan", "TOrgan", true, false},
        {"where", "TOrgan as TOrgan", "TOrgan", false, false},
        {"join", "left join TOtherParam as TStatus on T.TStatus = TStatus.ObjID", "TSTATUS", true,
         true},
        {"join", "left join TOtherParam as TStatusX on T.TStatusX = TStatusX.ObjID", "TStatus",
         false, false},
        {"join", "left join TOtherParam as TStat on T.TStat = TStat.ObjID", "TStatus", false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.alias);
        TSQLAdder s;
        s.AddClause("from", "T");
        s.AddClause(c.key, c.text);
        s.FilterEqual("SQLKey", "from");
        EXPECT_EQ(s.HasJoinAs(c.alias), c.joinAs);
        EXPECT_FALSE(s.Filtered());
        EXPECT_EQ(s.Filter(), "");
        s.FilterEqual("SQLKey", "from");
        EXPECT_EQ(s.HasOtherParamJoin(c.alias), c.otherParamJoin);
        EXPECT_FALSE(s.Filtered());
        EXPECT_EQ(s.RecordCount(), 2);
    }
}

} // namespace
