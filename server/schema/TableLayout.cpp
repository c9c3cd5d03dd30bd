#include "TableLayout.h"

#include "entity/Decimal.h"
#include "entity/Error.h"
#include "entity/Gbk.h"

#include <set>

namespace corvo::server::schema {
namespace {

constexpr int MaxTextLength = 8000;
constexpr int MaxNumericPrecision = 38;

std::string where(const DictTable& table, const DictField& field)
{
    return "表[" + table.code + "]的列[" + field.code + "]";
}

void checkSizes(const DictTable& table, const DictField& field, const SqlTypeMapping& mapping)
{
    if (field.prec < 0 || field.scale < 0)
        throw Error(where(table, field) + "的长度或小数位数为负数");
    bool boundedText = mapping.size == SqlSizeSource::Prec &&
                       (mapping.type == FieldType::String || mapping.type == FieldType::WideString);
    if (boundedText && (field.prec < 1 || field.prec > MaxTextLength))
        throw Error(where(table, field) + "的长度必须在1到" + std::to_string(MaxTextLength) +
                    "之间");
    if (mapping.type == FieldType::BCD) {
        if (field.scale > Decimal::MaxScale)
            throw Error(where(table, field) + "的小数位数不能超过" +
                        std::to_string(Decimal::MaxScale));
        if (field.prec != 0 && (field.prec < field.scale || field.prec > MaxNumericPrecision))
            throw Error(where(table, field) + "的精度必须不小于小数位数且不超过" +
                        std::to_string(MaxNumericPrecision));
    }
}

bool isJoinKeyword(std::string_view type)
{
    for (std::string_view k : {"", "left", "right", "inner", "full"})
        if (gbk::equalsIgnoreCase(type, k)) return true;
    return false;
}

/// The column of a table by code, or nullptr; joined columns are not columns of the table
/// for a join.
const DictField* storedColumn(const std::vector<const DictField*>& columns, std::string_view code)
{
    for (const DictField* f : columns)
        if (!f->isJoined && gbk::equalsIgnoreCase(f->code, code)) return f;
    return nullptr;
}

} // namespace

TableLayout TableLayout::resolve(const Dictionary& dictionary, std::string_view tableCode)
{
    const DictTable* table = dictionary.findTable(tableCode);
    if (!table) throw Error("数据字典中不存在表[" + std::string(tableCode) + "]");
    auto fields = dictionary.columnsOf(table->objId);
    if (fields.empty()) throw Error("表[" + table->code + "]在字段字典中没有列");

    TableLayout layout;
    layout.m_table = *table;
    std::set<std::string> codes;
    std::set<int> orders;
    for (const DictField* f : fields) {
        if (!isPlainIdentifier(f->code))
            throw Error("表[" + table->code + "]的列名[" + f->code + "]不是合法的标识符");
        if (!codes.insert(gbk::upper(f->code)).second)
            throw Error("表[" + table->code + "]中列[" + f->code + "]重复");
        if (!orders.insert(f->colOrder).second)
            throw Error(where(*table, *f) + "的ColOrder[" + std::to_string(f->colOrder) +
                        "]与其他列重复");
        SqlTypeMapping mapping{};
        try {
            mapping = sqlTypeMapping(f->dataType);
        } catch (const Error& e) {
            throw Error(where(*table, *f) + "：" + e.what());
        }
        checkSizes(*table, *f, mapping);
        LayoutColumn column;
        column.field = *f;
        column.type = mapping.type;
        column.size = sqlTypeFieldSize(f->dataType, f->prec, f->scale);
        layout.m_byCode.emplace(gbk::upper(column.code()),
                                static_cast<int>(layout.m_columns.size()));
        layout.m_columns.push_back(std::move(column));
    }

    const DictField& first = layout.m_columns.front().field;
    if (first.code != table->code)
        throw Error("表[" + table->code + "]的第一列必须与表同名，而不是[" + first.code + "]");
    // Spelt exactly: quoted names keep their letter case in PostgreSQL.
    for (std::string_view key : {std::string_view(table->code), std::string_view("ObjID")}) {
        const DictField* f = storedColumn(fields, key);
        if (!f || f->code != key ||
            layout.m_columns[layout.columnIndex(key)].type != FieldType::Guid)
            throw Error("表[" + table->code + "]缺少uniqueidentifier类型的存储列[" +
                        std::string(key) + "]");
    }

    for (LayoutColumn& column : layout.m_columns) {
        const DictField& f = column.field;
        if (!f.isJoined) continue;
        if (!isJoinKeyword(f.joinedType))
            throw Error(where(*table, f) + "的关联方式[" + f.joinedType + "]无效");
        std::string target = f.isOtherParam ? "TOtherParam" : f.joinedTable;
        std::string key = f.joinedTable;
        if (!f.isOtherParam) {
            if (f.code == "TWarehouseInName") key = "TWarehouseIn";
            if (gbk::equalsIgnoreCase(f.code, "TOwnerName")) key = "TOwner";
            key += "ID";
        }
        const DictField* keyColumn = storedColumn(fields, key);
        if (f.joinedTable.empty() || !keyColumn)
            throw Error(where(*table, f) + "是关联列，但表中没有存放关联行ObjID的列[" + key + "]");
        const DictTable* joined = dictionary.findTable(target);
        if (!joined) throw Error(where(*table, f) + "关联的表[" + target + "]不在数据字典中");
        const DictField* joinedField =
            storedColumn(dictionary.columnsOf(joined->objId), f.joinedField);
        if (!joinedField)
            throw Error(where(*table, f) + "关联的列[" + target + "." + f.joinedField + "]不存在");
        column.joinedColumn = joinedField->code;
        int index = 0;
        for (; index < static_cast<int>(layout.m_joins.size()); ++index) {
            const LayoutJoin& j = layout.m_joins[static_cast<std::size_t>(index)];
            if (j.table == joined->code && j.keyColumn == keyColumn->code) break;
        }
        if (index == static_cast<int>(layout.m_joins.size()))
            layout.m_joins.push_back({joined->code, keyColumn->code});
        column.join = index;
    }
    return layout;
}

std::vector<std::string> TableLayout::columnCodes() const
{
    std::vector<std::string> out;
    out.reserve(m_columns.size());
    for (const LayoutColumn& column : m_columns)
        out.push_back(column.code());
    return out;
}

int TableLayout::columnIndex(std::string_view code) const noexcept
{
    // Every statement and every reply asks this for each of its columns.
    const auto it = m_byCode.find(gbk::upper(code));
    return it == m_byCode.end() ? -1 : it->second;
}

} // namespace corvo::server::schema
