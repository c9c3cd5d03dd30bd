#include "ValueText.h"

#include "../Error.h"
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

std::pair<int64_t, int64_t> integerRange(FieldType type)
{
    switch (type) {
    case FieldType::Smallint:
        return {INT16_MIN, INT16_MAX};
    case FieldType::Integer:
        return {INT32_MIN, INT32_MAX};
    default:
        return {INT64_MIN, INT64_MAX};
    }
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

Variant convertValue(const Variant& value, FieldType type, int size, std::string_view name)
{
    using T = Variant::Type;
    if (value.isNull()) return {};
    if (value.type() == T::String && value.asString().empty()) return {};
    switch (type) {
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Memo: {
        std::string text = value.toText();
        if (!gbk::isValid(text))
            throw Error("字段“" + gbk::display(name) + "”的文本不是有效的GBK编码");
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
        return text;
    }
    case FieldType::Guid: {
        auto g = Guid::parse(value.toText());
        if (!g)
            throw Error("“" + gbk::display(value.toText()) + "”不是字段“" + gbk::display(name) +
                        "”的有效GUID文本");
        return g->toString();
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
            if (!(d >= -9.2e18 && d <= 9.2e18)) conversionError(value, type, name);
            n = static_cast<int64_t>(d);
            break;
        }
        default:
            if (!parseInteger(value.toText(), n)) conversionError(value, type, name);
        }
        auto [lo, hi] = integerRange(type);
        if (n < lo || n > hi) conversionError(value, type, name);
        return n;
    }
    case FieldType::Boolean: {
        bool b = false;
        if (value.type() == T::Boolean) return value.asBool();
        if (value.type() == T::Integer) return value.asInteger() != 0;
        if (value.type() == T::Float || value.type() == T::Decimal) return value.toDouble() != 0;
        if (!parseBoolean(value.toText(), b)) conversionError(value, type, name);
        return b;
    }
    case FieldType::Float: {
        if (value.type() == T::Bytes) conversionError(value, type, name);
        try {
            double d = value.toDouble();
            if (!std::isfinite(d)) conversionError(value, type, name);
            return d;
        } catch (const Error&) {
            conversionError(value, type, name);
        }
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
        if (!d) conversionError(value, type, name);
        return *d;
    }
    case FieldType::DateTime: {
        if (value.type() == T::DateTime) {
            // Shown as its number: an out-of-range date has no text form.
            if (!value.asDateTime().isValid())
                conversionError(Variant(value.asDateTime().days), type, name);
            return value;
        }
        if (value.type() == T::Float || value.type() == T::Integer) {
            DateTime dt{value.toDouble()};
            if (!dt.isValid()) conversionError(value, type, name);
            return dt;
        }
        auto dt = DateTime::parse(value.toText());
        if (!dt) conversionError(value, type, name);
        return *dt;
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
        return b;
    }
    }
    conversionError(value, type, name);
}

} // namespace corvo::internal
