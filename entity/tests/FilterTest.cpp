#include "EntityFixture.h"
#include "TestTables.h"
#include "entity/Error.h"

#include <array>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>

using namespace corvo;
using namespace corvo::test;
using ::testing::HasSubstr;
using Codes = std::vector<std::string>;

namespace {

std::string guid(char digit)
{
    std::string g = "{00000000-0000-0000-0000-000000000000}";
    for (char& c : g)
        if (c == '0') c = digit;
    return g;
}

std::string lower(std::string text)
{
    return gbk::lower(text);
}

/// Seven rows covering every compared type, nulls and GBK text; `filler` more rows after them
/// that no case matches, so the same cases also run where Locate uses a hash index.
void buildGoods(TClientDataSet& ds, int filler = 0)
{
    build(ds, {{"Code", FieldType::String, 10},
               {"Name", FieldType::String, 20},
               {"Qty", FieldType::Integer},
               {"Flag", FieldType::Boolean},
               {"Price", FieldType::BCD, 2},
               {"ID", FieldType::Guid, 38},
               {"Day", FieldType::DateTime}});
    addRow(ds, {"A1", "Apple", "5", "1", "1.5", guid('1'), "2024-01-01"});
    addRow(ds, {"A2", "apple pie", "10", "0", "2.25", guid('2'), "2024-01-05"});
    addRow(ds, {"B1", "Banana", "0", "1", "0.1", guid('3'), "2024-02-01"});
    addRow(ds, {"B2", "O'Brien", "7", "0", "10", std::nullopt, "2024-02-10"});
    addRow(ds, {"C1", G("张三"), "3", "1", std::nullopt, guid('5'), std::nullopt});
    // 門 is E9 54: its second byte is 'T'.
    addRow(ds, {"C2", G("門市"), "10", std::nullopt, "2.25", guid('A'), "2024-03-01"});
    addRow(ds, {"C3", std::nullopt, "-1", "0", "-0.5", guid('B'), "2023-12-31"});
    for (int i = 0; i < filler; ++i) {
        char id[48];
        std::snprintf(id, sizeof id, "{F%07d-0000-0000-0000-000000000000}", i % 1000);
        addRow(ds, {"Z" + std::to_string(i), "filler", std::to_string(1000 + i), std::nullopt, "99",
                    std::string(id), "2030-01-01"});
    }
}

Codes visibleCodes(TClientDataSet& ds)
{
    return column(ds, "Code");
}

} // namespace

// ---------------------------------------------------------------------------------------
// Filter

struct FilterCase {
    std::string text;
    Codes visible;
};

