#include "FieldType.h"

#include "Error.h"
#include "Gbk.h"

#include <string>

namespace corvo {
namespace {

struct SqlTypeRow {
    std::string_view name;
    SqlTypeMapping mapping;
};

// In the order the names are compared; the first match wins.
constexpr SqlTypeRow SqlTypes[] = {
    {"varchar", {FieldType::String, SqlSizeSource::Prec}},
    {"uniqueidentifier", {FieldType::Guid, SqlSizeSource::GuidText}},
    {"datetime", {FieldType::DateTime, SqlSizeSource::None}},
    {"smallint", {FieldType::Smallint, SqlSizeSource::None}},
    {"decimal", {FieldType::BCD, SqlSizeSource::Scale}},
    {"numeric", {FieldType::BCD, SqlSizeSource::Scale}},
    {"binary", {FieldType::Bytes, SqlSizeSource::None}},
    {"bit", {FieldType::Boolean, SqlSizeSource::None}},
    {"bigint", {FieldType::Largeint, SqlSizeSource::None}},
    {"char", {FieldType::String, SqlSizeSource::Prec}},
    {"float", {FieldType::Float, SqlSizeSource::Scale}},
    {"image", {FieldType::Blob, SqlSizeSource::None}},
    {"int", {FieldType::Integer, SqlSizeSource::None}},
    {"money", {FieldType::BCD, SqlSizeSource::Scale}},
    {"nchar", {FieldType::WideString, SqlSizeSource::Prec}},
    {"ntext", {FieldType::Memo, SqlSizeSource::Prec}},
    {"nvarchar", {FieldType::WideString, SqlSizeSource::Prec}},
    {"real", {FieldType::Float, SqlSizeSource::Scale}},
    {"smalldatetime", {FieldType::DateTime, SqlSizeSource::None}},
    {"smallmoney", {FieldType::BCD, SqlSizeSource::Scale}},
    {"text", {FieldType::Memo, SqlSizeSource::Prec}},
    {"timestamp", {FieldType::Bytes, SqlSizeSource::None}},
    {"tinyint", {FieldType::Smallint, SqlSizeSource::None}},
    {"varbinary", {FieldType::VarBytes, SqlSizeSource::None}},
};

constexpr std::string_view TypeNames[] = {"",         "String",   "WideString", "Memo",  "Smallint",
                                          "Integer",  "Largeint", "Boolean",    "Float", "BCD",
                                          "DateTime", "Bytes",    "VarBytes",   "Blob",  "Guid"};

} // namespace

bool isKnownFieldType(uint8_t code) noexcept
{
    return code >= 1 && code <= FieldTypeCount;
}

std::string_view fieldTypeName(FieldType type) noexcept
{
    auto code = static_cast<uint8_t>(type);
    return isKnownFieldType(code) ? TypeNames[code] : "Unknown";
}

bool isVariableLength(FieldType type) noexcept
{
    switch (type) {
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo:
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob:
        return true;
    default:
        return false;
    }
}

bool isTextType(FieldType type) noexcept
{
    return type == FieldType::String || type == FieldType::WideString || type == FieldType::Memo;
}

bool isNumericType(FieldType type) noexcept
{
    switch (type) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint:
    case FieldType::Float:
    case FieldType::BCD:
        return true;
    default:
        return false;
    }
}

std::pair<int64_t, int64_t> integerRange(FieldType type) noexcept
{
    switch (type) {
    case FieldType::Boolean:
        return {0, 1};
    case FieldType::Smallint:
        return {INT16_MIN, INT16_MAX};
    case FieldType::Integer:
        return {INT32_MIN, INT32_MAX};
    default:
        return {INT64_MIN, INT64_MAX};
    }
}

SqlTypeMapping sqlTypeMapping(std::string_view sqlType)
{
    for (const auto& row : SqlTypes)
        if (gbk::equalsIgnoreCase(row.name, sqlType)) return row.mapping;
    throw Error("SQL数据类型“" + gbk::display(sqlType) + "”不能转换为客户端字段类型！");
}

FieldType SQLTypeToFieldType(std::string_view sqlType)
{
    return sqlTypeMapping(sqlType).type;
}

int sqlTypeFieldSize(std::string_view sqlType, int prec, int scale)
{
    switch (sqlTypeMapping(sqlType).size) {
    case SqlSizeSource::Prec:
        return prec;
    case SqlSizeSource::Scale:
        return scale;
    case SqlSizeSource::GuidText:
        return 38;
    case SqlSizeSource::None:
        return 0;
    }
    return 0;
}

} // namespace corvo
