#include "forms/rules/PanelLayout.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

std::vector<InputItem> plain(int count, int width)
{
    return std::vector<InputItem>(static_cast<std::size_t>(count), InputItem{width});
}

TEST(InputPanelLayout, ColumnsThatFitThePanel)
{
    struct Case {
        int panelWidth;
        int widest;
        int columns;
    };
    // b = 121 + widest + 10
    for (const Case& c :
         {Case{600, 200, 1}, Case{661, 200, 1}, Case{662, 200, 2}, Case{992, 200, 2},
          Case{993, 200, 3}, Case{1324, 200, 4}, Case{5000, 200, 4}, Case{100, 200, 1}}) {
        std::vector<InputItem> items = plain(8, 50);
        items[3].width = c.widest;
        EXPECT_EQ(layoutInputPanel(c.panelWidth, items).columns, c.columns) << c.panelWidth;
    }
}

TEST(InputPanelLayout, CaptionsRightAlignedInTheColumnWithFewest)
{
    // Panel 1000, widest 60: b = 191, four columns, step 250.
    const std::vector<InputItem> items = {{60}, {40}, {60}, {30}, {60}, {20}};
    const PanelLayoutResult r = layoutInputPanel(1000, items);
    ASSERT_EQ(r.columns, 4);
    const std::vector<Placed> expected = {{5, 30, 0},   {275, 30, 1}, {505, 30, 2},
                                          {785, 30, 3}, {5, 60, 0},   {295, 60, 1}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(r.placed[i].left, expected[i].left) << i;
        EXPECT_EQ(r.placed[i].top, expected[i].top) << i;
        EXPECT_EQ(r.placed[i].column, expected[i].column) << i;
    }
    EXPECT_EQ(r.height, 90);
}

TEST(InputPanelLayout, ImageStandsAloneAtTheTopOfTheLastColumn)
{
    // Five controls and one image, three columns (b = 181, panel 600: step 200).
    std::vector<InputItem> items = plain(6, 50);
    items[2] = {50, InputKind::Image, false};
    const PanelLayoutResult r = layoutInputPanel(600, items);
    ASSERT_EQ(r.columns, 3);
    EXPECT_EQ(r.placed[2].column, 2);
    EXPECT_EQ(r.placed[2].top, 30);
    // The others fill from the left, each time the column holding the fewest.
    const int columns[] = {0, 1, -1, 0, 1, 0};
    const int tops[] = {30, 30, -1, 60, 60, 90};
    for (std::size_t i : {0u, 1u, 3u, 4u, 5u}) {
        EXPECT_EQ(r.placed[i].column, columns[i]) << i;
        EXPECT_EQ(r.placed[i].top, tops[i]) << i;
    }
    EXPECT_EQ(r.height, 150);
}

TEST(InputPanelLayout, MemosTakeThreeRowsAndASecondImageIsStillPlaced)
{
    std::vector<InputItem> items = plain(5, 50);
    items[1] = {50, InputKind::Memo, true}; // placed ahead in the last column
    items[3] = {50, InputKind::Image, false};
    const PanelLayoutResult r = layoutInputPanel(400, items); // two columns
    ASSERT_EQ(r.columns, 2);
    EXPECT_EQ(r.placed[1].column, 1);
    EXPECT_EQ(r.placed[1].top, 30);
    EXPECT_EQ(r.placed[3].column, 1);
    EXPECT_EQ(r.placed[3].top, 150);
    EXPECT_EQ(r.height, 270);
}

TEST(InputPanelLayout, ThreeControlsWithAMemoAreNotPlacedAhead)
{
    std::vector<InputItem> items = plain(3, 50);
    items[2] = {50, InputKind::Memo, true};
    const PanelLayoutResult r = layoutInputPanel(2000, items);
    EXPECT_EQ(r.placed[2].column, 2);
    EXPECT_EQ(r.height, 120);
    EXPECT_EQ(layoutInputPanel(300, {}).columns, 0);
}

