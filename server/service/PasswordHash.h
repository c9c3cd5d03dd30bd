#pragma once

#include <string>
#include <string_view>

namespace corvo::server {

/// Stored form of a password: "pbkdf2-sha256$ITERATIONS$SALT$HASH" (salt and hash in hex) of
/// the encoded text the client sends, so a stolen table gives neither the password nor
/// something that logs in.
std::string hashPassword(std::string_view encoded, int iterations = 0);
/// Constant-time comparison; false for a stored text that is not of the form above.
bool verifyPassword(std::string_view encoded, std::string_view stored);

/// The work factor of new hashes.
inline constexpr int DefaultPasswordIterations = 60'000;

} // namespace corvo::server
