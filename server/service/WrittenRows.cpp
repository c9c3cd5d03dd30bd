#include "WrittenRows.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "server/schema/Dictionary.h"
#include "server/schema/StoredValues.h"

namespace corvo::server {

namespace {
const storage::Value Nothing;
}

std::string textOf(const storage::Value& value)
{
    return value.isNull() ? std::string() : value.toText();
}

const storage::Value& WrittenRows::value(const WrittenRow& row, std::string_view code) const
{
    const int at = column(code);
    return at < 0 ? Nothing : row.values[static_cast<std::size_t>(at)];
}

std::string WrittenRows::text(const WrittenRow& row, std::string_view code) const
{
    return textOf(value(row, code));
}

void WrittenRows::set(WrittenRow& row, std::string_view code, storage::Value value) const
{
    const int at = column(code);
    if (at < 0) return;
    row.values[static_cast<std::size_t>(at)] = std::move(value);
    row.written[static_cast<std::size_t>(at)] = 1;
}

void WrittenRows::keep(WrittenRow& row, std::string_view code) const
{
    const int at = column(code);
    if (at >= 0) row.written[static_cast<std::size_t>(at)] = 0;
}

WrittenRows sentRows(const schema::Dictionary& dictionary, const Variant& packet,
                     std::string_view what)
{
    TClientDataSet rows;
    rows.SetData(packet);
    if (rows.FieldCount() == 0) throw Error("数据[" + std::string(what) + "]没有字段");
    const std::string table = gbk::toUtf8(rows.Fields(0).FieldName());
    const schema::DictTable* dictTable = dictionary.findTable(table);
    if (!dictTable)
        throw Error("数据[" + std::string(what) + "]的表[" + gbk::display(table) + "]不存在");

    if (static_cast<std::size_t>(rows.RecordCount()) > MaxRowsPerWrite)
        throw Error("一次最多保存" + std::to_string(MaxRowsPerWrite) + "行数据，请分批保存。");
    WrittenRows out;
    out.table = dictTable->code;
    out.layout = dictionary.layout(dictTable->code);
    const schema::TableLayout& layout = *out.layout;
    std::vector<std::pair<int, int>> fieldToColumn;
    for (int f = 0; f < rows.FieldCount(); ++f) {
        const std::string& name = rows.Fields(f).FieldName();
        const int at = layout.columnIndex(gbk::toUtf8(name));
        if (at < 0)
            throw Error("表[" + out.table + "]没有与字段[" + gbk::display(name) + "]对应的列");
        if (layout.columns()[static_cast<std::size_t>(at)].stored())
            fieldToColumn.emplace_back(f, at);
    }
    const std::size_t width = layout.columns().size();
    for (rows.First(); !rows.Eof(); rows.Next()) {
        WrittenRow row{std::vector<storage::Value>(width), std::vector<char>(width, 0),
                       std::vector<char>(width, 0)};
        for (const auto& [field, at] : fieldToColumn) {
            const schema::LayoutColumn& column = layout.columns()[static_cast<std::size_t>(at)];
            row.values[static_cast<std::size_t>(at)] =
                schema::storedValue(rows.Fields(field).AsVariant(), column, out.table);
            row.sent[static_cast<std::size_t>(at)] = 1;
            row.written[static_cast<std::size_t>(at)] = 1;
        }
        out.rows.push_back(std::move(row));
    }
    return out;
}

} // namespace corvo::server
