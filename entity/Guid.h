#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvo {

/// A GUID as 16 bytes in text order; its text form is the 38-character
/// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hexadecimal.
struct Guid {
    std::array<uint8_t, 16> bytes{};

    static constexpr std::size_t TextLength = 38;
    /// Parses the 38-character form (either letter case); nothing when it is of another form.
    static std::optional<Guid> parse(std::string_view text) noexcept;
    /// A new random (version 4) GUID.
    static Guid create();

    std::string toString() const;
    void writeText(char* out) const noexcept; ///< writes exactly 38 characters
    bool isNull() const noexcept;

    friend bool operator==(const Guid&, const Guid&) = default;
    friend auto operator<=>(const Guid&, const Guid&) = default;
};

/// "{00000000-0000-0000-0000-000000000000}": the absent reference.
inline constexpr std::string_view EmptyGuidText = "{00000000-0000-0000-0000-000000000000}";

} // namespace corvo
