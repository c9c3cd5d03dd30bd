#include "StockPostings.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "server/schema/TableLayout.h"
#include "server/schema/TableWriter.h"

#include <array>
#include <map>
#include <set>

namespace corvo::server {
namespace {

using storage::Value;

constexpr int MaxSizes = 20;

struct Movement {
    int64_t quantity = 0;
    std::array<int64_t, MaxSizes> sizes{};

    bool empty() const
    {
        if (quantity != 0) return false;
        for (int64_t s : sizes)
            if (s != 0) return false;
        return true;
    }
};

std::string quoted(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

std::string sizeColumn(int n)
{
    return "Size" + std::to_string(n + 1);
}

/// The size columns the table has, by position (0 for Size1).
std::vector<int> sizeColumns(const schema::TableLayout& layout)
{
    std::vector<int> out;
    for (int n = 0; n < MaxSizes; ++n) {
        const int at = layout.columnIndex(sizeColumn(n));
        if (at >= 0 && layout.columns()[static_cast<std::size_t>(at)].stored()) out.push_back(n);
    }
    return out;
}

/// The document's lines summed per product, sizes from the size rows where a line has them.
std::map<std::string, Movement> movementsOf(PostingScope& scope, const std::string& document,
                                            const std::string& objId)
{
    const schema::Dictionary& dict = scope.dictionary;
    const schema::DictTable* linesTable = dict.findTable(document + "List");
    if (!linesTable) throw Error("表[" + document + "]没有明细表，不能记库存");
    const std::string lines = linesTable->code;
    const std::vector<int> sizes = sizeColumns(*dict.layout(lines));
    std::string select = "SELECT \"ObjID\", \"TProductID\", \"Quantity\"";
    for (int n : sizes)
        select += ", " + quoted(sizeColumn(n));
    const std::vector<Value> parent = {Value(objId)};
    const storage::Rows lineRows =
        scope.tx.query(select + " FROM " + quoted(lines) + " WHERE \"ParentID\" = ?", parent);

    // Size rows override the line's size columns: the third level is what the user entered.
    std::map<std::string, std::array<int64_t, MaxSizes>> sized;
    if (const schema::DictTable* sizeTable = dict.findTable(lines + "Size")) {
        const storage::Rows sizeRows = scope.tx.query(
            "SELECT z.\"ParentID\", z.\"SizeNo\", z.\"Quantity\" FROM " + quoted(sizeTable->code) +
                " z WHERE z.\"ParentID\" IN (SELECT l.\"ObjID\" FROM " + quoted(lines) +
                " l WHERE l.\"ParentID\" = ?)",
            parent);
        for (const auto& row : sizeRows.rows) {
            const int64_t no = row[1].isNull() ? 0 : static_cast<int64_t>(row[1].toDouble());
            if (no < 1 || no > MaxSizes)
                throw Error("尺码序号[" + std::to_string(no) + "]不在1到20之间，请修改单据的尺码");
            sized[stringOf(row[0])][static_cast<std::size_t>(no - 1)] +=
                row[2].isNull() ? 0 : static_cast<int64_t>(row[2].toDouble());
        }
    }

    std::map<std::string, Movement> byProduct;
    for (const auto& row : lineRows.rows) {
        const std::string product = stringOf(row[1]);
        if (product.empty()) continue;
        Movement& m = byProduct[product];
        const auto own = sized.find(stringOf(row[0]));
        int64_t sum = 0;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            const auto n = static_cast<std::size_t>(sizes[k]);
            const int64_t q = own != sized.end()    ? own->second[n]
                              : row[3 + k].isNull() ? 0
                                                    : static_cast<int64_t>(row[3 + k].toDouble());
            m.sizes[n] += q;
            sum += q;
        }
        m.quantity += row[2].isNull() ? sum : static_cast<int64_t>(row[2].toDouble());
    }
    return byProduct;
}

} // namespace

int stockDirection(std::string_view table)
{
    if (gbk::equalsIgnoreCase(table, "TStockIn")) return 1;
    if (gbk::equalsIgnoreCase(table, "TStockOut")) return -1;
    return 0;
}

void postStock(PostingScope& scope, std::string_view table, const std::string& objId, int sign)
{
    const int direction = stockDirection(table) * sign;
    if (direction == 0) return;
    const schema::Dictionary& dict = scope.dictionary;
    const schema::DictTable* docTable = dict.findTable(table);
    if (!docTable) throw Error("表名[" + std::string(table) + "]在表字典中不存在 ！");
    const std::string document = docTable->code;
    const storage::Rows head =
        scope.tx.query("SELECT \"TWarehouseID\", \"TOwnerID\", \"Code\" FROM " + quoted(document) +
                           " WHERE \"ObjID\" = ?",
                       std::vector<Value>{Value(objId)});
    if (head.rows.empty()) throw Error("单据[" + objId + "]不存在");
    const std::string warehouse = stringOf(head.rows[0][0]);
    const std::string owner = stringOf(head.rows[0][1]);
    if (warehouse.empty())
        throw Error("单据“" + stringOf(head.rows[0][2]) + "”没有填写仓库，不能记库存");

    const auto stockLayout = dict.layout("TStock");
    const std::vector<int> sizes = sizeColumns(*stockLayout);
    std::string stockColumns = "\"ObjID\", \"Quantity\"";
    for (int n : sizes)
        stockColumns += ", " + quoted(sizeColumn(n));

    // Products in ObjID order, each locked before its stock is read: two postings of the same
    // products wait for each other instead of deadlocking or adding a second stock row.
    for (const auto& [product, moved] : movementsOf(scope, document, objId)) {
        const storage::Rows price =
            scope.tx.query(std::string("SELECT \"InPrice\" FROM \"TProduct\" WHERE \"ObjID\" = ?") +
                               forUpdate(scope),
                           std::vector<Value>{Value(product)});
        if (price.rows.empty()) throw Error("商品[" + product + "]不存在，不能记库存");
        const int64_t inPrice = centsOf(price.rows[0][0]);

        const storage::Rows stock =
            scope.tx.query("SELECT " + stockColumns +
                               " FROM \"TStock\" WHERE \"TWarehouseID\" = ? AND \"TProductID\" = ? "
                               "AND \"TOwnerID\" = ? ORDER BY \"ObjID\"",
                           std::vector<Value>{Value(warehouse), Value(product), Value(owner)});
        Movement now;
        if (!stock.rows.empty()) {
            const auto& row = stock.rows[0];
            now.quantity = row[1].isNull() ? 0 : static_cast<int64_t>(row[1].toDouble());
            for (std::size_t k = 0; k < sizes.size(); ++k)
                now.sizes[static_cast<std::size_t>(sizes[k])] =
                    row[2 + k].isNull() ? 0 : static_cast<int64_t>(row[2 + k].toDouble());
        }
        now.quantity += direction * moved.quantity;
        for (int n : sizes)
            now.sizes[static_cast<std::size_t>(n)] +=
                direction * moved.sizes[static_cast<std::size_t>(n)];

        const Value amount = Decimal{now.quantity * inPrice, 2};
        auto sizeValue = [&](int n) {
            const int64_t q = now.sizes[static_cast<std::size_t>(n)];
            return q == 0 ? Value() : Value(q);
        };
        if (!stock.rows.empty()) {
            const Value id = stock.rows[0][0];
            if (now.empty()) {
                scope.tx.execute("DELETE FROM \"TStock\" WHERE \"ObjID\" = ?",
                                 std::vector<Value>{id});
                continue;
            }
            std::string set = "\"Quantity\" = ?, \"TotalAmount\" = ?";
            std::vector<Value> params = {Value(now.quantity), amount};
            for (int n : sizes) {
                set += ", " + quoted(sizeColumn(n)) + " = ?";
                params.push_back(sizeValue(n));
            }
            params.push_back(id);
            scope.tx.execute("UPDATE \"TStock\" SET " + set + " WHERE \"ObjID\" = ?", params);
            continue;
        }
        if (now.empty()) continue;
        schema::Record record = {{"ObjID", Guid::create().toString()},
                                 {"TWarehouseID", warehouse},
                                 {"TProductID", product}};
        for (int n : sizes)
            if (!sizeValue(n).isNull()) record.push_back({sizeColumn(n), sizeValue(n)});
        record.push_back({"Quantity", now.quantity});
        record.push_back({"TotalAmount", amount});
        record.push_back({"TOwnerID", owner});
        schema::insertRecord(scope.tx, *stockLayout, record);
    }
}

} // namespace corvo::server
