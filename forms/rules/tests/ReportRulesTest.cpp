// The summaries', stock query's, statements' and organisation links' rules over plain data.
#include "RulesFixture.h"
#include "entity/Error.h"
#include "forms/rules/CollateRules.h"
#include "forms/rules/StatementRules.h"
#include "forms/rules/StockSizeTitles.h"
#include "forms/rules/SummaryRules.h"

#include <gtest/gtest.h>
#include <map>

namespace corvo::forms {
namespace {

constexpr const char* Owner = "{C0B5D1C7-0000-4000-8000-000000000001}";
constexpr const char* Valid = "{A1A975D8-603E-476B-90A1-A44B77E20346}";

SizeLabels sizes(std::initializer_list<const char*> labels)
{
    SizeLabels s;
    int n = 0;
    for (const char* l : labels)
        s[n++] = l;
    return s;
}

struct TitlesCase {
    const char* name;
    std::vector<SizeLabels> types;
    std::vector<std::string> expected; ///< Size1 … while given; the rest empty (hidden)
};

TEST(StockSizeTitles, OneStackedLinePerDistinctSizeType)
{
    const std::vector<TitlesCase> cases{
        {"two types stack", {sizes({"S", "M", "L"}), sizes({"36", "38"})}, {"S|36", "M|38", "L"}},
        {"equal types count once",
         {sizes({"S", "M"}), sizes({"36"}), sizes({"S", "M"})},
         {"S|36", "M"}},
        {"a shared beginning keeps both, so XXL stays",
         {sizes({"S", "M", "L", "XL", "XXL"}), sizes({"S", "M", "L", "XL"})},
         {"S|S", "M|M", "L|L", "XL|XL", "XXL"}},
        {"blanks are trimmed and skipped", {sizes({" S ", " ", "L"})}, {"S", "", "L"}},
        {"no size types", {}, {}},
    };
    for (const TitlesCase& c : cases) {
        const auto titles = StockSizeTitles(c.types);
        for (int n = 0; n < StockSizeColumns; ++n) {
            const std::string expected =
                n < static_cast<int>(c.expected.size()) ? c.expected[n] : "";
            EXPECT_EQ(titles[n], expected) << c.name << ": Size" << n + 1;
        }
    }
}

TEST(StockSizeTitles, ReadsEveryRowOfTheSizeTypes)
{
    TClientDataSet d;
    d.FieldDefs().Add("TProductTypeID", FieldType::Guid, 38);
    for (int n = 1; n <= 3; ++n)
        d.FieldDefs().Add("Size" + std::to_string(n), FieldType::String, 10);
    d.CreateDataSet();
    d.AppendRecord(
        std::vector<Variant>{Variant(test::id(1)), Variant("S"), Variant("M"), Variant("L")});
    d.AppendRecord(
        std::vector<Variant>{Variant(test::id(2)), Variant("36"), Variant("38"), Variant()});
    const std::vector<SizeLabels> types = ReadSizeLabels(d);
    ASSERT_EQ(types.size(), 2u);
    EXPECT_EQ(types[1][1], "38");
    EXPECT_EQ(types[1][2], "");
    EXPECT_EQ(types[0][19], "") << "a column the table lacks reads as empty";
    EXPECT_EQ(StockSizeTitles(types)[0], "S|36");
}

DictColumn column(const char* code, int query, const char* type = "varchar")
{
    DictColumn c;
    c.code = code;
    c.isQuery = query;
    c.dataType = type;
    return c;
}

const std::vector<DictColumn> stockOut{
    column("TStockOut", 0, "uniqueidentifier"),   column("Code", 1),
    column("HappenDate", 1, "datetime"),          column("TWarehouseID", 1, "uniqueidentifier"),
    column("TEmployeeID", 1, "uniqueidentifier"), column("StatusID", 1, "uniqueidentifier")};

TEST(SummaryRules, OneGroupingAtMostThenOwnerAndValidity)
{
    const ReportClause owner{"where", CollateOwnerClause("TStockOut", Owner)};
    const ReportClause valid{"where", std::string("TStockOut.StatusID = '") + Valid + "'"};
    struct Case {
        const char* name;
        std::map<std::string, std::string> conditions;
        std::vector<ReportClause> expected; ///< empty: the one-grouping error
    };
    const std::vector<Case> cases{
        {"no grouping sends no sum row",
         {{"HappenDate", "HappenDate between '2026-01-01' and '2026-01-31'"}},
         {{"where", "(TStockOut.HappenDate between '2026-01-01' and '2026-01-31')"}, owner, valid}},
        {"by store",
         {{"TWarehouseID", "TWarehouseID = ''"}},
         {{"sum", "TWarehouseID"}, owner, valid}},
        {"by person",
         {{"TEmployeeID", "TEmployeeID = ''"}},
         {{"sum", "TEmployeeID"}, owner, valid}},
        {"store and person", {{"TWarehouseID", "x"}, {"TEmployeeID", "y"}}, {}},
        {"any reference counts as a grouping", {{"StatusID", "s"}, {"TWarehouseID", "x"}}, {}},
    };
    for (const Case& c : cases) {
        auto conditions = c.conditions;
        const auto conditionOf = [&](const std::string& code) { return conditions[code]; };
        if (c.expected.empty()) {
            try {
                SummaryClauses(stockOut, conditionOf, Owner, "TStockOut", Valid);
                ADD_FAILURE() << c.name << ": no error";
            } catch (const Error& e) {
                EXPECT_STREQ(e.what(), OneGroupingOnly) << c.name;
            }
        } else {
            EXPECT_EQ(SummaryClauses(stockOut, conditionOf, Owner, "TStockOut", Valid), c.expected)
                << c.name;
        }
    }
}

void dictionary(TCustomEntity& d, std::initializer_list<const char*> codes)
{
    d.FieldDefs().Add("Code", FieldType::String, 50);
    d.FieldDefs().Add("Name", FieldType::String, 50);
    d.FieldDefs().Add("IsVisible", FieldType::Integer);
    d.FieldDefs().Add("IsQuery", FieldType::Integer);
    d.FieldDefs().Add("IsStatus", FieldType::Integer);
    d.CreateDataSet();
    for (const char* code : codes)
        d.AppendRecord(std::vector<Variant>{Variant(code), Variant(std::string(code) + " name"),
                                            Variant(1), Variant(1), Variant(0)});
}

TEST(SummaryRules, SalesAmountRelabellingWritesOnlyRowsItFinds)
{
    EXPECT_TRUE(IsSalesAmountModule(gbk::fromUtf8("销售金额汇总")));
    EXPECT_FALSE(IsSalesAmountModule(gbk::fromUtf8("销售商品汇总")));

    TCustomEntity d;
    // No HappenDate, no TEmployeeID: their edits must not land on another row.
    dictionary(d, {"TStockOut", "Code", "TOrganID", "TWarehouseID", "Remark"});
    d.Last(); // the current row a careless write would hit
    EXPECT_EQ(ApplyDictEdits(d, SalesAmountEdits()), 7);
    const auto field = [&](const char* code, const char* name) {
        EXPECT_TRUE(d.FindRecord("Code", code)) << code;
        return d.FieldByName(name).AsString();
    };
    EXPECT_EQ(gbk::toUtf8(field("Code", "Name")), "日报编号");
    EXPECT_EQ(field("Code", "IsQuery"), "0");
    EXPECT_EQ(field("Code", "IsVisible"), "0");
    EXPECT_EQ(field("TOrganID", "IsStatus"), "1");
    EXPECT_EQ(field("TOrganID", "IsQuery"), "0");
    EXPECT_EQ(gbk::toUtf8(field("TWarehouseID", "Name")), "销售门店");
    EXPECT_EQ(field("Remark", "IsVisible"), "0");
    EXPECT_EQ(field("Remark", "Name"), "Remark name") << "no missing row's caption lands here";
    EXPECT_EQ(field("TStockOut", "Name"), "TStockOut name");
}

TEST(SummaryRules, CaptionsOnlyWhereTheReplyHasTheColumn)
{
    TCustomEntity dict;
    dictionary(dict, {"TStockOut", "Code", "TWarehouseName", "TotalAmount"});
    dict.FindRecord("Code", "TStockOut");
    dict.EditField("IsVisible", "0");
    TCustomEntity rows;
    rows.FieldDefs().Add("TWarehouseID", FieldType::Guid, 38);
    rows.FieldDefs().Add("TWarehouseName", FieldType::String, 50);
    rows.FieldDefs().Add("TotalAmount", FieldType::Float);
    rows.CreateDataSet();
    ApplyCaptionsPresent(dict, "Name", rows);
    EXPECT_EQ(rows.FieldByName("TWarehouseName").DisplayLabel(), "TWarehouseName name");
    EXPECT_EQ(rows.FieldByName("TotalAmount").DisplayLabel(), "TotalAmount name");
    EXPECT_EQ(rows.FieldByName("TWarehouseID").DisplayLabel(), "TWarehouseID")
        << "a column the dictionary selection lacks keeps its name";
}

TEST(SummaryRules, PrintedPeriod)
{
    EXPECT_EQ(SummaryPeriod(true, "2026-12-10", "2026-12-11"), "汇总期间：2026-12-10 2026-12-11");
    EXPECT_EQ(SummaryPeriod(false, "2026-12-10", "2026-12-11"), "");
}

TEST(SummaryRules, StockIsValuedAtPurchasePrice)
{
    TCustomEntity d;
    d.FieldDefs().Add("TStock", FieldType::Guid, 38);
    d.FieldDefs().Add("Quantity", FieldType::Integer);
    d.FieldDefs().Add("TProductInPrice", FieldType::Float);
    d.FieldDefs().Add("TotalAmount", FieldType::Float);
    d.CreateDataSet();
    d.AppendRecord(
        std::vector<Variant>{Variant(test::id(1)), Variant(3), Variant(10.5), Variant(1.0)});
    d.AppendRecord(
        std::vector<Variant>{Variant(test::id(2)), Variant(-2), Variant(4.0), Variant(99.0)});
    EXPECT_EQ(StockResultLine(d), "查询结果：共2条数据 数量总计：1 金额汇总：23.5");
    d.First();
    EXPECT_EQ(d.FieldByName("TotalAmount").AsString(), "31.5") << "rewritten row by row";
    d.Next();
    EXPECT_EQ(d.FieldByName("TotalAmount").AsString(), "-8");

    TCustomEntity plain;
    plain.FieldDefs().Add("TStock", FieldType::Guid, 38);
    plain.FieldDefs().Add("TotalAmount", FieldType::Float);
    plain.CreateDataSet();
    plain.AppendRecord(std::vector<Variant>{Variant(test::id(1)), Variant(7.0)});
    EXPECT_EQ(StockResultLine(plain), "查询结果：共1条数据 金额汇总：7") << "no price: the sum";

    TCustomEntity none;
    none.FieldDefs().Add("TStock", FieldType::Guid, 38);
    none.FieldDefs().Add("Code", FieldType::String, 10);
    none.CreateDataSet();
    EXPECT_EQ(StockResultLine(none), "查询结果：共0条数据");
}

TEST(SummaryRules, ChartBarsPerGroupOrOneOverAll)
{
    TCustomEntity d;
    d.FieldDefs().Add("TStockOut", FieldType::Guid, 38);
    d.FieldDefs().Add("TWarehouseID", FieldType::Guid, 38);
    d.FieldDefs().Add("TWarehouseName", FieldType::String, 50);
    d.FieldDefs().Add("TotalQuantity", FieldType::Integer);
    d.FieldDefs().Add("TotalAmount", FieldType::Float);
    d.CreateDataSet();
    d.AppendRecord(std::vector<Variant>{Variant(test::id(1)), Variant(test::id(2)),
                                        Variant(gbk::fromUtf8("南京路店仓")), Variant(3),
                                        Variant(30.5)});
    d.AppendRecord(std::vector<Variant>{Variant(test::id(1)), Variant(test::id(3)), Variant(""),
                                        Variant(1), Variant(-4.0)});
    const auto bars = SummaryBars(d, "TWarehouseID");
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].label, "南京路店仓");
    EXPECT_DOUBLE_EQ(bars[0].value, 30.5);
    EXPECT_STREQ(bars[0].measure, "金额");
    EXPECT_EQ(bars[1].label, "（空）");
    EXPECT_DOUBLE_EQ(bars[1].value, -4.0);

