#include "ValueText.h"

#include "../Error.h"
#include "../FieldType.h"
#include "../Gbk.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace corvo::internal {
namespace {

[[noreturn]] void conversionError(const Variant& value, FieldType type, std::string_view name)
{
    throw Error("“" + gbk::display(value.toText()) + "”不是字段“" + gbk::display(name) + "”的有效" +
                std::string(fieldTypeName(type)) + "值");
}

bool parseInteger(std::string_view text, int64_t& out)
{
    text = gbk::trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

bool parseBoolean(std::string_view text, bool& out)
{
    text = gbk::trim(text);
    if (gbk::equalsIgnoreCase(text, "true") || text == "1") return out = true, true;
    if (gbk::equalsIgnoreCase(text, "false") || text == "0") return out = false, true;
    int64_t n = 0;
    if (parseInteger(text, n)) return out = n != 0, true;
    return false;
}

} // namespace

std::string columnText(const Column& column, uint32_t row, int size)
{
    if (column.isNull(row)) return {};
    switch (column.type()) {
    case FieldType::Guid:
        return column.guidAt(row).toString();
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint:
        return std::to_string(column.intAt(row));
    case FieldType::Boolean:
        return column.intAt(row) ? "True" : "False";
    case FieldType::BCD:
        return Decimal{column.intAt(row), static_cast<uint8_t>(size)}.toString();
    case FieldType::Float:
        return Variant(column.floatAt(row)).toText();
    case FieldType::DateTime:
        return DateTime{column.floatAt(row)}.toString();
    default:
        return std::string(column.bytesAt(row));
    }
}

Variant columnValue(const Column& column, uint32_t row, int size)
{
    if (column.isNull(row)) return {};
    switch (column.type()) {
    case FieldType::Guid:
        return column.guidAt(row).toString();
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint:
        return column.intAt(row);
    case FieldType::Boolean:
        return column.intAt(row) != 0;
    case FieldType::BCD:
        return Decimal{column.intAt(row), static_cast<uint8_t>(size)};
    case FieldType::Float:
        return column.floatAt(row);
    case FieldType::DateTime:
        return DateTime{column.floatAt(row)};
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob: {
        auto v = column.bytesAt(row);
        return Bytes(v.begin(), v.end());
    }
    default:
        return std::string(column.bytesAt(row));
    }
}

double columnDouble(const Column& column, uint32_t row, int size)
{
    if (column.isNull(row)) return 0;
    switch (column.type()) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint:
    case FieldType::Boolean:
        return static_cast<double>(column.intAt(row));
    case FieldType::BCD:
        return Decimal{column.intAt(row), static_cast<uint8_t>(size)}.toDouble();
    case FieldType::Float:
    case FieldType::DateTime:
        return column.floatAt(row);
    default:
        return columnValue(column, row, size).toDouble();
    }
}

