#include "forms/rules/GridSizing.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

TEST(GridSizing, FewColumnsOnAWideGridAndNoColumnsKeepTheirWidths)
{
    const std::vector<ColumnTexts> three(3, ColumnTexts{40, {30}});
    EXPECT_FALSE(sizeGridColumns(400, three));
    EXPECT_FALSE(sizeGridColumnsAllRows(400, three));
    EXPECT_TRUE(sizeGridColumns(300, three));
    EXPECT_FALSE(sizeGridColumns(100, {}));
    EXPECT_FALSE(sizeGridColumnsAllRows(100, {}));
}

TEST(GridSizing, TitlesFirstRowAndTheLimit)
{
    // w: max(title, first value) + 6, at most 160; width = w + 13. T = 46 + 106 + 160 + 26 =
    // 338 is not below 300 - 40, so no room is shared.
    const std::vector<ColumnTexts> columns = {{40, {10}}, {20, {100, 500}}, {300, {}}, {20, {}}};
    EXPECT_EQ(sizeGridColumns(300, columns), (std::vector<int>{59, 119, 173, 39}));
}

TEST(GridSizing, RoomToSpareIsShared)
{
    // T = 4 * 46 = 184 < 800 - 40: extra = (800 - 184 - 70) / 4 = 136.5 -> each grows by 126.
    const std::vector<ColumnTexts> columns(4, ColumnTexts{40, {}});
    EXPECT_EQ(sizeGridColumns(800, columns), (std::vector<int>(4, 59 + 126)));
    // Little room: extra below 10 becomes 12, each grows by 2.
    EXPECT_EQ(sizeGridColumns(240, columns), (std::vector<int>(4, 59 + 2)));
}

TEST(GridSizing, AllRowsMeasuresEveryRowAndLimitsOnlyRows)
{
    const std::vector<ColumnTexts> columns = {
        {40, {10, 90, 20}}, {20, {100, 500}}, {300, {}}, {20, {}}};
    EXPECT_EQ(sizeGridColumnsAllRows(300, columns), (std::vector<int>{109, 173, 319, 39}));
}

TEST(GridSizing, TitleLines)
{
    EXPECT_EQ(titleLines("数量|合计"), (std::vector<std::string_view>{"数量", "合计"}));
    EXPECT_EQ(titleLines("金额"), (std::vector<std::string_view>{"金额"}));
    EXPECT_EQ(titleLines("a||b"), (std::vector<std::string_view>{"a", "", "b"}));
}

} // namespace
} // namespace corvo::forms
