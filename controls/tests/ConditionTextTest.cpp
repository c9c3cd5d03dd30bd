#include "controls/ConditionText.h"

#include "entity/Error.h"
#include "entity/Gbk.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>

namespace corvo::controls::condition {
namespace {

std::string g(const char* utf8)
{
    return gbk::fromUtf8(utf8);
}

DateTime day(int y, int m, int d, double hours = 0)
{
    return DateTime{DateTime::fromDate(y, m, d)->days + hours / 24};
}

/// The error message an expression throws, or "" when it throws none.
template <typename F> std::string messageOf(F&& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return {};
}

Request single(std::string field, std::string value, FieldKind kind = FieldKind::String,
               bool like = false)
{
    Request r;
    r.fieldName = std::move(field);
    r.captionUtf8 = "名称";
    r.kind = kind;
    r.like = like;
    r.value = std::move(value);
    return r;
}

Request range(std::string field, std::string rangeText)
{
    Request r = single(std::move(field), std::move(rangeText), FieldKind::Number);
    r.isRange = true;
    return r;
}

struct ComposeCase {
    const char* name;
    Request request;
    std::string expected; // GBK
};

class ComposeTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeTest, ComposesTheServersConditionText)
{
    EXPECT_EQ(compose(GetParam().request), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, ComposeTest,
    ::testing::Values(
        ComposeCase{"like", single("Name", g("张"), FieldKind::String, true),
                    g("Name like '%张%'")},
        ComposeCase{"innerCode", single("TOrganID", "X"), "TOrganID = 'X'"},
        ComposeCase{"integerRange", range("Quantity", integerRange("1", "5")),
                    "Quantity  between '1' and '5'"},
        ComposeCase{"dateRange", range("HappenDate", dateRange(day(2005, 2, 1), day(2005, 3, 1))),
                    "HappenDate  between '2005-02-01' and '2005-03-01'"},
        // Only a string compares by substring; every other kind compares equal.
        ComposeCase{"likeOnNumber", single("Amount", "5", FieldKind::Number, true), "Amount = '5'"},
        ComposeCase{"likeOnDate", single("HappenDate", "2005-03-01", FieldKind::DateTime, true),
                    "HappenDate = '2005-03-01'"},
        ComposeCase{"number", single("Price", " 2.5", FieldKind::Number), "Price = ' 2.5'"},
        ComposeCase{"blankIsAValue", single("Name", " ", FieldKind::String, true),
                    "Name like '% %'"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    Request request;
    const char* message;
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, RefusesWithTheUsersMessage)
{
    EXPECT_EQ(messageOf([&] { compose(GetParam().request); }), GetParam().message);
}

Request hiddenEditor(Request r)
{
    r.editorVisible = false;
    return r;
}

Request unknownKind()
{
    Request r = single("F", "1");
    r.kind = static_cast<FieldKind>(7);
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, RefusalTest,
    ::testing::Values(RefusalCase{"quote", single("Name", "O'Brien"), "条件中不准输入'字符！"},
                      RefusalCase{"quoteInNumber", single("Qty", "1'", FieldKind::Number),
                                  "条件中不准输入'字符！"},
                      RefusalCase{"noFieldName", single("", "x"), "名称：请填入FieldName属性。"},
                      RefusalCase{"emptyString", single("Name", ""),
                                  "请填入[名称]对应的条件或者不选中该条件！"},
                      RefusalCase{"emptyDate", single("HappenDate", "", FieldKind::DateTime),
                                  "请填入[名称]对应的条件或者不选中该条件！"},
                      RefusalCase{"notANumber", single("Qty", "abc", FieldKind::Number),
                                  "[名称]:[abc] 不是一个数值！"},
                      RefusalCase{"emptyNumber", hiddenEditor(single("Qty", "", FieldKind::Number)),
                                  "[名称]:[] 不是一个数值！"},
                      RefusalCase{"unknownKind", unknownKind(), "[名称]：未知条件类型。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConditionTextTest, EmptyValueOfAHiddenEditorIsAnEmptyLiteral)
{
    EXPECT_EQ(compose(hiddenEditor(single("Name", ""))), "Name = ''");
}

TEST(ConditionTextTest, RangeTextsCarryTheirOwnQuotes)
{
    EXPECT_EQ(compose(range("Qty", " between '1' and '2'")), "Qty  between '1' and '2'");
}

TEST(ConditionTextTest, BeforeConditionRunsAfterTheQuoteCheckAndBeforeTheFieldCheck)
{
    const BeforeCondition rewrite = [](std::string& field, std::string& value) {
        field = "T." + (field.empty() ? std::string("Name") : field);
        value += "'s";
    };
    // What the event writes is quoted, never refused: it is the program's own text.
    EXPECT_EQ(compose(single("", "Bob"), rewrite), "T.Name = 'Bob''s'");

    bool called = false;
    const BeforeCondition spy = [&](std::string&, std::string&) { called = true; };
    EXPECT_EQ(messageOf([&] { compose(single("Name", "a'b"), spy); }), "条件中不准输入'字符！");
    EXPECT_FALSE(called);

    const BeforeCondition empties = [](std::string&, std::string& value) { value.clear(); };
    EXPECT_EQ(messageOf([&] { compose(single("Name", "x"), empties); }),
              "请填入[名称]对应的条件或者不选中该条件！");
}

TEST(ConditionTextTest, NumberRanges)
{
    struct Case {
        const char* low;
        const char* high;
        std::string expected; // "" means refused
    };
    const char* refused = "数值上限应该比数值下限大，请改正。";
    for (const Case& c :
         {Case{"1", "5", " between '1' and '5'"}, Case{"3", "3", " between '3' and '3'"},
          Case{"03", "3", " between '3' and '03'"}, Case{"5", "3", ""},
          Case{"0", "2147483647", " between '0' and '2147483647'"}}) {
        if (c.expected.empty())
            EXPECT_EQ(messageOf([&] { integerRange(c.low, c.high); }), refused) << c.low;
        else
            EXPECT_EQ(integerRange(c.low, c.high), c.expected) << c.low;
    }
    for (const Case& c : {Case{"1.5", "2", " between '1.5' and '2'"},
                          Case{"1.50", "1.5", " between '1.5' and '1.50'"},
                          Case{"-2", "-1.5", " between '-2' and '-1.5'"}, Case{"2", "1.99", ""}}) {
        if (c.expected.empty())
            EXPECT_EQ(messageOf([&] { numberRange(c.low, c.high); }), refused) << c.low;
        else
            EXPECT_EQ(numberRange(c.low, c.high), c.expected) << c.low;
    }
    EXPECT_EQ(messageOf([] { integerRange("1", "x"); }), "[x]不是一个有效的整数。");
    EXPECT_EQ(messageOf([] { numberRange("abc", "1"); }), "[abc] 不是一个数值！");
}

TEST(ConditionTextTest, DateRangesCompareTheFullTimesAndShowDatesOnly)
{
    EXPECT_EQ(dateRange(day(2005, 3, 1, 8), day(2005, 3, 1, 17)),
              " between '2005-03-01' and '2005-03-01'");
    EXPECT_EQ(messageOf([] { dateRange(day(2005, 3, 2), day(2005, 3, 1)); }),
              "结束时间应该比开始的时间晚，请改正。");
    EXPECT_EQ(messageOf([] { dateRange(day(2005, 3, 1, 17), day(2005, 3, 1, 8)); }),
              "结束时间应该比开始的时间晚，请改正。");
}

TEST(ConditionTextTest, QuotingDoublesInnerQuotes)
{
    EXPECT_EQ(sqlQuoted(""), "''");
    EXPECT_EQ(sqlQuoted("a'b''"), "'a''b'''''");
    EXPECT_EQ(sqlQuoted(g("张'")), g("'张'''"));
}

TEST(ConditionTextTest, NumberReading)
{
    struct Case {
        const char* text;
        std::optional<double> number;
    };
    for (const Case& c :
         {Case{"1.5", 1.5}, Case{" 2 ", 2.0}, Case{"+3", 3.0}, Case{"-1", -1.0}, Case{".5", 0.5},
          Case{"5.", 5.0}, Case{"1e3", 1000.0}, Case{"", std::nullopt}, Case{"abc", std::nullopt},
          Case{"1,5", std::nullopt}, Case{"inf", std::nullopt}, Case{"nan", std::nullopt},
          Case{"1e999", std::nullopt}, Case{"0x10", std::nullopt}, Case{"++1", std::nullopt},
          Case{"-", std::nullopt}, Case{".", std::nullopt}})
        EXPECT_EQ(readNumber(c.text), c.number) << c.text;

    struct Whole {
        const char* text;
        std::optional<int32_t> number;
    };
    for (const Whole& c :
         {Whole{"7", 7}, Whole{"007", 7}, Whole{"2147483647", 2147483647},
          Whole{"2147483648", std::nullopt}, Whole{"-5", std::nullopt}, Whole{"+5", std::nullopt},
          Whole{"12a", std::nullopt}, Whole{"", std::nullopt}, Whole{" 5", std::nullopt},
          Whole{"1.0", std::nullopt}})
        EXPECT_EQ(readWholeNumber(c.text), c.number) << c.text;

    for (double v : {0.0, 0.1, 2.5, 100.0, -3.25, 1e20, 123456789.125})
        EXPECT_EQ(readNumber(shortestNumberText(v)), v) << v;
    EXPECT_EQ(shortestNumberText(0.1), "0.1");
    EXPECT_EQ(shortestNumberText(100), "100");
}

} // namespace
} // namespace corvo::controls::condition
