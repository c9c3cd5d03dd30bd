#include "server/storage/postgres/PgValues.h"

#include "StorageTestSupport.h"
#include "entity/Error.h"

#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>

namespace corvo::server::storage::postgres {
namespace {

using ::testing::HasSubstr;

struct TextCase {
    Value value;
    const char* text;
};

TEST(PgParameters, TextFormsAreExact)
{
    const double inf = std::numeric_limits<double>::infinity();
    const TextCase cases[] = {
        {true, "1"},
        {false, "0"},
        {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1.0 / 3.0, "0.3333333333333333"},
        {-1.5e300, "-1.5e+300"},
        {std::nan(""), "NaN"},
        {-inf, "-Infinity"},
        {Decimal{-5, 3}, "-0.005"},
        {*DateTime::parse("2024-02-29 13:45:30"), "2024-02-29 13:45:30"},
        {*DateTime::parse("2024-02-29"), "2024-02-29"},
        {"商品", "商品"},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(parameterText(c.value, 1), c.text) << test::describe(c.value);
}

TEST(PgParameters, ValuesWithoutATextFormAreRefused)
{
    try {
        parameterText(Value(std::string("a\0b", 3)), 3);
        FAIL();
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("Parameter 3 is text with a NUL character"));
    }
    EXPECT_THROW(parameterText(DateTime{1e9}, 2), Error);
}

struct FieldCase {
    unsigned type;
    const char* text;
    Value expected;
};

TEST(PgResults, FieldsConvertByColumnType)
{
    constexpr unsigned Text = 25, Timestamp = 1114;
    const FieldCase cases[] = {
        {oid::Bool, "t", true},
        {oid::Bool, "f", false},
        {oid::Int2, "-32768", -32768},
        {oid::Int8, "9223372036854775807", std::numeric_limits<int64_t>::max()},
        {oid::Float8, "0.30000000000000004", 0.1 + 0.2},
        {oid::Float4, "1.5", 1.5},
        {oid::Float8, "-Infinity", -std::numeric_limits<double>::infinity()},
        {oid::Numeric, "-12345.6780", Decimal{-123456780, 4}},
        {oid::Numeric, "42", Decimal{42, 0}},
        {oid::Numeric, "0.000", Decimal{0, 3}},
        // Unconstrained numeric may print more places than a Decimal holds.
        {oid::Numeric, "1.00000000000000000000", Decimal{1000000000000000000, 18}},
        {oid::Numeric, "123456789012345678901234.5", "123456789012345678901234.5"},
        {oid::Numeric, "NaN", "NaN"},
        {oid::Bytea, "\\x00ff41", Bytes{0x00, 0xFF, 0x41}},
        {oid::Bytea, "\\x", Bytes{}},
        {Text, "商品", "商品"},
        {Timestamp, "2024-02-29 13:45:30", "2024-02-29 13:45:30"},
    };
    for (const FieldCase& c : cases)
        EXPECT_EQ(test::describe(fromText(c.type, c.text)), test::describe(c.expected))
            << c.type << " " << c.text;
}

TEST(PgResults, MalformedFieldsAreErrors)
{
    const std::pair<unsigned, const char*> cases[] = {
        {oid::Bytea, "\\x0"},
        {oid::Bytea, "00ff"},
        {oid::Bytea, "\\xzz"},
        {oid::Int4, "12a"},
        {oid::Int8, "99999999999999999999"},
        {oid::Bool, "yes"},
        {oid::Float8, ""},
    };
    for (auto [type, text] : cases) {
        try {
            fromText(type, text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("Malformed")) << text;
        }
    }
}

} // namespace
} // namespace corvo::server::storage::postgres
