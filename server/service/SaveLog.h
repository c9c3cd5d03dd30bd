#pragma once

#include "WriteCall.h"
#include "WrittenRows.h"
#include "server/storage/Database.h"

#include <optional>
#include <string>

namespace corvo::server {

/// A digest of what a client sent for a new row (its document lines included): the same
/// content gives the same digest whatever the packet's encoding details. The columns the
/// server decides itself (author, times, statuses, codes, the ObjIDs of lines, the company as
/// owner) take no part, so a form that stamps them anew on a retry still sends the same
/// document; nor do passwords, so the log holds nothing to guess one from.
class SaveDigest {
public:
    void add(WriteCall& call, const WrittenRows& rows, const WrittenRow& row);
    void addAll(WriteCall& call, const WrittenRows& rows);
    std::string hex() const;

private:
    std::string m_text;
};

/// Claims the save of a new row's ObjID for the company with its digest, in the call's
/// transaction. When the company saved that ObjID before, returns the digest then stored
/// instead: a save still running in another transaction is waited for, so a retry racing its
/// first send sees the first one's outcome (stored: its digest; given up: the claim is ours).
std::optional<std::string> claimSave(WriteCall& call, const std::string& objId,
                                     const std::string& table, const std::string& digest);

/// New rows of a call with what each one's save needs.
struct FreshRows {
    WrittenRows rows;
    std::vector<std::string> digests;
    std::vector<char> claimed; ///< the ObjID's save is claimed; else it is recorded once stored
};

/// The rows among `rows` not saved before, each one's save claimed (claimSave, in ObjID
/// order, so two calls claiming the same rows never wait for each other in a circle). A row
/// the company saved before with the same content is left out; other content is refused; an
/// ObjID twice among the rows is refused.
FreshRows claimFreshRows(WriteCall& call, WrittenRows& rows);

/// Records the saves of the fresh rows that had no ObjID to claim (they have one now).
void recordUnclaimed(WriteCall& call, const FreshRows& fresh);

/// Records the save of a new row whose ObjID the server gave it (nothing to claim before).
void recordSave(WriteCall& call, const std::string& objId, const std::string& table,
                const std::string& digest);

/// The refusal of a save whose ObjID was saved before with other content.
[[noreturn]] void refuseOtherContent();

} // namespace corvo::server