    const auto all = SummaryBars(d, "");
    ASSERT_EQ(all.size(), 1u) << "no grouping: one bar";
    EXPECT_EQ(all[0].label, "合计");
    EXPECT_DOUBLE_EQ(all[0].value, 26.5);

    d.EmptyDataSet();
    EXPECT_TRUE(SummaryBars(d, "TWarehouseID").empty());
}

TEST(StatementRules, PartnerSideClausesAndPacketOwner)
{
    const std::vector<DictColumn> columns{column("TCheckAccount", 0), column("HappenDate", 1),
                                          column("TOrganID", 1, "uniqueidentifier")};
    std::map<std::string, std::string> conditions{
        {"HappenDate", "HappenDate between '2026-01-01' and '2026-01-31'"},
        {"TOrganID", "TOrganID = 'P'"}};
    const auto conditionOf = [&](const std::string& code) { return conditions[code]; };
    const std::string range = "(TCheckAccount.HappenDate between '2026-01-01' and '2026-01-31')";

    const PartnerQuery ours = PartnerClauses(columns, conditionOf, false, true, Owner, "P", "m");
    EXPECT_EQ(ours.where, (std::vector<std::string>{range, "(TCheckAccount.TOrganID = 'P')"}));
    EXPECT_EQ(ours.packetOwner, "");

    const PartnerQuery theirs = PartnerClauses(columns, conditionOf, true, true, Owner, "P", "m");
    EXPECT_EQ(theirs.where, (std::vector<std::string>{
                                range, std::string("(TCheckAccount.TOrganID = '") + Owner + "')"}));
    EXPECT_EQ(theirs.packetOwner, "P");

    const PartnerQuery noField = PartnerClauses(columns, conditionOf, true, false, Owner, "P", "m");
    EXPECT_EQ(noField.where, std::vector<std::string>{range});
    EXPECT_EQ(noField.packetOwner, "");

    for (const char* partner : {"", "  "}) {
        try {
            PartnerClauses(columns, conditionOf, false, true, Owner, partner,
                           MissingPartnerMessage(true, ""));
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "请先选择对帐企业");
        }
    }
    EXPECT_EQ(MissingPartnerMessage(false, "往来单位"), "请先选择往来单位");
}

