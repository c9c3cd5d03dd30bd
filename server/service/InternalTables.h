#pragma once

#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvo::server {

/// Tables only the server reads: sessions, password hashes, the saves already stored (by
/// company and ObjID) and the code counters (by company). They stay out of the data dictionary
/// so no client query can reach them. `existing`: the database's tables; a save log or
/// counters table an earlier version made without a company is made anew.
void createInternalTables(storage::Transaction& tx, std::span<const std::string> existing = {});

/// A unique key the dictionary marks (its IsUnique columns together), held per company by a
/// unique index: TOwnerID and the key for a table a company owns, the key alone for a table
/// every company shares. Organisation codes are one in the whole database instead (the login
/// finds an organisation by its code), and a table belonging to a company through another
/// row has no column to name the company by, so neither is among these.
struct CompanyUniqueKey {
    std::string table;
    std::vector<std::string> columns; ///< as indexed, TOwnerID first when there
    std::string caption;              ///< the key columns' captions, for the refusal
    std::string index;                ///< the index name
};
std::vector<CompanyUniqueKey> companyUniqueKeys(const schema::Dictionary& dictionary);

/// The unique indexes the write rules rely on: organisation codes across companies and every
/// companyUniqueKeys key of the dictionary stored in the database. An index whose stored rows
/// repeat a key is left off, with a line on standard error, until they differ.
void createUniqueIndexes(storage::Transaction& tx);

/// The refusal of a save a unique index of the database turned down (a save of another
/// server process got there first), from the backend's message; empty for another failure.
std::string uniqueIndexRefusal(const schema::Dictionary& dictionary, const std::string& message);

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
