// Every module of the demo company whose form reads through the query server, driven as that
// form drives it: the clause set the client builds from the login's dictionary in the form's
// page mode, the form's own "where" rows, the form's method. The rows that come back must be
// the ones the form asked for, on each backend.
#include "ServerProcess.h"
#include "entity/DateTime.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;

// The valid status as the invalidate forms carry it, fixed in the client.
constexpr const char* FixedValid = "{A1A975D8-603E-476B-90A1-A44B77E20346}";

enum class Backend { Sqlite, Postgres };

/// What every returned row must satisfy once a "where" row was sent.
enum class Holds { Nothing, Equal, Between, AtLeast };

/// One clause as the form adds it. <T> stands for the table, <name> and <kind:code> for values
/// looked up at run time (Lookups::resolve). A row without text sends nothing and only checks.
struct Where {
    std::string kind = "where";
    std::string text;
    Holds holds = Holds::Nothing;
    std::string field;
    std::string low;
    std::string high;
    /// Sent only when the table has a query condition on this column (the collated presets).
    std::string ifCondition;
};

using Wheres = std::vector<Where>;

Wheres operator+(Wheres a, const Wheres& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// A "where" row and what it asks of every returned row.
Where clause(std::string text, Holds holds = Holds::Nothing, std::string field = {},
             std::string low = {}, std::string high = {})
{
    Where w;
    w.text = std::move(text);
    w.holds = holds;
    w.field = std::move(field);
    w.low = std::move(low);
    w.high = std::move(high);
    return w;
}

// A ticked condition control: "(" + T + "." + condition + ")".
Where ticked(const std::string& field, const std::string& value)
{
    return clause("(<T>." + field + " = '" + value + "')", Holds::Equal, field, value);
}

Where dateRange(const std::string& low, const std::string& high)
{
    return clause("(<T>.HappenDate  between '" + low + "' and '" + high + "')", Holds::Between,
                  "HappenDate", low, high);
}

// A condition the status forms write themselves, without parentheses.
Where statusIs(const std::string& field, const std::string& value)
{
    return clause("<T>." + field + " = '" + value + "'", Holds::Equal, field, value);
}

Where expectEqual(const std::string& field, const std::string& value)
{
    Where w = clause("", Holds::Equal, field, value);
    w.kind.clear();
    return w;
}

Where sumBy(const std::string& field)
{
    Where w = clause(field);
    w.kind = "sum";
    return w;
}

// The collated forms' owner clause, its two comparisons spelt differently.
Where ownerClause()
{
    return clause(std::string("((<T>.TOwnerID='<owner>')or(<T>.TOwnerID = '") +
                  std::string(EmptyGuidText) + "'))");
}

const std::string Valid = "<other:StatusID_Valid>";

// The collated forms tick the StatusID condition on valid where the table has one.
Where presetValid()
{
    Where w = ticked("StatusID", Valid);
    w.ifCondition = "StatusID";
    return w;
}

Wheres collated()
{
    return {presetValid(), ownerClause()};
}

// TFrmSimpleUpdate and TFrmVerify: the StatusID condition disabled, valid documents only.
Wheres simpleStatus()
{
    return {ownerClause(), statusIs("StatusID", Valid)};
}

Wheres invalidate()
{
    return simpleStatus() + Wheres{statusIs("StatusID", FixedValid)};
}

Wheres collatedMD()
{
    return collated() + Wheres{statusIs("StatusID", Valid)};
}

Wheres verifyMD(const std::string& table)
{
    const std::string status = "Status" + table + "ID";
    return collatedMD() + Wheres{statusIs(status, "<other:" + status + "_New>")};
}

Wheres invalidateMD()
{
    return collatedMD() + Wheres{statusIs("StatusID", FixedValid)};
}

// The master/detail update list: valid documents of this month.
Wheres updateMD()
{
    return {statusIs("StatusID", Valid),
            clause("<T>.HappenDate between '<monthStart>' and '<monthEnd>'", Holds::Between,
                   "HappenDate", "<monthStart>", "<monthEnd>")};
}

// The size documents' first status: the other parameter of the table's status type with
// DispOrder 1.
Where firstStatus(const std::string& table)
{
    const std::string status = "Status" + table + "ID";
    return statusIs(status, "<first:" + status + ">");
}

// The size documents' look-back window from "Set.dll" (six months).
Where queryWindow()
{
    return clause("(<T>.HappenDate >= '<window>')", Holds::AtLeast, "HappenDate", "<window>");
}

Wheres sizeQuery(const std::string& from, bool dailyReport)
{
    // The daily-report relabelling makes StatusID a condition, which the presets tick.
    return {dateRange(from, "<today>"), dailyReport ? ticked("StatusID", Valid) : presetValid(),
            queryWindow()};
}

Wheres verifySize(const std::string& table, const std::string& from)
{
    return {dateRange(from, "<today>"),  presetValid(),      ownerClause(),
            statusIs("StatusID", Valid), firstStatus(table), queryWindow()};
}

Wheres invalidateSize(const std::string& table, const std::string& from)
{
    return verifySize(table, from) + Wheres{statusIs("StatusID", FixedValid)};
}

// The bill queries: the first partner of the list and the last month, both locked; no owner
// clause.
Wheres billQuery(const std::string& partner)
{
    return {dateRange("<monthAgo>", "<today>"), ticked("TOrganID", "<organ:" + partner + ">"),
            presetValid()};
}

// A partner-side module (TypeNo 2): the TOrganID condition left out, the company as the
// partner's partner, the partner in the packet's TOwnerID.
Wheres partnerSideBills(const std::string& partner)
{
    return {dateRange("<monthAgo>", "<today>"), ticked("TOrganID", "<owner>"),
            expectEqual("TOwnerID", "<organ:" + partner + ">")};
}

// The stock query: the first warehouse preset.
Wheres stockQuery(const std::string& warehouse)
{
    return {ticked("TWarehouseID", "<warehouse:" + warehouse + ">"), ownerClause()};
}

// The sales summary grouped by store: the date condition from yesterday, valid documents.
Wheres salesSummary()
{
    return {dateRange("<yesterday>", "<today>"), sumBy("TWarehouseID"), ownerClause(),
            statusIs("StatusID", Valid)};
}

Wheres stockedProducts(const std::string& warehouse)
{
    return {clause("(TProduct.ObjID in (select TProductID from TStock where TWarehouseID = "
                   "'<warehouse:" +
                   warehouse + ">'))")};
}

/// A cross-check a case adds to the per-row checks.
enum class Also { Nothing, SummaryMatchesRows, SizeSummaryMatchesLines, PagesFollowOn, InStock };

struct ModuleCase {
    const char* tag;
    const char* module; ///< the module's Name in the module table
    const char* form;
    const char* table;
    int method;
    const char* pageMode;
    Wheres where;
    Also also = Also::Nothing;
    /// The packet's TOwnerID when a partner-side module sends the partner there.
    std::string packetOwner = "<owner>";
    /// The demo company holds rows for the query from this day of the month on.
    int rowsFromDay = 1;
    /// A known server fault: the case is skipped until the server is mended.
    const char* knownFault = nullptr;
};

void PrintTo(const ModuleCase& c, std::ostream* os)
{
    *os << c.module << " (" << c.form << " on " << c.table << ")";
}

constexpr int M1 = app::query::SingleTable;
constexpr int M3 = app::query::MasterDetail;
constexpr int M4 = app::query::Summary;
constexpr int M5 = app::query::SizeSummary;
// The update forms query without a paging step: no page mode, so no order and no limit.
constexpr const char* NoPaging = "";
constexpr const char* All = "AllPage";
constexpr const char* First = "FirstPage";

const std::vector<ModuleCase>& moduleCases()
{
    static const std::vector<ModuleCase> cases = {
        {"ProductUpdate", "修改商品", "TFrmUpdate", "TProduct", M1, NoPaging, {}},
        {"ProductQuery", "查询商品", "TFrmQueryCollate", "TProduct", M1, All, collated()},
        {"ProductInvalidate", "作废商品", "TFrmInvalidate", "TProduct", M1, All, invalidate()},
        {"OrganUpdate", "修改机构", "TFrmUpdate", "TOrgan", M1, NoPaging, {}},
        {"OrganQuery", "查询机构", "TFrmQueryCollate", "TOrgan", M1, All, collated()},
        {"WarehouseUpdate", "修改仓库", "TFrmUpdate", "TWarehouse", M1, NoPaging, {}},
        {"WarehouseQuery", "查询仓库", "TFrmQueryCollate", "TWarehouse", M1, All, collated()},
        {"EmployeeUpdate", "修改员工", "TFrmUpdate", "TEmployee", M1, NoPaging, {}},
        {"EmployeeQuery", "查询员工", "TFrmQueryCollate", "TEmployee", M1, All, collated()},
        {"MaterialUpdate", "修改物料", "TFrmUpdate", "TMaterial", M1, NoPaging, {}},
        {"MaterialQuery", "查询物料", "TFrmQueryCollate", "TMaterial", M1, All, collated()},
        {"MaterialInvalidate", "作废物料", "TFrmInvalidate", "TMaterial", M1, All, invalidate()},
        {"OrganLinkUpdate", "修改机构往来", "TFrmUpdate", "TOrganLink", M1, NoPaging, {}},
        {"OrganLinkQuery", "查询机构往来", "TFrmQueryOrganLink", "TOrganLink", M1, All, collated()},
        // The entry forms of stock-out documents offer the products stocked in the warehouse.
        {"DailyReportStockedProducts", "新增销售日报", "TFrmInsertSize", "TProduct", M1, All,
         stockedProducts("CK02"), Also::InStock},
        {"DailyReportUpdate", "修改销售日报", "TFrmUpdateSize", "TStockOut", M3, NoPaging,
         updateMD() + Wheres{firstStatus("TStockOut")}, Also::Nothing, "<owner>", 2},
        {"DailyReportQuery", "查询销售日报", "TFrmQuerySize", "TStockOut", M3, First,
         sizeQuery("<yesterday>", true)},
        {"DailyReportVerify", "审核销售日报", "TFrmVerifySize", "TStockOut", M3, First,
         verifySize("TStockOut", "<yesterday>")},
        {"DailyReportInvalidate", "作废销售日报", "TFrmInvalidateSize", "TStockOut", M3, First,
         invalidateSize("TStockOut", "<yesterday>")},
        {"DeliveryStockedProducts", "新增销售出库", "TFrmInsertSize", "TProduct", M1, All,
         stockedProducts("CK01"), Also::InStock},
        {"DeliveryUpdate", "修改销售出库", "TFrmUpdateSize", "TStockOut", M3, NoPaging,
         updateMD() + Wheres{firstStatus("TStockOut")}, Also::Nothing, "<owner>", 2},
        {"DeliveryQuery", "查询销售出库", "TFrmQuerySize", "TStockOut", M3, First,
         sizeQuery("<yesterday>", false)},
        {"DeliveryVerify", "审核销售出库", "TFrmVerifySize", "TStockOut", M3, First,
         verifySize("TStockOut", "<yesterday>")},
        {"DeliveryInvalidate", "作废销售出库", "TFrmInvalidateSize", "TStockOut", M3, First,
         invalidateSize("TStockOut", "<yesterday>")},
        {"SaleOrderUpdate", "修改销售订单", "TFrmUpdateMD", "TSaleOrder", M3, NoPaging, updateMD(),
         Also::Nothing, "<owner>", 4},
        {"SaleOrderQuery", "查询销售订单", "TFrmQueryMDCollate", "TSaleOrder", M3, First,
         collated(), Also::PagesFollowOn},
        {"SaleOrderVerify", "审核销售订单", "TFrmVerifyMD", "TSaleOrder", M3, First,
         verifyMD("TSaleOrder"), Also::Nothing, "<owner>", 4},
        {"SaleOrderInvalidate", "作废销售订单", "TFrmInvalidateMD", "TSaleOrder", M3, First,
         invalidateMD()},
        {"SaleInvoiceQuery", "查询销售发票", "TFrmQueryBill", "TSaleInvoice", M1, All,
         billQuery("KH001")},
        {"SaleInvoiceInvalidate", "作废销售发票", "TFrmInvalidate", "TSaleInvoice", M1, All,
         invalidate()},
        {"CollectionVerify", "审核收款单", "TFrmVerify", "TCollectionOrder", M1, All,
         simpleStatus()},
        {"CollectionQuery", "查询收款单", "TFrmQueryBill", "TCollectionOrder", M1, All,
         billQuery("KH001")},
        {"CollectionInvalidate", "作废收款单", "TFrmInvalidate", "TCollectionOrder", M1, All,
         invalidate()},
        {"PurchaseOrderUpdate", "修改采购订单", "TFrmUpdateMD", "TPurchaseOrder", M3, NoPaging,
         updateMD(), Also::Nothing, "<owner>", 6},
        {"PurchaseOrderQuery", "查询采购订单", "TFrmQueryMDCollate", "TPurchaseOrder", M3, First,
         collated()},
        {"PurchaseOrderVerify", "审核采购订单", "TFrmVerifyMD", "TPurchaseOrder", M3, First,
         verifyMD("TPurchaseOrder"), Also::Nothing, "<owner>", 6},
        {"PurchaseOrderInvalidate", "作废采购订单", "TFrmInvalidateMD", "TPurchaseOrder", M3, First,
         invalidateMD()},
        // Receipts come once a week: the user moves the start of the date range a week back.
        {"ReceiptUpdate", "修改采购入库", "TFrmUpdateSize", "TStockIn", M3, NoPaging,
         updateMD() + Wheres{firstStatus("TStockIn")}, Also::Nothing, "<owner>", 8},
        {"ReceiptQuery", "查询采购入库", "TFrmQuerySize", "TStockIn", M3, First,
         sizeQuery("<weekAgo>", false)},
        {"ReceiptVerify", "审核采购入库", "TFrmVerifySize", "TStockIn", M3, First,
         verifySize("TStockIn", "<weekAgo>")},
        {"ReceiptInvalidate", "作废采购入库", "TFrmInvalidateSize", "TStockIn", M3, First,
         invalidateSize("TStockIn", "<weekAgo>")},
        {"SupplierInvoiceQuery", "查询供应商发票", "TFrmQueryBill", "TPurchaseInvoice", M1, All,
         billQuery("GY001")},
        {"SupplierInvoiceInvalidate", "作废供应商发票", "TFrmInvalidate", "TPurchaseInvoice", M1,
         All, invalidate()},
        {"PaymentVerify", "审核付款单", "TFrmVerify", "TPaymentOrder", M1, All, simpleStatus()},
        {"PaymentQuery", "查询付款单", "TFrmQueryBill", "TPaymentOrder", M1, All,
         billQuery("GY001")},
        {"PaymentInvalidate", "作废付款单", "TFrmInvalidate", "TPaymentOrder", M1, All,
         invalidate()},
        {"ReceivableHistory", "历史应收款", "TFrmQueryBill", "TAccount", M1, All,
         billQuery("KH001")},
        {"PayableHistory", "历史应付款", "TFrmQueryBill", "TAccount", M1, All,
         partnerSideBills("GY001"), Also::Nothing, "<organ:GY001>"},
        {"StockQuery", "库存查询", "TFrmQueryStock", "TStock", M1, All, stockQuery("CK01")},
        {"SalesAmountSummary", "销售金额汇总", "TFrmSummary", "TStockOut", M4, All, salesSummary(),
         Also::SummaryMatchesRows},
        {"SalesProductSummary", "销售商品汇总", "TFrmSummarySize", "TStockOut", M5, First,
         Wheres{dateRange("<yesterday>", "<today>"), presetValid(), ownerClause()},
         Also::SizeSummaryMatchesLines},
        {"UserUpdate", "修改用户", "TFrmUpdate", "TUser", M1, NoPaging,
         Wheres{expectEqual("PassWord", "")}},
        {"HelpUpdate", "修改操作手册", "TFrmUpdateHelp", "THelp", M1, NoPaging, {}},
    };
    return cases;
}

struct Ymd {
    int year = 0;
    int month = 0;
    int day = 0;
};

Ymd ymdOf(DateTime d)
{
    const std::string t = d.toDateString();
    return {std::stoi(t.substr(0, 4)), std::stoi(t.substr(5, 2)), std::stoi(t.substr(8, 2))};
}

int daysInMonth(int year, int month)
{
    const DateTime first = *DateTime::fromDate(year, month, 1);
    const DateTime next =
        month == 12 ? *DateTime::fromDate(year + 1, 1, 1) : *DateTime::fromDate(year, month + 1, 1);
    return static_cast<int>(next.days - first.days);
}

/// The same day `months` months earlier, cut to the length of that month.
std::string monthsBack(Ymd d, int months)
{
    int m = d.year * 12 + (d.month - 1) - months;
    const int year = m / 12;
    const int month = m % 12 + 1;
    return DateTime::fromDate(year, month, std::min(d.day, daysInMonth(year, month)))
        ->toDateString();
}

std::string field(TClientDataSet& rows, std::string_view name)
{
    return rows.FieldByName(name).AsString();
}

/// The values the where rows name, from the login reply and today's date.
class Lookups {
public:
    Lookups(TCustomEntityList& registry, DateTime now) : m_registry(registry)
    {
        const DateTime today{std::floor(now.days)};
        const Ymd t = ymdOf(today);
        m_today = t.day;
        m_values["today"] = today.toDateString();
        m_values["yesterday"] = DateTime{today.days - 1}.toDateString();
        m_values["weekAgo"] = DateTime{today.days - 7}.toDateString();
        m_values["monthAgo"] = monthsBack(t, 1);
        m_values["window"] = monthsBack(t, 6);
        m_values["monthStart"] = DateTime::fromDate(t.year, t.month, 1)->toDateString();
        m_values["monthEnd"] =
            DateTime::fromDate(t.year, t.month, daysInMonth(t.year, t.month))->toDateString();
        TCustomEntity& users = registry.EntityByName("TUser");
        if (!users.FindRecord("Code", "admin")) throw std::runtime_error("no admin in TUser");
        m_values["owner"] = field(users, "TOwnerID");
    }

    int dayOfMonth() const { return m_today; }

    /// The text with <T> and every <name> or <kind:code> replaced.
    std::string resolve(std::string text, const std::string& table)
    {
        std::string out;
        for (std::size_t at = 0;;) {
            const std::size_t open = text.find('<', at);
            if (open == std::string::npos) return out + text.substr(at);
            const std::size_t close = text.find('>', open);
            if (close == std::string::npos) throw std::runtime_error("unclosed <: " + text);
            out += text.substr(at, open - at);
            out += value(text.substr(open + 1, close - open - 1), table);
            at = close + 1;
        }
    }

private:
    std::string value(const std::string& name, const std::string& table)
    {
        if (name == "T") return table;
        const std::size_t colon = name.find(':');
        if (colon == std::string::npos) return m_values.at(name);
        const std::string kind = name.substr(0, colon);
        const std::string code = name.substr(colon + 1);
        if (kind == "first") return firstOfType(code);
        const char* source = kind == "other"       ? "TOtherParam"
                             : kind == "organ"     ? "TOrgan"
                             : kind == "warehouse" ? "TWarehouse"
                                                   : nullptr;
        if (!source) throw std::runtime_error("unknown look-up " + name);
        TCustomEntity& rows = m_registry.EntityByName(source);
        rows.ClearFilter();
        if (!rows.FindRecord("Code", code)) throw std::runtime_error("not in the reply: " + name);
        return field(rows, "ObjID");
    }

    std::string firstOfType(const std::string& type)
    {
        TCustomEntity& params = m_registry.EntityByName("TOtherParam");
        params.ClearFilter();
        for (params.First(); !params.Eof(); params.Next())
            if (field(params, "Type") == type && field(params, "DispOrder") == "1")
                return field(params, "ObjID");
        throw std::runtime_error("no first status of " + type);
    }

    TCustomEntityList& m_registry;
    std::map<std::string, std::string> m_values;
    int m_today = 0;
};

/// A dictionary column of the queried table, as far as the checks need it.
struct Column {
    std::string code;
    bool query = false;
    bool sort = false;
    /// For a joined display column: the column whose value it is shown for.
    std::string joinedKey;
};

std::vector<Column> columnsOf(TCustomEntityList& registry, const std::string& table)
{
    registry.SelectTableFields(table);
    TCustomEntity& f = registry.EntityByName("TDictField");
    std::vector<Column> out;
    for (f.First(); !f.Eof(); f.Next()) {
        Column c{field(f, "Code"), field(f, "IsQuery") == "1", field(f, "IsSort") == "1", ""};
        if (field(f, "IsJoined") == "1" && field(f, "IsOtherParam") == "1") {
            c.joinedKey = field(f, "JoinedTable");
        } else if (field(f, "IsJoined") == "1") {
            std::string alias = field(f, "JoinedTable");
            if (c.code == "TWarehouseInName") alias = "TWarehouseIn";
            if (c.code == "TOwnerName") alias = "TOwner";
            c.joinedKey = alias + "ID";
        }
        out.push_back(std::move(c));
    }
    return out;
}

bool isSet(const std::string& key)
{
    return !key.empty() && key != EmptyGuidText;
}

struct Reply {
    std::unique_ptr<TCustomEntity> masters = std::make_unique<TCustomEntity>();
    std::unique_ptr<TCustomEntity> lines = std::make_unique<TCustomEntity>();
    std::unique_ptr<TCustomEntity> sizes = std::make_unique<TCustomEntity>();
    bool hasLines = false;
    bool hasSizes = false;
};

std::string clauseListing(TSQLAdder& adder)
{
    std::string out;
    for (adder.First(); !adder.Eof(); adder.Next())
        out += "  " + field(adder, "SQLKey") + ": " + gbk::toUtf8(field(adder, "SQLClause")) + "\n";
    return out;
}

struct Served {
    std::string database;
    std::unique_ptr<ServerProcess> server;
};

std::map<Backend, Served>& servers()
{
    static std::map<Backend, Served> s;
    return s;
}

class ModuleQueriesThroughTheServer
    : public ::testing::TestWithParam<std::tuple<Backend, ModuleCase>> {
protected:
    static void TearDownTestSuite() { servers().clear(); }

    void SetUp() override
    {
        const Backend backend = std::get<0>(GetParam());
        if (backend == Backend::Postgres && !postgresAvailable())
            GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        if (const char* fault = std::get<1>(GetParam()).knownFault) GTEST_SKIP() << fault;
        Served& s = servers()[backend];
        if (!s.server) {
            s.database = makeDemoDatabase(backend == Backend::Postgres);
            s.server = std::make_unique<ServerProcess>(s.database);
        }
        conn.setURL(s.server->url());
        LoginPacket login("DEMO", "admin", "admin");
        ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, login));
        registry.LoadDictionary(login);
        registry.LoadOtherEntities(login);
        lookups = std::make_unique<Lookups>(registry, DateTime::now());
    }

    const ModuleCase& theCase() const { return std::get<1>(GetParam()); }

    bool hasCondition(const std::string& table, const std::string& column)
    {
        for (const Column& c : columnsOf(registry, table))
            if (c.code == column) return c.query && c.joinedKey.empty();
        return false;
    }

    /// The form's clause set: BuildQuery over the table's dictionary, then its own rows.
    void buildClauses(TSQLAdder& adder, const ModuleCase& c, const std::string& pageMode,
                      const std::string& nextKey = {}, bool withSum = true)
    {
        const std::string table = c.table;
        registry.SelectTableFields(table);
        adder.BuildQuery(&registry.EntityByName("TDictField"), pageMode, nextKey, "");
        for (const Where& w : c.where) {
            if (w.kind.empty() || (w.kind == "sum" && !withSum)) continue;
            if (!w.ifCondition.empty() && !hasCondition(table, w.ifCondition)) continue;
            adder.AddClause(w.kind, gbk::fromUtf8(lookups->resolve(w.text, table)));
        }
    }

    /// Sends the clause set as the form's query packet by the method; fails the test when the
    /// server refuses it.
    void ask(const ModuleCase& c, int method, TSQLAdder& adder, Reply& reply)
    {
        const std::string table = c.table;
        TParamData packet(paramkind::Data);
        packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
        packet.SetParamValue("TOwnerID", Variant(lookups->resolve(c.packetOwner, table)));
        packet.SetParamData("TMaster", adder.Data());
        if (method == M3 || method == M5)
            packet.SetParamData("TDetailQuery",
                                registry.BuildEntity(table + "List", "TDetailQuery").Data());
        std::string error = "the server answered false";
        bool ok = false;
        try {
            ok = remote::CallServer(conn, app::Query, method, packet);
        } catch (const std::exception& e) {
            error = e.what();
        }
        ASSERT_TRUE(ok) << "method " << method << ": " << error << "\nclauses:\n"
                        << clauseListing(adder);
        reply.masters->SetData(packet.GetParamData("TMaster"));
        reply.hasLines = packet.ParamExists("TDetailQuery");
        if (reply.hasLines) reply.lines->SetData(packet.GetParamData("TDetailQuery"));
        reply.hasSizes = packet.ParamExists("TDetailListQuery");
        if (reply.hasSizes) reply.sizes->SetData(packet.GetParamData("TDetailListQuery"));
        if (method == M3 || method == M5) {
            EXPECT_TRUE(packet.ParamExists("TDetail")) << "the client takes the lines by it";
        }
    }

    /// Every row satisfies what the where rows ask; a summary checks only the columns it kept.
    void expectRowsSatisfy(const ModuleCase& c, TCustomEntity& rows, bool summary)
    {
        for (const Where& w : c.where) {
            if (w.holds == Holds::Nothing) continue;
            if (!w.ifCondition.empty() && !hasCondition(c.table, w.ifCondition)) continue;
            if (rows.FieldIndexOf(w.field) < 0) {
                EXPECT_TRUE(summary) << "no column " << w.field;
                continue;
            }
            const std::string low = lookups->resolve(w.low, c.table);
            const std::string high = lookups->resolve(w.high, c.table);
            int wrong = 0;
            std::string example;
            for (rows.First(); !rows.Eof(); rows.Next()) {
                const std::string v = field(rows, w.field);
                bool ok = true;
                if (w.holds == Holds::Equal) {
                    ok = v == low;
                } else {
                    const double day = rows.FieldByName(w.field).AsDateTime().days;
                    ok = day >= DateTime::parse(low)->days &&
                         (w.holds == Holds::AtLeast || day <= DateTime::parse(high)->days);
                }
                if (!ok && wrong++ == 0) example = v;
            }
            EXPECT_EQ(wrong, 0) << w.field << " should be " << (w.text.empty() ? low : w.text)
                                << "; e.g. " << example;
        }
    }

    /// The company's rows only, unless the partner's own rows were asked for.
    void expectOwnRows(const ModuleCase& c, TCustomEntity& rows)
    {
        if (rows.FieldIndexOf("TOwnerID") < 0 || c.packetOwner != "<owner>") return;
        const std::string owner = lookups->resolve("<owner>", c.table);
        std::set<std::string> others;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            const std::string v = field(rows, "TOwnerID");
            if (v != owner && isSet(v)) others.insert(v);
        }
        EXPECT_TRUE(others.empty()) << "rows of another company, e.g. " << *others.begin();
    }

    /// Display columns joined through a key are filled wherever the key is set.
    void expectJoinedFilled(const std::string& table, TCustomEntity& rows, bool allColumns)
    {
        for (const Column& col : columnsOf(registry, table)) {
            if (rows.FieldIndexOf(col.code) < 0) {
                EXPECT_FALSE(allColumns) << table << " reply lacks " << col.code;
                continue;
            }
            if (col.joinedKey.empty() || rows.FieldIndexOf(col.joinedKey) < 0) continue;
            int empty = 0;
            std::string example;
            for (rows.First(); !rows.Eof(); rows.Next()) {
                const std::string key = field(rows, col.joinedKey);
                if (isSet(key) && field(rows, col.code).empty() && empty++ == 0) example = key;
            }
            EXPECT_EQ(empty, 0) << table << "." << col.code << " empty for " << col.joinedKey
                                << " = " << example;
        }
    }

    /// Lines belong to the returned masters, size rows to the returned lines.
    void expectDetailsBelong(const ModuleCase& c, Reply& r)
    {
        ASSERT_TRUE(r.hasLines);
        const std::string lines = std::string(c.table) + "List";
        if (!r.masters->IsEmpty()) {
            EXPECT_FALSE(r.lines->IsEmpty()) << "documents without lines";
        }
        std::set<std::string> masters, lineIds;
        for (r.masters->First(); !r.masters->Eof(); r.masters->Next())
            masters.insert(field(*r.masters, "ObjID"));
        for (r.lines->First(); !r.lines->Eof(); r.lines->Next()) {
            EXPECT_TRUE(masters.contains(field(*r.lines, "ParentID")))
                << "a line of another document: " << field(*r.lines, "ParentID");
            lineIds.insert(field(*r.lines, "ObjID"));
        }
        expectJoinedFilled(lines, *r.lines, true);
        const bool sized = registry.EntityByName("TDictTable").FindRecord("Code", lines + "Size");
        EXPECT_EQ(r.hasSizes, sized) << "size rows come exactly for size documents";
        if (!r.hasSizes) return;
        if (!r.lines->IsEmpty()) {
            EXPECT_FALSE(r.sizes->IsEmpty()) << "lines without sizes";
        }
        expectJoinedFilled(lines + "Size", *r.sizes, true);
        for (r.sizes->First(); !r.sizes->Eof(); r.sizes->Next())
            EXPECT_TRUE(lineIds.contains(field(*r.sizes, "ParentID")))
                << "a size row of another line: " << field(*r.sizes, "ParentID");
    }

    void summaryMatchesRows(const ModuleCase& c, TCustomEntity& groups);
    void sizeSummaryMatchesLines(const ModuleCase& c, Reply& summed);
    void pagesFollowOn(const ModuleCase& c, TCustomEntity& firstPage);
    void inStock(const ModuleCase& c, TCustomEntity& products);

    remote::TIntellegentWebconn conn{"ModuleQuery"};
    TCustomEntityList registry;
    std::unique_ptr<Lookups> lookups;
};

