#pragma once

#include <string>
#include <string_view>

namespace corvo {

/// The password text that leaves the client (login, password fields of the insert and update
/// forms); the server and the stored passwords expect exactly this text.
///
/// Both arguments are GBK bytes, hashed and encrypted exactly as given (no conversion, no
/// trimming): the key is Blowfish under the SHA-1 of the user code, the password is
/// encrypted in 8-bit cipher feedback from the encrypted all-0xFF block, and the cipher text
/// is written in Base64. The Base64 is not the standard one: a last group of one or two
/// bytes is completed with the bytes the previous group left behind, not with zeros. The
/// result is ASCII and at most 20 characters (the size of the password fields), so only the
/// first 15 password bytes show in it. An empty password gives an empty text.
std::string EncodePassword(std::string_view userCode, std::string_view password);

} // namespace corvo
