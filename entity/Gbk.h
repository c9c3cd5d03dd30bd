#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

/// GBK text: `String` fields hold GBK bytes. These helpers convert at the boundaries
/// (UTF-8 for messages and databases, UTF-16 for the wire) and cut text without
/// splitting a double-byte character.
namespace corvo::gbk {

/// True when the bytes are well-formed GBK (ASCII, or a lead byte 0x81..0xFE followed
/// by a trail byte 0x40..0xFE other than 0x7F).
bool isValid(std::string_view bytes) noexcept;

/// The longest prefix of at most maxBytes bytes that ends on a character boundary.
std::string_view cut(std::string_view text, std::size_t maxBytes) noexcept;

/// Number of characters (a double-byte character counts once).
std::size_t charCount(std::string_view text) noexcept;

/// Conversions; each throws corvo::Error when the input cannot be represented.
std::string fromUtf8(std::string_view utf8);
std::string toUtf8(std::string_view gbk);
/// The same two conversions with no value when the input cannot be represented.
std::optional<std::string> fromUtf8OrNone(std::string_view utf8);
std::optional<std::string> toUtf8OrNone(std::string_view gbk);
std::string fromUtf16(std::u16string_view utf16);
std::u16string toUtf16(std::string_view gbk);

/// For composing messages: GBK text shown as UTF-8; bytes that are not GBK become '?'.
std::string display(std::string_view gbk);

/// ASCII letters folded to upper case; the bytes of double-byte characters stay as they are.
std::string upper(std::string_view text);
std::string lower(std::string_view text);

/// Equality ignoring the letter case of single-byte characters.
bool equalsIgnoreCase(std::string_view a, std::string_view b) noexcept;
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) noexcept;

/// Blanks (bytes up to and including ' ') removed at both ends.
std::string_view trim(std::string_view text) noexcept;

} // namespace corvo::gbk
