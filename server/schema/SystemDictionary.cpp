#include "SystemDictionary.h"

#include "DictionaryBuilder.h"
#include "SystemIds.h"

namespace corvo::server::schema {
namespace {

using Coding = DictionaryBuilder::Coding;
using Copy = DictionaryBuilder::Copy;

std::string id(std::string_view text)
{
    return std::string(text);
}

void dictionaryTables(DictionaryBuilder& b)
{
    auto t =
        b.table(id(ids::TDictTable), "TDictTable", "表字典", "Tables", Coding::Typed, Copy::Client);
    t.keys();
    t.text("Code", 50, "表名", "Table name").required().query().sort().unique();
    t.text("Name", 50, "表名称", "Caption").required().query();
    t.text("NameEn", 50, "英文名称", "English caption");
    t.integer("IsAutoCoding", "自动编号", "Automatic code");
    t.integer("IsClientTable", "客户端表", "Client copy");

    auto f = b.table(id(ids::TDictField), "TDictField", "字段字典", "Fields", Coding::Typed,
                     Copy::Client);
    f.keys();
    f.guid("ParentID", "所属表", "Table").hidden().required().lookup("TDictTable");
    f.text("Code", 50, "字段名", "Field name").required().query();
    f.text("Name", 50, "中文标题", "Chinese caption").query();
    f.text("NameEn", 50, "英文标题", "English caption");
    f.text("NameJP", 50, "日文标题", "Japanese caption");
    f.integer("ColOrder", "列顺序", "Column order").sort();
    f.text("DataType", 30, "数据类型", "SQL type").required();
    f.integer("Prec", "长度", "Length");
    f.integer("Scale", "小数位数", "Decimals");
    f.integer("IsVisible", "可见", "Visible");
    f.integer("IsNullAble", "可为空", "Optional");
    f.integer("IsQuery", "查询条件", "Query condition");
    f.integer("IsStatus", "状态列", "Status column");
    f.integer("IsJoined", "关联列", "Joined");
    f.text("JoinedTable", 50, "关联表", "Joined table");
    f.text("JoinedField", 50, "关联字段", "Joined field");
    f.text("JoinedType", 20, "关联方式", "Join type");
    f.integer("IsOtherParam", "其他参数", "Other parameter");
    f.text("Value", 50, "限定值", "Restriction");
    f.integer("IsSort", "排序列", "Sort column");
    f.integer("IsUnique", "不可重复", "Unique");
    f.integer("HasGrid", "列表选择", "Chosen from list");
}

void peopleAndOrganisations(DictionaryBuilder& b)
{
    // The first ten columns are the client's default user record, in its order.
    auto u = b.table(id(ids::TUser), "TUser", "用户", "Users", Coding::Typed, Copy::Client);
    u.keys();
    u.text("Code", 30, "用户代码", "User code").required().query().sort().unique();
    u.text("Name", 30, "用户名称", "User name").required().query();
    u.text("PassWord", 20, "密码", "Password").hidden();
    u.integer("LastLogin", "登录标志", "Last login").hidden();
    u.guid("TOrganID", "所属企业", "Organisation").hidden().required().query(true);
    u.joined("TOrganCode", 30, "TOrgan", "Code", "企业代码", "Organisation code");
    u.guid("TOwnerID", "所属机构", "Owner").hidden().status();
    u.otherParam("StatusID", "状态", "Status").status();
    u.joined("TOrganName", 100, "TOrgan", "Name", "企业名称", "Organisation name");
    u.joined("TOwnerName", 100, "TOrgan", "Name", "所属机构", "Owner");
    u.otherParamName("StatusName", "StatusID", "状态", "Status");

    auto o = b.table(id(ids::TOrgan), "TOrgan", "组织机构", "Organisations", Coding::Typed,
                     Copy::Client);
    o.keys();
    o.text("Code", 30, "机构代码", "Code").required().query().sort().unique();
    o.text("Name", 100, "机构名称", "Name").required().query();
    o.text("HelpIndex", 30, "助记码", "Mnemonic").query();
    o.otherParam("TOrganTypeID", "机构类型", "Type").query(true);
    o.otherParamName("TOrganTypeName", "TOrganTypeID", "机构类型", "Type");
    o.text("LinkMan", 20, "联系人", "Contact");
    o.text("Phone", 50, "电话", "Telephone");
    o.text("Email", 100, "电子邮件", "E-mail");
    o.text("Spec1", 50, "说明", "Description");
    o.text("Spec2", 200, "公告信息", "Standing message");
    o.owner();
    o.validity();

    auto l = b.table(id(ids::TOrganLink), "TOrganLink", "机构往来", "Organisation links",
                     Coding::Typed, Copy::Client);
    l.keys();
    l.guid("TOrganID", "往来机构", "Partner").hidden().required().query(true);
    l.joined("TOrganCode", 30, "TOrgan", "Code", "机构代码", "Partner code");
    l.joined("TOrganName", 100, "TOrgan", "Name", "机构名称", "Partner name");
    // One discount per sale type: Discount + the sale type's DispOrder.
    for (int n = 1; n <= 10; ++n)
        l.decimal("Discount" + std::to_string(n), 6, 2, "折扣" + std::to_string(n),
                  "Discount " + std::to_string(n));
    l.owner();
    l.validity();
}

void modulesAndRights(DictionaryBuilder& b)
{
    auto m = b.table(id(ids::TModule), "TModule", "模块", "Modules", Coding::Typed, Copy::Client);
    m.keys();
    m.text("Code", 50, "窗体类", "Form class").required().query();
    m.text("Name", 50, "模块名称", "Caption").required().query().unique();
    m.text("NameEn", 50, "英文名称", "English caption");
    m.text("NameJP", 50, "日文名称", "Japanese caption");
    m.integer("IsGroup", "模块组", "Group");
    m.integer("ColOrder", "顺序", "Order").sort();
    m.text("TMasterName", 50, "主表", "Main table");
    m.text("ListLinkCode", 100, "窗体标题", "Title");
    m.integer("TypeNo", "类型号", "Type number");

    auto g = b.table(id(ids::TModuleGroup), "TModuleGroup", "模块组成员", "Module groups",
                     Coding::Typed, Copy::Client);
    g.keys();
    // The group's own name cannot be joined: its key is not named like the joined table.
    g.guid("TModulesID", "模块组", "Group").hidden().required().lookup("TModule");
    g.guid("TModuleID", "模块", "Module").hidden().required().lookup("TModule");
    g.joined("TModuleName", 50, "TModule", "Name", "模块名称", "Module");

    auto r = b.table(id(ids::TUserModule), "TUserModule", "用户权限", "User rights", Coding::Typed,
                     Copy::Client);
    r.keys();
    r.guid("TUserID", "用户", "User").hidden().required().query(true);
    r.joined("TUserName", 30, "TUser", "Name", "用户名称", "User name");
    r.guid("TModuleID", "模块", "Module").hidden().required().query(true);
    r.joined("TModuleName", 50, "TModule", "Name", "模块名称", "Module");
}

void parametersAndTexts(DictionaryBuilder& b)
{
    auto p = b.table(id(ids::TOtherParam), "TOtherParam", "其他参数", "Other parameters",
                     Coding::Typed, Copy::Client);
    p.keys();
    p.text("Code", 50, "参数代码", "Code").query().sort();
    p.text("Name", 50, "参数名称", "Name").required().query();
    p.text("NameEn", 50, "英文名称", "English name");
    p.text("NameJP", 50, "日文名称", "Japanese name");
    p.text("Type", 50, "参数类型", "Type").required().query();
    p.text("TypeName", 50, "类型名称", "Type name");
    p.integer("DispOrder", "顺序", "Order");
    p.integer("AllowEdit", "允许修改", "Editable");
    p.guid("TUserID", "创建人", "Created by").hidden().status();
    p.dateTime("CreateDate", "创建日期", "Created").status();
    p.owner();
    p.validity();

    // Never a client table: the local copy tells messages already shown from new ones.
    auto msg =
        b.table(id(ids::TMessage), "TMessage", "消息", "Messages", Coding::Typed, Copy::ServerOnly);
    msg.keys();
    msg.text("Code", 50, "标题", "Title").required().query().sort();
    msg.otherParam("TMessageTypeID", "消息类型", "Message type").query(true);
    msg.otherParamName("TMessageTypeName", "TMessageTypeID", "消息类型", "Message type");
    msg.text("Message", 500, "内容", "Message").required();
    msg.dateTime("CreateDate", "发布日期", "Published").status();
    msg.owner();
    msg.validity();

    auto lang = b.table(id(ids::TMultiLang), "TMultiLang", "多语言", "Translations", Coding::Typed,
                        Copy::Client);
    lang.keys();
    lang.text("Name", 100, "中文", "Chinese").required().query().sort().unique();
    lang.text("NameEn", 100, "英文", "English");
    lang.text("NameJP", 100, "日文", "Japanese");

    auto h = b.table(id(ids::THelp), "THelp", "帮助", "Help", Coding::Typed, Copy::Client);
    h.keys();
    h.text("Code", 30, "编号", "Code").required().query().sort().unique();
    h.text("Name", 50, "标题", "Title").required().query();
    h.memo("HelpText", "帮助内容", "Help text");
}

void products(DictionaryBuilder& b)
{
    auto t = b.table(id(ids::TProductType), "TProductType", "商品类别", "Product types",
                     Coding::Typed, Copy::Client);
    t.keys();
    t.text("Code", 20, "类别代码", "Code").required().query().sort().unique();
    t.text("Name", 50, "类别名称", "Name").required().query();
    t.text("HelpIndex", 20, "助记码", "Mnemonic").query();
    t.owner();
    t.validity();

    auto p =
        b.table(id(ids::TProduct), "TProduct", "商品", "Products", Coding::Typed, Copy::Client);
    p.keys();
    p.text("Code", 30, "商品代码", "Code").required().query().sort().unique();
    p.text("Name", 100, "商品名称", "Name").required().query();
    p.text("HelpIndex", 30, "助记码", "Mnemonic").query();
    p.guid("TProductTypeID", "商品类别", "Type").hidden().required().query(true);
    p.joined("TProductTypeName", 50, "TProductType", "Name", "商品类别", "Type");
    p.money("UnitPrice", "零售价", "Sale price");
    p.money("InPrice", "进价", "Purchase price");
    p.money("MinPrice", "最低价", "Lowest price");
    p.owner();
    p.validity();

    auto s = b.table(id(ids::TProductTypeSize), "TProductTypeSize", "类别尺码", "Size types",
                     Coding::Typed, Copy::Client);
    s.keys();
    s.guid("TProductTypeID", "商品类别", "Type").hidden().required().query(true);
    s.joined("TProductTypeName", 50, "TProductType", "Name", "商品类别", "Type");
    for (int n = 1; n <= 20; ++n)
        s.text("Size" + std::to_string(n), 10, "尺码" + std::to_string(n),
               "Size " + std::to_string(n));
}

} // namespace

Dictionary systemDictionary()
{
    DictionaryBuilder b;
    dictionaryTables(b);
    peopleAndOrganisations(b);
    modulesAndRights(b);
    parametersAndTexts(b);
    products(b);
    return b.take();
}

} // namespace corvo::server::schema