std::set<std::string> valuesOf(TCustomEntity& rows, std::string_view column)
{
    std::set<std::string> out;
    for (rows.First(); !rows.Eof(); rows.Next())
        out.insert(field(rows, column));
    return out;
}

// Each group's sums are those of the plain rows of that group.
void ModuleQueriesThroughTheServer::summaryMatchesRows(const ModuleCase& c, TCustomEntity& groups)
{
    std::string by;
    for (const Where& w : c.where)
        if (w.kind == "sum") by = w.text;
    TSQLAdder adder;
    buildClauses(adder, c, All, {}, false);
    Reply plain;
    ASSERT_NO_FATAL_FAILURE(ask(c, M1, adder, plain));
    TCustomEntity& rows = *plain.masters;
    expectRowsSatisfy(c, rows, false);
    EXPECT_EQ(valuesOf(groups, by), valuesOf(rows, by));
    for (groups.First(); !groups.Eof(); groups.Next()) {
        const std::string group = field(groups, by);
        for (const char* amount : {"TotalQuantity", "TotalAmount", "TotalProfit"}) {
            double sum = 0;
            for (rows.First(); !rows.Eof(); rows.Next())
                if (field(rows, by) == group) sum += rows.FieldByName(amount).AsFloat();
            EXPECT_NEAR(groups.FieldByName(amount).AsFloat(), sum, 0.005)
                << amount << " of " << by << " = " << group;
        }
    }
}

