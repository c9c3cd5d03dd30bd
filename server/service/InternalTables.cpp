#include "InternalTables.h"

#include <algorithm>
#include <iostream>

namespace corvo::server {

void createInternalTables(storage::Transaction& tx, std::span<const std::string> existing)
{
    // An earlier version kept one save log and one set of code counters for all companies.
    // The records only serve retries of recent saves, and a counter made anew starts after the
    // highest code stored under its stem, so both are given up rather than guessed a company.
    for (const char* table : {"TSaveLog", "TCodeCounter"})
        if (std::find(existing.begin(), existing.end(), table) != existing.end())
            if (tx.query(std::string("SELECT * FROM \"") + table + "\" WHERE 1 = 0")
                    .column("OwnerID") < 0)
                tx.executeScript(std::string("DROP TABLE \"") + table + "\"");
    tx.executeScript(R"(
CREATE TABLE IF NOT EXISTS "TSession" (
  "Token" VARCHAR(64) PRIMARY KEY,
  "UserID" VARCHAR(38) NOT NULL,
  "UserCode" VARCHAR(30) NOT NULL,
  "OwnerID" VARCHAR(38) NOT NULL,
  "OrganID" VARCHAR(38) NOT NULL,
  "Created" BIGINT NOT NULL,
  "LastSeen" BIGINT NOT NULL
);
CREATE TABLE IF NOT EXISTS "TUserCredential" (
  "UserID" VARCHAR(38) PRIMARY KEY,
  "Hash" VARCHAR(200) NOT NULL,
  "FailedCount" INTEGER NOT NULL DEFAULT 0,
  "LastFailed" BIGINT NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS "TLoginAddress" (
  "Address" VARCHAR(64) PRIMARY KEY,
  "FailedCount" INTEGER NOT NULL DEFAULT 0,
  "LastFailed" BIGINT NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS "TSaveLog" (
  "OwnerID" VARCHAR(38) NOT NULL,
  "ObjID" VARCHAR(38) NOT NULL,
  "TableName" VARCHAR(64) NOT NULL,
  "Digest" VARCHAR(64) NOT NULL,
  "Saved" BIGINT NOT NULL,
  PRIMARY KEY ("OwnerID", "ObjID")
);
CREATE TABLE IF NOT EXISTS "TInstallation" (
  "OwnerID" VARCHAR(38) PRIMARY KEY
);
CREATE TABLE IF NOT EXISTS "TCodeCounter" (
  "OwnerID" VARCHAR(38) NOT NULL,
  "TableName" VARCHAR(64) NOT NULL,
  "CodeKey" VARCHAR(64) NOT NULL,
  "LastNumber" BIGINT NOT NULL,
  PRIMARY KEY ("OwnerID", "TableName", "CodeKey")
);
)");
}

void markInstallationOwner(storage::Transaction& tx, const std::string& ownerId)
{
    tx.execute("INSERT INTO \"TInstallation\" (\"OwnerID\") SELECT ? WHERE NOT EXISTS (SELECT 1 "
               "FROM \"TInstallation\")",
               std::vector<storage::Value>{storage::Value(ownerId)});
}

std::string installationOwner(storage::Transaction& tx)
{
    const storage::Rows rows = tx.query("SELECT \"OwnerID\" FROM \"TInstallation\"");
    return rows.rows.empty() || rows.rows[0][0].isNull() ? std::string() : rows.rows[0][0].toText();
}

void pruneOldRecords(storage::Transaction& tx, int64_t now)
{
    tx.execute("DELETE FROM \"TSaveLog\" WHERE \"Saved\" < ?",
               std::vector<storage::Value>{storage::Value(now - SaveLogSeconds)});
    tx.execute("DELETE FROM \"TLoginAddress\" WHERE \"LastFailed\" < ?",
               std::vector<storage::Value>{storage::Value(now - LoginAddressSeconds)});
}

void createUniqueIndexes(storage::Transaction& tx)
{
    const storage::Rows repeated =
        tx.query("SELECT \"Code\" FROM \"TOrgan\" WHERE \"Code\" IS NOT NULL GROUP BY \"Code\" "
                 "HAVING COUNT(*) > 1");
    if (!repeated.rows.empty()) {
        std::cerr << "warning: organisation codes repeat (" << repeated.rows[0][0].toText()
                  << "); their unique index is left off until they differ" << std::endl;
        return;
    }
    tx.executeScript(std::string("CREATE UNIQUE INDEX IF NOT EXISTS \"") + OrganCodeIndex +
                     "\" ON \"TOrgan\" (\"Code\")");
}

} // namespace corvo::server
