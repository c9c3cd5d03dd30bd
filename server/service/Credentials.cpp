#include "Credentials.h"

#include "Values.h"

#include <algorithm>

namespace corvo::server {

using storage::Value;

void Credentials::store(storage::Transaction& tx, const std::string& userId,
                        std::string_view encoded) const
{
    storeHash(tx, userId, hash(encoded));
}

std::string Credentials::hash(std::string_view encoded) const
{
    return hashPassword(encoded, m_iterations);
}

void Credentials::storeHash(storage::Transaction& tx, const std::string& userId,
                            const std::string& hash)
{
    const Value params[] = {Value(userId), Value(hash)};
    tx.execute(R"(INSERT INTO "TUserCredential" ("UserID", "Hash", "FailedCount", "LastFailed")
                  VALUES (?, ?, 0, 0)
                  ON CONFLICT ("UserID") DO UPDATE SET "Hash" = excluded."Hash",
                  "FailedCount" = 0, "LastFailed" = 0)",
               params);
}

std::optional<Credential> Credentials::find(storage::Transaction& tx,
                                            const std::string& userId) const
{
    const Value params[] = {Value(userId)};
    const storage::Rows rows = tx.query(
        R"(SELECT "Hash", "FailedCount", "LastFailed" FROM "TUserCredential" WHERE "UserID" = ?)",
        params);
    if (rows.rows.empty()) return std::nullopt;
    const auto& r = rows.rows.front();
    return Credential{r[0].toText(), integerOf(r[1]), integerOf(r[2])};
}

int64_t Credentials::waitSeconds(const Credential& c, int64_t now) const
{
    constexpr int64_t FreeFailures = 2;
    if (c.failedCount <= FreeFailures) return 0;
    const int64_t shift = std::min<int64_t>(c.failedCount - FreeFailures - 1, 6);
    const int64_t delay = std::min<int64_t>(int64_t{1} << shift, 60) * m_backoff;
    return std::max<int64_t>(0, c.lastFailed + delay - now);
}

void Credentials::recordFailure(storage::Transaction& tx, const std::string& userId, int64_t now)
{
    const Value params[] = {Value(now), Value(userId)};
    tx.execute(R"(UPDATE "TUserCredential" SET "FailedCount" = "FailedCount" + 1,
                  "LastFailed" = ? WHERE "UserID" = ?)",
               params);
}

void Credentials::recordSuccess(storage::Transaction& tx, const std::string& userId)
{
    const Value params[] = {Value(userId)};
    tx.execute(R"(UPDATE "TUserCredential" SET "FailedCount" = 0 WHERE "UserID" = ? AND
                  "FailedCount" <> 0)",
               params);
}

} // namespace corvo::server
