#include "MinimalCompany.h"

#include "DictionaryBuilder.h"
#include "SystemDictionary.h"
#include "SystemIds.h"
#include "TableLayout.h"
#include "TableWriter.h"
#include "entity/DateTime.h"

#include <map>

namespace corvo::server::schema {
namespace {

using storage::Value;

std::string id(std::string_view text)
{
    return std::string(text);
}

/// An ObjID for a seed row nothing refers to by constant.
std::string rowId(std::string_view table, std::string_view key)
{
    return stableGuid("seed:" + std::string(table) + ":" + std::string(key));
}

class Seeder {
public:
    explicit Seeder(storage::Transaction& tx) : m_tx(tx), m_dictionary(systemDictionary()) {}

    void insert(const std::string& table, Record record)
    {
        auto it = m_layouts.find(table);
        if (it == m_layouts.end())
            it = m_layouts.emplace(table, TableLayout::resolve(m_dictionary, table)).first;
        insertRecord(m_tx, it->second, record);
    }

private:
    storage::Transaction& m_tx;
    Dictionary m_dictionary;
    std::map<std::string, TableLayout> m_layouts;
};

struct OtherParam {
    std::string objId;
    const char* type;
    const char* typeName;
    const char* code;
    const char* name;
    const char* nameEn;
    int dispOrder;
    int allowEdit;
};

struct Module {
    const char* key;
    const char* formClass; ///< empty for a group
    const char* name;
    const char* nameEn;
    int colOrder;
    const char* masterTable;
    const char* group; ///< key of the group it belongs to
};

struct Translation {
    const char* zh;
    const char* en;
    const char* jp;
};

} // namespace

std::vector<SeededUser> seedMinimalCompany(storage::Transaction& tx)
{
    const std::string headOffice = rowId("TOtherParam", "TOrganTypeID_HQ");
    const std::string notice = rowId("TOtherParam", "TMessageTypeID_Notice");
    const Value valid = id(ids::StatusValid);
    const Value demo = id(ids::DemoOrgan);
    const Value admin = id(ids::AdminUser);
    const Value created = DateTime::fromDate(2025, 1, 1).value();

    // Statuses are locked (AllowEdit 0): the client finds them by code.
    const OtherParam otherParams[] = {
        {id(ids::StatusValid), "StatusID", "状态", "StatusID_Valid", "有效", "Valid", 1, 0},
        {id(ids::StatusInvalid), "StatusID", "状态", "StatusID_Invalid", "作废", "Invalid", 2, 0},
        {headOffice, "TOrganTypeID", "机构类型", "HQ", "总部", "Head office", 1, 1},
        {rowId("TOtherParam", "TOrganTypeID_SHOP"), "TOrganTypeID", "机构类型", "SHOP", "门店",
         "Store", 2, 1},
        {notice, "TMessageTypeID", "消息类型", "NOTICE", "系统公告", "Notice", 1, 1},
    };
    const Module modules[] = {
        {"basic", "", "基础资料", "Basic data", 100, "", ""},
        {"organ", "TFrmUpdate", "组织机构维护", "Organisations", 110, "TOrgan", "basic"},
        {"product", "TFrmUpdate", "商品维护", "Products", 120, "TProduct", "basic"},
        {"system", "", "系统管理", "System", 200, "", ""},
        {"param", "TFrmInsertOtherParam", "其他参数", "Other parameters", 210, "TOtherParam",
         "system"},
        {"rights", "TFrmInsertUserModule", "用户权限", "User rights", 220, "TUserModule", "system"},
    };
    const Translation translations[] = {
        {"登陆", "Login", "ログイン"},
        {"退出", "Exit", "終了"},
        {"保存", "Save", "保存"},
        {"关闭", "Close", "閉じる"},
    };

    Seeder seed(tx);
    for (const OtherParam& p : otherParams)
        seed.insert("TOtherParam", {{"ObjID", p.objId},
                                    {"Code", p.code},
                                    {"Name", p.name},
                                    {"NameEn", p.nameEn},
                                    {"Type", p.type},
                                    {"TypeName", p.typeName},
                                    {"DispOrder", p.dispOrder},
                                    {"AllowEdit", p.allowEdit},
                                    {"CreateDate", created},
                                    {"StatusID", valid}});

    seed.insert("TOrgan", {{"ObjID", demo},
                           {"Code", "DEMO"},
                           {"Name", "示范零售总部"},
                           {"HelpIndex", "SFLSZB"},
                           {"TOrganTypeID", headOffice},
                           {"LinkMan", "王经理"},
                           {"Spec2", "欢迎使用示范零售总部业务系统"},
                           {"TOwnerID", demo},
                           {"StatusID", valid}});

    seed.insert("TUser", {{"ObjID", admin},
                          {"Code", "admin"},
                          {"Name", "系统管理员"},
                          {"LastLogin", 0},
                          {"TOrganID", demo},
                          {"TOwnerID", demo},
                          {"StatusID", valid}});

    for (const Module& m : modules) {
        const bool group = *m.formClass == '\0';
        const std::string module = rowId("TModule", m.key);
        seed.insert("TModule", {{"ObjID", module},
                                {"Code", m.formClass},
                                {"Name", m.name},
                                {"NameEn", m.nameEn},
                                {"IsGroup", group ? 1 : 0},
                                {"ColOrder", m.colOrder},
                                {"TMasterName", m.masterTable},
                                {"ListLinkCode", group ? "" : m.name},
                                {"TypeNo", 0}});
        if (!group)
            seed.insert("TModuleGroup", {{"ObjID", rowId("TModuleGroup", m.key)},
                                         {"TModulesID", rowId("TModule", m.group)},
                                         {"TModuleID", module}});
        seed.insert("TUserModule", {{"ObjID", rowId("TUserModule", std::string("admin.") + m.key)},
                                    {"TUserID", admin},
                                    {"TModuleID", module}});
    }

    seed.insert(
        "TMessage",
        {{"ObjID", rowId("TMessage", "welcome")},
         {"Code", "欢迎使用"},
         {"TMessageTypeID", notice},
         {"Message", "欢迎使用示范零售总部的零售管理系统。请先在“其他参数”中检查各类参数。"},
         {"CreateDate", created},
         {"TOwnerID", demo},
         {"StatusID", valid}});

    for (const Translation& t : translations)
        seed.insert("TMultiLang", {{"ObjID", rowId("TMultiLang", t.en)},
                                   {"Name", t.zh},
                                   {"NameEn", t.en},
                                   {"NameJP", t.jp}});

    return {{id(ids::AdminUser), "admin", "admin"}};
}

} // namespace corvo::server::schema
