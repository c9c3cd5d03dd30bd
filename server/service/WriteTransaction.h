#pragma once

#include "WriteCall.h"
#include "WrittenRows.h"

#include <functional>
#include <map>
#include <span>
#include <string>

namespace corvo {
class TParamData;
class Variant;
} // namespace corvo

namespace corvo::server {

/// Runs `work` as one write call: one write transaction, committed only when `work` returns
/// without raising; whatever it raised leaves nothing stored.
void inWriteCall(ServiceCall& call, const std::function<void(WriteCall&)>& work);

/// The rows of those ObjIDs as stored, in the client's structure of the table (display
/// columns filled), as a data packet. The rows' owner may be the company or, for the
/// partner-side rows, `partner`.
Variant storedPacket(WriteCall& call, const std::string& table, std::span<const std::string> objIds,
                     const std::string& partner = {});

/// The packet's data row `name`; refuses a packet without it ("参数[name]不存在 ...").
Variant requiredData(TParamData& packet, std::string_view name);

/// Password hashes of the TUser rows' PassWord texts (for `newUsers` the empty one too), made
/// before the transaction opens (the hash is slow on purpose; nothing slow may hold the write
/// lock), by the encoded text. Nothing is hashed before the user's right to write users with
/// one of `formClasses` is checked (in a read transaction), and one call hashes at most
/// MaxPasswordsPerCall passwords.
using PasswordHashes = std::map<std::string, std::string>;
inline constexpr std::size_t MaxPasswordsPerCall = 20;
PasswordHashes hashPasswords(ServiceCall& call, TParamData& packet, bool newUsers,
                             std::span<const std::string_view> formClasses);

/// Stores the hash of every TUser row's PassWord as that user's password; the column itself
/// keeps nothing. A new user without one gets the empty password (the client encodes an empty
/// password as an empty text); a changed user without one keeps the stored password.
void storePasswords(WriteCall& call, WrittenRows& rows, const PasswordHashes& hashes,
                    bool newUsers);

} // namespace corvo::server
