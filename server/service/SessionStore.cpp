#include "SessionStore.h"

#include "Hex.h"
#include "Values.h"
#include "entity/Error.h"

#include <mutex>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <unordered_map>

namespace corvo::server {

namespace {

using storage::Value;

constexpr int64_t TouchEverySeconds = 60;
constexpr int64_t TrustForSeconds = 5;
constexpr std::size_t MostKnown = 10000;

std::string digest(const std::string& token)
{
    unsigned char md[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(token.data()), token.size(), md);
    return toHex(md, sizeof md);
}

std::string upperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

struct SessionStore::Known {
    struct Entry {
        Session session;
        int64_t created = 0;
        int64_t lastSeen = 0;  ///< as the database holds it
        int64_t checkedAt = 0; ///< when the database was last asked
    };
    std::mutex lock;
    std::unordered_map<std::string, Entry> byToken;
};

SessionStore::SessionStore(std::chrono::seconds idleExpiry, std::chrono::seconds lifetime)
    : m_idle(idleExpiry), m_lifetime(lifetime), m_known(std::make_shared<Known>())
{
}

int64_t unixNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string SessionStore::create(storage::Transaction& tx, const Session& s, int64_t now) const
{
    unsigned char raw[32];
    if (RAND_bytes(raw, sizeof raw) != 1) throw Error("No random bytes for a session");
    const std::string token = toHex(raw, sizeof raw);
    const Value params[] = {
        Value(digest(token)), Value(s.userId), Value(s.userCode), Value(s.ownerId),
        Value(s.organId),     Value(now),      Value(now)};
    tx.execute(R"(INSERT INTO "TSession" ("Token", "UserID", "UserCode", "OwnerID", "OrganID",
                  "Created", "LastSeen") VALUES (?, ?, ?, ?, ?, ?, ?))",
               params);
    return token;
}

std::optional<Session> SessionStore::find(storage::Database& db, const std::string& token,
                                          int64_t now) const
{
    if (token.empty()) return std::nullopt;
    {
        std::lock_guard guard(m_known->lock);
        const auto it = m_known->byToken.find(token);
        if (it != m_known->byToken.end()) {
            const Known::Entry& e = it->second;
            if (now - e.checkedAt < TrustForSeconds && now - e.lastSeen < TouchEverySeconds &&
                now - e.lastSeen <= m_idle.count() && now - e.created <= m_lifetime.count())
                return e.session;
            m_known->byToken.erase(it);
        }
    }
    const std::string key = digest(token);
    const Value byKey[] = {Value(key)};
    storage::Rows rows;
    {
        auto tx = db.begin(storage::TransactionMode::Read);
        rows = tx->query(R"(SELECT "UserID", "UserCode", "OwnerID", "OrganID", "LastSeen",
                            "Created" FROM "TSession" WHERE "Token" = ?)",
                         byKey);
        tx->commit();
    }
    if (rows.rows.empty()) return std::nullopt;
    const auto& r = rows.rows.front();
    const int64_t lastSeen = integerOf(r[4]);
    const int64_t created = integerOf(r[5]);
    if (now - lastSeen > m_idle.count() || now - created > m_lifetime.count()) {
        auto tx = db.begin(storage::TransactionMode::Write);
        tx->execute(R"(DELETE FROM "TSession" WHERE "Token" = ?)", byKey);
        tx->commit();
        return std::nullopt;
    }
    int64_t seen = lastSeen;
    if (now - lastSeen >= TouchEverySeconds) {
        auto tx = db.begin(storage::TransactionMode::Write);
        const Value touch[] = {Value(now), Value(key)};
        tx->execute(R"(UPDATE "TSession" SET "LastSeen" = ? WHERE "Token" = ?)", touch);
        tx->commit();
        seen = now;
    }
    Session session{r[0].toText(), r[1].toText(), r[2].toText(), r[3].toText()};
    std::lock_guard guard(m_known->lock);
    if (m_known->byToken.size() >= MostKnown) m_known->byToken.clear();
    m_known->byToken[token] = {session, created, seen, now};
    return session;
}

void SessionStore::removeExpired(storage::Transaction& tx, int64_t now) const
{
    const Value params[] = {Value(now - m_idle.count()), Value(now - m_lifetime.count())};
    tx.execute(R"(DELETE FROM "TSession" WHERE "LastSeen" < ? OR "Created" < ?)", params);
}

void SessionStore::endSessionsOf(storage::Transaction& tx, const std::string& userId,
                                 const std::string& keepToken) const
{
    const Value params[] = {Value(userId),
                            Value(keepToken.empty() ? std::string() : digest(keepToken))};
    tx.execute(R"(DELETE FROM "TSession" WHERE UPPER("UserID") = UPPER(?) AND "Token" <> ?)",
               params);
    std::lock_guard guard(m_known->lock);
    std::erase_if(m_known->byToken, [&](const auto& entry) {
        return entry.first != keepToken &&
               upperAscii(entry.second.session.userId) == upperAscii(userId);
    });
}

std::string SessionStore::cookieFor(const std::string& token, bool secure)
{
    return std::string(CookieName) + "=" + token + "; Path=/; HttpOnly; SameSite=Strict" +
           (secure ? "; Secure" : "");
}

std::string SessionStore::tokenFromCookieHeader(std::string_view header)
{
    const std::string_view name = CookieName;
    while (!header.empty()) {
        const std::size_t semi = header.find(';');
        std::string_view pair = header.substr(0, semi);
        header = semi == std::string_view::npos ? std::string_view{} : header.substr(semi + 1);
        while (!pair.empty() && pair.front() == ' ')
            pair.remove_prefix(1);
        if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=') {
            const std::string_view token = pair.substr(name.size() + 1);
            // Our tokens are 64 hex digits; anything else is not ours.
            if (token.size() != 64) return {};
            for (char c : token)
                if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return {};
            return std::string(token);
        }
    }
    return {};
}

} // namespace corvo::server