// Per product and per size, the summary holds the sums of the plain lines of the same masters.
void ModuleQueriesThroughTheServer::sizeSummaryMatchesLines(const ModuleCase& c, Reply& summed)
{
    TSQLAdder adder;
    buildClauses(adder, c, c.pageMode);
    Reply plain;
    ASSERT_NO_FATAL_FAILURE(ask(c, M3, adder, plain));
    ASSERT_TRUE(summed.hasSizes && plain.hasSizes);
    EXPECT_EQ(valuesOf(*summed.masters, "ObjID"), valuesOf(*plain.masters, "ObjID"));

    auto perProduct = [](Reply& r, std::map<std::string, double>& quantity,
                         std::map<std::string, double>& amount,
                         std::map<std::string, double>& perSize) {
        std::map<std::string, std::string> productOfLine;
        for (r.lines->First(); !r.lines->Eof(); r.lines->Next()) {
            const std::string product = field(*r.lines, "TProductID");
            productOfLine[field(*r.lines, "ObjID")] = product;
            quantity[product] += r.lines->FieldByName("Quantity").AsFloat();
            amount[product] += r.lines->FieldByName("SubTotal").AsFloat();
        }
        for (r.sizes->First(); !r.sizes->Eof(); r.sizes->Next())
            perSize[productOfLine[field(*r.sizes, "ParentID")] + " size " +
                    field(*r.sizes, "SizeNo")] += r.sizes->FieldByName("Quantity").AsFloat();
    };
    std::map<std::string, double> q1, a1, s1, q2, a2, s2;
    perProduct(summed, q1, a1, s1);
    perProduct(plain, q2, a2, s2);
    EXPECT_EQ(summed.lines->RecordCount(), static_cast<int>(q1.size())) << "one line a product";
    EXPECT_EQ(q1, q2);
    EXPECT_EQ(s1, s2);
    ASSERT_EQ(a1.size(), a2.size());
    for (const auto& [product, amount] : a2)
        EXPECT_NEAR(a1[product], amount, 0.005) << "SubTotal of " << product;
}