TEST(Filter, SubsetSelectsTheMatchingRows)
{
    const Codes all{"A1", "A2", "B1", "B2", "C1", "C2", "C3"};
    const FilterCase cases[] = {
        {"", all},
        {"   ", all},
        {"Code='A1'", {"A1"}},
        {"  Code='A1'", {"A1"}},
        {"code = 'A1' ", {"A1"}},
        {"Code='a1'", {}},
        {"Qty>='7'", {"A2", "B2", "C2"}},
        {"Qty<='0'", {"B1", "C3"}},
        {"Qty>='-1' and Qty<='0'", {"B1", "C3"}},
        {"Name like 'App%'", {"A1"}},
        {"Name like 'app%'", {"A2"}},
        {"Name like '%an%'", {"B1"}},
        {"Name like '%e'", {"A1", "A2"}},
        {"Name like '_pple'", {"A1"}},
        {"Name like 'apple_pie'", {"A2"}},
        {"Name like 'Apple'", {"A1"}},
        {"Name like '%n%a%'", {"B1"}},
        {"Name like " + G("'张%'"), {"C1"}},
        {"Name like '__'", {"C1", "C2"}},
        {"Name like " + G("'_市'"), {"C2"}},
        {"Name like '%T%'", {}},
        {"Name like '%T'", {}},
        {"Name='O''Brien'", {"B2"}},
        {"Name like 'O''%'", {"B2"}},
        {"Code like 'C%'", {"C1", "C2", "C3"}},
        {"Name like '%'", all},
        {"Name=''", {"C3"}},
        {"Code='A1' or Code='B1' and Qty='5'", {"A1"}},
        {"Code='B1' and Qty='5' or Code='A1'", {"A1"}},
        {"(Code='A1' or Code='B1') and Qty='0'", {"B1"}},
        {"((Code='C1'))", {"C1"}},
        {"Code='A1' OR Code='A2'", {"A1", "A2"}},
        {"Code='A1' AND Qty='5'", {"A1"}},
        {"Qty='10' and Price='2.25'", {"A2", "C2"}},
        {"Flag='1'", {"A1", "B1", "C1"}},
        {"Flag='0'", {"A2", "B2", "C3"}},
        {"ID='" + lower(guid('A')) + "'", {"C2"}},
        {"ID=''", {"B2"}},
        {"Price='0.1'", {"B1"}},
        {"Price='2.250'", {"A2", "C2"}},
        {"Price>='2.25'", {"A2", "B2", "C2"}},
        {"Price<='0'", {"C3"}},
        {"Day>='2024-02-01'", {"B1", "B2", "C2"}},
        {"Day<='2023-12-31'", {"C3"}},
        // Long or-lists of one field are evaluated as a set: same answers.
        {"Code='A1' or Code='x' or Code='y' or Code='z' or Code='q' or Code='r' or Code='s' "
         "or Code='C2'",
         {"A1", "C2"}},
        {"ID='" + guid('1') + "' or ID='" + lower(guid('A')) + "' or ID='" + guid('7') +
             "' or ID='" + guid('8') + "' or ID='" + guid('9') + "' or ID='" + guid('C') +
             "' or ID='" + guid('D') + "' or ID='" + guid('E') + "'",
         {"A1", "C2"}},
    };
    TClientDataSet ds;
    buildGoods(ds);
    ds.SetFiltered(true);
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(gbk::display(c.text));
        ds.SetFilter(c.text);
        EXPECT_EQ(visibleCodes(ds), c.visible);
        EXPECT_EQ(ds.RecordCount(), static_cast<int>(c.visible.size()));
        EXPECT_EQ(ds.IsEmpty(), c.visible.empty());
    }
}

TEST(Filter, APrefixFilterLeavesOutDeletedRows)
{
    TClientDataSet ds;
    buildGoods(ds, 100);
    ds.Locate("Code", Variant("A2"));
    ds.Delete();
    ds.SetFilter("Name like 'app%'");
    ds.SetFiltered(true);
    EXPECT_EQ(visibleCodes(ds), Codes{});
    ds.SetFilter("Code like 'A%'");
    EXPECT_EQ(visibleCodes(ds), Codes{"A1"});
}

TEST(Filter, FieldNamesMayHoldDoubleByteCharacters)
{
    // 東 is 96 7C: its second byte is '|', 開 is E9 5F: its second byte is '_'.
    TClientDataSet ds;
    build(ds, {{G("東區"), FieldType::String, 10}, {G("開"), FieldType::Integer}});
    addRow(ds, {"x", "1"});
    addRow(ds, {"y", "2"});
    ds.SetFilter(G("東區='y' or 開='1'"));
    ds.SetFiltered(true);
    EXPECT_EQ(ds.RecordCount(), 2);
    ds.SetFilter(G("東區='y'"));
    EXPECT_EQ(column(ds, G("東區")), Codes{"y"});
}

TEST(Filter, TextOutsideTheSubsetIsRefusedAndTheOldFilterStays)
{
    const char* bad[] = {"Code=A1",
                         "Nope='x'",
                         "Code='x",
                         "Code>'x'",
                         "Code<>'x'",
                         "Code!='x'",
                         "Qty='abc'",
                         "Qty='1.5'",
                         "Flag='maybe'",
                         "ID='not-a-guid'",
                         "Day='2024-02-30'",
                         "Price='1,5'",
                         "(Code='x'",
                         "Code='x')",
                         "Code='x' and",
                         "Code='x' xor Code='y'",
                         "not Code='x'",
                         "Code in ('x')",
                         "Code='x' and and Code='y'",
                         "Code",
                         "'x'=Code",
                         "Code='x' Code='y'"};
    TClientDataSet ds;
    buildGoods(ds);
    ds.SetFilter("Code='B1'");
    ds.SetFiltered(true);
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_THAT(errorOf([&] { ds.SetFilter(text); }), HasSubstr("过滤条件有误"));
        EXPECT_EQ(ds.Filter(), "Code='B1'");
        EXPECT_TRUE(ds.Filtered());
        EXPECT_EQ(visibleCodes(ds), Codes{"B1"});
    }
}

