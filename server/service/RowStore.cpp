#include "RowStore.h"

#include "entity/Error.h"
#include "server/schema/Ddl.h"

#include <algorithm>

namespace corvo::server {

namespace {

using schema::quoteIdentifier;

// Bound values per statement: well below what either backend accepts.
constexpr std::size_t ValuesPerStatement = 900;

std::string marks(std::size_t n)
{
    std::string out = "(";
    for (std::size_t i = 0; i < n; ++i)
        out += i ? ", ?" : "?";
    return out + ")";
}

} // namespace

void insertRows(storage::Transaction& tx, const WrittenRows& rows)
{
    if (rows.rows.empty()) return;
    const schema::TableLayout& layout = *rows.layout;
    std::vector<int> stored;
    std::string columns;
    for (std::size_t i = 0; i < layout.columns().size(); ++i) {
        if (!layout.columns()[i].stored()) continue;
        columns += (stored.empty() ? "" : ", ") + quoteIdentifier(layout.columns()[i].code());
        stored.push_back(static_cast<int>(i));
    }
    const std::string head =
        "INSERT INTO " + quoteIdentifier(rows.table) + " (" + columns + ") VALUES ";
    const std::string one = marks(stored.size());
    const std::size_t perStatement = std::max<std::size_t>(1, ValuesPerStatement / stored.size());
    const storage::Value tableId(layout.table().objId);
    std::string sql;
    std::size_t sqlRows = 0;
    std::vector<storage::Value> params;
    for (std::size_t start = 0; start < rows.rows.size(); start += perStatement) {
        const std::size_t end = std::min(rows.rows.size(), start + perStatement);
        if (end - start != sqlRows) {
            sql = head;
            for (std::size_t r = start; r < end; ++r)
                sql += (r == start ? "" : ", ") + one;
            sqlRows = end - start;
        }
        params.clear();
        for (std::size_t r = start; r < end; ++r) {
            const WrittenRow& row = rows.rows[r];
            for (int at : stored) {
                const auto i = static_cast<std::size_t>(at);
                params.push_back(at == 0          ? tableId
                                 : row.written[i] ? row.values[i]
                                                  : storage::Value());
            }
        }
        tx.execute(sql, params);
    }
}

void updateRows(storage::Transaction& tx, const WrittenRows& rows)
{
    const schema::TableLayout& layout = *rows.layout;
    const int objId = layout.columnIndex("ObjID");
    for (const WrittenRow& row : rows.rows) {
        std::string sets;
        std::vector<storage::Value> params;
        for (std::size_t i = 1; i < layout.columns().size(); ++i) {
            if (!row.written[i] || !layout.columns()[i].stored() || static_cast<int>(i) == objId)
                continue;
            sets +=
                (params.empty() ? "" : ", ") + quoteIdentifier(layout.columns()[i].code()) + " = ?";
            params.push_back(row.values[i]);
        }
        if (params.empty()) continue;
        params.push_back(row.values[static_cast<std::size_t>(objId)]);
        tx.execute("UPDATE " + quoteIdentifier(rows.table) + " SET " + sets + " WHERE " +
                       quoteIdentifier("ObjID") + " = ?",
                   params);
    }
}

int64_t deleteWhereIn(storage::Transaction& tx, std::string_view table, std::string_view column,
                      std::span<const std::string> values)
{
    int64_t count = 0;
    for (std::size_t start = 0; start < values.size(); start += ValuesPerStatement) {
        const std::size_t end = std::min(values.size(), start + ValuesPerStatement);
        std::vector<storage::Value> params(values.begin() + static_cast<std::ptrdiff_t>(start),
                                           values.begin() + static_cast<std::ptrdiff_t>(end));
        count += tx.execute("DELETE FROM " + quoteIdentifier(table) + " WHERE " +
                                quoteIdentifier(column) + " IN " + marks(end - start),
                            params);
    }
    return count;
}

storage::Rows queryWhereIn(storage::Transaction& tx, const std::string& statement,
                           std::span<const std::string> values, const std::string& tail,
                           std::span<const storage::Value> before,
                           std::span<const storage::Value> after)
{
    storage::Rows all;
    for (std::size_t start = 0; start < values.size(); start += ValuesPerStatement) {
        const std::size_t end = std::min(values.size(), start + ValuesPerStatement);
        std::vector<storage::Value> params(before.begin(), before.end());
        for (std::size_t i = start; i < end; ++i)
            params.emplace_back(values[i]);
        params.insert(params.end(), after.begin(), after.end());
        storage::Rows part = tx.query(statement + " IN " + marks(end - start) + tail, params);
        if (all.columns.empty()) all.columns = std::move(part.columns);
        for (auto& row : part.rows)
            all.rows.push_back(std::move(row));
    }
    return all;
}

} // namespace corvo::server
