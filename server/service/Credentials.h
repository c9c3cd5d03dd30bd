#pragma once

#include "PasswordHash.h"
#include "server/storage/Database.h"

#include <cstdint>
#include <optional>
#include <string>

namespace corvo::server {

/// A user's stored password hash and the count of failed logins since the last success.
struct Credential {
    std::string hash;
    int64_t failedCount = 0;
    int64_t lastFailed = 0; ///< seconds since the epoch
};

/// Password hashes by user, with repeated failures slowed down: from the third failure on, a
/// user must wait 1, 2, 4 ... (at most 60) times the back-off after the last failure before a
/// password of theirs is checked at all.
class Credentials {
public:
    explicit Credentials(int iterations = DefaultPasswordIterations, int64_t backoffSeconds = 1);

    void store(storage::Transaction& tx, const std::string& userId, std::string_view encoded) const;
    /// The slow part of store, to run before a transaction is opened.
    std::string hash(std::string_view encoded) const;
    static void storeHash(storage::Transaction& tx, const std::string& userId,
                          const std::string& hash);
    std::optional<Credential> find(storage::Transaction& tx, const std::string& userId) const;

    /// Seconds the user must still wait before the next check; 0 when a check may run.
    int64_t waitSeconds(const Credential& c, int64_t now) const;
    static void recordFailure(storage::Transaction& tx, const std::string& userId, int64_t now);
    static void recordSuccess(storage::Transaction& tx, const std::string& userId);

    /// One step, so that concurrent guesses cannot slip past the back-off: when the user need
    /// not wait, counts the attempt as a failure (recordSuccess undoes it) and answers true;
    /// otherwise answers false and changes nothing. An unknown user id changes nothing and
    /// answers false, after the same statement.
    bool claimAttempt(storage::Transaction& tx, const std::string& userId, int64_t now) const;
    /// The same for the client's address: AddressFreeFailures attempts that did not succeed,
    /// then 1, 2, 4 ... (at most 60) times the back-off after the last; the count starts over
    /// AddressWindowSeconds after the last. An empty address is not limited.
    bool claimAddress(storage::Transaction& tx, const std::string& address, int64_t now) const;
    /// Undoes an address's claim after a success.
    static void releaseAddress(storage::Transaction& tx, const std::string& address);
    /// Checks the text against a hash of the same cost as a stored one and answers false: what
    /// a login for an unknown user costs, so that it takes as long as a wrong password.
    bool checkAgainstNothing(std::string_view encoded) const;

    static constexpr int64_t AddressFreeFailures = 10;
    static constexpr int64_t AddressWindowSeconds = 15 * 60;

private:
    int m_iterations;
    int64_t m_backoff;
    std::string m_nothing; ///< a hash of a text no one sends
};

} // namespace corvo::server
