#include "server/storage/postgres/PgValues.h"

#include "entity/Error.h"
#include "server/storage/internal/Text.h"

#include <charconv>
#include <cmath>

namespace corvo::server::storage::postgres {
namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

[[noreturn]] void malformed(std::string_view what, std::string_view text)
{
    constexpr std::size_t Shown = 40;
    throw StorageError("Malformed " + std::string(what) + " from the database server: \"" +
                       std::string(text.substr(0, Shown)) + (text.size() > Shown ? "...\"" : "\""));
}

Value numericValue(std::string_view text)
{
    std::size_t point = text.find('.');
    std::size_t scale = point == std::string_view::npos ? 0 : text.size() - point - 1;
    // numeric without a declared scale can print more places than a Decimal holds; trailing
    // zeros may go, anything else keeps the exact text.
    while (scale > Decimal::MaxScale && text.back() == '0') {
        text.remove_suffix(1);
        --scale;
    }
    if (scale <= Decimal::MaxScale) {
        if (auto decimal = Decimal::parse(text, static_cast<int>(scale))) return Value(*decimal);
    }
    return Value(std::string(text));
}

} // namespace

std::string floatText(double value)
{
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string parameterText(const Value& value, std::size_t position)
{
    switch (value.type()) {
    case Value::Type::Boolean:
        return value.asBool() ? "1" : "0";
    case Value::Type::Integer:
        return std::to_string(value.asInteger());
    case Value::Type::Float:
        return floatText(value.asFloat());
    case Value::Type::Decimal:
        return value.asDecimal().toString();
    case Value::Type::DateTime:
        return internal::dateTimeParameter(value.asDateTime(), position);
    case Value::Type::String:
        if (value.asString().find('\0') != std::string::npos)
            throw StorageError("Parameter " + std::to_string(position) +
                               " is text with a NUL character, which the database cannot store");
        return value.asString();
    case Value::Type::Null:
    case Value::Type::Bytes:
        break;
    }
    throw StorageError("Parameter " + std::to_string(position) + " has no text form");
}

Bytes decodeBytea(std::string_view text)
{
    if (!text.starts_with("\\x") || text.size() % 2 != 0) malformed("bytea value", text);
    Bytes bytes;
    bytes.reserve((text.size() - 2) / 2);
    for (std::size_t i = 2; i < text.size(); i += 2) {
        int high = hexDigit(text[i]), low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) malformed("bytea value", text);
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

Value fromText(unsigned typeOid, std::string_view text)
{
    switch (typeOid) {
    case oid::Bool:
        if (text == "t") return Value(true);
        if (text == "f") return Value(false);
        malformed("boolean", text);
    case oid::Int2:
    case oid::Int4:
    case oid::Int8: {
        int64_t number = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            malformed("integer", text);
        return Value(number);
    }
    case oid::Float4:
    case oid::Float8: {
        double number = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            malformed("float", text);
        return Value(number);
    }
    case oid::Numeric:
        return numericValue(text);
    case oid::Bytea:
        return Value(decodeBytea(text));
    default:
        return Value(std::string(text));
    }
}

} // namespace corvo::server::storage::postgres
