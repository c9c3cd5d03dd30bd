#include "../SystemIds.h"
#include "DemoSeed.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace corvo::server::schema::demo {
namespace {

using storage::Value;

constexpr int Months = 6;       ///< the ordinary period, this month included
constexpr int LargeMonths = 24; ///< the large variant's daily reports before it
constexpr int LargeStyles = 1200;

struct Line {
    int product = 0;
    std::vector<int> sizes; ///< quantity per size of the product's type
    int quantity = 0;
    int64_t price = 0; ///< cents
    int64_t cost = 0;  ///< cents
};

struct Totals {
    int quantity = 0;
    int64_t amount = 0;
    int64_t profit = 0;
};

/// A bill or a payment as it enters the partner's account and statement.
struct Entry {
    int64_t date = 0;
    std::string code;
    const char* billType = "";
    int64_t debit = 0;
    int64_t credit = 0;
};

class Documents {
public:
    Documents(Seeder& seed, Catalogue& c)
        : m_seed(seed), m_c(c), m_random(0x5EED0002), m_start(monthStart(c.today, Months - 1))
    {
    }

    void run(int largeLines)
    {
        m_first = largeLines > 0 ? monthStart(m_c.today, Months - 1 + LargeMonths) : m_start;
        if (largeLines > 0) {
            // Its own sequence, so the ordinary period is the same with and without it.
            Random ordinary = m_random;
            m_random = Random(0x5EED0003);
            largeDailyReports(largeLines);
            m_random = ordinary;
        }
        for (int64_t d = m_start; d < m_c.today; ++d) {
            const int index = static_cast<int>(d - m_start);
            for (std::size_t s = 0; s < m_c.stores.size(); ++s)
                dailyReport(d, index, s);
            if (index % 7 == 1 || index % 7 == 4) delivery(d);
            if (index % 7 == 2) purchase(d);
            const int dayOfMonth = civil(d).day;
            if (dayOfMonth % 7 == 3) saleOrder(d);
            if (dayOfMonth % 7 == 5) purchaseOrder(d);
        }
        bills();
        statements(m_c.customers, m_customerEntries, false);
        statements(m_c.suppliers, m_supplierEntries, true);
        openingReceipts();
        stock();
    }

private:
    std::string monthlyCode(const std::string& prefix, int64_t date)
    {
        char seq[16];
        std::snprintf(seq, sizeof seq, "%04d", ++m_sequence[prefix + compactDate(date, false)]);
        return prefix + compactDate(date, false) + "-" + seq;
    }

    static std::string status(const std::string& table, const char* state)
    {
        return paramId("Status" + table + "ID_" + state);
    }

    /// New for the last week's documents (left to verify or change), verified before.
    const char* recentState(int64_t date) const
    {
        return date >= m_c.today - 7 ? "New" : "Verified";
    }

    /// Orders: new this month, verified last month, closed before.
    const char* orderState(int64_t date) const
    {
        const int64_t thisMonth = monthStart(m_c.today, 0);
        if (date >= thisMonth) return "New";
        return date >= monthStart(m_c.today, 1) ? "Verified" : "Closed";
    }

    /// `count` distinct products of `candidates`.
    std::vector<int> pick(std::vector<int> candidates, int count)
    {
        count = std::min<int>(count, static_cast<int>(candidates.size()));
        for (int i = 0; i < count; ++i)
            std::swap(candidates[static_cast<std::size_t>(i)],
                      candidates[static_cast<std::size_t>(
                          m_random.between(i, static_cast<int>(candidates.size()) - 1))]);
        candidates.resize(static_cast<std::size_t>(count));
        return candidates;
    }

    Line line(int product, int sizesTaken, int lo, int hi, int64_t price, int64_t cost)
    {
        const Product& p = m_c.products[static_cast<std::size_t>(product)];
        const int n = static_cast<int>(m_c.types[static_cast<std::size_t>(p.type)].sizes.size());
        Line l{product, std::vector<int>(static_cast<std::size_t>(n)), 0, price, cost};
        for (int k = 0; k < std::min(sizesTaken, n); ++k) {
            // Middle sizes sell most.
            const int at = std::clamp(n / 2 + m_random.between(-n / 3, n / 3), 0, n - 1);
            const int q = m_random.between(lo, hi);
            l.sizes[static_cast<std::size_t>(at)] += q;
            l.quantity += q;
        }
        return l;
    }

