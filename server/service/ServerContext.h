#pragma once

#include "Credentials.h"
#include "DictionaryCache.h"
#include "ReadRights.h"
#include "SessionStore.h"
#include "server/storage/Database.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corvo::server {

/// One line per service call: class, method, user, milliseconds, result.
using CallLog = std::function<void(const std::string& line)>;

/// What every service of one server process shares.
struct ServerContext {
    storage::Database& db;
    SessionStore sessions;
    Credentials credentials;
    CallLog log;
    std::shared_ptr<DictionaryCache> dictionaries = std::make_shared<DictionaryCache>();
    std::shared_ptr<ReadRightsCache> readRights = std::make_shared<ReadRightsCache>();
    /// Failures logged under a number so far.
    std::shared_ptr<std::atomic<uint64_t>> faults = std::make_shared<std::atomic<uint64_t>>(0);
    /// Logins served so far (old records are pruned every so many).
    std::shared_ptr<std::atomic<uint64_t>> logins = std::make_shared<std::atomic<uint64_t>>(0);
    /// The server speaks TLS: the session cookie is sent "Secure".
    bool secureCookies = false;
};

/// The message every server class but login answers when the request carries no live session.
inline constexpr const char* LoginAgain = "登录已失效或尚未登录，请重新登录系统！";

} // namespace corvo::server
