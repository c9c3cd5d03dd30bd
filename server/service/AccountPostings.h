#pragma once

#include "Postings.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server {

/// A bill or payment table and how its documents enter the partner's account (`TAccount`).
struct BillKind {
    std::string_view table;
    int sign;         ///< +1: the bill's total is owed; -1: it was paid or collected
    bool partnerOwns; ///< a payable: kept from the supplier's side (owner the partner)
    bool onVerify;    ///< posted when verified; otherwise when stored
};

/// The kind of a table (letter case ignored); nullptr for a table that posts no account.
/// Invoices post when stored, payments and collections when verified.
const BillKind* billKind(std::string_view table);

/// Adds the document's entry to `TAccount`: dated and coded as the document (`BillCode`), its
/// table's caption as `Remark`, `TotalAmount` = sign × the document's total, the company as
/// owner and the partner (`TOrganID`) as partner — the other way round for a payable — and the
/// first account item. Does nothing when the document has a valid entry already. Throws
/// corvo::Error for a document that does not exist.
void postAccount(PostingScope& scope, const BillKind& kind, const std::string& objId);

/// Invalidates the document's valid entry, if it has one. The entry is found by the
/// document's code and kind with its company on either side, so a changed partner does not
/// hide it.
void reverseAccount(PostingScope& scope, const BillKind& kind, const std::string& objId);

/// Makes the document's valid entry follow the document again after it was changed: its date,
/// partner and total; adds the entry when there is none.
void repostAccount(PostingScope& scope, const BillKind& kind, const std::string& objId);

/// One line of a reconciliation statement; amounts in cents.
struct StatementLine {
    DateTime date;
    std::string billType;
    std::string code;
    std::string summary;
    int64_t debit = 0;
    int64_t credit = 0;
    int64_t balance = 0;
};

/// The statement of the valid `TAccount` entries owned by `owner` with `organ` as partner:
/// first the opening balance (the entries before `from`, dated `from`, or the first entry's
/// day without `from`), then every entry from `from` to `to` (whole days, both ends
/// included) in date and code order with the balance after it.
std::vector<StatementLine> statementOf(storage::Transaction& tx, const std::string& owner,
                                       const std::string& organ, std::optional<DateTime> from,
                                       std::optional<DateTime> to);

} // namespace corvo::server