    static Totals totals(const std::vector<Line>& lines)
    {
        Totals t;
        for (const Line& l : lines) {
            t.quantity += l.quantity;
            t.amount += l.quantity * l.price;
            t.profit += l.quantity * (l.price - l.cost);
        }
        return t;
    }

    std::vector<int> stockedProducts(int supplier = -1) const
    {
        std::vector<int> out;
        for (std::size_t i = 0; i < m_c.products.size(); ++i) {
            const Product& p = m_c.products[i];
            if (!p.stocked) continue;
            if (supplier >= 0 && m_c.types[static_cast<std::size_t>(p.type)].supplier != supplier)
                continue;
            out.push_back(static_cast<int>(i));
        }
        return out;
    }

    void sizeLines(const std::string& table, const std::string& code, const std::string& parent,
                   const std::vector<Line>& lines, bool sizeRows)
    {
        int n = 0;
        for (const Line& l : lines) {
            const Product& p = m_c.products[static_cast<std::size_t>(l.product)];
            const std::string id = rowId(table + "List:" + code + ":" + std::to_string(++n));
            Record row = {{"ObjID", id}, {"ParentID", parent}, {"TProductID", p.id}};
            for (std::size_t s = 0; s < l.sizes.size(); ++s)
                if (l.sizes[s]) row.push_back({"Size" + std::to_string(s + 1), l.sizes[s]});
            row.push_back({"Quantity", l.quantity});
            row.push_back({"UnitPrice", money(l.price)});
            row.push_back({"InPrice", money(l.cost)});
            row.push_back({"SubTotal", money(l.quantity * l.price)});
            row.push_back({"Profit", money(l.quantity * (l.price - l.cost))});
            m_seed.insert(table + "List", row);
            if (!sizeRows) continue;
            const auto& names = m_c.types[static_cast<std::size_t>(p.type)].sizes;
            for (std::size_t s = 0; s < l.sizes.size(); ++s)
                if (l.sizes[s])
                    m_seed.insert(
                        table + "ListSize",
                        {{"ObjID", rowId(table + "ListSize:" + id + ":" + std::to_string(s + 1))},
                         {"ParentID", id},
                         {"TProductID", p.id},
                         {"SizeNo", static_cast<int>(s + 1)},
                         {"SizeName", names[s]},
                         {"Quantity", l.sizes[s]}});
        }
    }

    struct SizeHeader {
        std::string table;
        std::string code;
        int64_t date = 0;
        std::string kind; ///< other-parameter code of the document's kind
        std::string organ;
        std::string warehouse;
        std::string employee;
        std::string user;
        const char* state = "New";
        bool invalid = false;
        const Partner* customer = nullptr; ///< a sale: sale type and discount
        const char* saleType = "RETAIL";
        int discount = 100;
    };

    void sizeDocument(const SizeHeader& h, const std::vector<Line>& lines, bool sizeRows = true)
    {
        const std::string id = rowId(h.table + ":" + h.code);
        const Totals t = totals(lines);
        const bool sale = h.table == "TStockOut";
        Record r = {{"ObjID", id},
                    {"Code", h.code},
                    {"HappenDate", day(h.date)},
                    {h.table + "TypeID", paramId(h.kind)},
                    {"TOrganID", h.organ},
                    {"TWarehouseID", h.warehouse},
                    {"TEmployeeID", h.employee},
                    {"TotalQuantity", t.quantity},
                    {"TotalAmount", money(t.amount)},
                    {"Status" + h.table + "ID", status(h.table, h.state)},
                    {"TUserID", h.user},
                    {"CreateDate", day(h.date, 0.875)},
                    {"TOwnerID", m_c.company},
                    {"StatusID", std::string(h.invalid ? ids::StatusInvalid : ids::StatusValid)}};
        if (sale) {
            r.push_back({"TSaleTypeID", paramId(std::string("TSaleTypeID_") + h.saleType)});
            r.push_back({"SaleDiscount", h.discount});
            r.push_back({"TotalProfit", money(t.profit)});
        }
        m_seed.insert(h.table, r);
        sizeLines(h.table, h.code, id, lines, sizeRows);
        // Booked as verifying books it: a new or invalid document moves no stock.
        if (h.invalid || std::string(h.state) == "New") return;
        for (const Line& l : lines) {
            const auto key = std::make_pair(h.warehouse, l.product);
            add(m_booked[key], l.sizes, sale ? -1 : 1);
            if (sale) add(m_out[key], l.sizes, 1);
        }
    }

