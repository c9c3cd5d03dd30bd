// The grouping by equal keys under SumByKey and MergeDuplicateKeys, on bare columns.
#include "entity/internal/KeyGroups.h"

#include "entity/Guid.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace corvo::internal {
namespace {

/// A column of the given type holding the values (nullopt: Null).
template <typename T>
Column columnOf(FieldType type, int size, const std::vector<std::optional<T>>& values)
{
    Column c(type, size);
    for (uint32_t row = 0; row < values.size(); ++row) {
        c.appendNull();
        if (!values[row]) continue;
        if constexpr (std::is_same_v<T, std::string>) {
            if (type == FieldType::Guid)
                c.setGuid(row, *Guid::parse(*values[row]));
            else
                c.setBytes(row, *values[row]);
        } else if constexpr (std::is_same_v<T, double>) {
            c.setFloat(row, *values[row]);
        } else {
            c.setInt(row, *values[row]);
        }
    }
    return c;
}

struct Grouped {
    std::vector<uint32_t> heads;
    std::vector<std::size_t> sizes;
    std::vector<uint8_t> absorbed;
};

Grouped summary(const KeyGroups& g)
{
    Grouped out{{}, {}, g.absorbed()};
    for (std::size_t i = 0; i < g.count(); ++i) {
        out.heads.push_back(g.head(i));
        out.sizes.push_back(g.size(i));
    }
    return out;
}

TEST(KeyGroups, EqualKeysOfEveryKindFormOneGroupInTheOrderOfTheirFirstRows)
{
    struct Case {
        const char* name;
        Column keys;
        std::vector<uint32_t> heads;
        std::vector<std::size_t> sizes;
    };
    using S = std::optional<std::string>;
    using I = std::optional<int64_t>;
    using D = std::optional<double>;
    const std::string a = "{A1A975D8-603E-476B-90A1-A44B77E20346}";
    const std::string b = "{5A0B0000-0000-4000-8000-000000000001}";
    std::vector<Case> cases;
    cases.push_back({"integers, Null with Null",
                     columnOf<int64_t>(FieldType::Integer, 0, {I(7), I(3), I(7), I(), I(3), I()}),
                     {0, 1, 3},
                     {2, 2, 2}});
    cases.push_back({"texts byte for byte, Null with empty",
                     columnOf<std::string>(FieldType::String, 10,
                                           {S("x"), S("X"), S("x"), S(""), S(), S("x ")}),
                     {0, 1, 3, 5},
                     {2, 1, 2, 1}});
    cases.push_back({"GUIDs",
                     columnOf<std::string>(FieldType::Guid, 38, {S(a), S(b), S(b), S(), S(a)}),
                     {0, 1, 3},
                     {2, 2, 1}});
    cases.push_back({"floats, zero of either sign",
                     columnOf<double>(FieldType::Float, 0, {D(0.0), D(-0.0), D(1.5), D(1.5)}),
                     {0, 2},
                     {2, 2}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> none(c.keys.rowCount(), 0);
        const Grouped g = summary(groupByKey(c.keys, none, {}));
        EXPECT_EQ(g.heads, c.heads);
        EXPECT_EQ(g.sizes, c.sizes);
        for (uint32_t row = 0; row < g.absorbed.size(); ++row) {
            const bool head = std::find(c.heads.begin(), c.heads.end(), row) != c.heads.end();
            EXPECT_EQ(g.absorbed[row], head ? 0 : 1) << row;
        }
    }
}

TEST(KeyGroups, RowsLeftOutNeitherStartNorJoinAGroup)
{
    const Column keys = columnOf<int64_t>(FieldType::Integer, 0, {1, 1, 2, 1, 2});
    const Column amount = columnOf<int64_t>(FieldType::BCD, 2, {100, 200, 300, 400, 500});
    const std::vector<GroupAmount> amounts{{&amount, 2}};
    const KeyGroups g = groupByKey(keys, std::vector<uint8_t>{1, 0, 0, 0, 1}, amounts);
    ASSERT_EQ(g.count(), 2u);
    EXPECT_EQ(g.head(0), 1u);
    EXPECT_EQ(g.head(1), 2u);
    EXPECT_EQ(g.total(0, 0), Variant(Decimal{600, 2}));
    EXPECT_EQ(g.total(1, 0), Variant(Decimal{300, 2}));
    EXPECT_EQ(g.absorbed(), (std::vector<uint8_t>{0, 0, 0, 1, 0}));
}

TEST(KeyGroups, DecimalsAddUpExactlyFloatsAsFloatsAndNullAddsNothing)
{
    const Column keys = columnOf<int64_t>(FieldType::Integer, 0, {1, 1, 1});
    const Column exact = columnOf<int64_t>(FieldType::BCD, 2, {10, std::nullopt, 20});
    const Column floats = columnOf<double>(FieldType::Float, 0, {0.1, 0.2, std::nullopt});
    const std::vector<GroupAmount> amounts{{&exact, 2}, {&floats, 0}};
    const KeyGroups g = groupByKey(keys, std::vector<uint8_t>(3, 0), amounts);
    ASSERT_EQ(g.count(), 1u);
    EXPECT_EQ(g.total(0, 0).type(), Variant::Type::Decimal);
    EXPECT_EQ(g.total(0, 0).asDecimal().units, 30);
    EXPECT_EQ(g.total(0, 1).type(), Variant::Type::Float);
    EXPECT_DOUBLE_EQ(g.total(0, 1).asFloat(), 0.1 + 0.2);
}

TEST(KeyGroups, UnitsThatWouldOverflowTurnEveryTotalIntoAFloat)
{
    const Column keys = columnOf<int64_t>(FieldType::Integer, 0, {1, 2, 1});
    const Column exact = columnOf<int64_t>(FieldType::BCD, 0, {INT64_MAX, 5, INT64_MAX});
    const Column other = columnOf<int64_t>(FieldType::BCD, 1, {10, 20, 30});
    const std::vector<GroupAmount> amounts{{&exact, 0}, {&other, 1}};
    const KeyGroups g = groupByKey(keys, std::vector<uint8_t>(3, 0), amounts);
    ASSERT_EQ(g.count(), 2u);
    EXPECT_EQ(g.total(0, 0).type(), Variant::Type::Float);
    EXPECT_DOUBLE_EQ(g.total(0, 0).asFloat(), 2.0 * static_cast<double>(INT64_MAX));
    EXPECT_DOUBLE_EQ(g.total(0, 1).asFloat(), 4.0);
    EXPECT_DOUBLE_EQ(g.total(1, 0).asFloat(), 5.0);
    EXPECT_EQ(g.absorbed(), (std::vector<uint8_t>{0, 0, 1}));
}

TEST(KeyGroups, ManyDistinctKeysEachFormTheirOwnGroup)
{
    // Enough groups to grow the hash table several times.
    std::vector<std::optional<int64_t>> values;
    for (int64_t i = 0; i < 20000; ++i)
        values.push_back(i % 5000);
    const Column keys = columnOf<int64_t>(FieldType::Largeint, 0, values);
    const KeyGroups g = groupByKey(keys, std::vector<uint8_t>(values.size(), 0), {});
    ASSERT_EQ(g.count(), 5000u);
    for (std::size_t i = 0; i < g.count(); ++i) {
        EXPECT_EQ(g.head(i), i);
        EXPECT_EQ(g.size(i), 4u);
    }
}

} // namespace
} // namespace corvo::internal