TEST(Filter, BadTextSetWhileOffFailsWhenSwitchedOn)
{
    TClientDataSet ds;
    buildGoods(ds);
    ds.SetFilter("Nope='x'");
    EXPECT_THROW(ds.SetFiltered(true), Error);
    EXPECT_FALSE(ds.Filtered());
    EXPECT_EQ(ds.RecordCount(), 7);
}

TEST(Filter, PostedRowsFollowTheFilter)
{
    TClientDataSet ds;
    buildGoods(ds);
    ds.SetFilter("Qty>='5'");
    ds.SetFiltered(true);
    ASSERT_EQ(visibleCodes(ds), (Codes{"A1", "A2", "B2", "C2"}));

    ds.Append();
    ds.FieldByName("Code").SetAsString("N1");
    ds.FieldByName("Qty").SetAsInteger(50);
    ds.Post();
    EXPECT_EQ(current(ds, "Code"), "N1");
    ds.Append();
    ds.FieldByName("Code").SetAsString("N2");
    ds.FieldByName("Qty").SetAsInteger(1);
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 5) << "a posted row that fails the filter is hidden";

    ASSERT_TRUE(ds.Locate("Code", "A2"));
    ds.Edit();
    ds.FieldByName("Qty").SetAsInteger(0);
    ds.Post();
    EXPECT_EQ(current(ds, "Code"), "B2") << "the edited row left; the next one is current";
    EXPECT_EQ(visibleCodes(ds), (Codes{"A1", "B2", "C2", "N1"}));
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 9);
}

// ---------------------------------------------------------------------------------------
// Locate and Lookup, on a small table (linear search) and a large one (hash index)

class Search : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { buildGoods(ds, GetParam()); }
    TClientDataSet ds;
};

struct LocateCase {
    const char* field;
    Variant value;
    unsigned options;
    const char* found; ///< "" when nothing matches
};

TEST_P(Search, LocateFindsTheFirstMatchingRow)
{
    const DateTime feb1 = *DateTime::fromDate(2024, 2, 1);
    const LocateCase cases[] = {
        {"Name", "Apple", 0, "A1"},
        {"Name", "apple", 0, ""},
        {"Name", "APPLE", loCaseInsensitive, "A1"},
        {"Name", "app", loPartialKey, "A2"},
        {"Name", "APP", loCaseInsensitive | loPartialKey, "A1"},
        {"Name", "Apple pie", loCaseInsensitive, "A2"},
        {"Name", "Apple p", loCaseInsensitive, ""},
        {"Name", "O'Brien", 0, "B2"},
        {"Name", G("张三"), 0, "C1"},
        {"Name", G("門"), loPartialKey, "C2"},
        {"Name", "", 0, "C3"},
        {"Code", "c1", loCaseInsensitive, "C1"},
        {"Code", "c1", 0, ""},
        {"Qty", 10, 0, "A2"},
        {"Qty", "10", 0, "A2"},
        {"Qty", 10.0, 0, "A2"},
        {"Qty", int64_t{-1}, 0, "C3"},
        {"Qty", "ten", 0, ""},
        {"Qty", 2.6, 0, ""},
        {"Qty", 3.0, 0, "C1"},
        {"Flag", true, 0, "A1"},
        {"Flag", "0", 0, "A2"},
        {"Price", "2.25", 0, "A2"},
        {"Price", Decimal{225, 2}, 0, "A2"},
        {"Price", 2.25, 0, "A2"},
        {"Price", "2.254", 0, ""},
        {"Price", Decimal{22500, 4}, 0, "A2"},
        {"Price", Variant(), 0, "C1"},
        {"ID", lower(guid('A')), 0, "C2"},
        {"ID", Variant(), 0, "B2"},
        {"ID", "junk", 0, ""},
        {"Day", feb1, 0, "B1"},
        {"Day", "2024-02-10", 0, "B2"},
    };
    for (const LocateCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + gbk::display(c.value.toText()) + " options " +
                     std::to_string(c.options));
        ds.SetRecNo(4);
        const bool found = ds.Locate(c.field, c.value, c.options);
        EXPECT_EQ(found, *c.found != '\0');
        EXPECT_EQ(current(ds, "Code"), found ? c.found : "B2") << "not found leaves the cursor";
        EXPECT_EQ(ds.State(), DataSetState::Browse);
    }
}

