#include "InternalTables.h"

namespace corvo::server {

void createInternalTables(storage::Transaction& tx)
{
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
  "ObjID" VARCHAR(38) PRIMARY KEY,
  "TableName" VARCHAR(64) NOT NULL,
  "Digest" VARCHAR(64) NOT NULL,
  "Saved" BIGINT NOT NULL
);
CREATE TABLE IF NOT EXISTS "TCodeCounter" (
  "TableName" VARCHAR(64) NOT NULL,
  "CodeKey" VARCHAR(64) NOT NULL,
  "LastNumber" BIGINT NOT NULL,
  PRIMARY KEY ("TableName", "CodeKey")
);
)");
}

} // namespace corvo::server
