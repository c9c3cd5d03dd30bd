#include "RulesFixture.h"
#include "entity/TCustomEntityList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

using test::id;
using ::testing::ElementsAre;

void fillOrgans(TClientDataSet& d)
{
    d.FieldDefs().Clear();
    d.FieldDefs().Add("TOrgan", FieldType::Guid, 38);
    d.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    d.FieldDefs().Add("Code", FieldType::String, 30);
    d.FieldDefs().Add("Name", FieldType::String, 100);
    d.FieldDefs().Add("HelpIndex", FieldType::String, 30);
    d.CreateDataSet();
    for (auto [n, code, name] : {std::tuple{4, "D04", "丁"}, std::tuple{1, "A01", "甲"},
                                 std::tuple{3, "C03", "丙"}, std::tuple{2, "B02", "乙"}}) {
        d.Append();
        d.FieldByName("ObjID").SetAsString(id(n));
        d.FieldByName("Code").SetAsString(code);
        d.FieldByName("Name").SetAsString(gbk::fromUtf8(name));
        d.Post();
    }
}

void fillRoles(TClientDataSet& d)
{
    d.FieldDefs().Clear();
    d.FieldDefs().Add("TOrganID", FieldType::Guid, 38);
    d.FieldDefs().Add("TOrganTypeID", FieldType::Guid, 38);
    d.CreateDataSet();
    for (auto [organ, role] : {std::pair{1, 33}, std::pair{2, 34}, std::pair{3, 33}}) {
        d.Append();
        d.FieldByName("TOrganID").SetAsString(id(organ));
        d.FieldByName("TOrganTypeID").SetAsString(id(role));
        d.Post();
    }
}

class LookupListsTest : public ::testing::Test {
protected:
    LookupListsTest()
    {
        test::fillOtherParams(params,
                              {{id(31), "TOrganTypeID", "", "总部", 1},
                               {id(34), "TOrganTypeID", "", "客户", 4},
                               {id(33), "TOrganTypeID", "", "供应商", 3},
                               {id(21), "TPayTypeID", "Cash", "现金", 1},
                               {id(22), "TPayTypeID", "Card", "刷卡", 2},
                               {id(23), "TPayTypeID", "Card", "本店刷卡", 2, id(500)},
                               {id(11), "StatusTStockInID", "StatusTStockInID_New", "新建", 1}});
        store.save("TOtherParam", params);
        TCustomEntity organs, roles;
        fillOrgans(organs);
        fillRoles(roles);
        store.save("TOrgan", organs);
        store.save("TOrganRole", roles);
        registry.AddEntities({"TDictTable", "TDictField"});
    }
    LookupContext context(const std::string& owner = "")
    {
        return LookupContext{registry, store, "Name", owner, columns};
    }