TEST(QueryPanelLayout, NarrowControlsOnly)
{
    // C = 10 + (60 + 3 + 120) + 10 = 203; W < 3C: two columns; W < 4C: three.
    const std::vector<QueryItem> items(5, QueryItem{60, 120, false});
    for (auto [width, columns] : {std::pair{608, 2}, std::pair{609, 3}, std::pair{812, 4}}) {
        const QueryLayoutResult r = layoutQueryPanel(width, items);
        EXPECT_EQ(r.columns, columns) << width;
        EXPECT_EQ(r.wideColumns, 0);
    }
    const QueryLayoutResult r = layoutQueryPanel(812, items);
    EXPECT_EQ(r.columnLefts, (std::vector<int>{10, 213, 416, 619}));
    EXPECT_EQ(r.placed[0].top, 30);
    EXPECT_EQ(r.placed[4].left, 10);
    EXPECT_EQ(r.placed[4].top, 60);
    EXPECT_EQ(r.height, 100);
}

TEST(QueryPanelLayout, ColumnsHoldTheirWidestControl)
{
    // A longer caption widens every narrow column: no control reaches into the next one.
    std::vector<QueryItem> items(6, QueryItem{40, 120, false});
    items[4].width = 100;
    const QueryLayoutResult r = layoutQueryPanel(1000, items);
    ASSERT_GE(r.columns, 2);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int right = r.placed[i].left + items[i].width + 3 + items[i].checkLength;
        const int column = r.placed[i].column;
        if (column + 1 < r.columns)
            EXPECT_LE(right, r.columnLefts[static_cast<std::size_t>(column + 1)]) << i;
        else
            EXPECT_LE(right, 1000) << i;
    }
}

TEST(QueryPanelLayout, RangesFirstInTheWideColumns)
{
    // One range among five: A = 10 + 60 + 3 + 240 + 10 = 323, C = 203; N >= 4w: m = 1;
    // W = 1000 >= A + 3C = 932: four columns, the last one wide.
    std::vector<QueryItem> items(5, QueryItem{60, 120, false});
    items[3] = {60, 240, true};
    const QueryLayoutResult r = layoutQueryPanel(1000, items);
    ASSERT_EQ(r.columns, 4);
    ASSERT_EQ(r.wideColumns, 1);
    // gap = (1000 - 323 - 609) / 3 = 22
    EXPECT_EQ(r.columnLefts, (std::vector<int>{10, 235, 460, 663}));
    EXPECT_EQ(r.placed[3].column, 3);
    EXPECT_EQ(r.placed[3].top, 30);
    EXPECT_EQ(r.placed[0].column, 0);
    EXPECT_EQ(r.placed[1].column, 1);
    EXPECT_EQ(r.placed[2].column, 2);
    EXPECT_EQ(r.placed[4].column, 0); // the fewest, first on ties, of all columns
    EXPECT_EQ(r.height, 100);
}

TEST(QueryPanelLayout, WideColumnsGiveWayOnANarrowPanel)
{
    struct Case {
        int width;
        int ranges;
        int total;
        int columns;
        int wide;
    };
    // A = 323, C = 203.
    for (const Case& c : {Case{1400, 4, 4, 4, 4}, Case{1000, 4, 4, 3, 3}, Case{700, 4, 4, 2, 2},
                          Case{1500, 2, 4, 4, 2}, Case{900, 2, 4, 3, 2}, Case{500, 2, 4, 2, 0},
                          Case{600, 1, 2, 2, 1}, Case{300, 1, 4, 2, 0}}) {
        std::vector<QueryItem> items(static_cast<std::size_t>(c.total), QueryItem{60, 120, false});
        for (int i = 0; i < c.ranges; ++i)
            items[static_cast<std::size_t>(i)] = {60, 240, true};
        const QueryLayoutResult r = layoutQueryPanel(c.width, items);
        EXPECT_EQ(r.columns, c.columns) << c.width << " " << c.ranges << "/" << c.total;
        EXPECT_EQ(r.wideColumns, c.wide) << c.width << " " << c.ranges << "/" << c.total;
        for (const Placed& p : r.placed)
            EXPECT_LT(p.column, r.columns);
    }
}

} // namespace
} // namespace corvo::forms
