#include "forms/rules/MasterBlock.h"

#include "TestTables.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

using corvo::test::G;

std::string blanks(std::size_t n)
{
    return std::string(n, ' ');
}

struct BlockCase {
    const char* name;
    std::vector<std::string> items; ///< UTF-8
    const char* extra;
    std::string expected; ///< UTF-8
};

TEST(MasterBlock, ThreeColumnsOf31GbkBytes)
{
    const std::string no = "单号：A001";                        // 10 bytes
    const std::string date = "日期：2005-03-01";                // 16 bytes
    const std::string client = "客户：某某公司";                // 14 bytes, 7 characters
    const std::string long40 = "备注：" + std::string(34, 'x'); // 40 bytes
    const std::string w30 = "备注：" + std::string(24, 'x');    // 30 bytes
    const std::string w31 = w30 + "x";
    const std::string w62 = "备注：" + std::string(56, 'x');
    const std::string w70 = w62 + std::string(8, 'x');
    const BlockCase cases[] = {
        {"three short items make one line",
         {no, date, client},
         "",
         no + blanks(21) + date + blanks(15) + client + blanks(17) + "\n"},
        {"a 40-byte item at the start takes two columns, the next ends the line",
         {long40, no, date},
         "",
         long40 + blanks(22) + no + blanks(21) + "\n" + date + blanks(15)},
        {"a long item in the second column ends the line at once",
         {no, long40, date},
         "",
         no + blanks(21) + long40 + "\n" + date + blanks(15)},
        {"a long item in the third column ends the line at once",
         {no, date, long40, client},
         "",
         no + blanks(21) + date + blanks(15) + long40 + "\n" + client + blanks(17)},
        {"30 bytes is short", {w30, no}, "", w30 + blanks(1) + no + blanks(21)},
        {"31 bytes is long", {w31, no}, "", w31 + blanks(31) + no + blanks(21) + "\n"},
        {"62 bytes and more get no blanks", {w70, no}, "", w70 + no + blanks(21) + "\n"},
        {"a fourth item starts the second line",
         {no, no, no, no},
         "",
         no + blanks(21) + no + blanks(21) + no + blanks(21) + "\n" + no + blanks(21)},
        {"the extra text follows the last item", {no}, "合计：100", no + blanks(21) + "合计：100"},
        {"no items: the extra text alone", {}, "合计：100", "合计：100"},
        {"nothing", {}, "", ""},
    };
    for (const BlockCase& c : cases) {
        std::vector<std::string> items;
        for (const std::string& item : c.items)
            items.push_back(G(item));
        EXPECT_EQ(gbk::toUtf8(masterBlock(items, G(c.extra))), c.expected) << c.name;
    }
}

TEST(MasterBlock, ItemsOfTheCurrentRowsVisibleFields)
{
    TClientDataSet master;
    corvo::test::build(master, {{"Code", FieldType::String, 10},
                                {"ObjID", FieldType::String, 38},
                                {"Qty", FieldType::Integer}});
    master.FieldByName("Code").SetDisplayLabel(G("单号"));
    master.FieldByName("ObjID").SetVisible(false);
    corvo::test::addRow(master, {"A001", "{1}", "5"});
    corvo::test::addRow(master, {"A002", "{2}", std::nullopt});
    master.First();
    master.Next();
    EXPECT_EQ(masterItems(master), (std::vector<std::string>{G("单号：A002"), G("Qty：")}));
}

} // namespace
} // namespace corvo::forms
