#include "forms/rules/StatusValues.h"

#include "RulesFixture.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

using test::id;

class StatusValuesTest : public ::testing::Test {
protected:
    StatusValuesTest()
    {
        test::fillOtherParams(params,
                              {{id(1), "StatusID", "StatusID_Valid", "有效", 1},
                               {id(2), "StatusID", "StatusID_Invalid", "作废", 2},
                               {id(13), "StatusTStockInID", "StatusTStockInID_Verify", "审核", 3},
                               {id(11), "StatusTStockInID", "StatusTStockInID_New", "新建", 1},
                               {id(12), "StatusTStockInID", "StatusTStockInID_Check", "复核", 2}});
    }
    TCustomEntity params;
};

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TEST_F(StatusValuesTest, NextStatusFollowsDispOrder)
{
    EXPECT_EQ(NextStatus(params, "StatusTStockInID", id(11)), id(12));
    EXPECT_EQ(NextStatus(params, "StatusTStockInID", id(12)), id(13));
    EXPECT_EQ(errorOf([&] { NextStatus(params, "StatusTStockInID", id(13)); }),
              "其它参数表中StatusTStockInID的状态已经是最后一个，无法继续更改");
    EXPECT_EQ(errorOf([&] { NextStatus(params, "StatusTStockInID", id(1)); }),
              "其它参数表中没找到类型[StatusTStockInID]，可能是数据库记录被修改，请还原原记录！");
}

TEST_F(StatusValuesTest, StatusObjIDFindsValuesHiddenByTheLastWalk)
{
    NextStatus(params, "StatusTStockInID", id(11)); // leaves the parameters filtered
    EXPECT_EQ(StatusObjID(params, "StatusID", "Valid"), id(1));
    EXPECT_EQ(StatusObjID(params, "StatusTStockInID", "New"), id(11));
    EXPECT_EQ(errorOf([&] { StatusObjID(params, "StatusTOrderID", "New"); }),
              "其它参数表中没找到状态[StatusTOrderID_New]，可能是数据库记录被修改，请还原原记录！");
}

} // namespace
} // namespace corvo::forms
