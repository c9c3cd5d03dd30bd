#include "Schema.h"

#include "Ddl.h"
#include "TableWriter.h"
#include "entity/Error.h"

#include <cmath>

namespace corvo::server::schema {
namespace {

template <typename Row> struct TextColumn {
    const char* name;
    std::string Row::*member;
};
template <typename Row> struct IntColumn {
    const char* name;
    int Row::*member;
};

const TextColumn<DictTable> TableTexts[] = {{"ObjID", &DictTable::objId},
                                            {"Code", &DictTable::code},
                                            {"Name", &DictTable::name},
                                            {"NameEn", &DictTable::nameEn}};
const IntColumn<DictTable> TableInts[] = {{"IsAutoCoding", &DictTable::isAutoCoding},
                                          {"IsClientTable", &DictTable::isClientTable}};

const TextColumn<DictField> FieldTexts[] = {{"ObjID", &DictField::objId},
                                            {"ParentID", &DictField::parentId},
                                            {"Code", &DictField::code},
                                            {"Name", &DictField::name},
                                            {"NameEn", &DictField::nameEn},
                                            {"NameJP", &DictField::nameJp},
                                            {"DataType", &DictField::dataType},
                                            {"JoinedTable", &DictField::joinedTable},
                                            {"JoinedField", &DictField::joinedField},
                                            {"JoinedType", &DictField::joinedType},
                                            {"Value", &DictField::value}};
const IntColumn<DictField> FieldInts[] = {{"ColOrder", &DictField::colOrder},
                                          {"Prec", &DictField::prec},
                                          {"Scale", &DictField::scale},
                                          {"IsVisible", &DictField::isVisible},
                                          {"IsNullAble", &DictField::isNullAble},
                                          {"IsQuery", &DictField::isQuery},
                                          {"IsStatus", &DictField::isStatus},
                                          {"IsJoined", &DictField::isJoined},
                                          {"IsOtherParam", &DictField::isOtherParam},
                                          {"IsSort", &DictField::isSort},
                                          {"IsUnique", &DictField::isUnique},
                                          {"HasGrid", &DictField::hasGrid}};

template <typename Row, std::size_t NT, std::size_t NI>
Record recordOf(const Row& row, const TextColumn<Row> (&texts)[NT],
                const IntColumn<Row> (&ints)[NI])
{
    Record record;
    for (const auto& c : texts)
        record.push_back({c.name, row.*c.member});
    for (const auto& c : ints)
        record.push_back({c.name, int64_t{row.*c.member}});
    return record;
}

std::string textOf(const storage::Value& value)
{
    return value.toText();
}

int intOf(const storage::Value& value, const char* table, const char* column)
{
    using T = Variant::Type;
    if (value.isNull()) return 0;
    const double d =
        value.type() == T::Integer ? double(value.asInteger()) : value.numberOrNone().value_or(NAN);
    if (!(std::fabs(d) <= 2147483647.0) || d != std::trunc(d))
        throw Error("表[" + std::string(table) + "]的列[" + column + "]的值“" + value.toText() +
                    "”不是整数");
    return static_cast<int>(d);
}

template <typename Row, std::size_t NT, std::size_t NI>
std::vector<Row> readRows(storage::Transaction& tx, const char* table,
                          const TextColumn<Row> (&texts)[NT], const IntColumn<Row> (&ints)[NI])
{
    std::string list;
    for (const auto& c : texts)
        list += (list.empty() ? "" : ", ") + quoteIdentifier(c.name);
    for (const auto& c : ints)
        list += ", " + quoteIdentifier(c.name);
    storage::Rows rows = tx.query("SELECT " + list + " FROM " + quoteIdentifier(table));
    std::vector<Row> out;
    for (const auto& values : rows.rows) {
        if (values.size() != NT + NI) throw Error("读取表[" + std::string(table) + "]时列数不符");
        Row row;
        std::size_t i = 0;
        for (const auto& c : texts)
            row.*c.member = textOf(values[i++]);
        for (const auto& c : ints)
            row.*c.member = intOf(values[i++], table, c.name);
        out.push_back(std::move(row));
    }
    return out;
}

} // namespace

void createSchema(storage::Transaction& tx, storage::Dialect dialect, const Dictionary& dictionary)
{
    std::vector<std::string> statements = schemaStatements(dialect, dictionary);
    TableLayout tables = TableLayout::resolve(dictionary, "TDictTable");
    TableLayout fields = TableLayout::resolve(dictionary, "TDictField");
    for (const std::string& sql : statements)
        tx.execute(sql);
    for (const DictTable& table : dictionary.tables)
        insertRecord(tx, tables, recordOf(table, TableTexts, TableInts));
    for (const DictField& field : dictionary.fields)
        insertRecord(tx, fields, recordOf(field, FieldTexts, FieldInts));
}

Dictionary loadDictionary(storage::Transaction& tx)
{
    Dictionary dictionary;
    dictionary.tables = readRows(tx, "TDictTable", TableTexts, TableInts);
    dictionary.fields = readRows(tx, "TDictField", FieldTexts, FieldInts);
    sortDictionary(dictionary);
    return dictionary;
}

} // namespace corvo::server::schema
