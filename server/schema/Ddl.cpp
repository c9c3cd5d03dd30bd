#include "Ddl.h"

#include "DictionaryBuilder.h"
#include "entity/Gbk.h"

namespace corvo::server::schema {

using storage::Dialect;

std::string quoteIdentifier(std::string_view name)
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::string columnSqlType(Dialect dialect, const LayoutColumn& column)
{
    const bool pg = dialect == Dialect::Postgres;
    const DictField& f = column.field;
    switch (column.type) {
    case FieldType::Guid:
        return "varchar(38)";
    case FieldType::String:
    case FieldType::WideString:
        return "varchar(" + std::to_string(f.prec) + ")";
    case FieldType::Memo:
        return pg ? "text" : "TEXT";
    case FieldType::Smallint:
    case FieldType::Boolean:
        return "smallint";
    case FieldType::Integer:
        return "integer";
    case FieldType::Largeint:
        return "bigint";
    case FieldType::BCD:
        return "numeric(" + std::to_string(f.prec > 0 ? f.prec : 18) + "," +
               std::to_string(f.scale) + ")";
    case FieldType::Float:
        return pg ? "double precision" : "REAL";
    case FieldType::DateTime:
        return pg ? "timestamp" : "TEXT";
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob:
        return pg ? "bytea" : "BLOB";
    }
    return "text";
}

std::string createTableStatement(Dialect dialect, const TableLayout& layout)
{
    std::string sql = "CREATE TABLE " + quoteIdentifier(layout.table().code) + " (\n";
    std::string key;
    for (const LayoutColumn& column : layout.columns()) {
        if (!column.stored()) continue;
        sql += "  " + quoteIdentifier(column.code()) + " " + columnSqlType(dialect, column);
        if (gbk::equalsIgnoreCase(column.code(), "ObjID")) {
            key = column.code();
            sql += " NOT NULL";
        }
        sql += ",\n";
    }
    return sql + "  PRIMARY KEY (" + quoteIdentifier(key) + ")\n)";
}

std::string boundedIndexName(const std::string& name)
{
    // PostgreSQL cuts names at 63 bytes, so two long ones could come out the same.
    constexpr std::size_t Longest = 63;
    if (name.size() <= Longest) return name;
    const std::string digest = stableGuid(name).substr(1, 8);
    return name.substr(0, Longest - digest.size() - 1) + "_" + digest;
}

std::vector<std::string> indexStatements(const TableLayout& layout)
{
    std::vector<std::string> out;
    const std::string& table = layout.table().code;
    for (const LayoutColumn& column : layout.columns()) {
        if (!column.stored() || gbk::equalsIgnoreCase(column.code(), "ObjID")) continue;
        if (column.field.isSort != 1 && !gbk::equalsIgnoreCase(column.code(), "ParentID")) continue;
        out.push_back("CREATE INDEX " +
                      quoteIdentifier(boundedIndexName("IX_" + table + "_" + column.code())) +
                      " ON " + quoteIdentifier(table) + " (" + quoteIdentifier(column.code()) +
                      ")");
    }
    return out;
}

std::vector<std::string> schemaStatements(Dialect dialect, const Dictionary& dictionary)
{
    validateDictionary(dictionary);
    std::vector<std::string> out;
    for (const DictTable& table : dictionary.tables) {
        const TableLayout layout = TableLayout::resolve(dictionary, table.code);
        out.push_back(createTableStatement(dialect, layout));
        for (std::string& index : indexStatements(layout))
            out.push_back(std::move(index));
    }
    return out;
}

} // namespace corvo::server::schema