void storeValue(Column& column, uint32_t row, const Variant& value)
{
    if (value.isNull()) {
        column.setNull(row);
        return;
    }
    switch (column.type()) {
    case FieldType::Guid:
        column.setGuid(row, *Guid::parse(value.asString()));
        break;
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint:
        column.setInt(row, value.asInteger());
        break;
    case FieldType::Boolean:
        column.setInt(row, value.asBool() ? 1 : 0);
        break;
    case FieldType::BCD:
        column.setInt(row, value.asDecimal().units);
        break;
    case FieldType::Float:
        column.setFloat(row, value.asFloat());
        break;
    case FieldType::DateTime:
        column.setFloat(row, value.asDateTime().days);
        break;
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob: {
        const Bytes& b = value.asBytes();
        column.setBytes(row, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
        break;
    }
    default:
        column.setBytes(row, value.asString());
    }
}

namespace {

/// Why a value did not convert; each has its own message.
enum class Failure { None, Text, GuidText, Date, Value };

struct Converted {
    Variant value;
    Failure failure = Failure::None;
};

Converted failed(Failure why)
{
    return {Variant(), why};
}

Converted converted(const Variant& value, FieldType type, int size)
{
    using T = Variant::Type;
    if (value.isNull()) return {};
    if (value.type() == T::String && value.asString().empty()) return {};
    switch (type) {
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo: {
        std::string text = value.toText();
        if (!gbk::isValid(text)) return failed(Failure::Text);
        // Size 0 declares no limit, as the data packet reads it.
        if (type == FieldType::String && size > 0 && text.size() > static_cast<size_t>(size))
            text = std::string(gbk::cut(text, static_cast<size_t>(size)));
        if (type == FieldType::WideString && size > 0 && gbk::charCount(text) > size_t(size)) {
            size_t bytes = 0;
            for (int i = 0; i < size; ++i)
                bytes += static_cast<unsigned char>(text[bytes]) >= 0x81 ? 2 : 1;
            text.resize(bytes);
        }
        if (text.empty()) return {};
        return {text};
    }
    case FieldType::Guid: {
        auto g = Guid::parse(value.toText());
        if (!g) return failed(Failure::GuidText);
        return {g->toString()};
    }
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint: {
        int64_t n = 0;
        switch (value.type()) {
        case T::Integer:
            n = value.asInteger();
            break;
        case T::Boolean:
            n = value.asBool() ? 1 : 0;
            break;
        case T::Float:
        case T::Decimal:
        case T::DateTime: {
            double d = std::round(value.toDouble());
            if (!(d >= -9.2e18 && d <= 9.2e18)) return failed(Failure::Value);
            n = static_cast<int64_t>(d);
            break;
        }
        default:
            if (!parseInteger(value.toText(), n)) return failed(Failure::Value);
        }
        auto [lo, hi] = integerRange(type);
        if (n < lo || n > hi) return failed(Failure::Value);
        return {n};
    }
    case FieldType::Boolean: {
        bool b = false;
        if (value.type() == T::Boolean) return {value.asBool()};
        if (value.type() == T::Integer) return {value.asInteger() != 0};
        if (value.type() == T::Float || value.type() == T::Decimal) return {value.toDouble() != 0};
        if (!parseBoolean(value.toText(), b)) return failed(Failure::Value);
        return {b};
    }
    case FieldType::Float: {
        const std::optional<double> d = value.numberOrNone();
        if (!d || !std::isfinite(*d)) return failed(Failure::Value);
        return {*d};
    }
    case FieldType::BCD: {
        std::optional<Decimal> d;
        int scale = std::clamp(size, 0, Decimal::MaxScale);
        if (value.type() == T::Decimal)
            d = value.asDecimal().rescaled(scale);
        else if (value.type() == T::Integer)
            d = Decimal{value.asInteger(), 0}.rescaled(scale);
        else if (value.type() == T::Float)
            d = Decimal::fromDouble(value.asFloat(), scale);
        else if (value.type() == T::Boolean)
            d = Decimal{value.asBool() ? 1 : 0, 0}.rescaled(scale);
        else if (value.type() == T::String)
            d = Decimal::parse(value.asString(), scale);
        if (!d) return failed(Failure::Value);
        return {*d};
    }
    case FieldType::DateTime: {
        if (value.type() == T::DateTime) {
            if (!value.asDateTime().isValid()) return failed(Failure::Date);
            return {value};
        }
        if (value.type() == T::Float || value.type() == T::Integer) {
            DateTime dt{value.toDouble()};
            if (!dt.isValid()) return failed(Failure::Value);
            return {dt};
        }
        auto dt = DateTime::parse(value.toText());
        if (!dt) return failed(Failure::Value);
        return {*dt};
    }
    case FieldType::Bytes:
    case FieldType::VarBytes:
    case FieldType::Blob: {
        Bytes b;
        if (value.type() == T::Bytes)
            b = value.asBytes();
        else {
            std::string t = value.toText();
            b.assign(t.begin(), t.end());
        }
        if (type != FieldType::Blob && size > 0 && b.size() > static_cast<size_t>(size))
            b.resize(static_cast<size_t>(size));
        return {b};
    }
    }
    return failed(Failure::Value);
}

} // namespace

Variant convertValue(const Variant& value, FieldType type, int size, std::string_view name)
{
    Converted c = converted(value, type, size);
    switch (c.failure) {
    case Failure::None:
        return std::move(c.value);
    case Failure::Text:
        throw Error("字段“" + gbk::display(name) + "”的文本不是有效的GBK编码");
    case Failure::GuidText:
        throw Error("“" + gbk::display(value.toText()) + "”不是字段“" + gbk::display(name) +
                    "”的有效GUID文本");
    case Failure::Date:
        // Shown as its number: an out-of-range date has no text form.
        conversionError(Variant(value.asDateTime().days), type, name);
    case Failure::Value:
        break;
    }
    conversionError(value, type, name);
}

std::optional<Variant> convertedOrNone(const Variant& value, FieldType type, int size)
{
    Converted c = converted(value, type, size);
    if (c.failure != Failure::None) return std::nullopt;
    return std::move(c.value);
}

} // namespace corvo::internal
