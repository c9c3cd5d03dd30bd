#pragma once

#include "Postings.h"
#include "WriteCall.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace corvo::server {

/// Documents one status change may move.
inline constexpr std::size_t MaxDocumentsPerChange = 10000;

/// Moves the documents `objIds` of `table` to `status` in column `field` inside the call's
/// transaction: checks the move is allowed, posts or reverses stock and accounts.
///
/// `field` is `StatusID` (validity: Valid → Invalid) or the document's `Status<T>ID` (New →
/// Verified → Closed); `status` the ObjID of an other parameter of that type. A status only
/// moves forward in `DispOrder`, so verifying or invalidating twice is refused; an invalid
/// document's status does not move at all; every document must belong to the session's
/// company; at most MaxDocumentsPerChange documents at once. Leaving the first document status
/// posts the document (stockDirection, billKind with onVerify); invalidating a posted document
/// reverses its postings. Throws corvo::Error with a message saying what to mend; the caller then
/// drops the transaction.
void changeStatus(WriteCall& call, std::string_view table, std::span<const std::string> objIds,
                  std::string_view field, const std::string& status);

/// Posts what a document posts when it is stored (invoices: their receivable or payable).
/// The insert of a master/detail document calls it once the document and its lines are in the
/// transaction, and not again for a retried save it answers from the stored document.
void postOnInsert(WriteCall& call, std::string_view table, const std::string& objId);

/// Brings what a document posted when it was stored in line with it after its row was
/// replaced (an invoice's entry follows its date, partner and total). An update of a stored
/// document calls it once the new row is in the transaction.
void postOnUpdate(WriteCall& call, std::string_view table, const std::string& objId);

/// The statuses of an other-parameter type (`StatusID`, `StatusTStockOutID`, …) in
/// `DispOrder`: their ObjIDs and names. Empty when the type has none.
struct StatusStep {
    std::string objId;
    std::string name;
};
std::vector<StatusStep> statusSteps(storage::Transaction& tx, std::string_view type);

/// The posting scope of a write call: its transaction, user and time, and codes drawn the
/// way the call's inserts draw them.
PostingScope postingScope(WriteCall& call);

} // namespace corvo::server
