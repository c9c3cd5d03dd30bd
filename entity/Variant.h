#pragma once

#include "DateTime.h"
#include "Decimal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace corvo {

using Bytes = std::vector<uint8_t>;

/// A value of any field type, or Null. Texts are GBK bytes. A data packet travels as a
/// Variant holding Bytes (a one-dimensional byte array with lower bound 0).
class Variant {
public:
    enum class Type : uint8_t { Null, Boolean, Integer, Float, Decimal, DateTime, String, Bytes };

    Variant() = default;
    Variant(bool v) : m_value(v) {}
    Variant(int v) : m_value(int64_t{v}) {}
    Variant(int64_t v) : m_value(v) {}
    Variant(double v) : m_value(v) {}
    Variant(corvo::Decimal v) : m_value(v) {}
    Variant(corvo::DateTime v) : m_value(v) {}
    Variant(std::string v) : m_value(std::move(v)) {}
    Variant(std::string_view v) : m_value(std::string(v)) {}
    Variant(const char* v) : m_value(std::string(v)) {}
    Variant(corvo::Bytes v) : m_value(std::move(v)) {}

    Type type() const noexcept { return static_cast<Type>(m_value.index()); }
    bool isNull() const noexcept { return type() == Type::Null; }

    bool asBool() const { return std::get<bool>(m_value); }
    int64_t asInteger() const { return std::get<int64_t>(m_value); }
    double asFloat() const { return std::get<double>(m_value); }
    const corvo::Decimal& asDecimal() const { return std::get<corvo::Decimal>(m_value); }
    corvo::DateTime asDateTime() const { return std::get<corvo::DateTime>(m_value); }
    const std::string& asString() const { return std::get<std::string>(m_value); }
    const corvo::Bytes& asBytes() const { return std::get<corvo::Bytes>(m_value); }
    corvo::Bytes takeBytes() { return std::move(std::get<corvo::Bytes>(m_value)); }

    /// The value as text: "" for Null, "True"/"False", decimal numbers, dates as "yyyy-mm-dd".
    std::string toText() const;
    /// Numbers, booleans, dates and numeric texts as a float; throws corvo::Error otherwise.
    double toDouble() const;
    /// The same, with no value for Null, binaries and texts that are no number.
    std::optional<double> numberOrNone() const noexcept;

    /// Variant comparison: numbers by value (numeric text converted), texts exactly,
    /// Null equals only Null.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    std::variant<std::monostate, bool, int64_t, double, corvo::Decimal, corvo::DateTime,
                 std::string, corvo::Bytes>
        m_value;
};

} // namespace corvo
