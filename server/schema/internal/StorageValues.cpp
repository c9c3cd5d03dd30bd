#include "StorageValues.h"

#include "entity/Error.h"
#include "entity/FieldType.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"

#include <charconv>
#include <cmath>

namespace corvo::server::schema::internal {
namespace {

using T = Variant::Type;

[[noreturn]] void refuse(std::string_view table, const LayoutColumn& column,
                         const std::string& reason)
{
    throw Error("表[" + std::string(table) + "]的列[" + column.code() + "]" + reason);
}

std::string shown(const Variant& value, TextEncoding encoding)
{
    if (value.type() == T::Bytes) return "二进制值";
    std::string text = value.toText();
    return "“" + (encoding == TextEncoding::Gbk ? gbk::display(text) : text) + "”";
}

bool parseInteger(std::string_view text, int64_t& out)
{
    text = gbk::trim(text);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

bool integerValue(const Variant& value, int64_t& out)
{
    switch (value.type()) {
    case T::Integer:
        out = value.asInteger();
        return true;
    case T::Boolean:
        out = value.asBool() ? 1 : 0;
        return true;
    case T::Float:
    case T::Decimal: {
        double d = value.toDouble();
        if (!(std::fabs(d) < 9.2e18) || d != std::trunc(d)) return false;
        out = static_cast<int64_t>(d);
        return true;
    }
    case T::String:
        return parseInteger(value.asString(), out);
    default:
        return false;
    }
}

storage::Value textToStorage(const Variant& value, const LayoutColumn& column,
                             std::string_view table, TextEncoding encoding)
{
    if (value.type() == T::Bytes) refuse(table, column, "不能保存二进制值");
    std::string text = value.toText();
    const std::optional<std::string> gbkText =
        encoding == TextEncoding::Gbk ? text : gbk::fromUtf8OrNone(text);
    const std::optional<std::string> utf8 =
        encoding == TextEncoding::Gbk ? gbk::toUtf8OrNone(text) : text;
    if (!gbkText || !utf8) refuse(table, column, "的文本不能用GBK表示");
    const int prec = column.field.prec;
    if (column.type == FieldType::String && gbkText->size() > static_cast<std::size_t>(prec))
        refuse(table, column, "的值超出长度" + std::to_string(prec) + "字节");
    if (column.type == FieldType::WideString && gbk::charCount(*gbkText) > std::size_t(prec))
        refuse(table, column, "的值超出长度" + std::to_string(prec) + "个字符");
    if (utf8->empty()) return {};
    return *utf8;
}

std::optional<Decimal> decimalValue(const Variant& value, int scale)
{
    switch (value.type()) {
    case T::Decimal:
        return value.asDecimal().rescaled(scale);
    case T::Integer:
        return Decimal{value.asInteger(), 0}.rescaled(scale);
    case T::Boolean:
        return Decimal{value.asBool() ? 1 : 0, 0}.rescaled(scale);
    case T::Float:
        return Decimal::fromDouble(value.asFloat(), scale);
    case T::String:
        return Decimal::parse(value.asString(), scale);
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<DateTime> parseStorageDateTime(std::string_view text) noexcept
{
    text = gbk::trim(text);
    std::string base(text);
    if (base.size() > 10 && base[10] == 'T') base[10] = ' ';
    double fraction = 0;
    auto dot = base.find('.', 11);
    if (base.size() > 10 && dot != std::string::npos) {
        std::string_view digits = std::string_view(base).substr(dot + 1);
        if (digits.empty() || digits.size() > 9) return std::nullopt;
        double scale = 0.1;
        for (char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            fraction += (c - '0') * scale;
            scale /= 10;
        }
        base.resize(dot);
    }
    auto dt = DateTime::parse(base);
    if (!dt) return std::nullopt;
    dt->days += fraction / 86400.0;
    return dt;
}

storage::Value toStorage(const Variant& value, const LayoutColumn& column, std::string_view table,
                         TextEncoding encoding)
{
    if (value.isNull() || (value.type() == T::String && value.asString().empty())) return {};
    switch (column.type) {
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo:
        return textToStorage(value, column, table, encoding);
    case FieldType::Guid: {
        auto guid = Guid::parse(value.type() == T::String ? value.asString() : "");
        if (!guid) refuse(table, column, "的值" + shown(value, encoding) + "不是GUID文本");
        return guid->toString();
    }
    case FieldType::Boolean:
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint: {
        int64_t n = 0;
        if (value.type() == T::String && column.type == FieldType::Boolean) {
            if (gbk::equalsIgnoreCase(value.asString(), "true")) return int64_t{1};
            if (gbk::equalsIgnoreCase(value.asString(), "false")) return int64_t{0};
        }
        auto [lo, hi] = integerRange(column.type);
        if (!integerValue(value, n) || n < lo || n > hi)
            refuse(table, column, "的值" + shown(value, encoding) + "不是有效的整数");
        return n;
    }
    case FieldType::Float: {
        const double d = value.numberOrNone().value_or(NAN);
        if (!std::isfinite(d)) refuse(table, column, "的值" + shown(value, encoding) + "不是数值");
        return d;
    }
    case FieldType::BCD: {
        auto d = decimalValue(value, column.field.scale);
        if (!d) refuse(table, column, "的值" + shown(value, encoding) + "不是有效的数值");
        // The column's precision counts every digit, those after the point included.
        const int precision = column.field.prec;
        if (precision > 0 && precision < 19) {
            int64_t bound = 1;
            for (int i = 0; i < precision; ++i)
                bound *= 10;
            if (d->units >= bound || d->units <= -bound)
                refuse(table, column,
                       "的值" + shown(value, encoding) + "超出范围（最多" +
                           std::to_string(precision - column.field.scale) + "位整数、" +
                           std::to_string(column.field.scale) + "位小数）");
        }
        return *d;
    }
    case FieldType::DateTime: {
        std::optional<DateTime> dt;
        if (value.type() == T::DateTime) dt = value.asDateTime();
        if (value.type() == T::String) dt = parseStorageDateTime(value.asString());
        if (!dt || !dt->isValid())
            refuse(table, column, "的值" + shown(value, encoding) + "不是有效的日期时间");
        return *dt;
    }
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob:
        if (value.type() == T::Bytes) return value;
        if (value.type() == T::String)
            return Bytes(value.asString().begin(), value.asString().end());
        refuse(table, column, "只能保存二进制值");
    }
    return {};
}

Variant fromStorage(const storage::Value& value, const LayoutColumn& column, std::string_view table)
{
    if (value.isNull()) return {};
    switch (column.type) {
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo:
        if (value.type() == T::Bytes) refuse(table, column, "存放了二进制值，不能作为文本读取");
        if (std::optional<std::string> text = gbk::fromUtf8OrNone(value.toText()))
            return std::move(*text);
        refuse(table, column, "的文本不能用GBK表示");
    case FieldType::DateTime:
        if (value.type() == T::String) {
            auto dt = parseStorageDateTime(value.asString());
            if (!dt) refuse(table, column, "的值“" + value.asString() + "”不是有效的日期时间");
            return *dt;
        }
        return value;
    case FieldType::BCD:
        if (value.type() == T::String) {
            auto d = Decimal::parse(value.asString(), column.field.scale);
            if (!d) refuse(table, column, "的值“" + value.asString() + "”不是有效的数值");
            return *d;
        }
        return value;
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob:
        if (value.type() == T::String)
            return Bytes(value.asString().begin(), value.asString().end());
        return value;
    default:
        return value;
    }
}

} // namespace corvo::server::schema::internal
