#include "Decimal.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace corvo {
namespace {

__extension__ typedef __int128 Int128;

constexpr int64_t Pow10[] = {1,
                             10,
                             100,
                             1000,
                             10000,
                             100000,
                             1000000,
                             10000000,
                             100000000,
                             1000000000,
                             10000000000,
                             100000000000,
                             1000000000000,
                             10000000000000,
                             100000000000000,
                             1000000000000000,
                             10000000000000000,
                             100000000000000000,
                             1000000000000000000};

} // namespace

std::optional<Decimal> Decimal::parse(std::string_view text, int scale) noexcept
{
    if (scale < 0 || scale > MaxScale) return std::nullopt;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    Int128 units = 0;
    int fraction = -1; // digits seen after the point, -1 before it
    bool anyDigit = false, roundUp = false;
    for (char c : text) {
        if (c == '.') {
            if (fraction >= 0) return std::nullopt;
            fraction = 0;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        anyDigit = true;
        if (fraction >= scale) {
            if (fraction == scale) roundUp = c >= '5';
            ++fraction;
            continue;
        }
        units = units * 10 + (c - '0');
        if (units > std::numeric_limits<int64_t>::max()) return std::nullopt;
        if (fraction >= 0) ++fraction;
    }
    if (!anyDigit) return std::nullopt;
    for (int f = fraction < 0 ? 0 : std::min(fraction, scale); f < scale; ++f) {
        units *= 10;
        if (units > std::numeric_limits<int64_t>::max()) return std::nullopt;
    }
    if (roundUp) ++units;
    if (units > std::numeric_limits<int64_t>::max()) return std::nullopt;
    int64_t value = static_cast<int64_t>(units);
    return Decimal{negative ? -value : value, static_cast<uint8_t>(scale)};
}

std::optional<Decimal> Decimal::fromDouble(double value, int scale) noexcept
{
    if (scale < 0 || scale > MaxScale || !std::isfinite(value)) return std::nullopt;
    // Through the shortest round-trip text so 0.1 + 0.2 style noise does not reach the units.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string_view text(buf);
    if (text.find('e') != std::string_view::npos) {
        long double scaled = std::round(static_cast<long double>(value) * Pow10[scale]);
        if (std::fabs(scaled) >= 9.2e18L) return std::nullopt;
        return Decimal{static_cast<int64_t>(scaled), static_cast<uint8_t>(scale)};
    }
    return parse(text, scale);
}

std::optional<Decimal> Decimal::rescaled(int newScale) const noexcept
{
    if (newScale < 0 || newScale > MaxScale) return std::nullopt;
    if (newScale == scale) return *this;
    if (newScale > scale) {
        Int128 u = static_cast<Int128>(units) * Pow10[newScale - scale];
        if (u > std::numeric_limits<int64_t>::max() || u < std::numeric_limits<int64_t>::min())
            return std::nullopt;
        return Decimal{static_cast<int64_t>(u), static_cast<uint8_t>(newScale)};
    }
    int64_t div = Pow10[scale - newScale];
    int64_t q = units / div, r = units % div;
    if (2 * (r < 0 ? -r : r) >= div) q += units < 0 ? -1 : 1;
    return Decimal{q, static_cast<uint8_t>(newScale)};
}

double Decimal::toDouble() const noexcept
{
    return static_cast<double>(units) / static_cast<double>(Pow10[scale]);
}

std::string Decimal::toString() const
{
    uint64_t magnitude =
        units < 0 ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
    std::string digits = std::to_string(magnitude);
    if (digits.size() <= scale) digits.insert(0, scale - digits.size() + 1, '0');
    std::string out = units < 0 ? "-" : "";
    size_t intLen = digits.size() - scale;
    out.append(digits, 0, intLen);
    std::string frac = digits.substr(intLen);
    while (!frac.empty() && frac.back() == '0')
        frac.pop_back();
    if (!frac.empty()) out += "." + frac;
    return out;
}

} // namespace corvo
