#include "DemoSeed.h"

#include <map>

namespace corvo::server::schema::demo {
namespace {

struct Group {
    const char* name;
    const char* en;
    const char* parent; ///< empty for a top group
    int colOrder;
};

// Two levels. The sub-group names are what the main window's group page builds its buttons
// from ("新增" + name, "审核" + name, ...; 发票, 付款, 收款, 应收款, 应付款, 物料 and 对帐单 have
// their own captions there), so the module names below follow them.
const Group Groups[] = {
    {"基础资料", "Base data", "", 100},
    {"商品", "Products", "基础资料", 110},
    {"机构", "Organisations", "基础资料", 120},
    {"仓库", "Warehouses", "基础资料", 130},
    {"员工", "Employees", "基础资料", 140},
    {"物料", "Materials", "基础资料", 150},
    {"机构往来", "Partner links", "基础资料", 160},
    {"销售管理", "Sales", "", 200},
    {"销售日报", "Daily sales", "销售管理", 210},
    {"销售出库", "Wholesale", "销售管理", 220},
    {"销售订单", "Sale orders", "销售管理", 230},
    {"销售发票", "Sales invoices", "销售管理", 240},
    {"收款", "Collections", "销售管理", 250},
    {"采购管理", "Purchasing", "", 300},
    {"采购订单", "Purchase orders", "采购管理", 310},
    {"采购入库", "Purchase receipts", "采购管理", 320},
    {"发票", "Supplier invoices", "采购管理", 330},
    {"付款", "Payments", "采购管理", 340},
    {"财务管理", "Finance", "", 400},
    {"应收款", "Receivables", "财务管理", 410},
    {"应付款", "Payables", "财务管理", 420},
    {"对帐单", "Statements", "财务管理", 430},
    {"统计报表", "Reports", "", 500},
    {"系统管理", "System", "", 600},
};

struct Module {
    const char* name;
    const char* en;
    const char* group;
    const char* formClass;
    const char* master;
    int typeNo; ///< 2: the module works from the partner's side
    const char* title;
};

const Module Modules[] = {
    {"新增商品", "New product", "商品", "TFrmInsert", "TProduct", 0, "商品资料登记"},
    {"修改商品", "Change products", "商品", "TFrmUpdate", "TProduct", 0, "商品资料维护"},
    {"查询商品", "Query products", "商品", "TFrmQueryCollate", "TProduct", 0, "商品资料查询"},
    {"作废商品", "Invalidate products", "商品", "TFrmInvalidate", "TProduct", 0,
     "商品作废（含自动作废零库存商品）"},
    {"新增机构", "New organisation", "机构", "TFrmInsert", "TOrgan", 0, "机构资料登记"},
    {"修改机构", "Change organisations", "机构", "TFrmUpdate", "TOrgan", 0, "机构资料维护"},
    {"查询机构", "Query organisations", "机构", "TFrmQueryCollate", "TOrgan", 0, "机构资料查询"},
    {"新增仓库", "New warehouse", "仓库", "TFrmInsert", "TWarehouse", 0, "仓库登记"},
    {"修改仓库", "Change warehouses", "仓库", "TFrmUpdate", "TWarehouse", 0, "仓库维护"},
    {"查询仓库", "Query warehouses", "仓库", "TFrmQueryCollate", "TWarehouse", 0, "仓库查询"},
    {"新增员工", "New employee", "员工", "TFrmInsert", "TEmployee", 0, "员工登记"},
    {"修改员工", "Change employees", "员工", "TFrmUpdate", "TEmployee", 0, "员工资料维护"},
    {"查询员工", "Query employees", "员工", "TFrmQueryCollate", "TEmployee", 0, "员工查询"},
    {"新增物料", "New materials", "物料", "TFrmInsertBatch", "TMaterial", 0, "物料连续录入"},
    {"修改物料", "Change materials", "物料", "TFrmUpdate", "TMaterial", 0, "物料维护"},
    {"查询物料", "Query materials", "物料", "TFrmQueryCollate", "TMaterial", 0, "物料查询"},
    {"作废物料", "Invalidate materials", "物料", "TFrmInvalidate", "TMaterial", 0, "物料作废"},
    {"新增机构往来", "New partner link", "机构往来", "TFrmInsert", "TOrganLink", 0, "客户折扣登记"},
    {"修改机构往来", "Change partner links", "机构往来", "TFrmUpdate", "TOrganLink", 0,
     "客户折扣维护"},
    {"查询机构往来", "Query partner links", "机构往来", "TFrmQueryOrganLink", "TOrganLink", 0,
     "机构往来及折扣"},

    {"新增销售日报", "New daily report", "销售日报", "TFrmInsertSize", "TStockOut", 0,
     "门店销售日报录入"},
    {"修改销售日报", "Change daily reports", "销售日报", "TFrmUpdateSize", "TStockOut", 0,
     "门店销售日报修改"},
    {"查询销售日报", "Query daily reports", "销售日报", "TFrmQuerySize", "TStockOut", 0,
     "门店销售日报查询"},
    {"审核销售日报", "Verify daily reports", "销售日报", "TFrmVerifySize", "TStockOut", 0,
     "门店销售日报审核"},
    {"作废销售日报", "Invalidate daily reports", "销售日报", "TFrmInvalidateSize", "TStockOut", 0,
     "门店销售日报作废"},
    {"新增销售出库", "New delivery", "销售出库", "TFrmInsertSize", "TStockOut", 0,
     "批发销售出库单录入"},
    {"修改销售出库", "Change deliveries", "销售出库", "TFrmUpdateSize", "TStockOut", 0,
     "批发销售出库单修改"},
    {"查询销售出库", "Query deliveries", "销售出库", "TFrmQuerySize", "TStockOut", 0,
     "批发销售出库单查询"},
    {"审核销售出库", "Verify deliveries", "销售出库", "TFrmVerifySize", "TStockOut", 0,
     "批发销售出库单审核"},
    {"作废销售出库", "Invalidate deliveries", "销售出库", "TFrmInvalidateSize", "TStockOut", 0,
     "批发销售出库单作废"},
    {"新增销售订单", "New sale order", "销售订单", "TFrmInsertMD", "TSaleOrder", 0, "销售订单录入"},
    {"修改销售订单", "Change sale orders", "销售订单", "TFrmUpdateMD", "TSaleOrder", 0,
     "销售订单修改"},
    {"查询销售订单", "Query sale orders", "销售订单", "TFrmQueryMDCollate", "TSaleOrder", 0,
     "销售订单查询"},
    {"审核销售订单", "Verify sale orders", "销售订单", "TFrmVerifyMD", "TSaleOrder", 0,
     "销售订单审核"},
    {"作废销售订单", "Invalidate sale orders", "销售订单", "TFrmInvalidateMD", "TSaleOrder", 0,
     "销售订单作废"},
    {"登记销售发票", "New sales invoice", "销售发票", "TFrmInsertBill", "TSaleInvoice", 0,
     "销售发票登记"},
    {"查询销售发票", "Query sales invoices", "销售发票", "TFrmQueryBill", "TSaleInvoice", 0,
     "销售发票查询"},
    {"作废销售发票", "Invalidate sales invoices", "销售发票", "TFrmInvalidate", "TSaleInvoice", 0,
     "销售发票作废"},
    {"登记收款单", "New collection", "收款", "TFrmInsertBill", "TCollectionOrder", 0, "收款单登记"},
    {"审核收款单", "Verify collections", "收款", "TFrmVerify", "TCollectionOrder", 0, "收款单审核"},
    {"查询收款单", "Query collections", "收款", "TFrmQueryBill", "TCollectionOrder", 0,
     "收款单查询"},
    {"作废收款单", "Invalidate collections", "收款", "TFrmInvalidate", "TCollectionOrder", 0,
     "收款单作废"},

    {"新增采购订单", "New purchase order", "采购订单", "TFrmInsertMD", "TPurchaseOrder", 0,
     "采购订单录入"},
    {"修改采购订单", "Change purchase orders", "采购订单", "TFrmUpdateMD", "TPurchaseOrder", 0,
     "采购订单修改"},
    {"查询采购订单", "Query purchase orders", "采购订单", "TFrmQueryMDCollate", "TPurchaseOrder", 0,
     "采购订单查询"},
    {"审核采购订单", "Verify purchase orders", "采购订单", "TFrmVerifyMD", "TPurchaseOrder", 0,
     "采购订单审核"},
    {"作废采购订单", "Invalidate purchase orders", "采购订单", "TFrmInvalidateMD", "TPurchaseOrder",
     0, "采购订单作废"},
    {"新增采购入库", "New purchase receipt", "采购入库", "TFrmInsertSize", "TStockIn", 0,
     "采购入库单录入"},
    {"修改采购入库", "Change purchase receipts", "采购入库", "TFrmUpdateSize", "TStockIn", 0,
     "采购入库单修改"},
    {"查询采购入库", "Query purchase receipts", "采购入库", "TFrmQuerySize", "TStockIn", 0,
     "采购入库单查询"},
    {"审核采购入库", "Verify purchase receipts", "采购入库", "TFrmVerifySize", "TStockIn", 0,
     "采购入库单审核"},
    {"作废采购入库", "Invalidate purchase receipts", "采购入库", "TFrmInvalidateSize", "TStockIn",
     0, "采购入库单作废"},
    {"登记供应商发票", "New supplier invoice", "发票", "TFrmInsertBill", "TPurchaseInvoice", 0,
     "供应商发票登记"},
    {"查询供应商发票", "Query supplier invoices", "发票", "TFrmQueryBill", "TPurchaseInvoice", 0,
     "供应商发票查询"},
    {"作废供应商发票", "Invalidate supplier invoices", "发票", "TFrmInvalidate", "TPurchaseInvoice",
     0, "供应商发票作废"},
    {"登记付款单", "New payment", "付款", "TFrmInsertBill", "TPaymentOrder", 0, "付款单登记"},
    {"审核付款单", "Verify payments", "付款", "TFrmVerify", "TPaymentOrder", 0, "付款单审核"},
    {"查询付款单", "Query payments", "付款", "TFrmQueryBill", "TPaymentOrder", 0, "付款单查询"},
    {"作废付款单", "Invalidate payments", "付款", "TFrmInvalidate", "TPaymentOrder", 0,
     "付款单作废"},

    {"当月应收款", "Receivables this month", "应收款", "TFrmInsertAccount", "TAccount", 0,
     "应收款登记"},
    {"历史应收款", "Receivables history", "应收款", "TFrmQueryBill", "TAccount", 0, "应收款明细"},
    {"当月应付款", "Payables this month", "应付款", "TFrmInsertAccount", "TAccount", 2,
     "应付款登记"},
    {"历史应付款", "Payables history", "应付款", "TFrmQueryBill", "TAccount", 2, "应付款明细"},
    {"查询对帐单", "Customer statement", "对帐单", "TFrmQueryAccount", "TCheckAccount", 0,
     "客户对帐单"},
    {"供应商对帐单", "Supplier statement", "对帐单", "TFrmQueryAccount", "TCheckAccount", 2,
     "供应商对帐单"},

    {"库存查询", "Stock", "统计报表", "TFrmQueryStock", "TStock", 0, "分仓库存查询（按尺码）"},
    {"销售金额汇总", "Sales amounts", "统计报表", "TFrmSummary", "TStockOut", 0, "销售金额汇总"},
    {"销售商品汇总", "Products sold", "统计报表", "TFrmSummarySize", "TStockOut", 0,
     "销售商品汇总（按尺码）"},

    {"用户权限", "User rights", "系统管理", "TFrmInsertUserModule", "TUserModule", 0,
     "用户权限设置"},
    {"其他参数", "Other parameters", "系统管理", "TFrmInsertOtherParam", "TOtherParam", 0,
     "其他参数设置"},
    {"新增用户", "New user", "系统管理", "TFrmInsert", "TUser", 0, "新增用户"},
    {"修改用户", "Change users", "系统管理", "TFrmUpdate", "TUser", 0, "用户维护"},
    {"发布消息", "Publish a message", "系统管理", "TFrmInsert", "TMessage", 0, "发布系统消息"},
    // The main window's "？" button opens the module of this name; no title band.
    {"操作手册", "Manual", "系统管理", "TFrmHelp", "THelp", 0, ""},
    {"修改操作手册", "Change the manual", "系统管理", "TFrmUpdateHelp", "THelp", 0, "操作手册维护"},
};

/// Rights: whole groups (which bring their members and sub-groups' members) or single modules.
struct Right {
    const char* user;
    std::vector<const char*> names;
};

std::string moduleId(std::string_view name)
{
    return rowId("TModule:" + std::string(name));
}

} // namespace

void seedModules(Seeder& seed, const Catalogue& c)
{
    std::vector<std::string> all;
    for (const Group& g : Groups) {
        seed.insert("TModule", {{"ObjID", moduleId(g.name)},
                                {"Code", ""},
                                {"Name", g.name},
                                {"NameEn", g.en},
                                {"IsGroup", 1},
                                {"ColOrder", g.colOrder},
                                {"TMasterName", ""},
                                {"ListLinkCode", ""},
                                {"TypeNo", 0}});
        if (*g.parent)
            seed.insert("TModuleGroup", {{"ObjID", rowId(std::string("TModuleGroup:") + g.name)},
                                         {"TModulesID", moduleId(g.parent)},
                                         {"TModuleID", moduleId(g.name)}});
        all.push_back(g.name);
    }
    std::map<std::string, int> next;
    for (const Group& g : Groups)
        next[g.name] = g.colOrder;
    for (const Module& m : Modules) {
        seed.insert("TModule", {{"ObjID", moduleId(m.name)},
                                {"Code", m.formClass},
                                {"Name", m.name},
                                {"NameEn", m.en},
                                {"IsGroup", 0},
                                {"ColOrder", ++next[m.group]},
                                {"TMasterName", m.master},
                                {"ListLinkCode", m.title},
                                {"TypeNo", m.typeNo}});
        seed.insert("TModuleGroup", {{"ObjID", rowId(std::string("TModuleGroup:") + m.name)},
                                     {"TModulesID", moduleId(m.group)},
                                     {"TModuleID", moduleId(m.name)}});
        all.push_back(m.name);
    }

    const Right rights[] = {
        {"clerk", {"销售日报", "销售出库", "库存查询", "操作手册"}},
        {"buyer", {"采购管理", "商品", "库存查询"}},
    };
    auto grant = [&](const std::string& user, const std::string& name) {
        seed.insert("TUserModule", {{"ObjID", rowId("TUserModule:" + user + ":" + name)},
                                    {"TUserID", c.users.at(user)},
                                    {"TModuleID", moduleId(name)}});
    };
    for (const std::string& name : all)
        grant("admin", name);
    for (const Right& r : rights)
        for (const char* name : r.names)
            grant(r.user, name);
}

} // namespace corvo::server::schema::demo
