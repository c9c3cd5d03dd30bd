#include "forms/rules/CollateRules.h"

#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

#include <gtest/gtest.h>
#include <map>

namespace corvo::forms {
namespace {

constexpr const char* Owner = "{C0B5D1C7-0000-4000-8000-000000000001}";

TEST(CollateRules, OwnerClauseIsWrittenExactly)
{
    EXPECT_EQ(CollateOwnerClause("TProduct", Owner),
              "((TProduct.TOwnerID='{C0B5D1C7-0000-4000-8000-000000000001}')or"
              "(TProduct.TOwnerID = '{00000000-0000-0000-0000-000000000000}'))");
    EXPECT_EQ(CollateOwnerClause("T", "a'b"),
              "((T.TOwnerID='a''b')or(T.TOwnerID = '{00000000-0000-0000-0000-000000000000}'))");
}

DictColumn column(const char* code, int query)
{
    DictColumn c;
    c.code = code;
    c.isQuery = query;
    return c;
}

TEST(CollateRules, WhereClausesFromTheQueryColumnsThenTheOwner)
{
    const std::vector<DictColumn> columns{column("TWarehouse", 0), column("Code", 1),
                                          column("Remark", 0), column("Name", 1),
                                          column("HelpIndex", 1)};
    std::map<std::string, std::string> conditions{
        {"Code", "Code like '%1%'"}, {"Remark", "Remark = 'x'"}, {"HelpIndex", "HelpIndex = 'h'"}};
    const auto conditionOf = [&](const std::string& code) { return conditions[code]; };
    EXPECT_EQ(
        CollateWhereClauses(columns, conditionOf, Owner),
        (std::vector<std::string>{"(TWarehouse.Code like '%1%')", "(TWarehouse.HelpIndex = 'h')",
                                  CollateOwnerClause("TWarehouse", Owner)}))
        << "a column that is no condition adds nothing, whatever its control says";

    conditions.clear();
    EXPECT_EQ(CollateWhereClauses(columns, conditionOf, Owner),
              std::vector<std::string>{CollateOwnerClause("TWarehouse", Owner)})
        << "the owner clause travels without any condition";

    EXPECT_THROW(CollateWhereClauses(
                     columns,
                     [](const std::string&) -> std::string { throw std::runtime_error("e"); },
                     Owner),
                 std::runtime_error);
}

struct TotalsCase {
    std::vector<const char*> fields; ///< after the table column
    std::string expected;
};

class CollateTotalsTest : public ::testing::TestWithParam<TotalsCase> {};

/// Two rows: integers 3 and 2, amounts 10.1 and 0.2 (so 10.3 must come out short).
void fill(TCustomEntity& master, const std::vector<const char*>& fields, const char* first)
{
    master.FieldDefs().Add(first, FieldType::Guid, 38);
    for (const char* f : fields)
        master.FieldDefs().Add(f, std::string_view(f).find("Quantity") != std::string_view::npos
                                      ? FieldType::Integer
                                      : FieldType::Float);
    master.CreateDataSet();
    for (int row = 0; row < 2; ++row) {
        master.Append();
        for (const char* f : fields) {
            TField& field = master.FieldByName(f);
            if (field.DataType() == FieldType::Integer)
                field.SetAsInteger(row == 0 ? 3 : 2);
            else
                field.SetAsFloat(row == 0 ? 10.1 : 0.2);
        }
        master.Post();
    }
}

TEST_P(CollateTotalsTest, SumsAfterTheCount)
{
    TCustomEntity master;
    fill(master, GetParam().fields, "TStockOut");
    EXPECT_EQ(CollateTotals(master), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CollateTotalsTest,
    ::testing::Values(TotalsCase{{"TotalQuantity", "TotalAmount"}, " 数量汇总：5 金额汇总：10.3"},
                      TotalsCase{{"TotalQuantity", "TotalAmount", "Quantity", "TotalProfit"},
                                 " 数量汇总：5 金额汇总：10.3 利润汇总：10.3"},
                      TotalsCase{{"Quantity"}, ""},
                      TotalsCase{{"Quantity", "TotalAmount"}, " 数量总计：5 金额汇总：10.3"},
                      TotalsCase{{"TotalQuantity", "Quantity"}, " 数量汇总：5 数量总计：5"},
                      TotalsCase{{"Amount", "Quantity"}, " 数量总计：5"},
                      TotalsCase{{"TotalProfit"}, " 利润汇总：10.3"}, TotalsCase{{}, ""}));

TEST(CollateRules, TheTableColumnIsNoTotal)
{
    TCustomEntity master;
    fill(master, {"Quantity"}, "TotalAmount");
    EXPECT_FALSE(HasTotalField(master, "TotalAmount"));
    EXPECT_EQ(CollateTotals(master), "");
}

TEST(CollateRules, ResultLineByPageCounter)
{
    TCustomEntity master;
    fill(master, {"TotalQuantity", "TotalAmount"}, "TSaleOrder");
    EXPECT_EQ(CollateResultLine(0, master), "查询结果：共2条数据 数量汇总：5 金额汇总：10.3");
    EXPECT_EQ(CollateResultLine(3, master), "查询结果：第3页 2条数据 数量汇总：5 金额汇总：10.3");
    TCustomEntity closed;
    EXPECT_EQ(CollateResultLine(1, closed), "查询结果：第1页 0条数据");
}

TEST(CollateRules, PresetsByTheConditionsThePanelHas)
{
    struct Case {
        const char* table;
        std::vector<std::string_view> conditions;
        bool status, history, range;
    };
    for (const Case& c : {
             Case{"TProduct", {"Code", "Name"}, false, false, false},
             Case{"TMaterial", {"Code", "StatusID"}, true, false, false},
             Case{"TCheckAccount", {"DateHistory", "DateRange"}, false, true, true},
             Case{"TAccount", {"DateHistory"}, false, false, false},
             Case{"TCheckAccount", {"HappenDate"}, false, false, false},
         }) {
        const CollatePresets p = CollatePresetsFor(c.table, [&](std::string_view code) {
            return std::find(c.conditions.begin(), c.conditions.end(), code) != c.conditions.end();
        });
        EXPECT_EQ(p.status, c.status) << c.table;
        EXPECT_EQ(p.dateHistory, c.history) << c.table;
        EXPECT_EQ(p.dateRange, c.range) << c.table;
    }
}

TEST(CollateRules, FoldingTheConditionPanel)
{
    const ConditionFold folded = ConditionFoldFor(true, 120);
    EXPECT_EQ(folded.height, 18);
    EXPECT_STREQ(folded.caption, ">>");
    EXPECT_STREQ(folded.hint, "查询条件展开");
    const ConditionFold open = ConditionFoldFor(false, 120);
    EXPECT_EQ(open.height, 120);
    EXPECT_STREQ(open.caption, "<<");
    EXPECT_STREQ(open.hint, "隐藏查询条件");
}

TEST(CollateRules, PrintTitleFromTheDictionaryElseTheModule)
{
    TClientDataSet tables;
    tables.FieldDefs().Add("Code", FieldType::String, 30);
    tables.FieldDefs().Add("Name", FieldType::String, 50);
    tables.CreateDataSet();
    for (auto [code, name] : {std::pair{"TProduct", "商品"}, std::pair{"TBlank", ""}}) {
        tables.Append();
        tables.FieldByName("Code").SetAsString(code);
        tables.FieldByName("Name").SetAsString(gbk::fromUtf8(name));
        tables.Post();
    }
    tables.First();
    const std::string module = gbk::fromUtf8("查询商品");
    EXPECT_EQ(CollatePrintTitle(tables, "TProduct", module), gbk::fromUtf8("商品"));
    EXPECT_EQ(CollatePrintTitle(tables, "TOther", module), module);
    EXPECT_EQ(CollatePrintTitle(tables, "TBlank", module), module);
    EXPECT_EQ(tables.FieldByName("Code").AsString(), "TProduct") << "the cursor stays";
    TClientDataSet none;
    EXPECT_EQ(CollatePrintTitle(none, "TProduct", module), module);
}

} // namespace
} // namespace corvo::forms
