#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvo {

/// An exact decimal: units × 10^-scale. `BCD` fields keep their values this way, rounded
/// to the field's scale (its Size) when written.
struct Decimal {
    int64_t units = 0;
    uint8_t scale = 0;

    static constexpr int MaxScale = 18;

    /// Decimal text ("-12.345", "7", ".5", "1e3" is refused) rounded half away from zero
    /// to the scale; nothing when the text is not a number or does not fit.
    static std::optional<Decimal> parse(std::string_view text, int scale) noexcept;
    /// The nearest decimal of that scale; nothing when out of range or not finite.
    static std::optional<Decimal> fromDouble(double value, int scale) noexcept;
    /// The same value at another scale (rounded); nothing on overflow.
    std::optional<Decimal> rescaled(int newScale) const noexcept;

    double toDouble() const noexcept;
    /// Shortest exact text: no trailing zeros after the point, no point for whole numbers.
    std::string toString() const;
};

} // namespace corvo
