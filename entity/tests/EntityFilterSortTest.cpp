// Filters, sorting and search of the entity dataset.
#include "EntityFixture.h"
#include "entity/Error.h"

#include <gtest/gtest.h>

using namespace corvo;
using namespace corvo::test;

namespace {

class EntityFilters : public ::testing::Test {
protected:
    void SetUp() override
    {
        declareDetail(e);
        addLines(e, {{"A01", "O'Brien", Id(100), 1, "10"},
                     {"B02", G("张三"), Id(100), 2, "20"},
                     {"C03", G("李四"), Id(200), 3, "30"},
                     {"A04", "Smith", Id(200), 4, "40"}});
    }
    TCustomEntity e;
};

struct FilterCase {
    const char* name;
    std::function<bool(TCustomEntity&)> apply;
    std::string filter;
    Texts codes;
};

TEST_F(EntityFilters, BuildsTheExactFilterTextsAndShowsTheirRows)
{
    const std::string p1 = Id(100), p2 = Id(200);
    const std::vector<FilterCase> cases = {
        {"equal",
         [&](auto& t) { return t.FilterEqual("ParentID", p1); },
         "(ParentID='" + p1 + "')",
         {"A01", "B02"}},
        {"equal then and",
         [&](auto& t) { return t.FilterEqual("ParentID", p2), t.AndFilterEqual("Qty", "4"); },
         "(ParentID='" + p2 + "') and (Qty='4')",
         {"A04"}},
        {"quote doubled",
         [](auto& t) { return t.FilterEqual("Name", "O'Brien"); },
         "(Name='O''Brien')",
         {"A01"}},
        {"like",
         [](auto& t) { return t.FilterLike("Code", "A%"); },
         "(Code like 'A%')",
         {"A01", "A04"}},
        {"at least",
         [](auto& t) { return t.FilterAtLeast("Amount", "30"); },
         "(Amount>='30')",
         {"C03", "A04"}},
        {"at most",
         [](auto& t) { return t.FilterAtMost("Qty", "2"); },
         "(Qty<='2')",
         {"A01", "B02"}},
        {"and at least on empty filter",
         [](auto& t) { return t.AndFilterAtLeast("Qty", "3"); },
         "(Qty>='3')",
         {"C03", "A04"}},
        {"either of two",
         [&](auto& t) {
             return t.FilterEqual("ParentID", p1), t.AndFilterEither("Code", "A01,B02");
         },
         "(ParentID='" + p1 + "') and (Code='A01' or Code='B02')",
         {"A01", "B02"}},
        {"either of one",
         [](auto& t) { return t.AndFilterEither("Code", "C03"); },
         "(Code='C03')",
         {"C03"}},
        {"or either",
         [](auto& t) { return t.FilterEqual("Code", "A01"), t.OrFilterEither("Code", "C03,A04"); },
         "(Code='A01') or (Code='C03' or Code='A04')",
         {"A01", "C03", "A04"}},
        {"chinese value",
         [](auto& t) { return t.FilterEqual("Name", G("张三")); },
         "(Name='" + G("张三") + "')",
         {"B02"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        e.ClearFilter();
        c.apply(e);
        EXPECT_TRUE(e.Filtered());
        EXPECT_EQ(e.Filter(), c.filter);
        EXPECT_EQ(column(e, "Code"), c.codes);
    }
}

TEST_F(EntityFilters, FilterResultSaysWhetherAnyRowIsVisible)
{
    EXPECT_TRUE(e.FilterEqual("Code", "B02"));
    EXPECT_FALSE(e.FilterEqual("Code", "ZZZ"));
    EXPECT_EQ(e.RecordCount(), 0);
    e.ClearFilter();
    EXPECT_FALSE(e.Filtered());
    EXPECT_EQ(e.Filter(), "");
    EXPECT_EQ(e.RecordCount(), 4);
}

TEST_F(EntityFilters, FilterByValuesOfListsEveryOtherRowAndStartsWithABlank)
{
    TCustomEntity other;
    declareDetail(other);
    addLines(other, {{"C03", "x"}, {"A01", "y"}});
    e.FilterByValuesOf(other, "Code", "Code");
    EXPECT_EQ(e.Filter(), " Code='C03' or Code='A01'");
    EXPECT_EQ(column(e, "Code"), (Texts{"A01", "C03"}));

    TCustomEntity empty;
    declareDetail(empty);
    e.FilterByValuesOf(empty, "Code", "Code");
    EXPECT_TRUE(e.Filtered());
    EXPECT_EQ(e.Filter(), "");
    EXPECT_EQ(e.RecordCount(), 4);
}

TEST_F(EntityFilters, FilterByValuesOfAManyRowTableUsesEveryValue)
{
    TCustomEntity other;
    declareDetail(other);
    for (int i = 0; i < 500; ++i)
        other.AppendWithField("Code", "X" + std::to_string(i));
    other.AppendWithField("Code", "B02");
    e.FilterByValuesOf(other, "Code", "Code");
    EXPECT_EQ(column(e, "Code"), (Texts{"B02"}));
}

TEST_F(EntityFilters, FilterNotInKeepsTheRowsMissingFromOther)
{
    // Field 1 is ObjID: rows 2 and 4 are known to the other table.
    TCustomEntity other;
    declareDetail(other);
    addLines(other, {{"x", ""}}, 2);
    addLines(other, {{"y", ""}}, 4);
    e.FilterNotIn(other);
    EXPECT_EQ(e.Filter(), " ObjID='" + Id(1) + "' or ObjID='" + Id(3) + "'");
    EXPECT_EQ(column(e, "Code"), (Texts{"A01", "C03"}));
}

TEST_F(EntityFilters, AFilterOutsideTheSubsetIsAnErrorNamingTheProblem)
{
    e.FilterEqual("Code", "A01");
    EXPECT_THROW(e.FilterEqual("Nope", "1"), Error);
    EXPECT_THROW(e.FilterEqual("ObjID", "not-a-guid"), Error);
    try {
        e.FilterAtLeast("Qty", "abc");
        FAIL();
    } catch (const Error& err) {
        EXPECT_NE(std::string(err.what()).find("Qty"), std::string::npos) << err.what();
    }
}

TEST_F(EntityFilters, FindRecordTrimsAndIgnoresCaseOnTheCurrentRowWithoutMoving)
{
    e.First();
    e.Next(); // B02
    EXPECT_TRUE(e.FindRecord("Code", "  b02 "));
    EXPECT_EQ(e.RecNo(), 2);
    e.First();
    EXPECT_TRUE(e.FindRecord("Code", "a01"));
    EXPECT_TRUE(e.FindRecord("Code", "c03"));
    EXPECT_EQ(e.FieldByName("Code").AsString(), "C03");
    EXPECT_FALSE(e.FindRecordCase("Code", "a04"));
    EXPECT_EQ(e.FieldByName("Code").AsString(), "C03");
    EXPECT_TRUE(e.FindRecordCase("Code", "A04"));
    EXPECT_TRUE(e.FindRecordPartial("Name", "sm"));
    EXPECT_EQ(e.FieldByName("Code").AsString(), "A04");
    EXPECT_TRUE(e.NotFound("Code", "Z99"));
}

TEST_F(EntityFilters, LookupTextDoesNotMoveTheCursor)
{
    e.First();
    std::string out;
    e.LookupText("Code", "C03", out, "Name");
    EXPECT_EQ(out, G("李四"));
    EXPECT_EQ(e.RecNo(), 1);
    e.LookupText("Code", " a01", out, "Qty");
    EXPECT_EQ(out, "1");
    e.LookupText("Code", "none", out, "Name");
    EXPECT_EQ(out, "");
}

TEST_F(EntityFilters, IsFieldValueIsExactAndCaseSensitive)
{
    e.First();
    EXPECT_TRUE(e.IsFieldValue("Code", "A01"));
    EXPECT_FALSE(e.IsFieldValue("Code", "a01"));
    EXPECT_FALSE(e.IsFieldValue("Code", "A01 "));
}

TEST_F(EntityFilters, SortAscTwiceKeepsTheDefinitions)
{
    e.SortAsc("Code", "");
    EXPECT_EQ(e.IndexName(), "CodeASC");
    ASSERT_EQ(e.IndexDefs().Count(), 1);
    e.SortAsc("Code", "");
    ASSERT_EQ(e.IndexDefs().Count(), 1);
    EXPECT_EQ(e.IndexDefs().Items(0).Name, "CodeASC");
    EXPECT_EQ(column(e, "Code"), (Texts{"A01", "A04", "B02", "C03"}));
}

TEST_F(EntityFilters, SortDescAddsToASingleDefinitionAndClearModeDropsThem)
{
    e.SortAsc("Code", "");
    e.SortDesc("Qty", "");
    EXPECT_EQ(e.IndexName(), "QtyDesc");
    EXPECT_EQ(e.IndexDefs().Count(), 2);
    EXPECT_EQ(column(e, "Qty"), (Texts{"4", "3", "2", "1"}));
    e.SortDesc("Amount", "");
    EXPECT_EQ(e.IndexDefs().Count(), 1); // more than one: all removed first
    e.SortAsc("Name", "clear");
    EXPECT_EQ(e.IndexDefs().Count(), 1);
    EXPECT_EQ(e.IndexName(), "NameASC");
    e.ClearSort();
    EXPECT_EQ(e.IndexDefs().Count(), 0);
    EXPECT_EQ(e.IndexName(), "");
    EXPECT_EQ(column(e, "Code"), (Texts{"A01", "B02", "C03", "A04"}));
}

TEST_F(EntityFilters, SortAscKeepLastKeepsTheEarlierFieldAsADefinition)
{
    e.SortDesc("Qty", "");
    e.SortAsc("Name", ""); // defs: QtyDesc, NameASC (active)
    e.SortAscKeepLast("Code", "");
    ASSERT_EQ(e.IndexDefs().Count(), 2);
    EXPECT_EQ(e.IndexDefs().Items(0).Name, "NameASC");
    EXPECT_FALSE(e.IndexDefs().Items(0).Descending);
    EXPECT_EQ(e.IndexName(), "CodeASC");
    EXPECT_EQ(column(e, "Code"), (Texts{"A01", "A04", "B02", "C03"}));
    e.SortAscKeepLast("Qty", "Clear");
    EXPECT_EQ(e.IndexDefs().Count(), 1);
    EXPECT_EQ(e.IndexName(), "QtyASC");
}

TEST_F(EntityFilters, CheckValidNamesTheEntityByItsFirstField)
{
    TCustomEntity user;
    user.FieldDefs().Add("TUser", FieldType::String, 38);
    user.CreateDataSet();
    try {
        user.CheckValid();
        FAIL();
    } catch (const Error& err) {
        EXPECT_STREQ(err.what(), "在进行有效性检查时发现实体TUser为空！");
    }
    user.AppendFirstField("x");
    EXPECT_TRUE(user.CheckValid());
    TCustomEntity inactive;
    try {
        inactive.CheckValid();
        FAIL();
    } catch (const Error& err) {
        EXPECT_STREQ(err.what(), "在进行有效性检查时发现实体为空！");
    }
}

TEST_F(EntityFilters, SameAsComparesSortedRowsAndExplainsFailures)
{
    TCustomEntity copy;
    copy.CopyFrom(e);
    copy.SortDesc("Code", "");
    EXPECT_TRUE(e.SameAs(copy));
    copy.First();
    copy.EditField("Name", "changed");
    EXPECT_FALSE(e.SameAs(copy));
    TCustomEntity empty;
    declareDetail(empty);
    try {
        e.SameAs(empty);
        FAIL();
    } catch (const Error& err) {
        EXPECT_STREQ(err.what(), "经比较发现实体TDetail和TDetail不相同！");
    }
}

TEST_F(EntityFilters, FieldDisplayOperations)
{
    e.ShowFirstFields(3);
    EXPECT_TRUE(e.Fields(2).Visible());
    EXPECT_FALSE(e.Fields(3).Visible());
    e.ShowFirstFields(99);
    EXPECT_TRUE(e.Fields(7).Visible());
    e.SetFieldRangeVisible("Name", "Qty", false);
    EXPECT_TRUE(e.Fields(2).Visible());
    EXPECT_FALSE(e.Fields(3).Visible());
    EXPECT_FALSE(e.Fields(5).Visible());
    EXPECT_TRUE(e.Fields(6).Visible());
    e.SetFieldRangeVisible("Qty", "Name", true); // last before first: nothing
    EXPECT_FALSE(e.Fields(4).Visible());
}

TEST_F(EntityFilters, AppendVisibleValuesNamesAndLabels)
{
    TCustomEntity grid;
    for (int i = 0; i < 6; ++i)
        grid.FieldDefs().Add("F" + std::to_string(i), FieldType::String, 40);
    grid.CreateDataSet();
    e.ShowFirstFields(99);
    e.SetFieldRangeVisible("TDetail", "ObjID", false);
    e.SetFieldRangeVisible("ParentID", "ParentID", false);
    e.Fields(2).SetDisplayLabel(G("编号"));
    // Visible: Code, Name, Qty, Amount, UnitPrice (the last field is visible).
    e.First();
    grid.AppendVisibleValues(e);
    EXPECT_EQ(grid.Fields(0).AsString(), "A01");
    EXPECT_EQ(grid.Fields(2).AsString(), "1");
    EXPECT_EQ(grid.Fields(0).DisplayWidth(), e.Fields(2).DisplayWidth());
    EXPECT_FALSE(grid.Fields(5).Visible());

    grid.AppendVisibleNames(e); // the last field (UnitPrice) is never written
    EXPECT_EQ(grid.Fields(0).AsString(), "Code");
    EXPECT_EQ(grid.Fields(3).AsString(), "Amount");
    EXPECT_FALSE(grid.Fields(4).Visible());

    grid.CopyVisibleLabels(e);
    EXPECT_EQ(grid.Fields(0).DisplayLabel(), G("编号"));
    EXPECT_EQ(grid.Fields(4).DisplayLabel(), "UnitPrice");
    EXPECT_TRUE(grid.Fields(4).Visible());
    EXPECT_FALSE(grid.Fields(5).Visible());

    grid.EmptyDataSet();
    grid.AppendVisibleValuesAll(e);
    EXPECT_EQ(grid.RecordCount(), 4);
}

} // namespace