    TCustomEntity params;
    test::MemoryStore store;
    TCustomEntityList registry;
    std::vector<DictColumn> columns;
    test::RecordingList list;
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

TEST_F(LookupListsTest, OtherParametersInDispOrderNarrowedToTheOwner)
{
    auto c = context();
    FillOtherParamCombo(list, "TOrganTypeID", c);
    EXPECT_THAT(list.shown, ElementsAre("总部", "供应商", "客户"));
    EXPECT_EQ(list.column1, "DispOrder");
    EXPECT_EQ(list.column2, "") << "no value has a code";

    auto own = context(id(500));
    FillOtherParamCombo(list, "TPayTypeID", own);
    EXPECT_THAT(list.keys, ElementsAre(id(23)));
    EXPECT_EQ(list.column2, "Code");
    auto other = context(id(501));
    FillOtherParamCombo(list, "TPayTypeID", other);
    EXPECT_THAT(list.keys, ElementsAre(id(21), id(22), id(23)));

    FillOtherParamCombo(list, "StatusTStockInID", other);
    EXPECT_THAT(list.keys, ElementsAre(id(11)));
    EXPECT_EQ(list.column2, "") << "status codes are not shown";
    EXPECT_EQ(errorOf([&] { FillOtherParamCombo(list, "TNoSuchID", other); }),
              "本地SCB在[其他参数表]中的类型[TNoSuchID]不存在，请与系统管理员联系！");
}

TEST_F(LookupListsTest, OtherParametersWithoutTheirFile)
{
    store.files.clear();
    auto c = context();
    EXPECT_EQ(errorOf([&] { FillOtherParamCombo(list, "TOrganTypeID", c); }),
              "系统发现参数表不存在，请重新登陆本系统！");
    registry.AddEntity("TOtherParam");
    registry.EntityByName("TOtherParam").CopyFrom(params);
    FillOtherParamCombo(list, "TOrganTypeID", c);
    EXPECT_EQ(list.keys.size(), 3u) << "the registry's parameters serve without the file";
}

TEST_F(LookupListsTest, ReferenceListsFromRegistryFileOrJoinedTable)
{
    auto c = context();
    FillLookupCombo(list, "TOrgan", c);
    EXPECT_THAT(list.shown, ElementsAre("甲", "乙", "丙", "丁"));
    EXPECT_EQ(list.keyField, "ObjID");
    EXPECT_EQ(list.column1, "HelpIndex");
    EXPECT_EQ(list.column2, "Code");

    // A table with no file of its own, shown through the joined column's table.
    DictColumn supplierName;
    supplierName.code = "TSupplierName";
    supplierName.isJoined = 1;
    supplierName.joinedTable = "TOrgan";
    supplierName.joinedField = "Name";
    columns.push_back(supplierName);
    auto joined = context();
    FillLookupCombo(list, "TSupplier", joined);
    EXPECT_EQ(list.keys.size(), 4u);
    EXPECT_EQ(errorOf([&] { FillLookupCombo(list, "TWarehouse", joined); }),
              "本地SCB参数[TWarehouse]不存在，请与系统管理员联系！");

    const int clears = list.clears;
    FillLookupCombo(list, "xyz", joined);
    EXPECT_EQ(list.clears, clears) << "other names fill nothing";
}

TEST_F(LookupListsTest, RestrictedListsDropOrFilterByThePartnerRole)
{
    DictColumn supplier;
    supplier.code = "TOrganID";
    supplier.joinedTable = "TOrganRole";
    supplier.joinedField = "TOrganTypeID";
    supplier.value = "3";
    supplier.dataType = "uniqueidentifier";

    auto c = context();
    FillColumnCombo(list, supplier, PanelKind::Entry, c);
    EXPECT_THAT(list.keys, ElementsAre(id(1), id(3)));
    EXPECT_EQ(registry.EntityByName("TOrgan").RecordCount(), 2) << "entry lists drop rows";

    TCustomEntityList queryRegistry;
    LookupContext q{queryRegistry, store, "Name", "", columns};
    FillColumnCombo(list, supplier, PanelKind::Query, q);
    EXPECT_THAT(list.keys, ElementsAre(id(1), id(3)));
    TCustomEntity& organs = queryRegistry.EntityByName("TOrgan");
    organs.SetFiltered(false);
    EXPECT_EQ(organs.RecordCount(), 4) << "query lists only filter";
    EXPECT_FALSE(queryRegistry.EntityByName("TOtherParam").Filtered());

    supplier.value = "9"; // no such role: nobody qualifies
    TCustomEntityList none;
    LookupContext n{none, store, "Name", "", columns};
    FillColumnCombo(list, supplier, PanelKind::Entry, n);
    EXPECT_TRUE(list.keys.empty());
}

TEST_F(LookupListsTest, ColumnListsChooseTheirSource)
{
    DictColumn type;
    type.code = "TOrganTypeID";
    type.isOtherParam = 1;
    type.joinedField = "TOrganTypeID";
    auto c = context();
    FillColumnCombo(list, type, PanelKind::Entry, c);
    EXPECT_EQ(list.keys.size(), 3u);

    DictColumn link = type;
    link.code = "LinkTypeID";
    link.joinedField = "TPayTypeID";
    FillColumnCombo(list, link, PanelKind::Entry, c);
    EXPECT_EQ(list.keys.size(), 3u);
    EXPECT_EQ(list.keys.front(), id(21));

    DictColumn organ;
    organ.code = "TOrganID";
    FillColumnCombo(list, organ, PanelKind::Query, c);
    EXPECT_EQ(list.keys.size(), 4u);
}

} // namespace
} // namespace corvo::forms
