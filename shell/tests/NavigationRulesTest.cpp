// The navigation rules without a window: the tree of granted modules, the group page.
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "shell/GroupPage.h"
#include "shell/ModuleTree.h"

#include <gtest/gtest.h>
#include <set>

namespace corvo::shell {
namespace {

std::string id(int n)
{
    char text[40];
    std::snprintf(text, sizeof text, "{00000000-0000-4000-8000-%012d}", n);
    return text;
}

// Groups: 1 top { 2 sub { 3 subsub { 30 } , 20 }, 10 }; 4 other { 40 }. Modules 10, 20, 30, 40.
class ModuleTreeTest : public ::testing::Test {
protected:
    ModuleTreeTest()
    {
        all.FieldDefs().Add("ObjID", FieldType::Guid, 38);
        all.FieldDefs().Add("Name", FieldType::String, 30);
        all.FieldDefs().Add("IsGroup", FieldType::Integer);
        all.FieldDefs().Add("ColOrder", FieldType::Integer);
        all.CreateDataSet();
        for (auto [n, name, group, order] :
             {std::tuple{1, "top", 1, 1}, std::tuple{2, "sub", 1, 2}, std::tuple{3, "subsub", 1, 3},
              std::tuple{4, "other", 1, 4}, std::tuple{40, "m40", 0, 5},
              std::tuple{30, "m30", 0, 6}, std::tuple{20, "m20", 0, 7},
              std::tuple{10, "m10", 0, 8}}) {
            all.Append();
            all.FieldByName("ObjID").SetAsString(id(n));
            all.FieldByName("Name").SetAsString(name);
            all.FieldByName("IsGroup").SetAsInteger(group);
            all.FieldByName("ColOrder").SetAsInteger(order);
            all.Post();
        }
        groups.FieldDefs().Add("TModuleID", FieldType::Guid, 38);
        groups.FieldDefs().Add("TModulesID", FieldType::Guid, 38);
        groups.CreateDataSet();
        for (auto [member, group] : {std::pair{2, 1}, std::pair{10, 1}, std::pair{3, 2},
                                     std::pair{20, 2}, std::pair{30, 3}, std::pair{40, 4}}) {
            groups.Append();
            groups.FieldByName("TModuleID").SetAsString(id(member));
            groups.FieldByName("TModulesID").SetAsString(id(group));
            groups.Post();
        }
        rights.FieldDefs().Add("TModuleID", FieldType::Guid, 38);
        rights.CreateDataSet();
    }
    void grant(std::initializer_list<int> ids)
    {
        for (int n : ids) {
            rights.Append();
            rights.FieldByName("TModuleID").SetAsString(id(n));
            rights.Post();
        }
    }
    std::vector<std::string> tree()
    {
        TCustomEntity modules;
        modules.CopyFrom(all);
        std::vector<std::string> out;
        for (const ModuleNode& node : BuildModuleTree(modules, all, groups, rights, "Name"))
            out.push_back(node.parent + "/" + node.caption);
        return out;
    }

    TCustomEntity all;
    TCustomEntity groups;
    TCustomEntity rights;
};

TEST_F(ModuleTreeTest, ATopGroupBringsTwoLevelsAndNothingDeeper)
{
    grant({1});
    EXPECT_EQ(tree(), (std::vector<std::string>{"/top", "top/sub", "sub/m20", "top/m10"}));
}

TEST_F(ModuleTreeTest, SingleModulesAndGroupsOfTheirOwn)
{
    grant({40, 3});
    // m40 granted alone still hangs under its group; subsub brings m30.
    EXPECT_EQ(tree(), (std::vector<std::string>{"/other", "other/m40", "/top", "top/sub",
                                                "sub/subsub", "subsub/m30"}));
}

TEST_F(ModuleTreeTest, HoldingAModuleThroughItsGroups)
{
    grant({2});
    EXPECT_TRUE(HoldsModule(id(20), groups, rights));
    EXPECT_TRUE(HoldsModule(id(30), groups, rights)) << "the group of its group";
    EXPECT_FALSE(HoldsModule(id(10), groups, rights));
    EXPECT_FALSE(HoldsModule(id(40), groups, rights));
}

TEST_F(ModuleTreeTest, AMembershipOfAnUnknownGroupIsRefused)
{
    groups.Append();
    groups.FieldByName("TModuleID").SetAsString(id(40));
    groups.FieldByName("TModulesID").SetAsString(id(99));
    groups.Post();
    grant({40});
    TCustomEntity modules;
    modules.CopyFrom(all);
    groups.SortDesc("TModulesID", "Clear"); // the unknown group is m40's first membership
    try {
        BuildModuleTree(modules, all, groups, rights, "Name");
        ADD_FAILURE();
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "非法的模块组ID[" + id(40) + "]，请与管理员联系!");
    }
}

TEST(GroupPage, CaptionsByGroup)
{
    const std::set<std::string> modules = {"审核收款单", "修改商品",       "查询商品",
                                           "作废商品",   "查询供应商发票", "查询对帐单"};
    auto exists = [&](const std::string& m) { return modules.count(m) > 0; };
    struct Case {
        const char* group;
        const char* title;
        const char* add;
        bool addShown;
        bool verify;
        const char* edit;
        bool query;
        bool queryPicture;
    };
    for (const Case& c : {
             Case{"发票", "供应商发票管理", "登记供应商发票", true, false, "", true, true},
             Case{"销售发票", "销售发票管理", "登记销售发票", true, false, "", false, false},
             Case{"收款", "收款单管理", "登记收款单", true, false, "", false, false},
             Case{"应收款", "应收款管理", "当月应收款", true, false, "历史应收款", false, false},
             Case{"物料", "物料管理", "新增物料", true, false, "", false, false},
             Case{"商品", "商品管理", "新增商品", true, false, "修改商品", true, true},
             Case{"对帐单", "对帐单管理", "新增对帐单", false, false, "", true, false},
         }) {
        const GroupPage p = groupPageFor(c.group, exists);
        EXPECT_EQ(p.title, c.title) << c.group;
        EXPECT_EQ(p.newCaption, c.add) << c.group;
        EXPECT_EQ(p.newShown, c.addShown) << c.group;
        EXPECT_EQ(p.verifyShown, c.verify) << c.group;
        EXPECT_EQ(p.editShown ? p.editCaption : "", c.edit) << c.group;
        EXPECT_EQ(p.queryShown, c.query) << c.group;
        EXPECT_EQ(p.queryPictureShown, c.queryPicture) << c.group;
    }
    EXPECT_EQ(messageFontSize(36), 18);
    EXPECT_EQ(messageFontSize(37), 12);
}

} // namespace
} // namespace corvo::shell