// The first page holds the first rows in key order; the next page, asked with the last key,
// the rows that follow, as the whole result shows them.
void ModuleQueriesThroughTheServer::pagesFollowOn(const ModuleCase& c, TCustomEntity& firstPage)
{
    std::string key;
    for (const Column& col : columnsOf(registry, c.table))
        if (key.empty() && col.sort) key = col.code;
    ASSERT_FALSE(key.empty()) << c.table << " has no sort column";
    TSQLAdder allAdder;
    buildClauses(allAdder, c, All);
    Reply all;
    ASSERT_NO_FATAL_FAILURE(ask(c, M3, allAdder, all));
    std::vector<std::string> every;
    for (all.masters->First(); !all.masters->Eof(); all.masters->Next())
        every.push_back(field(*all.masters, key));
    const auto page = static_cast<std::ptrdiff_t>(QueryPageSize);
    ASSERT_GT(std::ssize(every), page) << "enough rows for a second page";
    EXPECT_TRUE(std::is_sorted(every.begin(), every.end()));

    std::vector<std::string> first;
    for (firstPage.First(); !firstPage.Eof(); firstPage.Next())
        first.push_back(field(firstPage, key));
    ASSERT_EQ(first, std::vector<std::string>(every.begin(), every.begin() + page));

    TSQLAdder nextAdder;
    buildClauses(nextAdder, c, "NextPage", first.back());
    Reply next;
    ASSERT_NO_FATAL_FAILURE(ask(c, M3, nextAdder, next));
    std::vector<std::string> second;
    for (next.masters->First(); !next.masters->Eof(); next.masters->Next())
        second.push_back(field(*next.masters, key));
    const auto end = every.begin() + std::min(std::ssize(every), 2 * page);
    EXPECT_EQ(second, std::vector<std::string>(every.begin() + page, end));
    ASSERT_NO_FATAL_FAILURE(expectDetailsBelong(c, next));
}