    static void add(std::vector<int>& into, const std::vector<int>& sizes, int sign)
    {
        if (into.size() < sizes.size()) into.resize(sizes.size());
        for (std::size_t s = 0; s < sizes.size(); ++s)
            into[s] += sign * sizes[s];
    }

    /// The stock the catalogue asks for is there after the documents: each warehouse receives,
    /// the day before the first document, that stock and everything it then delivers.
    void openingReceipts()
    {
        std::map<std::string, std::string> keyOf;
        std::vector<std::string> warehouses = {m_c.centralWarehouse};
        keyOf[m_c.centralWarehouse] = "CK01";
        for (const Store& s : m_c.stores) {
            warehouses.push_back(s.warehouse);
            keyOf[s.warehouse] = s.code;
        }
        std::map<std::pair<std::string, int>, std::vector<int>> opening = m_out;
        for (const BaseStock& b : m_c.stock) {
            add(opening[{b.warehouse, b.product}], b.sizes, 1);
            keyOf[b.warehouse] = b.key;
        }
        m_keyOf = keyOf;
        for (const std::string& warehouse : warehouses) {
            std::vector<Line> lines;
            for (const auto& [key, sizes] : opening) {
                if (key.first != warehouse) continue;
                const Product& p = m_c.products[static_cast<std::size_t>(key.second)];
                Line l{key.second, sizes, 0, p.inPrice, 0};
                for (int q : sizes)
                    l.quantity += q;
                if (l.quantity > 0) lines.push_back(std::move(l));
            }
            if (lines.empty()) continue;
            SizeHeader h;
            h.table = "TStockIn";
            h.date = m_first - 1;
            h.code = monthlyCode("RK", h.date);
            h.kind = "TStockInTypeID_OPENING";
            h.organ = m_c.company;
            h.warehouse = warehouse;
            h.employee = m_c.keeper;
            h.user = m_c.users.at("admin");
            h.state = "Verified";
            sizeDocument(h, lines);
        }
    }

    /// What the booked documents leave in each warehouse; a product with nothing left has no row.
    void stock()
    {
        for (const auto& [key, sizes] : m_booked) {
            const Product& p = m_c.products[static_cast<std::size_t>(key.second)];
            Record row = {{"ObjID", rowId("TStock:" + m_keyOf[key.first] + ":" + p.code)},
                          {"TWarehouseID", key.first},
                          {"TProductID", p.id}};
            int total = 0;
            for (std::size_t s = 0; s < sizes.size(); ++s) {
                if (sizes[s]) row.push_back({"Size" + std::to_string(s + 1), sizes[s]});
                total += sizes[s];
            }
            if (total == 0 && std::all_of(sizes.begin(), sizes.end(), [](int q) { return !q; }))
                continue;
            row.push_back({"Quantity", total});
            row.push_back({"TotalAmount", money(total * p.inPrice)});
            row.push_back({"TOwnerID", m_c.company});
            m_seed.insert("TStock", row);
        }
    }

