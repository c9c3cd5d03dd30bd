#pragma once

#include "WrittenRows.h"
#include "server/storage/Database.h"

#include <map>
#include <span>
#include <string>

namespace corvo::server {

/// A digest of what a client sent for a new row (its document lines included): the same
/// content gives the same digest whatever the packet's encoding details.
class SaveDigest {
public:
    void add(const WrittenRows& rows, const WrittenRow& row);
    void addAll(const WrittenRows& rows);
    std::string hex() const;

private:
    std::string m_text;
};

/// What the call finds of earlier saves of these ObjIDs (upper-cased keys): their digests.
std::map<std::string, std::string> savedDigests(storage::Transaction& tx,
                                                std::span<const std::string> objIds);

/// Remembers a save, so that a retry of it (same ObjID, same digest) stores nothing again.
void recordSave(storage::Transaction& tx, const std::string& objId, const std::string& table,
                const std::string& digest, int64_t now);

/// The refusal of a save whose ObjID was saved before with other content.
[[noreturn]] void refuseOtherContent();

} // namespace corvo::server
