// The other-parameter editor's rules: the types offered, the states, names, new orders and
// moves.
#include "forms/rules/OtherParams.h"

#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace corvo::forms::test {
namespace {

struct Row {
    const char* objId;
    const char* type;
    const char* typeName;
    const char* name;
    int order;
    int allowEdit = 1;
};

void fill(TCustomEntity& params, const std::vector<Row>& rows)
{
    params.FieldDefs().Clear();
    params.FieldDefs().Add("ObjID", FieldType::String, 38);
    params.FieldDefs().Add("Name", FieldType::String, 50);
    params.FieldDefs().Add("Type", FieldType::String, 50);
    params.FieldDefs().Add("TypeName", FieldType::String, 50);
    params.FieldDefs().Add("DispOrder", FieldType::Integer);
    params.FieldDefs().Add("AllowEdit", FieldType::Integer);
    params.CreateDataSet();
    for (const Row& r : rows) {
        params.Append();
        params.FieldByName("ObjID").SetAsString(r.objId);
        params.FieldByName("Name").SetAsString(gbk::fromUtf8(r.name));
        params.FieldByName("Type").SetAsString(r.type);
        params.FieldByName("TypeName").SetAsString(gbk::fromUtf8(r.typeName));
        params.FieldByName("DispOrder").SetAsInteger(r.order);
        params.FieldByName("AllowEdit").SetAsInteger(r.allowEdit);
        params.Post();
    }
}

std::map<std::string, int64_t> orders(TCustomEntity& params)
{
    std::map<std::string, int64_t> result;
    const bool filtered = params.Filtered();
    params.SetFiltered(false);
    for (params.First(); !params.Eof(); params.Next())
        result[GetObjID(params)] = GetFieldInt(params, "DispOrder");
    params.SetFiltered(filtered);
    return result;
}

TEST(OtherParamsTest, TypesLeaveOutStatusAndNamelessTypesAndRepeats)
{
    TCustomEntity all, types;
    fill(all, {{"1", "TUnitID", "单位", "个", 1},
               {"2", "TUnitID", "单位", "箱", 2},
               {"3", "StatusID", "状态", "有效", 1},
               {"4", "StatusTSaleOrderID", "单据状态", "新建", 1},
               {"5", "Hidden", "", "x", 1},
               {"6", "TDutyID", "职务", "店长", 1}});
    BuildParamTypes(all, types);
    std::vector<std::string> listed;
    for (types.First(); !types.Eof(); types.Next())
        listed.push_back(GetFieldString(types, "Type"));
    EXPECT_EQ(listed.size(), 2u);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "TUnitID"), 1);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "TDutyID"), 1);
    EXPECT_EQ(all.RecordCount(), 6) << "the source keeps its rows";
}

TEST(OtherParamsTest, ControlsOfEachState)
{
    struct Expect {
        ParamEditState state;
        ParamControls controls;
    };
    for (const Expect& e :
         {Expect{ParamEditState::Browsing, {false, false, false, true, true, false, false, true}},
          Expect{ParamEditState::Adding, {false, true, true, true, false, true, true, false}},
          Expect{ParamEditState::Changing, {true, true, true, false, true, true, true, false}}}) {
        const ParamControls c = ParamControlsFor(e.state);
        EXPECT_EQ(std::vector<bool>({c.moves, c.edits, c.confirm, c.insert, c.update, c.submit,
                                     c.cancel, c.tree}),
                  std::vector<bool>({e.controls.moves, e.controls.edits, e.controls.confirm,
                                     e.controls.insert, e.controls.update, e.controls.submit,
                                     e.controls.cancel, e.controls.tree}))
            << static_cast<int>(e.state);
    }
}

