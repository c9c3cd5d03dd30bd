#include "DemoDictionary.h"

#include "DictionaryBuilder.h"
#include "SystemDictionary.h"
#include "entity/Error.h"
#include "entity/Gbk.h"

#include <cstdio>

namespace corvo::server::schema {
namespace {

using Coding = DictionaryBuilder::Coding;
using Copy = DictionaryBuilder::Copy;
using Table = DictionaryBuilder::Table;

// Positions of the partner roles among the other parameters of type TOrganTypeID: the
// restricted partner lists name them by DispOrder.
constexpr const char* SupplierRole = "3";
constexpr const char* CustomerRole = "4";

/// Builds the business tables one after another with ObjIDs that follow the system tables'.
class Business {
public:
    explicit Business(DictionaryBuilder& b) : m_builder(b) {}

    Table table(const char* code, const char* zh, const char* en, Coding coding, Copy copy)
    {
        char id[40];
        std::snprintf(id, sizeof id, "{C0B5D1C7-0000-4000-8000-0000000001%02X}", ++m_count);
        Table t = m_builder.table(id, code, zh, en, coding, copy);
        t.keys();
        return t;
    }

private:
    DictionaryBuilder& m_builder;
    int m_count = 0;
};

/// A reference to another table's row and the shown name taken from it.
void reference(Table& t, const std::string& table, const char* zh, const char* en,
               bool required = true, int namePrec = 50)
{
    auto id = t.guid(table + "ID", zh, en).hidden().query(true);
    if (required) id.required();
    t.joined(table + "Name", namePrec, table, "Name", zh, en);
}

/// A value of the other parameters' list `type` (a condition chosen from the list) and its
/// shown name. Returns the value column.
DictionaryBuilder::Column parameter(Table& t, const std::string& type, const char* zh,
                                    const char* en, bool condition = true)
{
    const std::string base = type.substr(0, type.size() - 2);
    auto id = t.otherParam(type, zh, en);
    if (condition) id.query(true);
    t.otherParamName(base + "Name", type, zh, en);
    return id;
}

void validity(Table& t, bool condition)
{
    auto id = t.otherParam("StatusID", "状态", "Status").status();
    if (condition) id.query(true);
    t.otherParamName("StatusName", "StatusID", "状态", "Status");
}

/// The document's own status list, from "_New" onwards, set by the status rules.
void documentStatus(Table& t, const std::string& table)
{
    const std::string id = "Status" + table + "ID";
    t.otherParam(id, "单据状态", "Document status").status().query(true);
    t.otherParamName("Status" + table + "Name", id, "单据状态", "Document status");
}

void audit(Table& t)
{
    t.guid("TUserID", "制单人", "Prepared by").hidden().status();
    t.joined("TUserName", 30, "TUser", "Name", "制单人", "Prepared by");
    t.dateTime("CreateDate", "制单日期", "Prepared on").status();
}

void sizes(Table& t)
{
    for (int n = 1; n <= 20; ++n)
        t.integer("Size" + std::to_string(n), "尺码" + std::to_string(n),
                  "Size " + std::to_string(n));
}

void product(Table& t)
{
    t.guid("TProductID", "商品", "Product").hidden().required();
    t.joined("TProductCode", 30, "TProduct", "Code", "商品代码", "Product code");
    t.joined("TProductName", 100, "TProduct", "Name", "商品名称", "Product name");
}

void partnersAndPlaces(Business& b)
{
    auto r = b.table("TOrganRole", "机构角色", "Partner roles", Coding::Typed, Copy::Client);
    r.guid("TOrganID", "机构", "Organisation").hidden().required().query(true);
    r.joined("TOrganCode", 30, "TOrgan", "Code", "机构代码", "Code");
    r.joined("TOrganName", 100, "TOrgan", "Name", "机构名称", "Name");
    r.otherParam("TOrganTypeID", "角色", "Role").required().query(true);
    r.otherParamName("TOrganTypeName", "TOrganTypeID", "角色", "Role");
    r.owner();
    validity(r, false);

    auto w = b.table("TWarehouse", "仓库", "Warehouses", Coding::Typed, Copy::Client);
    w.text("Code", 20, "仓库代码", "Code").required().query().sort().unique();
    w.text("Name", 50, "仓库名称", "Name").required().query();
    w.text("HelpIndex", 20, "助记码", "Mnemonic").query();
    reference(w, "TOrgan", "所属门店", "Store", true, 100);
    w.text("Address", 100, "地址", "Address");
    w.text("Phone", 50, "电话", "Telephone");
    w.owner();
    validity(w, false);

    auto e = b.table("TEmployee", "员工", "Employees", Coding::Typed, Copy::Client);
    e.text("Code", 20, "员工编号", "Code").required().query().sort().unique();
    e.text("Name", 30, "姓名", "Name").required().query();
    e.text("HelpIndex", 20, "助记码", "Mnemonic").query();
    reference(e, "TOrgan", "所属机构", "Organisation", true, 100);
    parameter(e, "TDutyID", "职务", "Duty");
    e.text("Phone", 50, "电话", "Telephone");
    e.owner();
    validity(e, false);

    auto m = b.table("TMaterial", "物料", "Materials", Coding::Automatic, Copy::ServerOnly);
    m.text("Code", 20, "物料编号", "Code").query().sort();
    m.text("Name", 50, "物料名称", "Name").required().query().unique();
    m.text("HelpIndex", 20, "助记码", "Mnemonic").query();
    m.text("Spec", 50, "规格", "Specification");
    parameter(m, "TUnitID", "单位", "Unit");
    m.money("InPrice", "进价", "Purchase price");
    m.text("Remark", 200, "备注", "Remark");
    m.owner();
    validity(m, true);

    auto s = b.table("TStock", "库存", "Stock", Coding::Typed, Copy::ServerOnly);
    reference(s, "TWarehouse", "仓库", "Warehouse");
    s.guid("TProductID", "商品", "Product").hidden().required().query(true);
    s.joined("TProductCode", 30, "TProduct", "Code", "商品代码", "Product code");
    s.joined("TProductName", 100, "TProduct", "Name", "商品名称", "Product name");
    sizes(s);
    s.integer("Quantity", "库存数量", "Quantity");
    s.joined("TProductInPrice", 19, "TProduct", "InPrice", "进价", "Purchase price");
    s.money("TotalAmount", "库存金额", "Stock value");
    s.owner();
}

struct SizeDocument {
    const char* code;
    const char* zh;
    const char* en;
    const char* typeList; ///< the other-parameter list of the document's kinds
    const char* typeZh;
    const char* partnerZh;
    const char* warehouseZh;
    bool sale; ///< sale type, discount and profit
};

void sizeDocument(Business& b, const SizeDocument& d)
{
    const std::string code = d.code;
    auto t = b.table(d.code, d.zh, d.en, Coding::Automatic, Copy::ServerOnly);
    t.text("Code", 30, "单据编号", "Number").query().sort();
    t.dateTime("HappenDate", "单据日期", "Date").required().query();
    parameter(t, d.typeList, d.typeZh, "Kind").required();
    reference(t, "TOrgan", d.partnerZh, "Partner", true, 100);
    reference(t, "TWarehouse", d.warehouseZh, "Warehouse");
    reference(t, "TEmployee", "经手人", "Handled by", true, 30);
    if (d.sale) {
        parameter(t, "TSaleTypeID", "销售方式", "Sale type", false).required();
        t.decimal("SaleDiscount", 6, 2, "折扣", "Discount");
    }
    t.integer("TotalQuantity", "数量合计", "Total quantity");
    t.money("TotalAmount", "金额合计", "Total amount");
    if (d.sale) t.money("TotalProfit", "毛利合计", "Total profit");
    t.text("Remark", 200, "备注", "Remark");
    documentStatus(t, code);
    audit(t);
    t.owner();
    validity(t, false);

    auto l = b.table((code + "List").c_str(), (std::string(d.zh) + "明细").c_str(),
                     (std::string(d.en) + " lines").c_str(), Coding::Typed, Copy::ServerOnly);
    l.sortByIdentifier();
    l.guid("ParentID", "单据", "Document").hidden().required();
    product(l);
    sizes(l);
    l.integer("Quantity", "数量", "Quantity");
    l.money("UnitPrice", "单价", "Price");
    l.money("InPrice", "成本价", "Cost");
    l.money("SubTotal", "金额", "Amount");
    l.money("Profit", "毛利", "Profit");

    auto z = b.table((code + "ListSize").c_str(), (std::string(d.zh) + "尺码").c_str(),
                     (std::string(d.en) + " sizes").c_str(), Coding::Typed, Copy::ServerOnly);
    z.guid("ParentID", "明细", "Line").hidden().required();
    z.guid("TProductID", "商品", "Product").hidden().required();
    z.joined("TProductCode", 30, "TProduct", "Code", "商品代码", "Product code");
    z.integer("SizeNo", "尺码序号", "Size number");
    z.text("SizeName", 10, "尺码", "Size");
    z.integer("Quantity", "数量", "Quantity");
}

struct Order {
    const char* code;
    const char* zh;
    const char* en;
    const char* partnerZh;
    const char* warehouseZh;
    const char* employeeZh;
    bool sale;
};

void order(Business& b, const Order& d)
{
    const std::string code = d.code;
    auto t = b.table(d.code, d.zh, d.en, Coding::Automatic, Copy::ServerOnly);
    t.text("Code", 30, "订单编号", "Number").query().sort();
    t.dateTime("HappenDate", "订货日期", "Ordered on").required().query();
    t.dateTime("DeliveryDate", "交货日期", "Delivery date");
    reference(t, "TOrgan", d.partnerZh, "Partner", true, 100);
    reference(t, "TWarehouse", d.warehouseZh, "Warehouse");
    reference(t, "TEmployee", d.employeeZh, "Employee", false, 30);
    if (d.sale) {
        parameter(t, "TSaleTypeID", "销售方式", "Sale type", false).required();
        t.decimal("SaleDiscount", 6, 2, "折扣", "Discount");
    }
    t.integer("TotalQuantity", "数量合计", "Total quantity");
    t.money("TotalAmount", "金额合计", "Total amount");
    t.text("Remark", 200, "备注", "Remark");
    documentStatus(t, code);
    audit(t);
    t.owner();
    validity(t, true);

    auto l = b.table((code + "List").c_str(), (std::string(d.zh) + "明细").c_str(),
                     (std::string(d.en) + " lines").c_str(), Coding::Typed, Copy::ServerOnly);
    l.sortByIdentifier();
    l.guid("ParentID", "订单", "Order").hidden().required();
    product(l);
    l.integer("Quantity", "数量", "Quantity");
    // Named like the product's price, so the picked product brings its price along.
    if (d.sale)
        l.money("UnitPrice", "单价", "Price");
    else
        l.money("InPrice", "进价", "Purchase price");
    l.money("SubTotal", "金额", "Amount");
    l.text("Remark", 50, "备注", "Remark");
}

struct Bill {
    const char* code;
    const char* zh;
    const char* en;
    const char* partnerZh;
    bool invoice; ///< an invoice; otherwise a payment or collection
    const char* dateZh;
    const char* kindZh;
};

void bill(Business& b, const Bill& d)
{
    auto t = b.table(d.code, d.zh, d.en, Coding::Automatic, Copy::ServerOnly);
    t.text("Code", 30, d.invoice ? "登记编号" : "单据编号", "Number").query().sort();
    if (d.invoice)
        t.text("InvoiceNo", 30, "发票号码", "Invoice number").required().query().unique();
    t.dateTime("HappenDate", d.dateZh, "Date").required().query();
    reference(t, "TOrgan", d.partnerZh, "Partner", true, 100);
    if (d.invoice) {
        t.money("Amount", "金额", "Amount");
        t.money("TaxAmount", "税额", "Tax");
        t.money("TotalAmount", "价税合计", "Total");
    } else {
        parameter(t, "TPaymentTypeID", d.kindZh, "Payment kind").required();
        t.money("TotalAmount", "金额", "Amount");
        t.text("BankAccount", 50, "银行账号", "Bank account");
    }
    t.text("Remark", 200, "备注", "Remark");
    documentStatus(t, d.code);
    audit(t);
    t.owner();
    validity(t, true);
}

void accounts(Business& b)
{
    auto a = b.table("TAccount", "往来帐", "Receivables and payables", Coding::Automatic,
                     Copy::ServerOnly);
    a.text("Code", 30, "单据编号", "Number").query().sort();
    a.dateTime("HappenDate", "发生日期", "Date").required().query();
    reference(a, "TOrgan", "往来单位", "Partner", true, 100);
    parameter(a, "TAccountItemID", "款项", "Item").required();
    a.money("TotalAmount", "金额", "Amount");
    a.text("BillCode", 30, "原始单据", "Source document").query();
    a.text("Remark", 200, "备注", "Remark");
    audit(a);
    a.owner();
    validity(a, true);

    auto c = b.table("TCheckAccount", "对帐单", "Statements", Coding::Typed, Copy::ServerOnly);
    c.integer("DispOrder", "序号", "Line").sort();
    c.dateTime("HappenDate", "日期", "Date").query();
    reference(c, "TOrgan", "对帐单位", "Partner", true, 100);
    c.text("BillType", 20, "单据类型", "Document kind");
    c.text("Code", 30, "单据编号", "Number");
    c.text("Summary", 100, "摘要", "Summary");
    c.money("DebitAmount", "应收(增加)", "Debit");
    c.money("CreditAmount", "已收(减少)", "Credit");
    c.money("Balance", "余额", "Balance");
    c.owner();
}

DictField& field(Dictionary& d, std::string_view table, std::string_view code)
{
    const DictTable* t = d.findTable(table);
    if (t)
        for (DictField& f : d.fields)
            if (f.parentId == t->objId && gbk::equalsIgnoreCase(f.code, code)) return f;
    throw Error("演示字典中没有列[" + std::string(table) + "." + std::string(code) + "]");
}

/// Offers only the partners of one role: the ones a TOrganRole row of that role names.
void restrictPartners(Dictionary& d, std::string_view table, const char* role)
{
    DictField& f = field(d, table, "TOrganID");
    f.joinedTable = "TOrganRole";
    f.joinedField = "TOrganTypeID";
    f.value = role;
}

} // namespace

Dictionary demoDictionary()
{
    DictionaryBuilder builder;
    Dictionary system = systemDictionary();
    Business b(builder);
    partnersAndPlaces(b);
    sizeDocument(b, {"TStockOut", "出库单", "Stock out", "TStockOutTypeID", "出库类型", "客户",
                     "出库仓库", true});
    sizeDocument(b, {"TStockIn", "入库单", "Stock in", "TStockInTypeID", "入库类型", "供应商",
                     "入库仓库", false});
    order(b, {"TSaleOrder", "销售订单", "Sale orders", "客户", "发货仓库", "业务员", true});
    order(b,
          {"TPurchaseOrder", "采购订单", "Purchase orders", "供应商", "收货仓库", "采购员", false});
    bill(b,
         {"TPurchaseInvoice", "供应商发票", "Supplier invoices", "供应商", true, "开票日期", ""});
    bill(b, {"TSaleInvoice", "销售发票", "Sales invoices", "客户", true, "开票日期", ""});
    bill(b, {"TPaymentOrder", "付款单", "Payments", "供应商", false, "付款日期", "付款方式"});
    bill(b, {"TCollectionOrder", "收款单", "Collections", "客户", false, "收款日期", "收款方式"});
    accounts(b);

    Dictionary added = builder.take();
    Dictionary d = std::move(system);
    d.tables.insert(d.tables.end(), added.tables.begin(), added.tables.end());
    d.fields.insert(d.fields.end(), added.fields.begin(), added.fields.end());

    for (const char* t : {"TStockOut", "TSaleOrder", "TSaleInvoice", "TCollectionOrder"})
        restrictPartners(d, t, CustomerRole);
    for (const char* t : {"TStockIn", "TPurchaseOrder", "TPurchaseInvoice", "TPaymentOrder"})
        restrictPartners(d, t, SupplierRole);
    // The daily-report query makes the status a condition; it is then chosen from a list.
    for (const char* t : {"TStockOut", "TStockIn"})
        field(d, t, "StatusID").hasGrid = 1;
    DictField& inPrice = field(d, "TStock", "TProductInPrice");
    inPrice.dataType = "money";
    inPrice.scale = 2;
    return d;
}

} // namespace corvo::server::schema
