#pragma once

#include "ServiceObject.h"
#include "SessionStore.h"
#include "entity/DateTime.h"
#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <map>
#include <string>

namespace corvo::server {

/// What one write call works with: who writes, the dictionary, and the one transaction every
/// statement of the call runs in. The call commits it only when every step succeeded.
struct WriteCall {
    ServiceCall& service;
    const Session& session;
    const schema::Dictionary& dictionary;
    storage::Transaction& tx;
    DateTime now; ///< local time, fixed for the call: CreateDate and the dates of codes
    /// First status (lowest DispOrder) of each status type, by Type, read once per call.
    std::map<std::string, std::string> firstStatus = {};
};

} // namespace corvo::server
