#include "RulesFixture.h"
#include "entity/Guid.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/MasterCollector.h"

#include <gtest/gtest.h>
#include <map>

namespace corvo::forms {
namespace {

using corvo::test::DictField;
using test::id;

const std::string StockIn = "{00000000-0000-4000-8000-0000000000A1}";
const std::string Users = "{00000000-0000-4000-8000-0000000000A2}";
const std::string Owner = id(500);
const std::string User = id(600);
const std::string Customer = id(700);

DictField f(const std::string& table, const char* code, int order, const char* type, int prec,
            const char* name)
{
    DictField d;
    d.parentId = table;
    d.code = code;
    d.colOrder = order;
    d.dataType = type;
    d.prec = prec;
    d.name = gbk::fromUtf8(name);
    return d;
}
DictField status(DictField d)
{
    d.isStatus = 1;
    d.isVisible = 0;
    return d;
}
DictField joined(DictField d)
{
    d.isJoined = 1;
    return d;
}
DictField scaled(DictField d, int scale)
{
    d.scale = scale;
    return d;
}
DictField required(DictField d)
{
    d.isNullAble = 0;
    return d;
}

struct Panel : PanelValues {
    struct Entry {
        Variant value;
        std::string shown;
    };
    bool hasControl(std::string_view code) override { return entries.count(std::string(code)) > 0; }
    Variant value(std::string_view code) override { return entries.at(std::string(code)).value; }
    std::string shownText(std::string_view code) override
    {
        return entries.at(std::string(code)).shown;
    }
    std::map<std::string, Entry> entries;
};

class CollectMasterTest : public ::testing::Test {
protected:
    CollectMasterTest()
    {
        registry.AddEntities({"TDictTable", "TDictField", "TMaster"});
        TCustomEntity& tables = registry.EntityByName("TDictTable");
        corvo::test::declareDictTable(tables);
        corvo::test::addDictTable(tables, {StockIn, "TStockIn", "", 1, 0});
        corvo::test::addDictTable(tables, {Users, "TUser", "", 0, 1});
        TCustomEntity& fields = registry.EntityByName("TDictField");
        corvo::test::declareDictField(fields);
        for (const DictField& d : {
                 status(f(StockIn, "TStockIn", 1, "uniqueidentifier", 0, "表")),
                 status(f(StockIn, "ObjID", 2, "uniqueidentifier", 0, "标识")),
                 required(f(StockIn, "Code", 3, "varchar", 20, "单号")),
                 required(f(StockIn, "HappenDate", 4, "datetime", 0, "日期")),
                 required(f(StockIn, "TOrganID", 5, "uniqueidentifier", 0, "客户")),
                 joined(f(StockIn, "TOrganName", 6, "varchar", 100, "客户")),
                 scaled(f(StockIn, "Amount", 7, "money", 10, "金额"), 2),
                 f(StockIn, "Remark", 8, "varchar", 200, "备注"),
                 status(f(StockIn, "TOwnerID", 9, "uniqueidentifier", 0, "所属机构")),
                 status(f(StockIn, "StatusID", 10, "uniqueidentifier", 0, "状态")),
                 joined(f(StockIn, "StatusName", 11, "varchar", 50, "状态")),
                 status(f(StockIn, "TUserID", 12, "uniqueidentifier", 0, "制单人")),
                 status(f(StockIn, "CreateDate", 13, "datetime", 0, "制单日期")),
                 status(f(StockIn, "StatusTStockInID", 14, "uniqueidentifier", 0, "单据状态")),
                 joined(f(StockIn, "StatusTStockInName", 15, "varchar", 50, "单据状态")),
                 status(f(StockIn, "LinkOrderID", 16, "uniqueidentifier", 0, "订单")),
                 status(f(StockIn, "PrintCount", 17, "int", 0, "打印次数")),
                 status(f(StockIn, "Flag", 18, "varchar", 10, "标志")),
                 status(f(Users, "TUser", 1, "uniqueidentifier", 0, "表")),
                 status(f(Users, "ObjID", 2, "uniqueidentifier", 0, "标识")),
                 required(f(Users, "Code", 3, "varchar", 30, "用户代码")),
                 f(Users, "PassWord", 4, "varchar", 20, "密码"),
             })
            corvo::test::addDictField(fields, d);
        context.owner = Owner;
        context.userObjID = User;
        context.encodeUserPassword = [](const std::string& u, const std::string& p) {
            return "enc(" + u + "," + p + ")";
        };
        context.statusObjID = [](const std::string& column, const std::string& state) {
            return column == "StatusID" && state == "Valid" ? id(1)
                   : state == "New"                         ? id(11)
                                                            : id(99);
        };
    }

    TCustomEntity& master(const char* table)
    {
        registry.BuildEntity(table, "TMaster");
        return registry.EntityByName("TMaster");
    }
    void fillStockIn()
    {
        panel.entries = {{"Code", {"IN-001", ""}},
                         {"HappenDate", {"2026-12-10", ""}},
                         {"TOrganID", {Customer, gbk::fromUtf8("华东商贸")}},
                         {"Amount", {"12.5", ""}},
                         {"Remark", {gbk::fromUtf8("备注文本"), ""}}};
    }