    void dailyReport(int64_t date, int index, std::size_t s)
    {
        const Store& store = m_c.stores[s];
        std::vector<Line> lines;
        for (int product : pick(store.products, m_random.between(3, 8))) {
            const Product& p = m_c.products[static_cast<std::size_t>(product)];
            // Now and then a markdown of ten percent.
            const int64_t price = m_random.below(6) == 0 ? p.price / 1000 * 900 : p.price;
            lines.push_back(line(product, m_random.between(1, 3), 1, 2, price, p.inPrice));
        }
        SizeHeader h;
        h.table = "TStockOut";
        h.code = "RB" + compactDate(date) + "-" + store.code;
        h.date = date;
        h.kind = "TStockOutTypeID_DAILY";
        h.organ = m_c.storeLs; // daily reports are booked to LS; the warehouse tells the store
        h.warehouse = store.warehouse;
        h.employee = store.clerk;
        h.user = store.code == "LS" ? m_c.users.at("clerk") : m_c.users.at("admin");
        h.state = recentState(date);
        h.invalid = (index * 3 + static_cast<int>(s)) % 61 == 0;
        sizeDocument(h, lines);
    }

    void delivery(int64_t date)
    {
        const std::size_t ci = m_deliveries++ % m_c.customers.size();
        const Partner& customer = m_c.customers[ci];
        const int discount = customer.discounts[1];
        std::vector<Line> lines;
        for (int product : pick(stockedProducts(), m_random.between(4, 8))) {
            const Product& p = m_c.products[static_cast<std::size_t>(product)];
            lines.push_back(line(product, m_random.between(2, 4), 3, 10,
                                 p.price * discount / 100 / 100 * 100, p.inPrice));
        }
        SizeHeader h;
        h.table = "TStockOut";
        h.code = monthlyCode("CK", date);
        h.date = date;
        h.kind = "TStockOutTypeID_WHOLESALE";
        h.organ = customer.id;
        h.warehouse = m_c.centralWarehouse;
        h.employee = m_c.keeper;
        h.user = m_c.users.at("admin");
        h.state = recentState(date);
        h.saleType = "WHOLESALE";
        h.discount = discount;
        sizeDocument(h, lines);
        m_customerSales[{ci, monthStart(date, 0)}] += totals(lines).amount;
    }

    void purchase(int64_t date)
    {
        const std::size_t si = m_purchases++ % m_c.suppliers.size();
        std::vector<Line> lines;
        for (int product : pick(stockedProducts(static_cast<int>(si)), m_random.between(4, 10))) {
            const Product& p = m_c.products[static_cast<std::size_t>(product)];
            // Bought at the purchase price; the line's cost stays 0 on purchases.
            lines.push_back(line(product, m_random.between(2, 5), 5, 20, p.inPrice, 0));
        }
        SizeHeader h;
        h.table = "TStockIn";
        h.code = monthlyCode("RK", date);
        h.date = date;
        h.kind = "TStockInTypeID_PURCHASE";
        h.organ = m_c.suppliers[si].id;
        h.warehouse = m_c.centralWarehouse;
        h.employee = m_c.buyer;
        h.user = m_c.users.at("buyer");
        h.state = recentState(date);
        sizeDocument(h, lines);
        m_supplierPurchases[{si, monthStart(date, 0)}] += totals(lines).amount;
    }

    void order(const std::string& table, const std::string& prefix, int64_t date,
               const Partner& partner, const std::vector<int>& candidates, bool sale,
               const std::string& employee)
    {
        const std::string code = monthlyCode(prefix, date);
        const std::string id = rowId(table + ":" + code);
        const int discount = sale ? partner.discounts[1] : 100;
        int quantity = 0;
        int64_t amount = 0;
        int n = 0;
        for (int product : pick(candidates, m_random.between(2, 6))) {
            const Product& p = m_c.products[static_cast<std::size_t>(product)];
            const int q = m_random.between(2, 12) * 5;
            const int64_t price = sale ? p.price * discount / 100 / 100 * 100 : p.inPrice;
            m_seed.insert(table + "List",
                          {{"ObjID", rowId(table + "List:" + code + ":" + std::to_string(++n))},
                           {"ParentID", id},
                           {"TProductID", p.id},
                           {"Quantity", q},
                           {sale ? "UnitPrice" : "InPrice", money(price)},
                           {"SubTotal", money(q * price)}});
            quantity += q;
            amount += q * price;
        }
        Record r = {{"ObjID", id},
                    {"Code", code},
                    {"HappenDate", day(date)},
                    {"DeliveryDate", day(date + 14)},
                    {"TOrganID", partner.id},
                    {"TWarehouseID", m_c.centralWarehouse},
                    {"TEmployeeID", employee},
                    {"TotalQuantity", quantity},
                    {"TotalAmount", money(amount)},
                    {"Status" + table + "ID", status(table, orderState(date))},
                    {"TUserID", m_c.users.at(sale ? "admin" : "buyer")},
                    {"CreateDate", day(date, 0.4)},
                    {"TOwnerID", m_c.company},
                    {"StatusID", std::string(ids::StatusValid)}};
        if (sale) {
            r.push_back({"TSaleTypeID", paramId("TSaleTypeID_WHOLESALE")});
            r.push_back({"SaleDiscount", discount});
        }
        m_seed.insert(table, r);
    }

