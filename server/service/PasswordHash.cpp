#include "PasswordHash.h"

#include "Hex.h"
#include "entity/Error.h"

#include <charconv>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <vector>

namespace corvo::server {

namespace {

constexpr std::string_view Scheme = "pbkdf2-sha256";
constexpr int SaltBytes = 16;
constexpr int HashBytes = 32;
// A stored text may not make a check arbitrarily slow.
constexpr int MaxIterations = 10'000'000;

bool unhex(std::string_view text, std::vector<unsigned char>& out)
{
    if (text.size() % 2) return false;
    out.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned v = 0;
        const auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, v, 16);
        if (ec != std::errc{} || end != text.data() + i + 2) return false;
        out.push_back(static_cast<unsigned char>(v));
    }
    return true;
}

std::vector<unsigned char> derive(std::string_view encoded, const std::vector<unsigned char>& salt,
                                  int iterations)
{
    std::vector<unsigned char> out(HashBytes);
    if (PKCS5_PBKDF2_HMAC(encoded.data(), static_cast<int>(encoded.size()), salt.data(),
                          static_cast<int>(salt.size()), iterations, EVP_sha256(), HashBytes,
                          out.data()) != 1)
        throw Error("Cannot derive the password hash");
    return out;
}

} // namespace

std::string hashPassword(std::string_view encoded, int iterations)
{
    if (iterations <= 0) iterations = DefaultPasswordIterations;
    std::vector<unsigned char> salt(SaltBytes);
    if (RAND_bytes(salt.data(), SaltBytes) != 1) throw Error("No random bytes for a salt");
    const auto hash = derive(encoded, salt, iterations);
    return std::string(Scheme) + "$" + std::to_string(iterations) + "$" +
           toHex(salt.data(), salt.size()) + "$" + toHex(hash.data(), hash.size());
}

bool verifyPassword(std::string_view encoded, std::string_view stored)
{
    std::string_view parts[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t sep = i < 3 ? stored.find('$') : stored.size();
        if (sep == std::string_view::npos) return false;
        parts[i] = stored.substr(0, sep);
        stored.remove_prefix(i < 3 ? sep + 1 : sep);
    }
    int iterations = 0;
    const auto [end, ec] =
        std::from_chars(parts[1].data(), parts[1].data() + parts[1].size(), iterations);
    std::vector<unsigned char> salt, expected;
    if (parts[0] != Scheme || ec != std::errc{} || end != parts[1].data() + parts[1].size() ||
        iterations <= 0 || iterations > MaxIterations || !unhex(parts[2], salt) ||
        !unhex(parts[3], expected) || expected.size() != HashBytes)
        return false;
    const auto actual = derive(encoded, salt, iterations);
    return CRYPTO_memcmp(actual.data(), expected.data(), HashBytes) == 0;
}

} // namespace corvo::server
