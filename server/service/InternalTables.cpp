#include "InternalTables.h"

#include "entity/Error.h"
#include "server/schema/Ddl.h"
#include "server/schema/Ownership.h"
#include "server/schema/Schema.h"
#include "server/schema/TableLayout.h"

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

std::vector<CompanyUniqueKey> companyUniqueKeys(const schema::Dictionary& dictionary)
{
    std::vector<CompanyUniqueKey> out;
    for (const schema::DictTable& table : dictionary.tables) {
        if (table.code == "TOrgan") continue;
        const auto layout = dictionary.layout(table.code);
        CompanyUniqueKey key{table.code, {}, {}, {}};
        std::vector<std::string> unique;
        for (const schema::LayoutColumn& column : layout->columns())
            if (column.stored() && column.field.isUnique == 1) {
                unique.push_back(column.code());
                key.caption += (key.caption.empty() ? "" : "、") + column.field.name;
            }
        if (unique.empty()) continue;
        schema::Ownership ownership;
        try {
            ownership = schema::ownershipOf(dictionary, table.code);
        } catch (const Error&) {
            continue;
        }
        if (ownership.kind == schema::Ownership::Kind::Through) continue;
        if (ownership.kind == schema::Ownership::Kind::Owned) key.columns.push_back("TOwnerID");
        key.columns.insert(key.columns.end(), unique.begin(), unique.end());
        std::string name = "UX_" + table.code;
        for (const std::string& column : key.columns)
            name += "_" + column;
        key.index = schema::boundedIndexName(name);
        out.push_back(std::move(key));
    }
    return out;
}

namespace {

/// Creates the unique index unless stored rows repeat its key (rows with an empty column
/// included: the index lets those repeat, the check of a save does not).
void createUniqueIndex(storage::Transaction& tx, const std::string& table,
                       const std::vector<std::string>& columns, const std::string& index)
{
    std::string list;
    std::string filled;
    for (const std::string& column : columns) {
        list += (list.empty() ? "" : ", ") + schema::quoteIdentifier(column);
        filled +=
            (filled.empty() ? "" : " AND ") + schema::quoteIdentifier(column) + " IS NOT NULL";
    }
    const storage::Rows repeated =
        tx.query("SELECT " + list + " FROM " + schema::quoteIdentifier(table) + " WHERE " + filled +
                 " GROUP BY " + list + " HAVING COUNT(*) > 1 LIMIT 1");
    if (!repeated.rows.empty()) {
        std::string shown;
        for (const storage::Value& value : repeated.rows[0])
            shown += (shown.empty() ? "" : ", ") + value.toText();
        std::cerr << "warning: rows of " << table << " repeat a unique key (" << shown
                  << "); the unique index " << index << " is left off until they differ"
                  << std::endl;
        return;
    }
    tx.executeScript("CREATE UNIQUE INDEX IF NOT EXISTS " + schema::quoteIdentifier(index) +
                     " ON " + schema::quoteIdentifier(table) + " (" + list + ")");
}

} // namespace

void createUniqueIndexes(storage::Transaction& tx)
{
    createUniqueIndex(tx, "TOrgan", {"Code"}, OrganCodeIndex);
    const schema::Dictionary dictionary = schema::loadDictionary(tx);
    for (const CompanyUniqueKey& key : companyUniqueKeys(dictionary))
        createUniqueIndex(tx, key.table, key.columns, key.index);
}

std::string uniqueIndexRefusal(const schema::Dictionary& dictionary, const std::string& message)
{
    // PostgreSQL names the index; SQLite the table's columns ("UNIQUE constraint failed:
    // TWarehouse.TOwnerID, TWarehouse.Code").
    if (message.find(OrganCodeIndex) != std::string::npos ||
        message.find("TOrgan.Code") != std::string::npos)
        return "“机构代码”已经存在，不能重复保存。";
    for (const CompanyUniqueKey& key : companyUniqueKeys(dictionary)) {
        std::string columns;
        for (const std::string& column : key.columns)
            columns += (columns.empty() ? "" : ", ") + key.table + "." + column;
        if (message.find("\"" + key.index + "\"") != std::string::npos ||
            message.find("UNIQUE constraint failed: " + columns) != std::string::npos)
            return "“" + key.caption + "”已经存在，不能重复保存。";
    }
    return {};
}

} // namespace corvo::server
