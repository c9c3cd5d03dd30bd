// The print engine's pure parts: rows over pages, widths over the page, the page macros.
#include "platform/PrintPages.h"

#include <gtest/gtest.h>

namespace corvo::platform {
namespace {

struct PaginationCase {
    const char* name;
    std::vector<int> heights;
    int firstRoom;
    int room;
    std::vector<PageRows> pages;
};

TEST(PrintPages, RowsOverPages)
{
    const PaginationCase cases[] = {
        {"no rows: one page for the titles", {}, 100, 100, {{0, 0}}},
        {"all on one page, exactly full", {10, 10}, 20, 20, {{0, 2}}},
        {"a row that does not fit starts the next page", {10, 10, 10}, 25, 25, {{0, 2}, {2, 1}}},
        {"the first page has less room", {10, 10, 10, 10, 10}, 15, 30, {{0, 1}, {1, 3}, {4, 1}}},
        {"the text fills the first page", {10, 10}, 5, 30, {{0, 0}, {0, 2}}},
        {"a row taller than a page stands alone", {10, 50, 10}, 30, 30, {{0, 1}, {1, 1}, {2, 1}}},
        {"a first row too tall for any page stays first", {50, 10}, 20, 30, {{0, 1}, {1, 1}}},
    };
    for (const PaginationCase& c : cases)
        EXPECT_EQ(paginateRows(c.heights, c.firstRoom, c.room), c.pages) << c.name;
}

TEST(PrintPages, RowsOfManyPagesFollowEachOtherWithoutGapOrOverlap)
{
    const std::vector<int> heights(1000, 7);
    const auto pages = paginateRows(heights, 50, 100);
    ASSERT_EQ(pages.size(), 1u + (1000 - 7 + 13) / 14);
    int next = 0;
    for (const PageRows& page : pages) {
        EXPECT_EQ(page.first, next);
        EXPECT_LE(page.count * 7, &page == &pages.front() ? 50 : 100);
        next += page.count;
    }
    EXPECT_EQ(next, 1000);
}

struct WidthCase {
    std::vector<int> widths;
    int total;
    std::vector<int> fitted;
};

TEST(PrintPages, WidthsInProportionFillThePage)
{
    const WidthCase cases[] = {
        {{100, 300}, 400, {100, 300}}, {{100, 300}, 800, {200, 600}}, {{100, 300}, 200, {50, 150}},
        {{1, 2}, 10, {3, 7}},       // 3.33 and 6.67: the larger remainder gets the pixel
        {{1, 1, 1}, 10, {4, 3, 3}}, // equal remainders: the leftmost first
        {{0, 0}, 9, {5, 4}},           {{-5, 10}, 20, {0, 20}},       {{}, 100, {}},
    };
    for (const WidthCase& c : cases)
        EXPECT_EQ(fitWidths(c.widths, c.total), c.fitted) << c.total;
}

TEST(PrintPages, APageTooNarrowShrinksWhatColumnsHaveBeyondTheirTexts)
{
    const struct {
        const char* name;
        std::vector<int> widths;
        std::vector<int> needed;
        int total;
        std::vector<int> fitted;
    } cases[] = {
        {"room to spare: in proportion", {50, 100}, {10, 10}, 300, {100, 200}},
        {"the room beyond the texts shrinks in proportion",
         {200, 400, 100},
         {100, 100, 100},
         500,
         {150, 250, 100}},
        {"a column never needs more than its width", {100, 400}, {150, 100}, 300, {100, 200}},
        {"texts too wide: only the widest give way",
         {40, 1000, 60},
         {40, 1000, 60},
         500,
         {40, 400, 60}},
        {"the two widest share alike",
         {40, 300, 500, 60},
         {40, 300, 500, 60},
         500,
         {40, 200, 200, 60}},
        {"shared to the pixel", {40, 301, 500}, {40, 301, 500}, 501, {40, 231, 230}},
        {"all alike", {300, 300}, {300, 300}, 100, {50, 50}},
        {"no columns", {}, {}, 100, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fitToPage(c.widths, c.needed, c.total), c.fitted) << c.name;
}

TEST(PrintPages, PageMacros)
{
    const QDateTime at(QDate(2026, 3, 1), QTime(9, 5, 7));
    const struct {
        const char* text;
        int page;
        int pages;
        const char* expected;
    } cases[] = {
        {"第&[Page]页 共&[Pages]页", 1, 2, "第1页 共2页"},
        {"第&[Page]页 共&[Pages]页", 12, 13, "第12页 共13页"},
        {"打印日期：&[LongDate] &[Time]", 1, 1, "打印日期：2026年3月1日 9:05:07"},
        {"&[Pages]&[Page]&[Page]", 3, 4, "433"},
        {"&[page] &[PAGES] &[Date] &[", 1, 1, "&[page] &[PAGES] &[Date] &["},
        {"制表人：张三", 1, 1, "制表人：张三"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(replacePageMacros(QString::fromUtf8(c.text), c.page, c.pages, at).toStdString(),
                  c.expected)
            << c.text;
    EXPECT_EQ(longDateText(QDate(2005, 12, 31)).toStdString(), "2005年12月31日");
    EXPECT_EQ(timeText(QTime(23, 59, 0)).toStdString(), "23:59:00");
}

} // namespace
} // namespace corvo::platform
