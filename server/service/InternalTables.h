#pragma once

#include "server/storage/Database.h"

#include <cstdint>
#include <span>
#include <string>

namespace corvo::server {

/// Tables only the server reads: sessions, password hashes, the saves already stored (by
/// company and ObjID) and the code counters (by company). They stay out of the data dictionary
/// so no client query can reach them. `existing`: the database's tables; a save log or
/// counters table an earlier version made without a company is made anew.
void createInternalTables(storage::Transaction& tx, std::span<const std::string> existing = {});

/// The unique indexes the write rules rely on across companies: organisation codes (the login
/// finds an organisation by its code). Left off, with a line on standard error, while stored
/// rows repeat a code.
void createUniqueIndexes(storage::Transaction& tx);

/// Records the company that owns the installation (the only one that writes the tables every
/// company shares), unless one is recorded already.
void markInstallationOwner(storage::Transaction& tx, const std::string& ownerId);
/// The company that owns the installation; empty when none is recorded.
std::string installationOwner(storage::Transaction& tx);

/// How long a save stays recorded for its retries, and a client address's failed logins.
inline constexpr int64_t SaveLogSeconds = 7 * 24 * 3600;
inline constexpr int64_t LoginAddressSeconds = 24 * 3600;

/// Removes the records older than those times (a failed login's count starts over after 15
/// minutes anyway).
void pruneOldRecords(storage::Transaction& tx, int64_t now);

/// The name of the index on organisation codes.
inline constexpr const char* OrganCodeIndex = "UX_TOrgan_Code";

} // namespace corvo::server
