#include "RulesFixture.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "forms/rules/SizeAmounts.h"
#include "forms/rules/SizeDocuments.h"
#include "forms/rules/SizeTitles.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

// ---------------------------------------------------------------------------------------
// Size titles

void typeSizes(TClientDataSet& d,
               const std::vector<std::pair<std::string, std::vector<const char*>>>& rows)
{
    d.FieldDefs().Add("TProductTypeID", FieldType::String, 38);
    for (int n = 1; n <= SizeCount; ++n)
        d.FieldDefs().Add(SizeFieldName(n), FieldType::String, 10);
    d.CreateDataSet();
    for (const auto& [type, sizes] : rows) {
        d.Append();
        d.FieldByName("TProductTypeID").SetAsString(type);
        for (std::size_t i = 0; i < sizes.size(); ++i)
            d.FieldByName(SizeFieldName(static_cast<int>(i) + 1)).SetAsString(sizes[i]);
        d.Post();
    }
}

std::vector<std::string> shown(const std::array<std::string, SizeCount>& titles)
{
    std::vector<std::string> out;
    for (const std::string& t : titles)
        if (!t.empty()) out.push_back(t);
    return out;
}

TEST(SizeTitles, OneTitlePerNamedSizeOfTheType)
{
    TCustomEntity sizes;
    typeSizes(sizes, {{"{A}", {"S", "M", "L", "XL", "XXL"}},
                      {"{B}", {"34", " 35 ", "36", "37", "38", "39", "  ", ""}},
                      {"{C}", {"", "M"}}});
    const struct {
        const char* type;
        std::vector<std::string> titles;
    } cases[] = {
        {"{A}", {"S", "M", "L", "XL", "XXL"}},
        {"{B}", {"34", "35", "36", "37", "38", "39"}}, // six sizes, blanks hidden, trimmed
        {"{C}", {"M"}},                                // a gap hides only that column
        {"{X}", {}},                                   // no such type: no size column
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown(SizeTitlesOfType(sizes, c.type)), c.titles) << c.type;
    const auto gap = SizeTitlesOfType(sizes, "{C}");
    EXPECT_EQ(gap[0], "");
    EXPECT_EQ(gap[1], "M") << "the title stays in its own column";
    TCustomEntity empty;
    typeSizes(empty, {});
    EXPECT_TRUE(shown(SizeTitles(empty)).empty());
}

// ---------------------------------------------------------------------------------------
// Amounts and totals

void lineTable(TClientDataSet& d, bool withAmounts = true)
{
    d.FieldDefs().Add("ObjID", FieldType::String, 38);
    d.FieldDefs().Add("Size1", FieldType::Integer);
    d.FieldDefs().Add("Size2", FieldType::Integer);
    d.FieldDefs().Add("Quantity", FieldType::Integer);
    d.FieldDefs().Add("UnitPrice", FieldType::Float);
    d.FieldDefs().Add("InPrice", FieldType::Float);
    if (withAmounts) {
        d.FieldDefs().Add("SubTotal", FieldType::Float);
        d.FieldDefs().Add("Profit", FieldType::Float);
    }
    d.CreateDataSet();
}

void addLine(TClientDataSet& d, const char* id, double q, double price, double cost)
{
    d.Append();
    d.FieldByName("ObjID").SetAsString(id);
    d.FieldByName("Quantity").SetAsFloat(q);
    d.FieldByName("UnitPrice").SetAsFloat(price);
    d.FieldByName("InPrice").SetAsFloat(cost);
    d.Post();
}

TEST(SizeAmounts, LineAmountsInDoublePrecision)
{
    const struct {
        double q, price, cost, sub, profit;
    } cases[] = {
        {3, 12.5, 10, 37.5, 7.5},
        {1, 0.1, 0, 0.1, 0.1},
        {0, 99, 50, 0, 0},
        {2, 10, 12, 20, -4}, // sold under cost
    };
    for (const auto& c : cases) {
        const LineAmounts a = LineAmountsOf(c.q, c.price, c.cost);
        EXPECT_DOUBLE_EQ(a.subTotal, c.sub);
        EXPECT_DOUBLE_EQ(a.profit, c.profit);
    }
}

TEST(SizeAmounts, FullRecalculationWritesEveryLineAndKeepsTheCursor)
{
    TCustomEntity lines;
    lineTable(lines);
    addLine(lines, "{1}", 3, 12.5, 10);
    addLine(lines, "{2}", 1, 199, 120);
    addLine(lines, "{3}", 1, 89, 40);
    lines.SetRecNo(2);
    const SizeTotals t = RecalculateLines(lines);
    EXPECT_EQ(t, (SizeTotals{5, 37.5 + 199 + 89, 7.5 + 79 + 49}));
    EXPECT_EQ(lines.RecNo(), 2);
    lines.First();
    EXPECT_DOUBLE_EQ(lines.FieldByName("SubTotal").AsFloat(), 37.5);
    EXPECT_DOUBLE_EQ(lines.FieldByName("Profit").AsFloat(), 7.5);

    TCustomEntity bare;
    lineTable(bare, false);
    addLine(bare, "{1}", 2, 10, 6);
    EXPECT_EQ(RecalculateLines(bare), (SizeTotals{2, 20, 8})) << "no amount fields to write";
}