    void saleOrder(int64_t date)
    {
        const Partner& customer = m_c.customers[m_saleOrders++ % m_c.customers.size()];
        order("TSaleOrder", "XD", date, customer, stockedProducts(), true, m_c.salesman);
    }

    void purchaseOrder(int64_t date)
    {
        const std::size_t si = m_purchaseOrders++ % m_c.suppliers.size();
        order("TPurchaseOrder", "CD", date, m_c.suppliers[si],
              stockedProducts(static_cast<int>(si)), false, m_c.buyer);
    }

    /// One invoice per partner and finished month, paid on the 15th of the next month.
    void bills()
    {
        const int64_t thisMonth = monthStart(m_c.today, 0);
        int monthIndex = 0;
        for (int64_t month = m_start; month < thisMonth; month = monthStart(month, -1)) {
            ++monthIndex;
            const int64_t invoiceDate = monthStart(month, -1) - 1;
            const int64_t payDate = monthStart(month, -1) + 14;
            const char* invoiceState = invoiceDate >= monthStart(m_c.today, 1) ? "New" : "Verified";
            for (std::size_t i = 0; i < m_c.suppliers.size(); ++i)
                bill(true, i, monthIndex, m_supplierPurchases[{i, month}], invoiceDate, payDate,
                     invoiceState);
            for (std::size_t i = 0; i < m_c.customers.size(); ++i)
                bill(false, i, monthIndex, m_customerSales[{i, month}], invoiceDate, payDate,
                     invoiceState);
        }
    }

    void bill(bool supplier, std::size_t partnerIndex, int monthIndex, int64_t total,
              int64_t invoiceDate, int64_t payDate, const char* invoiceState)
    {
        if (total <= 0) return;
        const Partner& partner =
            supplier ? m_c.suppliers[partnerIndex] : m_c.customers[partnerIndex];
        const std::string invoiceTable = supplier ? "TPurchaseInvoice" : "TSaleInvoice";
        const std::string invoiceCode = monthlyCode(supplier ? "JF" : "XF", invoiceDate);
        char invoiceNo[16];
        std::snprintf(invoiceNo, sizeof invoiceNo, "%08d",
                      (supplier ? 31000000 : 44000000) + monthIndex * 100 +
                          static_cast<int>(partnerIndex));
        const int64_t amount = static_cast<int64_t>(std::llround(total / 1.13));
        m_seed.insert(invoiceTable,
                      {{"ObjID", rowId(invoiceTable + ":" + invoiceCode)},
                       {"Code", invoiceCode},
                       {"InvoiceNo", invoiceNo},
                       {"HappenDate", day(invoiceDate)},
                       {"TOrganID", partner.id},
                       {"Amount", money(amount)},
                       {"TaxAmount", money(total - amount)},
                       {"TotalAmount", money(total)},
                       {"Remark", "本月货款，含税13%"},
                       {"Status" + invoiceTable + "ID", status(invoiceTable, invoiceState)},
                       {"TUserID", m_c.users.at("admin")},
                       {"CreateDate", day(invoiceDate, 0.6)},
                       {"TOwnerID", m_c.company},
                       {"StatusID", std::string(ids::StatusValid)}});
        account(supplier, partner, invoiceDate, invoiceCode, total,
                supplier ? "供应商发票" : "销售发票");

        if (payDate >= m_c.today) return;
        const std::string payTable = supplier ? "TPaymentOrder" : "TCollectionOrder";
        const std::string payCode = monthlyCode(supplier ? "FK" : "SK", payDate);
        const char* payState = recentState(payDate);
        m_seed.insert(
            payTable,
            {{"ObjID", rowId(payTable + ":" + payCode)},
             {"Code", payCode},
             {"HappenDate", day(payDate)},
             {"TOrganID", partner.id},
             {"TPaymentTypeID", paramId(partnerIndex % 2 && !supplier ? "TPaymentTypeID_CHEQUE"
                                                                      : "TPaymentTypeID_BANK")},
             {"TotalAmount", money(total)},
             {"BankAccount", "6222 0210 0100 " + std::to_string(4711 + partnerIndex)},
             {"Remark", "结算发票" + std::string(invoiceNo)},
             {"Status" + payTable + "ID", status(payTable, payState)},
             {"TUserID", m_c.users.at("admin")},
             {"CreateDate", day(payDate, 0.45)},
             {"TOwnerID", m_c.company},
             {"StatusID", std::string(ids::StatusValid)}});
        // A payment is booked when it is verified; an invoice when it is stored.
        if (std::string(payState) != "New")
            account(supplier, partner, payDate, payCode, -total, supplier ? "付款单" : "收款单");
    }

