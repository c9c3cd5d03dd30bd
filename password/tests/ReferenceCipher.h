#pragma once

#include "password/tests/BlowfishPiTables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace corvo::test {

/// A plain Blowfish written from the algorithm's definition, so that the password encoding
/// is checked against something that shares no code with the crypto library it calls.
class ReferenceBlowfish {
public:
    using Block = std::array<std::uint8_t, 8>;

    explicit ReferenceBlowfish(std::string_view key)
    {
        for (std::size_t i = 0; i < 18; ++i)
            m_p[i] = kPiP[i];
        for (std::size_t box = 0; box < 4; ++box)
            for (std::size_t i = 0; i < 256; ++i)
                m_s[box][i] = kPiS[box][i];

        std::size_t next = 0;
        for (auto& word : m_p) {
            std::uint32_t data = 0;
            for (int k = 0; k < 4; ++k) {
                data = (data << 8) | static_cast<std::uint8_t>(key[next]);
                next = (next + 1) % key.size();
            }
            word ^= data;
        }
        std::uint32_t left = 0;
        std::uint32_t right = 0;
        for (std::size_t i = 0; i < 18; i += 2) {
            encrypt(left, right);
            m_p[i] = left;
            m_p[i + 1] = right;
        }
        for (auto& box : m_s)
            for (std::size_t i = 0; i < 256; i += 2) {
                encrypt(left, right);
                box[i] = left;
                box[i + 1] = right;
            }
    }

    Block encrypt(const Block& in) const
    {
        std::uint32_t left = load(in, 0);
        std::uint32_t right = load(in, 4);
        encrypt(left, right);
        Block out;
        store(out, 0, left);
        store(out, 4, right);
        return out;
    }

private:
    std::uint32_t f(std::uint32_t x) const
    {
        return ((m_s[0][x >> 24] + m_s[1][(x >> 16) & 0xFF]) ^ m_s[2][(x >> 8) & 0xFF]) +
               m_s[3][x & 0xFF];
    }

    void encrypt(std::uint32_t& left, std::uint32_t& right) const
    {
        for (std::size_t round = 0; round < 16; ++round) {
            left ^= m_p[round];
            right ^= f(left);
            std::swap(left, right);
        }
        std::swap(left, right);
        right ^= m_p[16];
        left ^= m_p[17];
    }

    static std::uint32_t load(const Block& b, std::size_t at)
    {
        return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 |
               std::uint32_t{b[at + 2]} << 8 | std::uint32_t{b[at + 3]};
    }

    static void store(Block& b, std::size_t at, std::uint32_t v)
    {
        for (std::size_t i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    }

    std::array<std::uint32_t, 18> m_p{};
    std::array<std::array<std::uint32_t, 256>, 4> m_s{};
};

/// CFB-8 from the all-0xFF block encrypted once.
inline std::string referenceCfb8(const ReferenceBlowfish& cipher, std::string_view plain)
{
    ReferenceBlowfish::Block shift;
    shift.fill(0xFF);
    shift = cipher.encrypt(shift);
    std::string out;
    for (char c : plain) {
        const auto byte =
            static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^ cipher.encrypt(shift)[0]);
        for (std::size_t i = 0; i + 1 < shift.size(); ++i)
            shift[i] = shift[i + 1];
        shift.back() = byte;
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

/// Standard Base64, then the stale bits put into the last group: for 3k+1 bytes the high
/// nibble of byte 3k-2 (counting from 0) into the second character, for 3k+2 bytes the top
/// two bits of byte 3k-1 into the third.
inline std::string referenceBase64(std::string_view data)
{
    static constexpr std::string_view alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    auto at = [&](std::size_t i) {
        return i < data.size() ? static_cast<std::uint8_t>(data[i]) : std::uint8_t{0};
    };
    std::string out;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        const std::uint32_t triple =
            std::uint32_t{at(i)} << 16 | std::uint32_t{at(i + 1)} << 8 | std::uint32_t{at(i + 2)};
        for (int c = 0; c < 4; ++c)
            out.push_back(alphabet[(triple >> (18 - 6 * c)) & 0x3F]);
    }
    const std::size_t k = data.size() / 3;
    const std::size_t rest = data.size() % 3;
    if (rest != 0) out.replace(out.size() - (3 - rest), 3 - rest, 3 - rest, '=');
    if (k >= 1 && rest == 1) {
        char& c = out[out.size() - 3];
        c = alphabet[alphabet.find(c) | (at(3 * k - 2) >> 4)];
    } else if (k >= 1 && rest == 2) {
        char& c = out[out.size() - 2];
        c = alphabet[alphabet.find(c) | (at(3 * k - 1) >> 6)];
    }
    return out;
}

} // namespace corvo::test
