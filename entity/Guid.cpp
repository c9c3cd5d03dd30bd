#include "Guid.h"

#include <array>
#include <cstdint>
#include <random>

namespace corvo {
namespace {

constexpr int Groups[] = {8, 4, 4, 4, 12};

// Hex digit values by byte, 0xFF for anything else: parsing runs for every GUID a dataset
// takes in, so it avoids branching per character.
constexpr std::array<uint8_t, 256> HexTable = [] {
    std::array<uint8_t, 256> t{};
    t.fill(0xFF);
    for (int c = 0; c < 10; ++c)
        t[static_cast<std::size_t>('0' + c)] = static_cast<uint8_t>(c);
    for (int c = 0; c < 6; ++c) {
        t[static_cast<std::size_t>('A' + c)] = static_cast<uint8_t>(10 + c);
        t[static_cast<std::size_t>('a' + c)] = static_cast<uint8_t>(10 + c);
    }
    return t;
}();

} // namespace

std::optional<Guid> Guid::parse(std::string_view text) noexcept
{
    if (text.size() != TextLength || text.front() != '{' || text.back() != '}' || text[9] != '-' ||
        text[14] != '-' || text[19] != '-' || text[24] != '-')
        return std::nullopt;
    Guid g;
    size_t pos = 1, byte = 0;
    uint8_t bad = 0;
    for (int gi = 0; gi < 5; ++gi) {
        if (gi > 0) ++pos;
        for (int k = 0; k < Groups[gi]; k += 2) {
            const uint8_t hi = HexTable[static_cast<unsigned char>(text[pos])];
            const uint8_t lo = HexTable[static_cast<unsigned char>(text[pos + 1])];
            bad |= static_cast<uint8_t>(hi | lo);
            g.bytes[byte++] = static_cast<uint8_t>(hi << 4 | (lo & 0x0F));
            pos += 2;
        }
    }
    if (bad & 0xF0) return std::nullopt;
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