    /// Receivables belong to the company; payables are kept from the supplier's side.
    void account(bool supplier, const Partner& partner, int64_t date, const std::string& bill,
                 int64_t amount, const char* billType)
    {
        const std::string code = monthlyCode("WL", date);
        m_seed.insert("TAccount", {{"ObjID", rowId("TAccount:" + code)},
                                   {"Code", code},
                                   {"HappenDate", day(date)},
                                   {"TOrganID", supplier ? m_c.company : partner.id},
                                   {"TAccountItemID", paramId("TAccountItemID_GOODS")},
                                   {"TotalAmount", money(amount)},
                                   {"BillCode", bill},
                                   {"Remark", billType},
                                   {"TUserID", m_c.users.at("admin")},
                                   {"CreateDate", day(date, 0.6)},
                                   {"TOwnerID", supplier ? partner.id : m_c.company},
                                   {"StatusID", std::string(ids::StatusValid)}});
        Entry e{date, bill, billType, amount > 0 ? amount : 0, amount < 0 ? -amount : 0};
        (supplier ? m_supplierEntries : m_customerEntries)[partner.id].push_back(e);
    }

    void statements(const std::vector<Partner>& partners,
                    std::map<std::string, std::vector<Entry>>& entries, bool supplier)
    {
        for (const Partner& p : partners) {
            std::vector<Entry>& list = entries[p.id];
            std::stable_sort(list.begin(), list.end(),
                             [](const Entry& a, const Entry& b) { return a.date < b.date; });
            list.insert(list.begin(), Entry{m_start, "", "", 0, 0});
            int64_t balance = 0;
            for (std::size_t n = 0; n < list.size(); ++n) {
                const Entry& e = list[n];
                balance += e.debit - e.credit;
                Record r = {{"ObjID", rowId("TCheckAccount:" + p.code + ":" + std::to_string(n))},
                            {"DispOrder", static_cast<int>(n)},
                            {"HappenDate", day(e.date)},
                            {"TOrganID", supplier ? m_c.company : p.id},
                            {"BillType", n ? e.billType : "期初"},
                            {"Code", e.code},
                            {"Summary", n ? std::string(e.billType) + " " + e.code : "期初余额"},
                            {"DebitAmount", money(e.debit)},
                            {"CreditAmount", money(e.credit)},
                            {"Balance", money(balance)},
                            {"TOwnerID", supplier ? p.id : m_c.company}};
                m_seed.insert("TCheckAccount", r);
            }
        }
    }