TEST_P(Search, LocateTakesTheFirstMatchInTheActiveOrder)
{
    ds.AddIndex("CodeDesc", "Code", IndexOrder::Descending);
    ds.SetIndexName("CodeDesc");
    EXPECT_TRUE(ds.Locate("Qty", 10));
    EXPECT_EQ(current(ds, "Code"), "C2");
    EXPECT_TRUE(ds.Locate("Flag", true));
    EXPECT_EQ(current(ds, "Code"), "C1");
    EXPECT_TRUE(ds.Locate("Name", "APP", loCaseInsensitive | loPartialKey));
    EXPECT_EQ(current(ds, "Code"), "A2");
}

TEST_P(Search, LocateAndLookupSeeOnlyVisibleRows)
{
    ds.SetFilter("Code>='A2'");
    ds.SetFiltered(true);
    EXPECT_FALSE(ds.Locate("Name", "Apple"));
    EXPECT_TRUE(ds.Lookup("Code", "A1", "Name").isNull());
    EXPECT_TRUE(ds.Locate("Flag", true));
    EXPECT_EQ(current(ds, "Code"), "B1");
    EXPECT_EQ(ds.Lookup("Qty", 10, "Code").toText(), "A2");
}

TEST_P(Search, LookupGivesTheValueAndLeavesTheCursor)
{
    struct Case {
        const char* key;
        Variant value;
        const char* result;
        Variant expected;
    };
    const Case cases[] = {
        {"Code", "B2", "Name", "O'Brien"},       {"ID", lower(guid('A')), "Code", "C2"},
        {"Qty", "7", "Price", Decimal{1000, 2}}, {"Code", "C1", "Price", Variant()},
        {"Code", "a1", "Name", Variant()},       {"Code", "XX", "Name", Variant()},
        {"Name", "Apple", "Flag", true},
    };
    ds.SetRecNo(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.value.toText());
        const Variant v = ds.Lookup(c.key, c.value, c.result);
        EXPECT_EQ(v.isNull(), c.expected.isNull());
        EXPECT_EQ(v.toText(), c.expected.toText());
        EXPECT_EQ(ds.RecNo(), 3);
    }
    EXPECT_THROW(ds.Lookup("Nope", "x", "Name"), Error);
    EXPECT_THROW(ds.Locate("Nope", "x"), Error);
}

INSTANTIATE_TEST_SUITE_P(SmallAndIndexed, Search, ::testing::Values(0, 40),
                         [](const auto& info) { return "Filler" + std::to_string(info.param); });

