#include "password/EncodePassword.h"

// The low-level Blowfish calls are deprecated in OpenSSL 3, but EVP offers no Blowfish CFB-8
// and loads Blowfish only from the legacy provider; this file alone asks for the 1.1 interface.
#define OPENSSL_API_COMPAT 0x10100000L
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <openssl/blowfish.h>
#include <openssl/crypto.h>
#include <openssl/sha.h>

namespace corvo {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

/// Base64 through a group buffer that a short last group only partly overwrites.
std::string base64KeepingStaleBytes(const unsigned char* data, std::size_t size)
{
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    std::array<unsigned char, 3> group{};
    for (std::size_t pos = 0; pos < size; pos += 3) {
        const std::size_t taken = std::min<std::size_t>(3, size - pos);
        std::memcpy(group.data(), data + pos, taken);
        const char chars[4] = {
            kAlphabet[group[0] >> 2],
            kAlphabet[((group[0] & 0x03) << 4) | (group[1] >> 4)],
            kAlphabet[((group[1] & 0x0F) << 2) | (group[2] >> 6)],
            kAlphabet[group[2] & 0x3F],
        };
        out.append(chars, taken + 1);
        out.append(3 - taken, '=');
    }
    OPENSSL_cleanse(group.data(), group.size());
    return out;
}

} // namespace

std::string EncodePassword(std::string_view userCode, std::string_view password)
{
    std::array<unsigned char, SHA_DIGEST_LENGTH> digest{};
    SHA1(reinterpret_cast<const unsigned char*>(userCode.data()), userCode.size(), digest.data());
    BF_KEY key;
    BF_set_key(&key, static_cast<int>(digest.size()), digest.data());

    std::array<unsigned char, BF_BLOCK> shift;
    shift.fill(0xFF);
    BF_ecb_encrypt(shift.data(), shift.data(), &key, BF_ENCRYPT);

    std::string cipher(password.size(), '\0');
    std::array<unsigned char, BF_BLOCK> stream{};
    for (std::size_t i = 0; i < password.size(); ++i) {
        BF_ecb_encrypt(shift.data(), stream.data(), &key, BF_ENCRYPT);
        const auto byte =
            static_cast<unsigned char>(static_cast<unsigned char>(password[i]) ^ stream[0]);
        std::memmove(shift.data(), shift.data() + 1, shift.size() - 1);
        shift.back() = byte;
        cipher[i] = static_cast<char>(byte);
    }

    std::string encoded = base64KeepingStaleBytes(
        reinterpret_cast<const unsigned char*>(cipher.data()), cipher.size());

    OPENSSL_cleanse(&key, sizeof key);
    OPENSSL_cleanse(digest.data(), digest.size());
    OPENSSL_cleanse(shift.data(), shift.size());
    OPENSSL_cleanse(stream.data(), stream.size());
    OPENSSL_cleanse(cipher.data(), cipher.size());
    return encoded;
}

} // namespace corvo