TEST(SizeAmounts, CommitCheckMovesTheTotalsByTheDifference)
{
    TCustomEntity lines, committed;
    lineTable(lines);
    addLine(lines, "{1}", 2, 10, 6);
    addLine(lines, "{2}", 1, 100, 50);
    SizeTotals totals = RecalculateLines(lines);
    committed.CopyFrom(lines);
    ASSERT_EQ(totals, (SizeTotals{3, 120, 58}));

    lines.First();
    EXPECT_FALSE(CommitLineCheck(lines, committed, totals)) << "unchanged line";
    lines.Edit();
    lines.FieldByName("Quantity").SetAsInteger(5);
    lines.Post();
    EXPECT_TRUE(CommitLineCheck(lines, committed, totals));
    EXPECT_EQ(totals, (SizeTotals{6, 150, 70})) << "+3, +30, +12";
    EXPECT_DOUBLE_EQ(lines.FieldByName("SubTotal").AsFloat(), 50);
    EXPECT_FALSE(CommitLineCheck(lines, committed, totals)) << "checked twice, moved once";

    lines.Edit();
    lines.FieldByName("Quantity").SetAsInteger(2);
    lines.Post();
    EXPECT_TRUE(CommitLineCheck(lines, committed, totals));
    EXPECT_EQ(totals, (SizeTotals{3, 120, 58})) << "changed back";

    lines.Edit();
    lines.FieldByName("UnitPrice").SetAsFloat(12);
    lines.Post();
    EXPECT_TRUE(CommitLineCheck(lines, committed, totals)) << "a price change counts";
    EXPECT_EQ(totals, (SizeTotals{3, 124, 62}));
}

TEST(SizeAmounts, AddedThenRemovedLineLeavesTheTotals)
{
    TCustomEntity lines, committed;
    lineTable(lines);
    addLine(lines, "{1}", 2, 10, 6);
    SizeTotals totals = RecalculateLines(lines);
    committed.CopyFrom(lines);
    addLine(lines, "{2}", 1, 199, 120);
    AddCommittedLine(lines, committed, totals);
    EXPECT_EQ(totals, (SizeTotals{3, 219, 87}));
    EXPECT_EQ(committed.RecordCount(), 2);
    EXPECT_FALSE(CommitLineCheck(lines, committed, totals)) << "recorded as committed";
    RemoveCommittedLine(lines, committed, totals);
    EXPECT_EQ(totals, (SizeTotals{2, 20, 8}));
    EXPECT_EQ(committed.RecordCount(), 1);
}

TEST(SizeAmounts, SizeSumOnlyWhenASizeIsEntered)
{
    TCustomEntity lines;
    lineTable(lines);
    addLine(lines, "{1}", 4, 10, 6);
    EXPECT_FALSE(SizeSum(lines).has_value()) << "a typed quantity stands";
    lines.Edit();
    lines.FieldByName("Size2").SetAsInteger(3);
    lines.Post();
    EXPECT_EQ(SizeSum(lines), 3.0);
    lines.Edit();
    lines.FieldByName("Size1").SetAsInteger(2);
    lines.Post();
    EXPECT_EQ(SizeSum(lines), 5.0);
}

// ---------------------------------------------------------------------------------------
// Captions, relabelling, query window

TEST(SizeDocuments, CaptionWordsDecideRelabellingAndPrices)
{
    const struct {
        const char* caption;
        SizeForm form;
        bool relabels;
        PriceRule prices;
    } cases[] = {
        {"新增销售日报", SizeForm::Entry, true, PriceRule::Sale},
        {"审核销售日报", SizeForm::Verify, true, PriceRule::Sale},
        {"新增销售出库", SizeForm::Entry, false, PriceRule::Sale},
        {"新增采购入库", SizeForm::Entry, false, PriceRule::Purchase},
        {"采购销售", SizeForm::Entry, false, PriceRule::Sale}, // 销售 wins
        {"销售商品汇总", SizeForm::Summary, true, PriceRule::Sale},
        {"查询销售日报", SizeForm::Summary, false, PriceRule::Sale},
        {"库存查询", SizeForm::Query, false, PriceRule::None},
    };
    for (const auto& c : cases) {
        const std::string caption = gbk::fromUtf8(c.caption);
        EXPECT_EQ(RelabelsDailyReport(c.form, caption), c.relabels) << c.caption;
        EXPECT_EQ(PriceRuleFor(caption), c.prices) << c.caption;
    }
    // 日 is C8 D5 in GBK: the trailing byte of B0 C8 and the leading byte of D5 E2 are no 日.
    EXPECT_FALSE(CaptionHasWord("\xB0\xC8\xD5\xE2", "日"));
    EXPECT_TRUE(CaptionHasWord("\xB0\xC8\xC8\xD5", "日"));
}

