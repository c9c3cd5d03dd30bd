#include "Variant.h"

#include "Error.h"
#include "Gbk.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace corvo {
namespace {

bool textToDouble(std::string_view text, double& out)
{
    text = gbk::trim(text);
    if (text.empty()) return false;
    if (text.front() == '+') text.remove_prefix(1);
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

bool isNumeric(Variant::Type t)
{
    return t == Variant::Type::Boolean || t == Variant::Type::Integer ||
           t == Variant::Type::Float || t == Variant::Type::Decimal || t == Variant::Type::DateTime;
}

} // namespace

std::string Variant::toText() const
{
    switch (type()) {
    case Type::Null:
        return {};
    case Type::Boolean:
        return asBool() ? "True" : "False";
    case Type::Integer:
        return std::to_string(asInteger());
    case Type::Float: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", asFloat());
        return buf;
    }
    case Type::Decimal:
        return asDecimal().toString();
    case Type::DateTime:
        return asDateTime().toString();
    case Type::String:
        return asString();
    case Type::Bytes:
        return std::string(asBytes().begin(), asBytes().end());
    }
    return {};
}

std::optional<double> Variant::numberOrNone() const noexcept
{
    switch (type()) {
    case Type::Boolean:
        return asBool() ? 1 : 0;
    case Type::Integer:
        return static_cast<double>(asInteger());
    case Type::Float:
        return asFloat();
    case Type::Decimal:
        return asDecimal().toDouble();
    case Type::DateTime:
        return asDateTime().days;
    case Type::String: {
        double d = 0;
        if (textToDouble(asString(), d)) return d;
        return std::nullopt;
    }
    case Type::Null:
    case Type::Bytes:
        return std::nullopt;
    }
    return std::nullopt;
}

double Variant::toDouble() const
{
    if (auto d = numberOrNone()) return *d;
    switch (type()) {
    case Type::Null:
        throw Error("空值不能转换为数值");
    case Type::Bytes:
        throw Error("二进制值不能转换为数值");
    default:
        throw Error("“" + gbk::display(asString()) + "”不是有效的数值");
    }
}

bool operator==(const Variant& a, const Variant& b)
{
    using T = Variant::Type;
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    if (a.type() == b.type()) {
        if (a.type() == T::Decimal) return a.asDecimal().toDouble() == b.asDecimal().toDouble();
        return a.m_value == b.m_value;
    }
    if (isNumeric(a.type()) && isNumeric(b.type())) return a.toDouble() == b.toDouble();
    if ((a.type() == T::String && isNumeric(b.type())) ||
        (b.type() == T::String && isNumeric(a.type()))) {
        const Variant& text = a.type() == T::String ? a : b;
        const Variant& number = a.type() == T::String ? b : a;
        double d = 0;
        return textToDouble(text.asString(), d) && d == number.toDouble();
    }
    return a.toText() == b.toText();
}

} // namespace corvo
