#include "TableReader.h"

#include "Ddl.h"
#include "WhereText.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "internal/StorageValues.h"

namespace corvo::server::schema {

void buildClientStructure(const TableLayout& layout, TClientDataSet& out)
{
    out.Close();
    out.FieldDefs().Clear();
    for (const LayoutColumn& column : layout.columns())
        out.FieldDefs().Add(gbk::fromUtf8(column.code()), column.type, column.size);
    out.CreateDataSet();
}

std::string selectStatement(const TableLayout& layout, std::string_view where,
                            const ScopedRead& owner)
{
    // Aliases of our own: a joined table may be the table itself or joined twice.
    auto joinAlias = [](std::size_t i) { return "j" + std::to_string(i); };
    std::string list;
    for (const LayoutColumn& column : layout.columns()) {
        if (!list.empty()) list += ", ";
        list += column.stored() ? "t." + quoteIdentifier(column.code())
                                : joinAlias(std::size_t(column.join)) + "." +
                                      quoteIdentifier(column.joinedColumn);
        list += " AS " + quoteIdentifier(column.code());
    }
    std::string from = quoteIdentifier(layout.table().code) + " AS t";
    for (std::size_t i = 0; i < layout.joins().size(); ++i) {
        const LayoutJoin& join = layout.joins()[i];
        from += " LEFT JOIN " + quoteIdentifier(join.table) + " AS " + joinAlias(i) + " ON " +
                joinAlias(i) + "." + quoteIdentifier("ObjID") + " = t." +
                quoteIdentifier(join.keyColumn);
        if (i < owner.joinScope.size() && !owner.joinScope[i].empty())
            from += " AND " + owner.joinScope[i];
    }
    if (!owner.scope.empty()) from += " WHERE " + owner.scope;
    std::string order;
    for (const LayoutColumn& column : layout.columns())
        if (column.stored() && column.field.isSort)
            order += "q." + quoteIdentifier(column.code()) + ", ";
    order += "q." + quoteIdentifier("ObjID");

    std::string sql = "SELECT * FROM (SELECT " + list + " FROM " + from + ") AS q";
    if (!gbk::trim(where).empty()) sql += " WHERE (" + std::string(where) + ")";
    return sql + " ORDER BY " + order;
}

storage::Rows readRows(storage::Transaction& tx, const TableLayout& layout, const TableQuery& query)
{
    std::string where = checkedWhere(query.where, layout, query.params.size());
    std::vector<storage::Value> params = query.owner.params;
    params.insert(params.end(), query.params.begin(), query.params.end());
    storage::Rows rows = tx.query(selectStatement(layout, where, query.owner), params);
    if (rows.columns.size() != layout.columns().size())
        throw Error("读取表[" + layout.table().code + "]时得到" +
                    std::to_string(rows.columns.size()) + "列，应为" +
                    std::to_string(layout.columns().size()) + "列");
    return rows;
}

void readTable(storage::Transaction& tx, const Dictionary& dictionary, std::string_view tableCode,
               const TableQuery& query, TClientDataSet& out)
{
    const auto layout = dictionary.layout(tableCode);
    out.SetData(rowsToPacket(*layout, layout->columnCodes(), readRows(tx, *layout, query)));
}

void rowsToDataSet(const TableLayout& layout, const std::vector<std::string>& columns,
                   const storage::Rows& rows, TClientDataSet& out)
{
    out.SetData(rowsToPacket(layout, columns, rows));
}

Variant rowsToPacket(const TableLayout& layout, const std::vector<std::string>& columns,
                     const storage::Rows& rows)
{
    const std::string& table = layout.table().code;
    if (rows.columns.size() != columns.size())
        throw Error("读取表[" + table + "]时得到" + std::to_string(rows.columns.size()) +
                    "列，应为" + std::to_string(columns.size()) + "列");
    std::vector<const LayoutColumn*> known;
    TClientDataSet result;
    auto& defs = result.FieldDefs();
    for (const std::string& name : columns) {
        const int at = layout.columnIndex(name);
        const LayoutColumn* column =
            at < 0 ? nullptr : &layout.columns()[static_cast<std::size_t>(at)];
        known.push_back(column);
        if (column)
            defs.Add(gbk::fromUtf8(column->code()), column->type, column->size);
        else
            defs.Add(gbk::fromUtf8(name), FieldType::String, 255);
    }
    result.CreateDataSet();
    std::vector<Variant> values(columns.size());
    for (const auto& row : rows.rows) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const storage::Value& raw = row.at(i);
            values[i] = known[i] ? internal::fromStorage(raw, *known[i], table)
                        : raw.type() == Variant::Type::String
                            ? Variant(gbk::fromUtf8(raw.asString()))
                            : raw;
        }
        try {
            result.AppendRecord(values);
        } catch (const Error& e) {
            throw Error("读取表[" + table + "]时出错：" + e.what());
        }
    }
    return result.Data();
}

} // namespace corvo::server::schema
