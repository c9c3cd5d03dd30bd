#include "TableWriter.h"

#include "Ddl.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "internal/StorageValues.h"

#include <utility>

namespace corvo::server::schema {
namespace {

using internal::TextEncoding;

/// Column positions and their values, ready to bind.
using BoundRow = std::vector<std::pair<int, storage::Value>>;

void insertBound(storage::Transaction& tx, const TableLayout& layout, BoundRow row)
{
    const std::string& table = layout.table().code;
    const int objId = layout.columnIndex("ObjID");
    bool hasObjId = false;
    for (const auto& [index, value] : row)
        if (index == objId) hasObjId = !value.isNull();
    if (!hasObjId) throw Error("表[" + table + "]的新行缺少ObjID");
    // The first column names the table in every row, whatever the caller sent.
    std::erase_if(row, [](const auto& cell) { return cell.first == 0; });
    row.emplace(row.begin(), 0, layout.table().objId);

    std::string columns;
    std::string marks;
    std::vector<storage::Value> params;
    for (auto& [index, value] : row) {
        if (!params.empty()) columns += ", ", marks += ", ";
        columns += quoteIdentifier(layout.columns()[static_cast<std::size_t>(index)].code());
        marks += "?";
        params.push_back(std::move(value));
    }
    tx.execute("INSERT INTO " + quoteIdentifier(table) + " (" + columns + ") VALUES (" + marks +
                   ")",
               params);
}

} // namespace

void insertRecord(storage::Transaction& tx, const TableLayout& layout, const Record& record)
{
    const std::string& table = layout.table().code;
    BoundRow row;
    for (const ColumnValue& cell : record) {
        int index = layout.columnIndex(cell.column);
        if (index < 0 || !layout.columns()[static_cast<std::size_t>(index)].stored())
            throw Error("表[" + table + "]没有存储列[" + cell.column + "]");
        for (const auto& bound : row)
            if (bound.first == index) throw Error("表[" + table + "]的列[" + cell.column + "]重复");
        const LayoutColumn& column = layout.columns()[static_cast<std::size_t>(index)];
        row.emplace_back(index, internal::toStorage(cell.value, column, table, TextEncoding::Utf8));
    }
    insertBound(tx, layout, std::move(row));
}

int insertRows(storage::Transaction& tx, const Dictionary& dictionary, std::string_view tableCode,
               TClientDataSet& rows)
{
    const auto shared = dictionary.layout(tableCode);
    const TableLayout& layout = *shared;
    const std::string& table = layout.table().code;
    if (rows.State() == DataSetState::Edit || rows.State() == DataSetState::Insert) rows.Post();

    std::vector<std::pair<int, int>> fieldToColumn;
    for (int i = 0; i < rows.FieldCount(); ++i) {
        const std::string& name = rows.Fields(i).FieldName();
        int index = layout.columnIndex(name);
        if (index < 0)
            throw Error("表[" + table + "]没有与字段[" + gbk::display(name) + "]对应的列");
        if (layout.columns()[static_cast<std::size_t>(index)].stored())
            fieldToColumn.emplace_back(i, index);
    }

    Bookmark position = rows.GetBookmark();
    int count = 0;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        BoundRow row;
        for (auto [field, index] : fieldToColumn)
            row.emplace_back(index, internal::toStorage(rows.Fields(field).AsVariant(),
                                                        layout.columns()[std::size_t(index)], table,
                                                        TextEncoding::Gbk));
        insertBound(tx, layout, std::move(row));
        ++count;
    }
    if (rows.BookmarkValid(position)) rows.GotoBookmark(position);
    return count;
}

} // namespace corvo::server::schema