void dictionary(TClientDataSet& d)
{
    d.FieldDefs().Add("Code", FieldType::String, 50);
    d.FieldDefs().Add("Name", FieldType::String, 50);
    d.FieldDefs().Add("NameEn", FieldType::String, 50);
    d.FieldDefs().Add("IsStatus", FieldType::Integer);
    d.FieldDefs().Add("IsQuery", FieldType::Integer);
    d.CreateDataSet();
    for (const char* code : {"Code", "TOrganID", "StatusID", "TWarehouseID", "HappenDate"}) {
        d.Append();
        d.FieldByName("Code").SetAsString(code);
        d.FieldByName("Name").SetAsString(std::string("old ") + code);
        d.FieldByName("NameEn").SetAsString(std::string("en ") + code);
        d.FieldByName("IsStatus").SetAsInteger(0);
        d.FieldByName("IsQuery").SetAsInteger(code == std::string("StatusID") ? 0 : 1);
        d.Post();
    }
}

std::string row(TClientDataSet& d, const char* code, const char* field)
{
    EXPECT_TRUE(d.Locate("Code", Variant(std::string(code))));
    return gbk::toUtf8(d.FieldByName(field).AsString());
}

TEST(SizeDocuments, RelabellingByForm)
{
    const struct {
        SizeForm form;
        const char* organQuery;
        const char* statusQuery;
    } cases[] = {
        {SizeForm::Entry, "1", "0"},      {SizeForm::Update, "0", "0"},
        {SizeForm::Query, "0", "1"},      {SizeForm::Verify, "0", "0"},
        {SizeForm::Invalidate, "1", "0"}, {SizeForm::Summary, "0", "0"},
    };
    for (const auto& c : cases) {
        TCustomEntity dict;
        dictionary(dict);
        dict.Last(); // a lookup never writes onto the current row
        RelabelDailyReport(dict, c.form);
        const int form = static_cast<int>(c.form);
        EXPECT_EQ(row(dict, "Code", "Name"), "日报编号") << form;
        EXPECT_EQ(row(dict, "TWarehouseID", "Name"), "销售门店") << form;
        EXPECT_EQ(row(dict, "HappenDate", "Name"), "销售日期") << form;
        EXPECT_EQ(row(dict, "TOrganID", "IsStatus"), "1") << form;
        EXPECT_EQ(row(dict, "TOrganID", "IsQuery"), c.organQuery) << form;
        EXPECT_EQ(row(dict, "StatusID", "IsQuery"), c.statusQuery) << form;
        EXPECT_EQ(row(dict, "StatusID", "Name"), "old StatusID") << "TEmployeeID is missing";
        EXPECT_EQ(dict.RecordCount(), 5);
    }
    TCustomEntity dict;
    dictionary(dict);
    RelabelDailyReport(dict, SizeForm::Entry, "NameEn");
    EXPECT_EQ(row(dict, "Code", "NameEn"), "日报编号") << "the captions' language column too";
}

TEST(SizeDocuments, QueryWindowStartsMonthsBack)
{
    const struct {
        int y, m, d, months;
        const char* start;
    } cases[] = {
        {2005, 5, 15, 3, "2005-02-15"},  {2005, 1, 10, 1, "2004-12-10"},
        {2005, 5, 31, 3, "2005-02-28"}, // a shorter month keeps its last day
        {2004, 5, 31, 3, "2004-02-29"},  {2005, 5, 15, 0, "2005-05-15"},
        {2005, 5, 15, 24, "2003-05-15"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QueryWindowStart(*DateTime::fromDate(c.y, c.m, c.d), c.months), c.start)
            << c.start;
    EXPECT_EQ(QueryWindowClause("TStockOut", *DateTime::fromDate(2005, 5, 15), 3),
              "(TStockOut.HappenDate >= '2005-02-15')");
}

TEST(SizeDocuments, OnlyDocumentsInTheirFirstStatus)
{
    TCustomEntity params;
    test::fillOtherParams(params, {{test::id(1), "StatusTStockOutID", "Checked", "已审核", 2},
                                   {test::id(2), "StatusTStockOutID", "New", "新建", 1},
                                   {test::id(3), "StatusTStockInID", "New", "新建", 1}});
    params.FilterEqual("Type", "StatusTStockInID");
    EXPECT_EQ(FirstStatusClause(params, "TStockOut"),
              "TStockOut.StatusTStockOutID = '" + test::id(2) + "'");
    EXPECT_FALSE(params.Filtered());
    EXPECT_EQ(FirstStatusClause(params, "TSaleOrder"),
              "TSaleOrder.StatusTSaleOrderID = '{00000000-0000-0000-0000-000000000000}'");
}

} // namespace
} // namespace corvo::forms
