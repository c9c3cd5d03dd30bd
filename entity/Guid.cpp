#include "Guid.h"

#include <random>

namespace corvo {
namespace {

constexpr int Groups[] = {8, 4, 4, 4, 12};

int hexValue(char c) noexcept
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<Guid> Guid::parse(std::string_view text) noexcept
{
    if (text.size() != TextLength || text.front() != '{' || text.back() != '}') return std::nullopt;
    Guid g;
    size_t pos = 1, byte = 0;
    for (int gi = 0; gi < 5; ++gi) {
        if (gi > 0) {
            if (text[pos] != '-') return std::nullopt;
            ++pos;
        }
        for (int k = 0; k < Groups[gi]; k += 2) {
            int hi = hexValue(text[pos]), lo = hexValue(text[pos + 1]);
            if (hi < 0 || lo < 0) return std::nullopt;
            g.bytes[byte++] = static_cast<uint8_t>(hi << 4 | lo);
            pos += 2;
        }
    }
    return g;
}

Guid Guid::create()
{
    thread_local std::mt19937_64 engine{std::random_device{}()};
    Guid g;
    uint64_t a = engine(), b = engine();
    for (int i = 0; i < 8; ++i) {
        g.bytes[i] = static_cast<uint8_t>(a >> (8 * i));
        g.bytes[8 + i] = static_cast<uint8_t>(b >> (8 * i));
    }
    g.bytes[6] = static_cast<uint8_t>((g.bytes[6] & 0x0F) | 0x40);
    g.bytes[8] = static_cast<uint8_t>((g.bytes[8] & 0x3F) | 0x80);
    return g;
}

void Guid::writeText(char* out) const noexcept
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    size_t pos = 0, byte = 0;
    out[pos++] = '{';
    for (int gi = 0; gi < 5; ++gi) {
        if (gi > 0) out[pos++] = '-';
        for (int k = 0; k < Groups[gi]; k += 2) {
            out[pos++] = Hex[bytes[byte] >> 4];
            out[pos++] = Hex[bytes[byte] & 0x0F];
            ++byte;
        }
    }
    out[pos] = '}';
}

std::string Guid::toString() const
{
    std::string s(TextLength, '\0');
    writeText(s.data());
    return s;
}

bool Guid::isNull() const noexcept
{
    for (uint8_t b : bytes)
        if (b) return false;
    return true;
}

} // namespace corvo
