#include "controls/ComboEntries.h"

#include "controls/ComboListLayout.h"
#include "entity/tests/TestTables.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <random>

namespace corvo::controls {
namespace {

using test::addRow;
using test::build;
using test::G;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

std::string codes(const ComboEntries& entries, const std::vector<int>& shown)
{
    QStringList out;
    for (int i : shown)
        out.append(entries.text(i, ComboEntries::Code));
    return out.join(',').toStdString();
}

// Loading order differs from every column's sorted order, a column 1 text repeats, an inner
// code repeats in another letter case, one column 1 text is empty, one equals another entry's
// column 2 text.
class ComboEntriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* rows[][4] = {
            {"A1", "ZS", "001", "张三"},       {"B2", "LS", "002", "李四"},
            {"C3", "zsx", "a01", "Zoe Smith"}, {"D4", "", "010", "张小明"},
            {"E5", "ZS", "003", "赵四"},       {"a1", "LI", "101", "李娜"},
            {"F6", "003", "", "Äpfel"},
        };
        for (const auto& r : rows)
            ASSERT_TRUE(entries.append(U(r[0]), U(r[1]), U(r[2]), U(r[3])));
    }
    ComboEntries entries;
};

TEST(ComboTextTest, BlanksAreTrimmedAndOnlyAToZIsUpperCased)
{
    EXPECT_EQ(trimBlanks(u" \t x y \r\n").toString(), "x y");
    EXPECT_EQ(trimBlanks(U("\u3000张")).toString(), U("\u3000张")); // not a blank
    EXPECT_EQ(upperAscii(U("abz-äß张q")), U("ABZ-äß张Q"));
}

TEST_F(ComboEntriesTest, AppendTrimsAndRefusesBlankCodeOrDisplay)
{
    ComboEntries e;
    EXPECT_TRUE(e.append(u" X ", u" m ", u"", u" 名 "));
    EXPECT_FALSE(e.append(u"  ", u"a", u"b", u"shown"));
    EXPECT_FALSE(e.append(u"Y", u"a", u"b", u"\t "));
    ASSERT_EQ(e.count(), 1);
    EXPECT_EQ(e.text(0, ComboEntries::Code), "X");
    EXPECT_EQ(e.text(0, ComboEntries::Ime1), "m");
    EXPECT_EQ(e.text(0, ComboEntries::Display), U("名"));
}