TEST(OtherParamsTest, NamesCompareWithoutCaseWithinTheType)
{
    TCustomEntity params;
    fill(params,
         {{"1", "TPaymentTypeID", "付款方式", "Cash", 1}, {"2", "TUnitID", "单位", "Box", 1}});
    EXPECT_TRUE(ParamNameTaken(params, gbk::fromUtf8("付款方式"), "CASH"));
    EXPECT_TRUE(ParamNameTaken(params, gbk::fromUtf8("付款方式"), "cash"));
    EXPECT_FALSE(ParamNameTaken(params, gbk::fromUtf8("付款方式"), "Box"));
    EXPECT_FALSE(ParamNameTaken(params, gbk::fromUtf8("付款方式"), "Card"));
}

TEST(OtherParamsTest, NextOrderFollowsTheHighestOfTheType)
{
    TCustomEntity params;
    fill(params, {{"1", "A", "甲", "a1", 1}, {"2", "A", "甲", "a2", 4}, {"3", "B", "乙", "b1", 9}});
    params.FilterEqual("TypeName", gbk::fromUtf8("乙"));
    EXPECT_EQ(NextDispOrder(params, gbk::fromUtf8("甲")), 5);
    EXPECT_EQ(NextDispOrder(params, gbk::fromUtf8("丙")), 1);
    EXPECT_EQ(params.RecordCount(), 1) << "the filter is kept";
}

struct Move {
    const char* name;
    const char* objId;
    MoveDirection direction;
    MoveOutcome outcome;
    std::map<std::string, int64_t> orders;
};

class MoveTest : public ::testing::TestWithParam<Move> {};

TEST_P(MoveTest, ExchangesWithTheNeighbourByPosition)
{
    // Orders 1, 2, 5 (a gap), 6 (locked); another type with 2.
    TCustomEntity params;
    fill(params, {{"a", "T", "甲", "a", 1},
                  {"b", "T", "甲", "b", 2},
                  {"c", "T", "甲", "c", 5},
                  {"d", "T", "甲", "d", 6, 0},
                  {"x", "U", "乙", "x", 2}});
    params.FilterEqual("TypeName", gbk::fromUtf8("甲"));
    params.SortAsc("DispOrder", "Clear");
    const Move& m = GetParam();
    const MoveResult result = MoveParam(params, gbk::fromUtf8("甲"), m.objId, m.direction);
    EXPECT_EQ(result.outcome, m.outcome);
    if (result.outcome == MoveOutcome::Locked) {
        EXPECT_EQ(result.lockedName, m.objId);
    }
    if (result.outcome != MoveOutcome::Nothing) {
        EXPECT_EQ(GetObjID(params), m.objId);
    }
    EXPECT_EQ(orders(params), m.orders);
}

using O = std::map<std::string, int64_t>;
INSTANTIATE_TEST_SUITE_P(
    Moves, MoveTest,
    ::testing::Values(Move{"SecondUp", "b", MoveDirection::Up, MoveOutcome::Moved,
                           O{{"a", 2}, {"b", 1}, {"c", 5}, {"d", 6}, {"x", 2}}},
                      Move{"FirstUp", "a", MoveDirection::Up, MoveOutcome::Nothing,
                           O{{"a", 1}, {"b", 2}, {"c", 5}, {"d", 6}, {"x", 2}}},
                      Move{"AcrossAGap", "c", MoveDirection::Up, MoveOutcome::Moved,
                           O{{"a", 1}, {"b", 5}, {"c", 2}, {"d", 6}, {"x", 2}}},
                      Move{"DownAcrossAGap", "b", MoveDirection::Down, MoveOutcome::Moved,
                           O{{"a", 1}, {"b", 5}, {"c", 2}, {"d", 6}, {"x", 2}}},
                      Move{"LockedNeighbour", "c", MoveDirection::Down, MoveOutcome::Locked,
                           O{{"a", 1}, {"b", 2}, {"c", 5}, {"d", 6}, {"x", 2}}},
                      Move{"LockedRow", "d", MoveDirection::Up, MoveOutcome::Locked,
                           O{{"a", 1}, {"b", 2}, {"c", 5}, {"d", 6}, {"x", 2}}},
                      Move{"LastDown", "d", MoveDirection::Down, MoveOutcome::Nothing,
                           O{{"a", 1}, {"b", 2}, {"c", 5}, {"d", 6}, {"x", 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvo::forms::test
