#include "Credentials.h"

#include "Values.h"

#include <algorithm>

namespace corvo::server {

using storage::Value;

Credentials::Credentials(int iterations, int64_t backoffSeconds)
    : m_iterations(iterations), m_backoff(backoffSeconds > 0 ? backoffSeconds : 1),
      m_nothing(hashPassword("\x01no password\x01", iterations))
{
}

bool Credentials::checkAgainstNothing(std::string_view encoded) const
{
    verifyPassword(encoded, m_nothing);
    return false;
}

namespace {

// The wait after the last failure, in back-offs, once `free` failures are used up: 1, 2, 4 ...
// at most 60, as SQL over the row's "FailedCount".
std::string waitFactor(int64_t free)
{
    const std::string f = std::to_string(free + 1);
    return "(CASE WHEN \"FailedCount\" >= " + std::to_string(free + 7) +
           " THEN 60 ELSE (1 << (\"FailedCount\" - " + f + ")) END)";
}

} // namespace

bool Credentials::claimAttempt(storage::Transaction& tx, const std::string& userId,
                               int64_t now) const
{
    // Checked and counted by one statement: a row lock (PostgreSQL) or the write lock (SQLite)
    // orders concurrent attempts, and each sees the count the one before left.
    const Value params[] = {Value(now), Value(userId), Value(m_backoff), Value(now)};
    return tx.execute(R"(UPDATE "TUserCredential" SET "FailedCount" = "FailedCount" + 1,
                  "LastFailed" = ? WHERE "UserID" = ? AND ("FailedCount" <= 2 OR
                  "LastFailed" + )" +
                          waitFactor(2) + R"( * ? <= ?))",
                      params) == 1;
}

bool Credentials::claimAddress(storage::Transaction& tx, const std::string& address,
                               int64_t now) const
{
    if (address.empty()) return true;
    const Value key[] = {Value(address)};
    tx.execute(R"(INSERT INTO "TLoginAddress" ("Address", "FailedCount", "LastFailed")
                  VALUES (?, 0, 0) ON CONFLICT ("Address") DO NOTHING)",
               key);
    const int64_t windowStart = now - AddressWindowSeconds;
    const Value params[] = {Value(windowStart), Value(now),       Value(address),
                            Value(windowStart), Value(m_backoff), Value(now)};
    return tx.execute(R"(UPDATE "TLoginAddress" SET "FailedCount" = CASE WHEN "LastFailed" < ?
                  THEN 1 ELSE "FailedCount" + 1 END, "LastFailed" = ? WHERE "Address" = ? AND
                  ("LastFailed" < ? OR "FailedCount" < )" +
                          std::to_string(AddressFreeFailures) + R"( OR "LastFailed" + )" +
                          waitFactor(AddressFreeFailures - 1) + R"( * ? <= ?))",
                      params) == 1;
}

void Credentials::releaseAddress(storage::Transaction& tx, const std::string& address)
{
    if (address.empty()) return;
    const Value params[] = {Value(address)};
    tx.execute(R"(UPDATE "TLoginAddress" SET "FailedCount" = "FailedCount" - 1
                  WHERE "Address" = ? AND "FailedCount" > 0)",
               params);
}

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