    /// Extra styles and, before the ordinary period, daily reports with as many distinct
    /// styles as it takes to reach `target` lines. Their sizes stay on the lines.
    void largeDailyReports(int target)
    {
        const int64_t first = monthStart(m_c.today, Months - 1 + LargeMonths);
        const int64_t reports = (m_start - first) * static_cast<int64_t>(m_c.stores.size());
        const int perReport = static_cast<int>((target + reports - 1) / reports);
        const int styles = std::max(LargeStyles, perReport + 1);
        std::vector<int> extra;
        for (int i = 0; i < styles; ++i) {
            const int type = i % static_cast<int>(m_c.types.size());
            const ProductType& t = m_c.types[static_cast<std::size_t>(type)];
            char code[16];
            std::snprintf(code, sizeof code, "DK-%04d", i + 1);
            char number[16];
            std::snprintf(number, sizeof number, "%04d", i + 1);
            Product p{rowId(std::string("TProduct:") + code),
                      code,
                      t.name + "新款" + number,
                      type,
                      int64_t{m_random.between(9, 99)} * 1000 + 900,
                      0,
                      false};
            p.inPrice = p.price * 45 / 100 / 100 * 100;
            m_seed.insert("TProduct", {{"ObjID", p.id},
                                       {"Code", p.code},
                                       {"Name", p.name},
                                       {"HelpIndex", t.code + "XK" + number},
                                       {"TProductTypeID", t.id},
                                       {"UnitPrice", money(p.price)},
                                       {"InPrice", money(p.inPrice)},
                                       {"MinPrice", money(p.price * 8 / 10)},
                                       {"TOwnerID", m_c.company},
                                       {"StatusID", std::string(ids::StatusValid)}});
            extra.push_back(static_cast<int>(m_c.products.size()));
            m_c.products.push_back(p);
        }
        int left = target;
        for (int64_t d = first; d < m_start && left > 0; ++d)
            for (std::size_t s = 0; s < m_c.stores.size() && left > 0; ++s) {
                const int count = std::min(perReport, left);
                left -= count;
                const std::size_t offset = static_cast<std::size_t>(m_random.below(styles));
                std::vector<Line> lines;
                for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
                    const int product = extra[(offset + k) % extra.size()];
                    const Product& p = m_c.products[static_cast<std::size_t>(product)];
                    lines.push_back(line(product, 1, 1, 2, p.price, p.inPrice));
                }
                SizeHeader h;
                h.table = "TStockOut";
                h.code = "RB" + compactDate(d) + "-" + m_c.stores[s].code;
                h.date = d;
                h.kind = "TStockOutTypeID_DAILY";
                h.organ = m_c.storeLs;
                h.warehouse = m_c.stores[s].warehouse;
                h.employee = m_c.stores[s].clerk;
                h.user = m_c.users.at("admin");
                h.state = "Closed";
                sizeDocument(h, lines, false);
            }
    }

    Seeder& m_seed;
    Catalogue& m_c;
    Random m_random;
    int64_t m_start;     ///< first day of the ordinary period
    int64_t m_first = 0; ///< first day of any document but the opening receipts
    std::map<std::string, int> m_sequence;
    std::size_t m_deliveries = 0;
    std::size_t m_purchases = 0;
    std::size_t m_saleOrders = 0;
    std::size_t m_purchaseOrders = 0;
    std::map<std::pair<std::size_t, int64_t>, int64_t> m_customerSales;
    std::map<std::pair<std::size_t, int64_t>, int64_t> m_supplierPurchases;
    std::map<std::string, std::vector<Entry>> m_customerEntries;
    std::map<std::string, std::vector<Entry>> m_supplierEntries;
    /// Per warehouse and product: the booked movement per size, and what was delivered.
    std::map<std::pair<std::string, int>, std::vector<int>> m_booked;
    std::map<std::pair<std::string, int>, std::vector<int>> m_out;
    std::map<std::string, std::string> m_keyOf; ///< warehouse → its key in stock ObjIDs
};

} // namespace

void seedDocuments(Seeder& seed, Catalogue& catalogue, int largeLines)
{
    Documents(seed, catalogue).run(largeLines);
}

} // namespace corvo::server::schema::demo