// The products offered are exactly those with stock rows in the warehouse.
void ModuleQueriesThroughTheServer::inStock(const ModuleCase& c, TCustomEntity& products)
{
    std::string warehouse;
    for (const Where& w : c.where) {
        const std::size_t at = w.text.find("<warehouse:");
        if (at != std::string::npos)
            warehouse = lookups->resolve(w.text.substr(at, w.text.find('>', at) - at + 1), "");
    }
    ASSERT_FALSE(warehouse.empty());
    ModuleCase stock{
        c.tag, c.module, c.form, "TStock", M1, All, Wheres{ticked("TWarehouseID", warehouse)}};
    TSQLAdder adder;
    buildClauses(adder, stock, All);
    Reply stocked;
    ASSERT_NO_FATAL_FAILURE(ask(stock, M1, adder, stocked));
    ASSERT_FALSE(stocked.masters->IsEmpty());
    EXPECT_EQ(valuesOf(products, "ObjID"), valuesOf(*stocked.masters, "TProductID"));
}

TEST_P(ModuleQueriesThroughTheServer, ReturnsTheRowsItsFormAskedFor)
{
    const ModuleCase& c = theCase();
    const bool md = c.method == M3 || c.method == M5;
    TSQLAdder adder;
    buildClauses(adder, c, c.pageMode);
    Reply reply;
    ASSERT_NO_FATAL_FAILURE(ask(c, c.method, adder, reply));
    TCustomEntity& rows = *reply.masters;

    if (lookups->dayOfMonth() >= c.rowsFromDay) {
        EXPECT_FALSE(rows.IsEmpty()) << "no rows; clauses:\n" << clauseListing(adder);
    }
    if (std::string_view(c.pageMode) == First) {
        EXPECT_LE(rows.RecordCount(), QueryPageSize);
    }
    expectRowsSatisfy(c, rows, c.method == M4);
    expectOwnRows(c, rows);
    expectJoinedFilled(c.table, rows, c.method != M4);
    if (md) {
        ASSERT_NO_FATAL_FAILURE(expectDetailsBelong(c, reply));
    }

    switch (c.also) {
    case Also::SummaryMatchesRows:
        summaryMatchesRows(c, rows);
        break;
    case Also::SizeSummaryMatchesLines:
        sizeSummaryMatchesLines(c, reply);
        break;
    case Also::PagesFollowOn:
        pagesFollowOn(c, rows);
        break;
    case Also::InStock:
        inStock(c, rows);
        break;
    case Also::Nothing:
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(ModuleQuery, ModuleQueriesThroughTheServer,
                         ::testing::Combine(::testing::Values(Backend::Sqlite, Backend::Postgres),
                                            ::testing::ValuesIn(moduleCases())),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == Backend::Sqlite
                                                    ? "Sqlite_"
                                                    : "Postgres_") +
                                    std::get<1>(info.param).tag;
                         });

} // namespace
} // namespace corvo::server::test
