#pragma once

#include <string>
#include <string_view>

namespace corvo::remote {

/// Messages are UTF-8 in the program and UTF-16 on the wire. Malformed input becomes U+FFFD
/// rather than failing: an error message must always get through.
std::u16string utf16FromUtf8(std::string_view utf8);
std::string utf8FromUtf16(std::u16string_view utf16);

} // namespace corvo::remote
