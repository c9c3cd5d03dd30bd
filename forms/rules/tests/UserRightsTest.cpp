// The rights editor's change sets after a series of grants and revokes, and the walk of the
// module hierarchy.
#include "forms/rules/UserRights.h"

#include "entity/EntityHelpers.h"
#include "entity/TCustomEntity.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace corvo::forms::test {
namespace {

void makeRights(TCustomEntity& rows)
{
    rows.FieldDefs().Clear();
    rows.FieldDefs().Add("TUserModule", FieldType::String, 38);
    rows.FieldDefs().Add("ObjID", FieldType::String, 38);
    rows.FieldDefs().Add("TUserID", FieldType::String, 38);
    rows.FieldDefs().Add("TModuleID", FieldType::String, 38);
    rows.FieldDefs().Add("TModuleName", FieldType::String, 50);
    rows.CreateDataSet();
}

using Pairs = std::set<std::string>; // user + "/" + module

Pairs pairsOf(TCustomEntity& rows)
{
    Pairs pairs;
    for (rows.First(); !rows.Eof(); rows.Next())
        pairs.insert(GetFieldString(rows, "TUserID") + "/" + GetFieldString(rows, "TModuleName"));
    return pairs;
}

struct Step {
    char op; // 'g' grant, 'r' revoke
    std::string user;
    std::string module;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    Pairs rights, inserts, deletes;
};

class UserRightsTest : public ::testing::TestWithParam<Case> {};

TEST_P(UserRightsTest, ChangeSetsFollowTheSteps)
{
    TCustomEntity rights, inserts, deletes;
    makeRights(rights);
    makeRights(inserts);
    makeRights(deletes);
    // Saved: u1 holds A and B, u2 holds A.
    for (auto [objId, user, module] :
         {std::tuple{"R1", "u1", "A"}, std::tuple{"R2", "u1", "B"}, std::tuple{"R3", "u2", "A"}}) {
        rights.Append();
        rights.FieldByName("ObjID").SetAsString(objId);
        rights.FieldByName("TUserID").SetAsString(user);
        rights.FieldByName("TModuleID").SetAsString(std::string("m") + module);
        rights.FieldByName("TModuleName").SetAsString(module);
        rights.Post();
    }
    rights.FilterEqual("TUserID", "u2"); // what the form shows stays shown
    const std::string filter = rights.Filter();
    for (const Step& step : GetParam().steps) {
        if (step.op == 'g')
            GrantModule({rights, inserts, deletes}, step.user, {"m" + step.module, step.module});
        else
            RevokeRight({rights, inserts, deletes}, step.user, step.module);
    }
    EXPECT_EQ(rights.Filter(), filter);
    EXPECT_TRUE(rights.Filtered());
    rights.SetFiltered(false);
    EXPECT_EQ(pairsOf(rights), GetParam().rights);
    EXPECT_EQ(pairsOf(inserts), GetParam().inserts);
    EXPECT_EQ(pairsOf(deletes), GetParam().deletes);
}

const Pairs saved{"u1/A", "u1/B", "u2/A"};

INSTANTIATE_TEST_SUITE_P(
    Steps, UserRightsTest,
    ::testing::Values(
        Case{"GrantNew", {{'g', "u2", "B"}}, {"u1/A", "u1/B", "u2/A", "u2/B"}, {"u2/B"}, {}},
        Case{"GrantHeldTwice", {{'g', "u1", "A"}}, saved, {}, {}},
        Case{"GrantNewTwice",
             {{'g', "u2", "C"}, {'g', "u2", "C"}},
             {"u1/A", "u1/B", "u2/A", "u2/C"},
             {"u2/C"},
             {}},
        Case{"RevokeSaved", {{'r', "u1", "B"}}, {"u1/A", "u2/A"}, {}, {"u1/B"}},
        Case{"RevokeUnsavedSendsNothing", {{'g', "u2", "B"}, {'r', "u2", "B"}}, saved, {}, {}},
        Case{"RevokeThenGrantRestores", {{'r', "u1", "A"}, {'g', "u1", "A"}}, saved, {}, {}},
        // The undo compares the user: u2's revoke of A stays when u1's is undone.
        Case{"UndoComparesTheUser",
             {{'r', "u1", "A"}, {'r', "u2", "A"}, {'g', "u1", "A"}},
             {"u1/A", "u1/B"},
             {},
             {"u2/A"}},
        Case{"WithdrawComparesTheUser",
             {{'g', "u2", "C"}, {'g', "u1", "C"}, {'r', "u1", "C"}},
             {"u1/A", "u1/B", "u2/A", "u2/C"},
             {"u2/C"},
             {}},
        Case{"RevokeNotHeld", {{'r', "u2", "B"}}, saved, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserRightsTest, RestoredRightKeepsItsObjID)
{
    TCustomEntity rights, inserts, deletes;
    makeRights(rights);
    makeRights(inserts);
    makeRights(deletes);
    rights.Append();
    rights.FieldByName("ObjID").SetAsString("R1");
    rights.FieldByName("TUserID").SetAsString("u1");
    rights.FieldByName("TModuleID").SetAsString("mA");
    rights.FieldByName("TModuleName").SetAsString("A");
    rights.Post();
    EXPECT_EQ(RevokeRight({rights, inserts, deletes}, "u1", "A"), RevokeOutcome::Revoked);
    EXPECT_EQ(GrantModule({rights, inserts, deletes}, "u1", {"mA", "A"}), GrantOutcome::Restored);
    ASSERT_EQ(rights.RecordCount(), 1);
    rights.First();
    EXPECT_EQ(GetObjID(rights), "R1");
    EXPECT_EQ(GrantModule({rights, inserts, deletes}, "u1", {"mA", "A"}),
              GrantOutcome::AlreadyHeld);
    EXPECT_EQ(RightNamesOf(rights, "u1"), std::vector<std::string>{"A"});
}

// The hierarchy: TOP holds G1 and S1; G1 holds S2 and G2; G2 holds S3. S9 is in no group.
struct Walk {
    const char* name;
    bool down;
    std::string module;
    HierarchyView::Kind kind;
    std::vector<std::string> ids;
};

class HierarchyTest : public ::testing::TestWithParam<Walk> {};

TEST_P(HierarchyTest, ShowsTheLevel)
{
    TCustomEntity groups;
    groups.FieldDefs().Add("TModulesID", FieldType::String, 38);
    groups.FieldDefs().Add("TModuleID", FieldType::String, 38);
    groups.CreateDataSet();
    for (auto [group, member] :
         {std::pair{"TOP", "G1"}, std::pair{"TOP", "S1"}, std::pair{"G1", "S2"},
          std::pair{"G1", "G2"}, std::pair{"G2", "S3"}}) {
        groups.Append();
        groups.FieldByName("TModulesID").SetAsString(group);
        groups.FieldByName("TModuleID").SetAsString(member);
        groups.Post();
    }
    groups.FilterEqual("TModulesID", "G2");
    const Walk& walk = GetParam();
    const HierarchyView view =
        walk.down ? LowerLevel(groups, walk.module) : UpperLevel(groups, walk.module);
    EXPECT_EQ(view.kind, walk.kind);
    EXPECT_EQ(view.ids, walk.ids);
    EXPECT_EQ(groups.RecordCount(), 1) << "the filter is kept";
}

INSTANTIATE_TEST_SUITE_P(
    Walks, HierarchyTest,
    ::testing::Values(
        Walk{"DownSingle", true, "S2", HierarchyView::Unchanged, {}},
        Walk{"DownGroup", true, "G1", HierarchyView::Members, {"S2", "G2"}},
        Walk{"DownTop", true, "TOP", HierarchyView::Members, {"G1", "S1"}},
        Walk{"UpMemberOfTopGroup", false, "S1", HierarchyView::All, {}},
        Walk{"UpMemberOfNestedGroup", false, "S3", HierarchyView::Members, {"S2", "G2"}},
        Walk{"UpTopLevel", false, "TOP", HierarchyView::Unchanged, {}},
        Walk{"UpOutsideEveryGroup", false, "S9", HierarchyView::Unchanged, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace corvo::forms::test