    TCustomEntityList registry;
    Panel panel;
    CollectContext context;
};

std::string text(TCustomEntity& row, const char* field)
{
    return row.FieldByName(field).AsString();
}

TEST_F(CollectMasterTest, NewRowTakesThePanelAndTheStatusRules)
{
    master("TStockIn");
    fillStockIn();
    TCustomEntity row;
    row.SetData(CollectNewMaster(registry, panel, context));
    ASSERT_EQ(row.RecordCount(), 1);
    EXPECT_EQ(text(row, "TStockIn"), StockIn);
    EXPECT_TRUE(Guid::parse(text(row, "ObjID")).has_value());
    EXPECT_EQ(text(row, "Code"), "") << "auto-coded tables leave the typed code out";
    EXPECT_EQ(text(row, "HappenDate"), "2026-12-10");
    EXPECT_EQ(text(row, "TOrganID"), Customer);
    EXPECT_EQ(gbk::display(text(row, "TOrganName")), "华东商贸");
    EXPECT_EQ(text(row, "Amount"), "12.5");
    EXPECT_EQ(gbk::display(text(row, "Remark")), "备注文本");
    EXPECT_EQ(text(row, "TOwnerID"), Owner);
    EXPECT_EQ(text(row, "StatusID"), id(1));
    EXPECT_EQ(gbk::display(text(row, "StatusName")), "有效");
    EXPECT_EQ(text(row, "TUserID"), User);
    EXPECT_EQ(text(row, "CreateDate").substr(0, 10), DateTime::now().toDateString());
    EXPECT_EQ(text(row, "StatusTStockInID"), id(11));
    EXPECT_EQ(gbk::display(text(row, "StatusTStockInName")), "新建");
    EXPECT_EQ(text(row, "LinkOrderID"), std::string(EmptyGuidText));
    EXPECT_EQ(text(row, "PrintCount"), "0");
    EXPECT_EQ(text(row, "Flag"), "");
    EXPECT_TRUE(registry.EntityByName("TMaster").IsEmpty());
}

TEST_F(CollectMasterTest, TheFirstBadValueStopsTheCollecting)
{
    master("TStockIn");
    struct Case {
        const char* code;
        Variant value;
        const char* message;
    };
    for (const Case& c : {Case{"TOrganID", "", "选择项[客户]尚未选择，请选择后再保存"},
                          Case{"HappenDate", "1900-01-01", "日期类型[日期]输入非法！"},
                          Case{"Amount", "1234567.891", "浮点类型[金额]值超出范围"}}) {
        fillStockIn();
        panel.entries[c.code].value = c.value;
        try {
            CollectNewMaster(registry, panel, context);
            ADD_FAILURE() << c.code;
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST_F(CollectMasterTest, TypedCodeAndEncodedPasswordOfATableThatIsNotAutoCoded)
{
    master("TUser");
    registry.SelectTableFields("TStockIn"); // another table selected: the master's are taken
    panel.entries = {{"Code", {"clerk", ""}}, {"PassWord", {"1234", ""}}};
    TCustomEntity row;
    row.SetData(CollectNewMaster(registry, panel, context));
    EXPECT_EQ(text(row, "TUser"), Users);
    EXPECT_EQ(text(row, "Code"), "clerk");
    EXPECT_EQ(text(row, "PassWord"), "enc(clerk,1234)");
}

TEST_F(CollectMasterTest, UpdateKeepsKeysAndStatusValues)
{
    TCustomEntity& m = master("TStockIn");
    m.Append();
    m.FieldByName("TStockIn").SetAsString(StockIn);
    m.FieldByName("ObjID").SetAsString(id(42));
    m.FieldByName("Code").SetAsString("IN-007");
    m.FieldByName("StatusTStockInID").SetAsString(id(12));
    m.FieldByName("TOwnerID").SetAsString(id(501));
    m.Post();
    fillStockIn();
    panel.entries["Code"].value = "IN-008";
    TCustomEntity row;
    row.SetData(CollectMasterUpdate(registry, panel, context));
    EXPECT_EQ(text(row, "ObjID"), id(42));
    EXPECT_EQ(text(row, "Code"), "IN-008") << "an update stores the code as typed";
    EXPECT_EQ(text(row, "StatusTStockInID"), id(12));
    EXPECT_EQ(text(row, "TOwnerID"), id(501));
    EXPECT_EQ(gbk::display(text(row, "StatusName")), "有效");
    EXPECT_EQ(gbk::display(text(row, "TOrganName")), "华东商贸");
    EXPECT_EQ(text(m, "Code"), "IN-007");
}

TEST_F(CollectMasterTest, AStatusColumnOfAnUnhandledType)
{
    TCustomEntity& fields = registry.EntityByName("TDictField");
    DictField memo = status(f(StockIn, "Note", 19, "text", 0, "说明"));
    corvo::test::addDictField(fields, memo);
    master("TStockIn");
    fillStockIn();
    try {
        CollectNewMaster(registry, panel, context);
        ADD_FAILURE();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "无法处理的字段[Note]类型：text");
    }
}

} // namespace
} // namespace corvo::forms