TEST(SearchIndex, StaysCurrentThroughEditsDeletesAppendsOrderAndFilter)
{
    // Random changes against a walk over the visible rows: the hash index must give the
    // same first match as a plain scan after every step.
    const std::vector<std::string> keys{"k0", "k1", "k2", "k3", "K0", "K1", "K2", "K3", ""};
    std::mt19937 random(20240102);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    TClientDataSet ds;
    build(ds, {{"Key", FieldType::String, 10}, {"Num", FieldType::Integer}});
    ds.AddIndex("ByKey", "Key", IndexOrder::Ascending);
    ds.AddIndex("ByNumDesc", "Num", IndexOrder::Descending);
    for (int i = 0; i < 48; ++i)
        addRow(ds, {keys[static_cast<std::size_t>(i) % 8], std::to_string(i % 7)});

    auto scan = [&](auto matches) {
        for (ds.First(); !ds.Eof(); ds.Next())
            if (matches()) return ds.RecNo();
        return 0;
    };
    for (int step = 0; step < 150; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        switch (pick(6)) {
        case 0:
        case 1:
            if (ds.IsEmpty()) break;
            ds.SetRecNo(1 + pick(ds.RecordCount()));
            ds.Edit();
            ds.FieldByName("Key").SetAsString(keys[static_cast<std::size_t>(pick(9))]);
            ds.FieldByName("Num").SetAsInteger(pick(7));
            ds.Post();
            break;
        case 2:
            if (ds.RecordCount() > 34) {
                ds.SetRecNo(1 + pick(ds.RecordCount()));
                ds.Delete();
                break;
            }
            [[fallthrough]];
        case 3:
            addRow(ds, {keys[static_cast<std::size_t>(pick(9))], std::to_string(pick(7))});
            break;
        case 4:
            ds.SetIndexName(std::array<const char*, 3>{
                "", "ByKey", "ByNumDesc"}[static_cast<std::size_t>(pick(3))]);
            break;
        case 5:
            ds.SetFilter(pick(3) == 0 ? "Num>='2'" : "");
            ds.SetFiltered(true);
            break;
        }
        for (const std::string& key : keys) {
            for (unsigned options : {0u, unsigned{loCaseInsensitive}}) {
                const int expected = scan([&] {
                    const std::string k = current(ds, "Key");
                    return options ? gbk::equalsIgnoreCase(k, key) : k == key;
                });
                ds.SetRecNo(1);
                ASSERT_EQ(ds.Locate("Key", key, options), expected != 0) << key << options;
                if (expected) {
                    ASSERT_EQ(ds.RecNo(), expected) << key << options;
                }
            }
        }
        for (int num = 0; num < 7; ++num) {
            const int expected = scan([&] { return ds.FieldByName("Num").AsInteger() == num; });
            std::string key;
            if (expected) {
                ds.SetRecNo(expected);
                key = current(ds, "Key");
            }
            const Variant found = ds.Lookup("Num", num, "Key");
            ASSERT_EQ(found.toText(), key) << num;
            ASSERT_EQ(found.isNull(), !expected || key.empty()) << num;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Sort

struct SortCase {
    const char* field;
    IndexOrder order;
    Codes codes;
};

TEST(Sort, ActiveIndexOrdersTheVisibleRows)
{
    const SortCase cases[] = {
        {"Code", IndexOrder::Descending, {"C3", "C2", "C1", "B2", "B1", "A2", "A1"}},
        {"Qty", IndexOrder::Ascending, {"C3", "B1", "C1", "A1", "B2", "A2", "C2"}},
        {"Qty", IndexOrder::Descending, {"A2", "C2", "B2", "A1", "C1", "B1", "C3"}},
        // Null first ascending; equal keys keep their natural order.
        {"Price", IndexOrder::Ascending, {"C1", "C3", "B1", "A1", "A2", "C2", "B2"}},
        {"Price", IndexOrder::Descending, {"B2", "A2", "C2", "A1", "B1", "C3", "C1"}},
        // Texts by their GBK bytes: upper case before lower case, 张 (D5C5) before 門 (E954).
        {"Name", IndexOrder::Ascending, {"C3", "A1", "B1", "B2", "A2", "C1", "C2"}},
        {"Day", IndexOrder::Descending, {"C2", "B2", "B1", "A2", "A1", "C3", "C1"}},
        {"Flag", IndexOrder::Ascending, {"C2", "A2", "B2", "C3", "A1", "B1", "C1"}},
        {"ID", IndexOrder::Ascending, {"B2", "A1", "A2", "B1", "C1", "C2", "C3"}},
    };
    for (const SortCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + (c.order == IndexOrder::Descending ? " desc" : ""));
        TClientDataSet ds;
        buildGoods(ds);
        ds.AddIndex("Ix", c.field, c.order);
        ds.SetIndexName("Ix");
        EXPECT_EQ(ds.IndexName(), "Ix");
        EXPECT_EQ(visibleCodes(ds), c.codes);
        ds.SetIndexName("");
        EXPECT_EQ(visibleCodes(ds), (Codes{"A1", "A2", "B1", "B2", "C1", "C2", "C3"}));
    }
}

TEST(Sort, IndexDefinitionsAreListed)
{
    TClientDataSet ds;
    buildGoods(ds);
    ds.AddIndex("CodeASC", "Code", IndexOrder::Ascending);
    ds.AddIndex("QtyDesc", "Qty", IndexOrder::Descending);
    ASSERT_EQ(ds.IndexDefs().Count(), 2);
    EXPECT_EQ(ds.IndexDefs().Items(1).Name, "QtyDesc");
    EXPECT_EQ(ds.IndexDefs().Items(1).Fields, "Qty");
    EXPECT_TRUE(ds.IndexDefs().Items(1).Descending);
    EXPECT_FALSE(ds.IndexDefs().Items(0).Descending);
    ds.SetIndexName("qtydesc");
    EXPECT_EQ(visibleCodes(ds).front(), "A2") << "index names ignore letter case";
    ds.ClearIndexDefs();
    EXPECT_EQ(ds.IndexDefs().Count(), 0);
    EXPECT_EQ(ds.IndexName(), "");
    EXPECT_EQ(visibleCodes(ds).front(), "A1");
}

TEST(Sort, UnknownIndexOrFieldIsAnErrorNamingIt)
{
    TClientDataSet ds;
    buildGoods(ds);
    ds.AddIndex("CodeDesc", "Code", IndexOrder::Descending);
    ds.SetIndexName("CodeDesc");
    EXPECT_THAT(errorOf([&] { ds.SetIndexName("NoSuchIndex"); }), HasSubstr("NoSuchIndex"));
    EXPECT_EQ(ds.IndexName(), "CodeDesc");
    EXPECT_EQ(visibleCodes(ds).front(), "C3");
    EXPECT_THAT(errorOf([&] { ds.AddIndex("Bad", "NoSuchField", IndexOrder::Ascending); }),
                HasSubstr("NoSuchField"));
    ds.AddIndex("codedesc", "Qty", IndexOrder::Ascending);
    EXPECT_EQ(ds.IndexDefs().Count(), 1) << "the same name redefines the index";
    EXPECT_EQ(visibleCodes(ds).front(), "C3") << "the active index follows its new definition";
    EXPECT_EQ(visibleCodes(ds).back(), "C2");
}

TEST(Sort, AppendRecordStoresWhatAppendAndPostStoreInTheSamePlace)
{
    // Texts the fields convert, a Null, and a row the filter hides.
    const std::vector<std::vector<Variant>> rows = {
        {Variant("B15"), Variant("Bean"), Variant("4"), Variant(int64_t{1}), Variant("3.5"),
         Variant(guid('7')), Variant("2024-04-01")},
        {Variant("A0"), Variant(), Variant(int64_t{2}), Variant(), Variant(), Variant(), Variant()},
        {Variant("Z1"), Variant("zero"), Variant(int64_t{0}), Variant(), Variant(), Variant(),
         Variant()}};
    TClientDataSet one, other;
    for (TClientDataSet* ds : {&one, &other}) {
        buildGoods(*ds);
        ds->AddIndex("ByCode", "Code", IndexOrder::Ascending);
        ds->SetIndexName("ByCode");
        ds->SetFilter("Qty >= '1'");
        ds->SetFiltered(true);
    }
    for (const auto& values : rows) {
        one.AppendRecord(values);
        other.Append();
        for (int f = 0; f < other.FieldCount(); ++f)
            if (!values[static_cast<std::size_t>(f)].isNull())
                other.Fields(f).SetAsVariant(values[static_cast<std::size_t>(f)]);
        other.Post();
        EXPECT_EQ(one.RecNo(), other.RecNo());
        EXPECT_EQ(one.Eof(), other.Eof());
    }
    EXPECT_EQ(visibleCodes(one), (Codes{"A0", "A1", "A2", "B15", "B2", "C1", "C2"}));
    one.SetFiltered(false);
    other.SetFiltered(false);
    EXPECT_EQ(one.Data(), other.Data());

    // A wrong count or a value its field refuses adds nothing.
    const int before = one.RecordCount();
    EXPECT_THROW(one.AppendRecord(std::vector<Variant>(3)), Error);
    std::vector<Variant> bad = rows[0];
    bad[2] = Variant("many");
    EXPECT_THROW(one.AppendRecord(bad), Error);
    EXPECT_EQ(one.RecordCount(), before);
}

TEST(Sort, PostedRowTakesItsPlaceAndStaysCurrent)
{
    TClientDataSet ds;
    buildGoods(ds);
    ds.AddIndex("ByCode", "Code", IndexOrder::Ascending);
    ds.SetIndexName("ByCode");
    ds.First();
    ds.Append();
    ds.FieldByName("Code").SetAsString("B15");
    ds.Post();
    EXPECT_EQ(current(ds, "Code"), "B15");
    EXPECT_EQ(ds.RecNo(), 4);

    ASSERT_TRUE(ds.Locate("Code", "A1"));
    ds.Edit();
    ds.FieldByName("Code").SetAsString("Z9");
    ds.Post();
    EXPECT_EQ(current(ds, "Code"), "Z9");
    EXPECT_EQ(ds.RecNo(), 8);
    EXPECT_EQ(visibleCodes(ds), (Codes{"A2", "B1", "B15", "B2", "C1", "C2", "C3", "Z9"}));
}
