#pragma once

#include <cstddef>
#include <string>

namespace corvo::server {

/// Lower-case hexadecimal digits of the bytes.
inline std::string toHex(const unsigned char* data, std::size_t n)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

} // namespace corvo::server
