#include "../SystemIds.h"
#include "DemoSeed.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace corvo::server::schema::demo {
namespace {

using storage::Value;

const Value Valid = std::string(ids::StatusValid);
const Value Invalid = std::string(ids::StatusInvalid);

struct Param {
    const char* code; ///< without the type
    const char* name;
    const char* en;
    const char* jp;
};

struct ParamList {
    const char* type;
    const char* typeName;
    int allowEdit;
    std::vector<Param> values;
};

std::vector<ParamList> parameterLists()
{
    std::vector<ParamList> lists = {
        {"StatusID",
         "状态",
         0,
         {{"Valid", "有效", "Valid", "有効"}, {"Invalid", "作废", "Invalid", "無効"}}},
        // Restricted partner lists name roles 3 and 4 by position.
        {"TOrganTypeID",
         "机构类型",
         0,
         {{"HQ", "总部", "Head office", "本部"},
          {"SHOP", "门店", "Store", "店舗"},
          {"SUPPLIER", "供应商", "Supplier", "仕入先"},
          {"CUSTOMER", "客户", "Customer", "得意先"}}},
        // Discount columns follow the position of the sale types.
        {"TSaleTypeID",
         "销售方式",
         0,
         {{"RETAIL", "零售", "Retail", "小売"},
          {"WHOLESALE", "批发", "Wholesale", "卸売"},
          {"MEMBER", "会员", "Member", "会員"},
          {"GROUP", "团购", "Group purchase", "団体購入"}}},
        {"TStockOutTypeID",
         "出库类型",
         1,
         {{"DAILY", "销售日报", "Daily sales", "売上日報"},
          {"WHOLESALE", "批发出库", "Wholesale delivery", "卸売出庫"},
          {"RETURN", "采购退货", "Return to supplier", "仕入返品"}}},
        {"TStockInTypeID",
         "入库类型",
         1,
         {{"PURCHASE", "采购入库", "Purchase receipt", "仕入入庫"},
          {"RETURN", "销售退货", "Customer return", "売上返品"},
          {"TRANSFER", "调拨入库", "Transfer in", "移動入庫"},
          {"OPENING", "期初入库", "Opening stock", "期首在庫"}}},
        {"TPaymentTypeID",
         "付款方式",
         1,
         {{"CASH", "现金", "Cash", "現金"},
          {"BANK", "银行转账", "Bank transfer", "銀行振込"},
          {"CHEQUE", "支票", "Cheque", "小切手"},
          {"DRAFT", "银行汇票", "Bank draft", "銀行手形"},
          {"CARD", "刷卡", "Card", "カード"}}},
        {"TAccountItemID",
         "款项",
         1,
         {{"GOODS", "货款", "Goods", "商品代金"},
          {"FREIGHT", "运费", "Freight", "運賃"},
          {"REBATE", "返利", "Rebate", "リベート"},
          {"OTHER", "其他", "Other", "その他"}}},
        {"TDutyID",
         "职务",
         1,
         {{"MANAGER", "店长", "Store manager", "店長"},
          {"CLERK", "营业员", "Salesclerk", "販売員"},
          {"BUYER", "采购员", "Buyer", "仕入担当"},
          {"ACCOUNTANT", "会计", "Accountant", "会計"},
          {"KEEPER", "仓管员", "Warehouse keeper", "倉庫係"}}},
        {"TUnitID",
         "计量单位",
         1,
         {{"PCS", "件", "Piece", "枚"},
          {"PAIR", "双", "Pair", "足"},
          {"SET", "套", "Set", "セット"},
          {"BOX", "箱", "Box", "箱"},
          {"ROLL", "卷", "Roll", "巻"}}},
        {"TMessageTypeID",
         "消息类型",
         1,
         {{"NOTICE", "系统公告", "Notice", "お知らせ"},
          {"TASK", "工作提醒", "Task", "業務連絡"},
          {"NEWS", "新品上市", "New arrivals", "新商品"}}},
    };
    // Every document runs through the same statuses; the first is the one new rows get.
    const std::pair<const char*, const char*> documents[] = {
        {"TStockOut", "出库单状态"},
        {"TStockIn", "入库单状态"},
        {"TSaleOrder", "销售订单状态"},
        {"TPurchaseOrder", "采购订单状态"},
        {"TPurchaseInvoice", "供应商发票状态"},
        {"TSaleInvoice", "销售发票状态"},
        {"TPaymentOrder", "付款单状态"},
        {"TCollectionOrder", "收款单状态"},
    };
    for (const auto& [table, typeName] : documents) {
        std::string t = table;
        const bool order =
            t.find("Order") != std::string::npos && t != "TPaymentOrder" && t != "TCollectionOrder";
        const bool stock = t.rfind("TStock", 0) == 0;
        const char* last = order ? "已完成" : stock ? "已记账" : "已核销";
        lists.push_back({nullptr,
                         typeName,
                         0,
                         {{"New", "新建", "New", "新規"},
                          {"Verified", "已审核", "Verified", "承認済"},
                          {"Closed", last, "Closed", "完了"}}});
    }
    return lists;
}

const char* const DocumentTables[] = {"TStockOut",      "TStockIn",         "TSaleOrder",
                                      "TPurchaseOrder", "TPurchaseInvoice", "TSaleInvoice",
                                      "TPaymentOrder",  "TCollectionOrder"};

void otherParameters(Seeder& seed, const Catalogue& c)
{
    const Value created = day(c.today - 200);
    const Value admin = c.users.at("admin");
    // The system's lists (statuses, kinds, units ...) are rows of no company, so every
    // company's forms find them; the product types are the company's own.
    enum class Of { System, Company };
    auto write = [&](const std::string& type, const char* typeName, int allowEdit,
                     const std::string& code, const std::string& id, const Param& p, int order,
                     Of of) {
        Record row = {{"ObjID", id},           {"Code", code},       {"Name", p.name},
                      {"NameEn", p.en},        {"NameJP", p.jp},     {"Type", type},
                      {"TypeName", typeName},  {"DispOrder", order}, {"AllowEdit", allowEdit},
                      {"CreateDate", created}, {"StatusID", Valid}};
        if (of == Of::Company) {
            row.push_back({"TUserID", admin});
            row.push_back({"TOwnerID", c.company});
        }
        seed.insert("TOtherParam", row);
    };
    int documentIndex = 0;
    for (const ParamList& list : parameterLists()) {
        const std::string type =
            list.type ? list.type : "Status" + std::string(DocumentTables[documentIndex++]) + "ID";
        const bool status = type.rfind("Status", 0) == 0;
        int order = 0;
        for (const Param& p : list.values) {
            // Status values are coded column + "_" + state, the others by their own code.
            const std::string code = status ? type + "_" + p.code : p.code;
            write(type, list.typeName, list.allowEdit, code,
                  paramId(status ? code : type + "_" + p.code), p, ++order, Of::System);
        }
    }
    // The product picker of the order forms lists the product types as other parameters and
    // filters products by the chosen ObjID: the same ObjIDs as the TProductType rows.
    int order = 0;
    for (const ProductType& t : c.types)
        write("TProductTypeID", "商品类别", 0, t.code, t.id,
              {t.code.c_str(), t.name.c_str(), t.code.c_str(), t.name.c_str()}, ++order,
              Of::Company);
}

struct Organ {
    const char* code;
    const char* name;
    const char* helpIndex;
    const char* type;
    const char* linkMan;
    const char* phone;
    const char* email;
    const char* address;
    const char* message;
};

const Organ Organs[] = {
    {"DEMO", "示范零售总部", "SFLSZB", "HQ", "王经理", "021-63210000", "office@demo-retail.cn",
     "上海市黄浦区南京东路100号",
     "欢迎使用示范零售业务系统。本月最后一个营业日闭店后盘点，请各门店提前安排。"},
    {"LS", "南京路旗舰店", "NJLQJD", "SHOP", "张丽", "021-63211001", "ls@demo-retail.cn",
     "上海市黄浦区南京东路300号", "南京路旗舰店：销售日报请于每日闭店后当天录入。"},
    {"HH", "淮海路店", "HHLD", "SHOP", "王强", "021-64312002", "hh@demo-retail.cn",
     "上海市徐汇区淮海中路888号", ""},
    {"XJH", "徐家汇店", "XJHD", "SHOP", "赵敏", "021-64263003", "xjh@demo-retail.cn",
     "上海市徐汇区肇嘉浜路1111号", ""},
    {"GY001", "杭州丝绸服饰有限公司", "HZSCFSYXGS", "SUPPLIER", "周建国", "0571-87651234",
     "sales@hzsilk.com.cn", "杭州市上城区丝绸路18号", ""},
    {"GY002", "广州天河制衣厂", "GZTHZYC", "SUPPLIER", "黄志明", "020-38765432",
     "th-garment@163.com", "广州市天河区沙河镇工业路6号", ""},
    {"GY003", "温州鹿城鞋业有限公司", "WZLCXYYXGS", "SUPPLIER", "林海", "0577-88123456",
     "lucheng-shoes@126.com", "温州市鹿城区鞋都大道99号", ""},
    {"GY004", "宁波东海针织厂", "NBDHZZC", "SUPPLIER", "徐静", "0574-87239876",
     "donghai-knit@qq.com", "宁波市鄞州区东海路52号", ""},
    {"KH001", "上海东方百货有限公司", "SHDFBHYXGS", "CUSTOMER", "吴敏", "021-58881234",
     "buyer@orientdept.cn", "上海市浦东新区张杨路501号", ""},
    {"KH002", "苏州吴中商贸有限公司", "SZWZSMYXGS", "CUSTOMER", "郑华", "0512-65432100",
     "wuzhong-trade@163.com", "苏州市吴中区东吴北路66号", ""},
    {"KH003", "南京新街口服饰批发部", "NJXJKFSPFB", "CUSTOMER", "钱进", "025-84561234",
     "xjk-pifa@qq.com", "南京市秦淮区中山南路8号", ""},
};

const std::array<int, 4> CustomerDiscounts[] = {
    {100, 78, 90, 85}, {100, 80, 92, 88}, {100, 75, 90, 85}};

void organisations(Seeder& seed, Catalogue& c)
{
    for (const Organ& o : Organs) {
        const std::string code = o.code;
        const std::string id =
            code == "DEMO" ? std::string(ids::DemoOrgan) : rowId("TOrgan:" + code);
        seed.insert("TOrgan", {{"ObjID", id},
                               {"Code", code},
                               {"Name", o.name},
                               {"HelpIndex", o.helpIndex},
                               {"TOrganTypeID", paramId(std::string("TOrganTypeID_") + o.type)},
                               {"LinkMan", o.linkMan},
                               {"Phone", o.phone},
                               {"Email", o.email},
                               {"Spec1", o.address},
                               {"Spec2", o.message},
                               {"TOwnerID", c.company},
                               {"StatusID", Valid}});
        const std::string type = o.type;
        if (type != "HQ")
            seed.insert("TOrganRole", {{"ObjID", rowId("TOrganRole:" + code)},
                                       {"TOrganID", id},
                                       {"TOrganTypeID", paramId("TOrganTypeID_" + type)},
                                       {"TOwnerID", c.company},
                                       {"StatusID", Valid}});
        if (type == "SUPPLIER") c.suppliers.push_back({id, code, o.name, {100, 100, 100, 100}});
        if (type == "CUSTOMER") {
            Partner p{id, code, o.name, CustomerDiscounts[c.customers.size()]};
            c.customers.push_back(p);
            Record link = {{"ObjID", rowId("TOrganLink:" + code)},
                           {"TOrganID", id},
                           {"TOwnerID", c.company},
                           {"StatusID", Valid}};
            for (std::size_t n = 0; n < p.discounts.size(); ++n)
                link.push_back({"Discount" + std::to_string(n + 1), int(p.discounts[n])});
            seed.insert("TOrganLink", link);
        }
        if (code == "LS") c.storeLs = id;
    }
}

struct Person {
    const char* code;
    const char* name;
    const char* helpIndex;
    const char* organ;
    const char* duty;
    const char* phone;
};

const Person People[] = {
    {"YG001", "张丽", "ZL", "LS", "MANAGER", "13901710001"},
    {"YG002", "李娜", "LN", "LS", "CLERK", "13901710002"},
    {"YG003", "王强", "WQ", "HH", "CLERK", "13901710003"},
    {"YG004", "赵敏", "ZM", "XJH", "MANAGER", "13901710004"},
    {"YG005", "陈刚", "CG", "DEMO", "BUYER", "13901710005"},
    {"YG006", "刘芳", "LF", "DEMO", "ACCOUNTANT", "13901710006"},
    {"YG007", "孙伟", "SW", "DEMO", "KEEPER", "13901710007"},
};

std::string organId(std::string_view code)
{
    return code == "DEMO" ? std::string(ids::DemoOrgan) : rowId("TOrgan:" + std::string(code));
}

void placesAndPeople(Seeder& seed, Catalogue& c)
{
    struct Warehouse {
        const char* code;
        const char* name;
        const char* helpIndex;
        const char* organ;
        const char* address;
    };
    const Warehouse warehouses[] = {
        {"CK01", "中心仓库", "ZXCK", "DEMO", "上海市闵行区华漕镇物流园3号库"},
        {"CK02", "南京路店仓", "NJLDC", "LS", "南京路旗舰店后仓"},
        {"CK03", "淮海路店仓", "HHLDC", "HH", "淮海路店二楼"},
        {"CK04", "徐家汇店仓", "XJHDC", "XJH", "徐家汇店地下一层"},
    };
    for (const Warehouse& w : warehouses) {
        const std::string id = rowId(std::string("TWarehouse:") + w.code);
        seed.insert("TWarehouse", {{"ObjID", id},
                                   {"Code", w.code},
                                   {"Name", w.name},
                                   {"HelpIndex", w.helpIndex},
                                   {"TOrganID", organId(w.organ)},
                                   {"Address", w.address},
                                   {"Phone", "021-6321" + std::string(w.code + 2) + "00"},
                                   {"TOwnerID", c.company},
                                   {"StatusID", Valid}});
        if (std::string(w.organ) == "DEMO")
            c.centralWarehouse = id;
        else
            c.stores.push_back({organId(w.organ), w.organ, id, "", {}});
    }
    for (const Person& p : People) {
        const std::string id = rowId(std::string("TEmployee:") + p.code);
        seed.insert("TEmployee", {{"ObjID", id},
                                  {"Code", p.code},
                                  {"Name", p.name},
                                  {"HelpIndex", p.helpIndex},
                                  {"TOrganID", organId(p.organ)},
                                  {"TDutyID", paramId(std::string("TDutyID_") + p.duty)},
                                  {"Phone", p.phone},
                                  {"TOwnerID", c.company},
                                  {"StatusID", Valid}});
        const std::string duty = p.duty;
        for (Store& s : c.stores)
            if (s.code == p.organ && (s.clerk.empty() || duty == "CLERK")) s.clerk = id;
        if (duty == "BUYER") c.buyer = id;
        if (duty == "KEEPER") c.keeper = id;
        if (std::string(p.code) == "YG001") c.salesman = id;
    }
}

void users(Seeder& seed, Catalogue& c)
{
    struct User {
        const char* code;
        const char* name;
        const char* organ;
        const char* password;
    };
    const User list[] = {
        {"admin", "系统管理员", "DEMO", "admin"},
        {"clerk", "李娜", "LS", "clerk"},
        {"buyer", "陈刚", "DEMO", "buyer"},
    };
    for (const User& u : list) {
        const std::string code = u.code;
        const std::string id =
            code == "admin" ? std::string(ids::AdminUser) : rowId("TUser:" + code);
        seed.insert("TUser", {{"ObjID", id},
                              {"Code", code},
                              {"Name", u.name},
                              {"LastLogin", 0},
                              {"TOrganID", organId(u.organ)},
                              {"TOwnerID", c.company},
                              {"StatusID", Valid}});
        c.users[code] = id;
        c.seededUsers.push_back({id, code, u.password});
    }
}

struct Style {
    const char* code;
    const char* name;
    const char* helpIndex;
    int price; ///< yuan
    int inPrice;
    int minPrice;
};

struct TypeRow {
    const char* code;
    const char* name;
    const char* helpIndex;
    std::vector<const char*> sizes;
    int supplier;
    std::vector<Style> styles;
};

std::vector<TypeRow> productTypes()
{
    return {
        {"NZ",
         "女装",
         "NZ",
         {"S", "M", "L", "XL", "XXL"},
         0,
         {{"NZ-2501", "真丝连衣裙", "ZSLYQ", 899, 420, 699},
          {"NZ-2502", "羊毛针织开衫", "YMZZKS", 599, 260, 459},
          {"NZ-2503", "修身西装外套", "XSXZWT", 1280, 560, 980},
          {"NZ-2504", "雪纺半身裙", "XFBSQ", 359, 150, 269},
          {"NZ-2505", "纯棉休闲T恤", "CMXXTX", 129, 48, 99}}},
        // Shares its first four labels with 女装 on purpose: both must stay in the stock titles.
        {"CS",
         "衬衫",
         "CS",
         {"S", "M", "L", "XL"},
         1,
         {{"CS-2501", "男士商务衬衫", "NSSWCS", 399, 160, 299},
          {"CS-2502", "女士条纹衬衫", "NSTWCS", 329, 130, 249},
          {"CS-2503", "亚麻休闲衬衫", "YMXXCS", 459, 190, 359},
          {"CS-2504", "牛津纺衬衫", "NJFCS", 289, 110, 219}}},
        {"NX",
         "女鞋",
         "NX",
         {"34", "35", "36", "37", "38", "39", "40"},
         2,
         {{"NX-2501", "真皮高跟鞋", "ZPGGX", 680, 300, 520},
          {"NX-2502", "平底单鞋", "PDDX", 399, 170, 299},
          {"NX-2503", "短筒靴", "DTX", 899, 390, 699},
          {"NX-2504", "运动休闲鞋", "YDXXX", 459, 200, 359}}},
        {"MX",
         "男鞋",
         "NX",
         {"38", "39", "40", "41", "42", "43", "44", "45"},
         2,
         {{"MX-2501", "商务皮鞋", "SWPX", 799, 350, 620},
          {"MX-2502", "休闲板鞋", "XXBX", 359, 150, 279},
          {"MX-2503", "户外登山鞋", "HWDSX", 699, 300, 539},
          {"MX-2504", "乐福鞋", "LFX", 559, 240, 429}}},
        {"TZ",
         "童装",
         "TZ",
         {"90", "100", "110", "120", "130", "140", "150", "160"},
         1,
         {{"TZ-2501", "儿童羽绒服", "ETYRF", 499, 210, 389},
          {"TZ-2502", "卡通卫衣", "KTWY", 159, 60, 119},
          {"TZ-2503", "背带裤", "BDK", 189, 75, 149},
          {"TZ-2504", "儿童运动套装", "ETYDTZ", 259, 105, 199}}},
        {"NZK",
         "牛仔裤",
         "NZK",
         {"25", "26", "27", "28", "29", "30", "31", "32", "33", "34",
          "35", "36", "37", "38", "39", "40", "41", "42", "43", "44"},
         1,
         {{"NZK-2501", "直筒牛仔裤", "ZTNZK", 399, 160, 299},
          {"NZK-2502", "修身小脚牛仔裤", "XSXJNZK", 429, 170, 329},
          {"NZK-2503", "阔腿牛仔裤", "KTNZK", 459, 185, 349},
          {"NZK-2504", "复古水洗牛仔裤", "FGSXNZK", 499, 200, 389},
          {"NZK-2505", "弹力高腰牛仔裤", "TLGYNZK", 369, 150, 289}}},
        {"PS",
         "配饰",
         "PS",
         {"均码"},
         3,
         {{"PS-2501", "真丝方巾", "ZSFJ", 199, 70, 149},
          {"PS-2502", "羊绒围巾", "YRWJ", 399, 150, 299},
          {"PS-2503", "牛皮腰带", "NPYD", 259, 95, 199},
          {"PS-2504", "棒球帽", "BQM", 99, 35, 69},
          {"PS-2505", "帆布手提袋", "FBSTD", 79, 25, 59},
          {"PS-2401", "旧款草编帽", "JKCBM", 59, 20, 39}}},
    };
}

// Nothing in stock, so the automatic invalidation has products to invalidate; the old style
// is invalid already.
bool unstocked(std::string_view code)
{
    return code == "PS-2504" || code == "PS-2505" || code == "PS-2401";
}

void products(Seeder& seed, Catalogue& c)
{
    for (const TypeRow& t : productTypes()) {
        ProductType type{
            rowId(std::string("TProductType:") + t.code), t.code, t.name, {}, t.supplier};
        seed.insert("TProductType", {{"ObjID", type.id},
                                     {"Code", t.code},
                                     {"Name", t.name},
                                     {"HelpIndex", t.helpIndex},
                                     {"TOwnerID", c.company},
                                     {"StatusID", Valid}});
        Record sizes = {{"ObjID", rowId(std::string("TProductTypeSize:") + t.code)},
                        {"TProductTypeID", type.id}};
        for (std::size_t n = 0; n < t.sizes.size(); ++n) {
            sizes.push_back({"Size" + std::to_string(n + 1), t.sizes[n]});
            type.sizes.push_back(t.sizes[n]);
        }
        seed.insert("TProductTypeSize", sizes);
        const int typeIndex = static_cast<int>(c.types.size());
        c.types.push_back(type);
        for (const Style& s : t.styles) {
            Product p{rowId(std::string("TProduct:") + s.code),
                      s.code,
                      s.name,
                      typeIndex,
                      int64_t{s.price} * 100,
                      int64_t{s.inPrice} * 100,
                      !unstocked(s.code)};
            seed.insert("TProduct",
                        {{"ObjID", p.id},
                         {"Code", p.code},
                         {"Name", p.name},
                         {"HelpIndex", s.helpIndex},
                         {"TProductTypeID", type.id},
                         {"UnitPrice", money(p.price)},
                         {"InPrice", money(p.inPrice)},
                         {"MinPrice", money(int64_t{s.minPrice} * 100)},
                         {"TOwnerID", c.company},
                         {"StatusID", s.code == std::string("PS-2401") ? Invalid : Valid}});
            c.products.push_back(p);
        }
    }
}

/// Per size a bell around the middle sizes: more M than XXL, more 38 than 45.
void stock(Catalogue& c)
{
    Random random(0x5EED0001);
    auto hold = [&](const std::string& warehouse, const std::string& key, int productIndex,
                    int base) {
        const Product& p = c.products[static_cast<std::size_t>(productIndex)];
        const int n = static_cast<int>(c.types[static_cast<std::size_t>(p.type)].sizes.size());
        BaseStock row{key, warehouse, productIndex, {}};
        for (int i = 0; i < n; ++i) {
            const int distance = std::abs(2 * i - (n - 1));
            row.sizes.push_back(std::max(1, base - distance * base / (n + 1)) + random.below(3));
        }
        c.stock.push_back(std::move(row));
    };
    for (std::size_t i = 0; i < c.products.size(); ++i) {
        if (!c.products[i].stocked) continue;
        hold(c.centralWarehouse, "CK01", static_cast<int>(i), 24);
        for (std::size_t s = 0; s < c.stores.size(); ++s)
            if ((i + s) % 3 != 0) {
                hold(c.stores[s].warehouse, c.stores[s].code, static_cast<int>(i), 6);
                c.stores[s].products.push_back(static_cast<int>(i));
            }
    }
}

void materials(Seeder& seed, const Catalogue& c)
{
    struct Material {
        const char* name;
        const char* helpIndex;
        const char* standard; // the 规格 column
        const char* unit;
        int cents;
    };
    const Material list[] = {
        {"购物纸袋(大)", "GWZDD", "40×30×12cm，100只", "BOX", 12000},
        {"购物纸袋(小)", "GWZDX", "25×20×8cm，200只", "BOX", 9000},
        {"木质衣架", "MZYJ", "42cm，50个", "BOX", 26000},
        {"价签吊牌", "JQDP", "500张", "ROLL", 3500},
        {"收银纸", "SYZ", "57×50mm，50卷", "BOX", 8800},
        {"防尘罩", "FCZ", "60×100cm", "PCS", 350},
    };
    int n = 0;
    for (const Material& m : list) {
        char code[16];
        std::snprintf(code, sizeof code, "WL%04d", ++n);
        seed.insert("TMaterial", {{"ObjID", rowId(std::string("TMaterial:") + code)},
                                  {"Code", code},
                                  {"Name", m.name},
                                  {"HelpIndex", m.helpIndex},
                                  {"Spec", m.standard},
                                  {"TUnitID", paramId(std::string("TUnitID_") + m.unit)},
                                  {"InPrice", money(m.cents)},
                                  {"TOwnerID", c.company},
                                  {"StatusID", Valid}});
    }
}

void texts(Seeder& seed, const Catalogue& c)
{
    struct Message {
        const char* title;
        const char* type;
        const char* text;
        int daysAgo;
    };
    const Message messages[] = {
        {"欢迎使用", "NOTICE",
         "欢迎使用示范零售业务系统。门店销售日报、批发出库、采购入库、订单、发票、收付款和对帐单"
         "都在左侧的模块导航树中，使用说明请看“操作手册”。",
         30},
        {"月末盘点安排", "TASK",
         "请各门店于本月最后一个营业日闭店后完成库存盘点，并在次日中午前录入当天的销售日报。", 5},
        {"秋冬新品到货", "NEWS",
         "羊绒围巾、儿童羽绒服已到中心仓库，各门店可联系采购员陈刚安排补货。", 2},
    };
    int n = 0;
    for (const Message& m : messages)
        seed.insert("TMessage",
                    {{"ObjID", rowId("TMessage:" + std::to_string(++n))},
                     {"Code", m.title},
                     {"TMessageTypeID", paramId(std::string("TMessageTypeID_") + m.type)},
                     {"Message", m.text},
                     {"CreateDate", day(c.today - m.daysAgo, 0.375)},
                     {"TOwnerID", c.company},
                     {"StatusID", Valid}});

    struct Chapter {
        const char* code;
        const char* title;
        const char* text;
    };
    const Chapter help[] = {
        {"01", "系统简介",
         "示范零售业务系统\n\n"
         "本系统用于总部和门店的日常业务：门店每天录入销售日报，总部管理批发出库、采购入库、"
         "销售订单和采购订单，财务登记发票、收款单和付款单，并按往来单位生成对帐单。\n\n"
         "左侧的模块导航树列出您有权使用的功能；点击分组名称可以在“系统”页看到该组的新增、"
         "审核、修改、查询和作废按钮。同时最多打开九个功能窗口。"},
        {"02", "登录与密码",
         "登录时输入公司代码（例如 DEMO，门店员工输入本门店代码 LS）、用户代码和密码。"
         "100秒内没有登录，程序会自动退出。\n修改密码：点击“<<”展开选项，勾选“修改密码”，"
         "输入两次新密码后登录。"},
        {"03", "销售日报",
         "每天闭店后由门店录入当天的销售日报。点击“新清单”选择商品，同一张日报中的商品必须"
         "属于同一商品类别；数量按尺码显示。保存后由店长审核，审核前可以在“修改销售日报”中修改。"},
        {"04", "采购入库与付款",
         "采购员根据供应商送货单录入采购入库单，价格取商品进价。月底财务登记供应商发票，"
         "次月付款后登记付款单并审核。作废付款单之前，请先修改该付款单核销的供应商发票。"},
        {"05", "对帐与往来",
         "“查询对帐单”按客户列出期初余额和期间内的发票、收款，期末余额即应收款余额；"
         "“供应商对帐单”从供应商一方列出应付款。当月应收、应付款可以在“财务管理”中登记。"},
        {"06", "权限与参数",
         "系统管理员在“用户权限”中把模块或模块组拖到用户名上授权，拖回列表即收回权限，"
         "然后保存。“其他参数”维护销售方式、付款方式、职务等下拉列表；状态类参数不能修改。"},
    };
    for (const Chapter& h : help)
        seed.insert("THelp", {{"ObjID", rowId(std::string("THelp:") + h.code)},
                              {"Code", h.code},
                              {"Name", h.title},
                              {"HelpText", h.text}});

    const Param captions[] = {
        {"登陆", "登陆", "Log in", "ログイン"},
        {"退出", "退出", "Exit", "終了"},
        {"保存", "保存", "Save", "保存"},
        {"关闭", "关闭", "Close", "閉じる"},
        {"新建", "新建", "New", "新規"},
        {"新单据", "新单据", "New document", "新規伝票"},
        {"新清单", "新清单", "Add lines", "明細追加"},
        {"删除", "删除", "Delete", "削除"},
        {"查询", "查询", "Query", "検索"},
        {"查询(&Q)", "查询(&Q)", "&Query", "検索(&Q)"},
        {"全部(&A)", "全部(&A)", "&All", "全件(&A)"},
        {"下页(&N)", "下页(&N)", "&Next", "次頁(&N)"},
        {"上页(&I)", "上页(&I)", "Prev&ious", "前頁(&I)"},
        {"复位(&R)", "复位(&R)", "&Reset", "リセット(&R)"},
        {"打印(&P)", "打印(&P)", "&Print", "印刷(&P)"},
        {"确定", "确定", "OK", "OK"},
        {"取消", "取消", "Cancel", "キャンセル"},
        {"放弃", "放弃", "Discard", "破棄"},
        {"新增", "新增", "Add", "追加"},
        {"修改", "修改", "Change", "変更"},
        {"重新计算", "重新计算", "Recalculate", "再計算"},
        {"继续添加", "继续添加", "Add more", "続けて追加"},
        {"查询条件", "查询条件", "Conditions", "検索条件"},
        {"查询结果", "查询结果", "Results", "検索結果"},
        {"模块导航树", "模块导航树", "Modules", "モジュール"},
        {"权限导航", "权限导航", "Rights", "権限"},
        {"系统参数一览", "系统参数一览", "Parameters", "パラメータ一覧"},
        {"产品类型", "产品类型", "Product type", "商品分類"},
        {"产品列表", "产品列表", "Products", "商品一覧"},
        {"产品编码", "产品编码", "Product code", "商品コード"},
        {"产品名称", "产品名称", "Product name", "商品名"},
    };
    for (const Param& t : captions)
        seed.insert("TMultiLang", {{"ObjID", rowId(std::string("TMultiLang:") + t.code)},
                                   {"Name", t.name},
                                   {"NameEn", t.en},
                                   {"NameJP", t.jp}});
}

} // namespace

Catalogue seedReference(Seeder& seed, int64_t today)
{
    Catalogue c;
    c.today = today;
    c.company = std::string(ids::DemoOrgan);
    users(seed, c);
    products(seed, c);
    otherParameters(seed, c);
    organisations(seed, c);
    placesAndPeople(seed, c);
    stock(c);
    materials(seed, c);
    texts(seed, c);
    return c;
}

} // namespace corvo::server::schema::demo