TEST_F(ComboEntriesTest, FilterShowsPrefixMatchesOfAnyColumnInLoadingOrder)
{
    struct Case {
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {"", "A1,B2,C3,D4,E5,a1,F6"},
        {"   ", "A1,B2,C3,D4,E5,a1,F6"},
        {"z", "A1,C3,E5"},    // column 1 ZS / zsx, display Zoe
        {" Zs ", "A1,C3,E5"}, // trimmed, upper-cased
        {"0", "A1,B2,D4,E5,F6"},
        {"00", "A1,B2,E5,F6"}, // column 2, and F6's column 1
        {"002", "B2"},
        {"a", "C3"}, // column 2 a01 upper-cased
        {"l", "B2,a1"},
        {"张", "A1,D4"}, // display text
        {"李娜", "a1"},
        {"Ä", "F6"},
        {"ä", ""}, // only a–z are upper-cased
        {"zoe s", "C3"},
        {"x", ""},
        {"0011", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(codes(entries, entries.filter(U(c.typed))), c.shown) << c.typed;
}

TEST_F(ComboEntriesTest, ResolvePrefersColumnOneThenColumnTwoThenDisplayAndTheFirstLoaded)
{
    struct Case {
        const char* text;
        int entry;
    };
    const Case cases[] = {
        {"00", -1},
        {"002", 1},
        {"李四", 1},
        {"zs", 0},
        {" ZSX ", 2},
        {"zoe smith", 2},
        {"003", 6} /* F6's column 1 before E5's column 2 */,
        {"", -1},
        {"  ", -1},
        {"张", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(entries.resolve(U(c.text)), c.entry) << c.text;
}

TEST_F(ComboEntriesTest, InnerCodesAreFoundIgnoringLetterCaseButNotBlanks)
{
    EXPECT_EQ(entries.findInnerCode(u"a1"), 0);
    EXPECT_EQ(entries.findInnerCode(u"A1"), 0);
    EXPECT_EQ(entries.findInnerCode(u"b2"), 1);
    EXPECT_EQ(entries.findInnerCode(u" B2"), -1);
    EXPECT_EQ(entries.findInnerCode(u""), -1);
    EXPECT_EQ(entries.findInnerCode(u"Z9"), -1);
}

TEST_F(ComboEntriesTest, SearchesFollowEntriesAddedAfterASearchAndClear)
{
    EXPECT_EQ(codes(entries, entries.filter(u"q")), "");
    ASSERT_TRUE(entries.append(u"Q1", u"QQ", u"", u"q"));
    EXPECT_EQ(codes(entries, entries.filter(u"q")), "Q1");
    EXPECT_EQ(entries.resolve(u"qq"), 7);
    entries.clear();
    EXPECT_EQ(entries.count(), 0);
    EXPECT_EQ(codes(entries, entries.filter(u"q")), "");
    EXPECT_EQ(entries.findInnerCode(u"Q1"), -1);
}

// The sorted ranges against a plain walk, over many entries sharing prefixes, so that both the
// few-hits and the many-hits paths run.
TEST(ComboEntriesSearchTest, AgreesWithAWalkOverEveryEntry)
{
    std::mt19937 random(7);
    const auto pick = [&](QStringView alphabet, int maxLength, int minLength) {
        const int length =
            minLength +
            static_cast<int>(random() % static_cast<unsigned>(maxLength - minLength + 1));
        QString s;
        for (int i = 0; i < length; ++i)
            s.append(alphabet[static_cast<qsizetype>(random() %
                                                     static_cast<unsigned>(alphabet.size()))]);
        return s;
    };
    ComboEntries entries;
    std::vector<std::array<QString, 4>> plain;
    for (int i = 0; i < 5000; ++i) {
        std::array<QString, 4> e{pick(u"ABab", 4, 0), pick(u"01a", 4, 0), pick(U("张李aB"), 3, 1),
                                 QString::number(i)};
        if (entries.append(e[3], e[0], e[1], e[2])) plain.push_back(e);
    }
    ASSERT_EQ(entries.count(), static_cast<int>(plain.size()));

    for (auto& e : plain)
        for (QString& text : e)
            text = upperAscii(text);
    const auto walkFilter = [&](const QString& key) {
        std::vector<int> shown;
        for (int i = 0; i < static_cast<int>(plain.size()); ++i)
            if (plain[i][0].startsWith(key) || plain[i][1].startsWith(key) ||
                plain[i][2].startsWith(key))
                shown.push_back(i);
        return shown;
    };
    const auto walkResolve = [&](const QString& key) {
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < static_cast<int>(plain.size()); ++i)
                if (plain[i][c] == key) return i;
        return -1;
    };
    for (int k = 0; k < 300; ++k) {
        const QString typed = pick(U("ABab01张李"), 4, 1);
        const QString key = upperAscii(typed);
        ASSERT_EQ(entries.filter(typed), walkFilter(key)) << typed.toStdString();
        ASSERT_EQ(entries.resolve(typed), walkResolve(key)) << typed.toStdString();
    }
}

// Loading from a dataset

class ComboLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        build(ds, {{"ObjID", FieldType::String, 38},
                   {"HelpIndex", FieldType::String, 10},
                   {"Code", FieldType::String, 10},
                   {"Name", FieldType::String, 20}});
        addRow(ds, {"{A1}", " ZS ", "001", G("张三")});
        addRow(ds, {"{B2}", "LS", "002", G(" 李四 ")});
        addRow(ds, {"  ", "XX", "003", G("王五")});      // blank key: skipped
        addRow(ds, {"{C3}", "WW", "004", std::nullopt}); // no display text: skipped
        addRow(ds, {"{D4}", std::nullopt, std::nullopt, G("赵六")});
        ds.First();
        entries.append(u"OLD", u"", u"", u"old");
    }
    ComboLoadResult load(std::string_view key, std::string_view ime1, std::string_view ime2,
                         std::string_view display)
    {
        return loadComboEntries(entries, &ds, key, ime1, ime2, display);
    }
    std::string column(ComboEntries::Column c) const
    {
        QStringList out;
        for (int i = 0; i < entries.count(); ++i)
            out.append(entries.text(i, c));
        return out.join('|').toStdString();
    }
    TClientDataSet ds;
    ComboEntries entries;
};

TEST_F(ComboLoadTest, MissingDataSetOrFieldsLoadNothing)
{
    using Outcome = ComboLoadResult::Outcome;
    struct Case {
        const char* key;
        const char* display;
        Outcome outcome;
    };
    for (const Case& c :
         {Case{"", "Name", Outcome::BadKeyField}, Case{"  ", "Name", Outcome::BadKeyField},
          Case{"Nope", "Name", Outcome::BadKeyField}, Case{"Nope", "Nope", Outcome::BadKeyField},
          Case{"ObjID", "", Outcome::BadDisplayField},
          Case{"ObjID", "Nope", Outcome::BadDisplayField}}) {
        entries.append(u"OLD", u"", u"", u"old");
        EXPECT_EQ(load(c.key, "HelpIndex", "Code", c.display).outcome, c.outcome) << c.key;
        EXPECT_EQ(entries.count(), 0) << c.key;
    }
    EXPECT_EQ(loadComboEntries(entries, nullptr, "ObjID", "", "", "Name").outcome,
              Outcome::NoDataSet);
    ds.Close();
    EXPECT_EQ(load("ObjID", "", "", "Name").outcome, Outcome::NoDataSet);
}

TEST_F(ComboLoadTest, ColumnsAreJudgedOnTheCurrentRow)
{
    struct Case {
        int currentRow; // 1-based
        const char* ime1;
        const char* ime2;
        bool hideIme1;
        bool hideIme2;
        const char* ime1Texts;
        const char* ime2Texts;
    };
    const Case cases[] = {
        {1, "HelpIndex", "Code", false, false, "ZS|LS|", "001|002|"},
        {5, "HelpIndex", "Code", true, false, "||", "001|002|"}, // empty column 1 on this row
        {1, "", "Code", true, false, "||", "001|002|"},
        {1, "Nope", "", true, false, "||", "||"},
        {1, "HelpIndex", "Nope", false, true, "ZS|LS|", "||"},
        {1, "HelpIndex", "", false, true, "ZS|LS|", "||"},
    };
    for (const Case& c : cases) {
        ds.SetRecNo(c.currentRow);
        const ComboLoadResult r = load("ObjID", c.ime1, c.ime2, "Name");
        const std::string what = std::string(c.ime1) + "/" + c.ime2;
        EXPECT_EQ(r.outcome, ComboLoadResult::Outcome::Loaded) << what;
        EXPECT_EQ(r.hideIme1, c.hideIme1) << what;
        EXPECT_EQ(r.hideIme2, c.hideIme2) << what;
        EXPECT_EQ(column(ComboEntries::Code), "{A1}|{B2}|{D4}") << what;
        EXPECT_EQ(column(ComboEntries::Display), "张三|李四|赵六") << what;
        EXPECT_EQ(column(ComboEntries::Ime1), c.ime1Texts) << what;
        EXPECT_EQ(column(ComboEntries::Ime2), c.ime2Texts) << what;
    }
    EXPECT_EQ(entries.resolve(U("赵六")), 2);
}

// Layout

TEST(ComboColumnWidthsTest, KeepsTheWidestPlusTwentyTwoAndTheScrollAllowance)
{
    ComboColumnWidths w;
    EXPECT_EQ(w.scrollAllowance, 30);
    for (int width : {10, 30, 32, 33})
        w.keep(0, width);
    EXPECT_EQ(w.kept[0], 55); // 10 -> 32; 30 and 32 are not wider; 33 -> 55
    w.keep(2, 0);
    EXPECT_EQ(w.kept[2], 0);
    w.entryLoaded(5, 5);
    EXPECT_EQ(w.scrollAllowance, 10);
    w.entryLoaded(6, 5);
    EXPECT_EQ(w.scrollAllowance, 35);
}

TEST(ComboListLayoutTest, ColumnsAndPlacement)
{
    struct Case {
        const char* what;
        ComboListPlacement box;
        std::array<int, 3> kept;
        int allowance;
        ComboListGeometry expected;
    };
    const ComboListPlacement base{10, 20, 110, 21, 400, 300, true, true, 5};
    auto with = [&](auto change) {
        ComboListPlacement p = base;
        change(p);
        return p;
    };
    const Case cases[] = {
        {"below, narrow texts", base, {0, 0, 0}, 30, {{32, 30, 110}, 10, 41, 202, 100}},
        {"kept widths win", base, {50, 60, 200}, 10, {{50, 60, 200}, 10, 41, 320, 100}},
        {"hidden columns",
         with([](auto& p) { p.ime1Visible = p.ime2Visible = false; }),
         {50, 60, 0},
         35,
         {{1, 0, 110}, 10, 41, 146, 100}},
        {"column 2 of 2..19 becomes 20",
         with([](auto& p) { p.boxWidth = 50; }),
         {0, 0, 0},
         10,
         {{32, 20, 50}, 10, 41, 112, 100}},
        {"lines",
         with([](auto& p) { p.lines = 8; }),
         {0, 0, 0},
         30,
         {{32, 30, 110}, 10, 41, 202, 160}},
        {"just fits below",
         with([](auto& p) {
             p.boxTop = 200;
             p.parentHeight = 336;
         }),
         {0, 0, 0},
         30,
         {{32, 30, 110}, 10, 221, 202, 100}},
        {"above",
         with([](auto& p) {
             p.boxTop = 200;
             p.parentHeight = 335;
         }),
         {0, 0, 0},
         30,
         {{32, 30, 110}, 10, 100, 202, 100}},
        {"just fits right",
         with([](auto& p) { p.boxLeft = 198; }),
         {0, 0, 0},
         30,
         {{32, 30, 110}, 198, 41, 202, 100}},
        {"moved left",
         with([](auto& p) { p.boxLeft = 199; }),
         {0, 0, 0},
         30,
         {{32, 30, 110}, 183, 41, 202, 100}},
    };
    for (const Case& c : cases) {
        ComboColumnWidths w;
        w.kept = c.kept;
        w.scrollAllowance = c.allowance;
        const ComboListGeometry g = layoutComboList(c.box, w);
        EXPECT_EQ(g.columnWidths, c.expected.columnWidths) << c.what;
        EXPECT_EQ(g.left, c.expected.left) << c.what;
        EXPECT_EQ(g.top, c.expected.top) << c.what;
        EXPECT_EQ(g.width, c.expected.width) << c.what;
        EXPECT_EQ(g.height, c.expected.height) << c.what;
    }
}

} // namespace
} // namespace corvo::controls
