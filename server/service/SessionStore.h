#pragma once

#include "server/storage/Database.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace corvo::server {

/// Who a session acts as: the user and the company (owner) the login fixed.
struct Session {
    std::string userId;
    std::string userCode;
    std::string ownerId;
    std::string organId;
};

/// Sessions live in the database, so every server process on the same database accepts them.
/// Only a digest of the token is stored: the table alone does not let anyone in. A session
/// found there is trusted for a few seconds without asking again (every request of a call asks);
/// a session ends when idle for the idle time or older than its lifetime, both checked on
/// every find, or when its user is made invalid or gets another password.
class SessionStore {
public:
    static constexpr const char* CookieName = "CORVOSESSION";

    explicit SessionStore(std::chrono::seconds idleExpiry = std::chrono::hours(8),
                          std::chrono::seconds lifetime = std::chrono::hours(24));

    /// A new session; returns the token for the cookie.
    std::string create(storage::Transaction& tx, const Session& session, int64_t now) const;
    /// The live session of a token; an expired one is removed. Refreshes the idle clock at most
    /// once a minute, so most calls only read.
    std::optional<Session> find(storage::Database& db, const std::string& token, int64_t now) const;
    void removeExpired(storage::Transaction& tx, int64_t now) const;
    /// Ends every session of the user (made invalid, or given another password) but the one
    /// of `keepToken` (the caller's own, when it changed its own password): removed from the
    /// table, and from what this process trusts without asking.
    void endSessionsOf(storage::Transaction& tx, const std::string& userId,
                       const std::string& keepToken = {}) const;

    /// "CORVOSESSION=token; Path=/; HttpOnly; SameSite=Strict", with "; Secure" under TLS.
    static std::string cookieFor(const std::string& token, bool secure = false);
    /// The token of our cookie in a Cookie header; empty when absent.
    static std::string tokenFromCookieHeader(std::string_view header);

    std::chrono::seconds idleExpiry() const noexcept { return m_idle; }
    std::chrono::seconds lifetime() const noexcept { return m_lifetime; }

private:
    struct Known;
    std::chrono::seconds m_idle;
    std::chrono::seconds m_lifetime;
    std::shared_ptr<Known> m_known;
};

int64_t unixNow();

} // namespace corvo::server