TEST(StatementRules, MessagesOfTheReplyAndOfALockedCondition)
{
    EXPECT_STREQ(StatementReplyMessage(0), "当前条件下没有单据");
    EXPECT_STREQ(StatementReplyMessage(1), "当前条件下没有单据") << "one row is the balance";
    EXPECT_STREQ(StatementReplyMessage(2), "对账单生成完成");
    EXPECT_EQ(LockedConditionMessage("日期"), "条件日期在查询时不可缺少。");
}

TEST(StatementRules, ThePresetPartnerIsOfTheWantedRoleAndNeverTheOwnOrganisation)
{
    const std::string own = "{00000000-0000-0000-0000-0000000000D0}";
    const std::vector<PartnerEntry> all = {
        {own, 1}, {"{S1}", SupplierRole}, {"{LS}", 2}, {"{C1}", CustomerRole}, {"{C2}", 4}};
    struct Case {
        std::vector<PartnerEntry> entries;
        int role;
        int preset;
    } cases[] = {
        {all, CustomerRole, 3},
        {all, SupplierRole, 1},
        {{{own, 1}, {"{LS}", 2}}, CustomerRole, 1}, // no customer: the first other
        {{{"{s1}", 0}, {own, 0}}, SupplierRole, 0}, // roles unknown
        {{{own, CustomerRole}}, CustomerRole, -1},  // only oneself
        {{{"{00000000-0000-0000-0000-0000000000d0}", 4}, {"", 4}}, CustomerRole, -1},
        {{}, CustomerRole, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PresetPartner(c.entries, own, c.role), c.preset) << c.entries.size();
}

TEST(StatementRules, PartnerSideModuleAndTheExchangeOfOwner)
{
    TCustomEntity modules;
    modules.FieldDefs().Add("Name", FieldType::String, 50);
    modules.FieldDefs().Add("TypeNo", FieldType::Integer);
    modules.CreateDataSet();
    modules.AppendRecord(std::vector<Variant>{Variant(gbk::fromUtf8("查询对帐单")), Variant(0)});
    modules.AppendRecord(std::vector<Variant>{Variant(gbk::fromUtf8("供应商对帐单")), Variant(2)});
    EXPECT_FALSE(IsPartnerSideModule(modules, gbk::fromUtf8("查询对帐单")));
    EXPECT_TRUE(IsPartnerSideModule(modules, gbk::fromUtf8("供应商对帐单")));
    EXPECT_FALSE(IsPartnerSideModule(modules, gbk::fromUtf8("别的")));

    TCustomEntity master;
    master.FieldDefs().Add("TOrganID", FieldType::Guid, 38);
    master.FieldDefs().Add("TOwnerID", FieldType::Guid, 38);
    master.CreateDataSet();
    master.AppendRecord(std::vector<Variant>{Variant(test::id(7)), Variant(Owner)});
    ASSERT_TRUE(ExchangeOwnerAndPartner(master));
    EXPECT_EQ(master.FieldByName("TOrganID").AsString(), Owner);
    EXPECT_EQ(master.FieldByName("TOwnerID").AsString(), test::id(7));
}

TEST(StatementRules, DiscountColumnsTitledBySaleTypes)
{
    TCustomEntity params;
    test::fillOtherParams(params, {{test::id(1), "TSaleTypeID", "WHOLESALE", "批发", 2},
                                   {test::id(2), "TUnitID", "PCS", "件", 1},
                                   {test::id(3), "TSaleTypeID", "RETAIL", "零售", 1},
                                   {test::id(4), "TSaleTypeID", "MEMBER", "会员", 3}});
    const auto columns = DiscountTitles(params);
    EXPECT_EQ(gbk::toUtf8(columns[0].title), "零售");
    EXPECT_EQ(gbk::toUtf8(columns[1].title), "批发");
    EXPECT_EQ(gbk::toUtf8(columns[2].title), "会员");
    for (int n = 0; n < 3; ++n)
        EXPECT_TRUE(columns[n].visible);
    for (int n = 3; n < 10; ++n)
        EXPECT_FALSE(columns[n].visible) << "Discount" << n + 1;
    EXPECT_EQ(params.RecordCount(), 3) << "the other parameters stay filtered to the sale types";
}

} // namespace
} // namespace corvo::forms
