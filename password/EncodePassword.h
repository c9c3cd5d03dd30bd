#pragma once

#include <cstddef>
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
/// result is ASCII, the whole encoded text (4 characters per 3 password bytes, rounded up);
/// a field it is written into cuts it to the field's size, so the login's 20-character
/// `PassWord` holds its first 20. An empty password gives an empty text.
std::string EncodePassword(std::string_view userCode, std::string_view password);

/// The size of the login record's `PassWord` and `NewPassWord`: the server stores and
/// compares the encoded text cut to this.
inline constexpr std::size_t LoginPasswordFieldSize = 20;

} // namespace corvo
