#pragma once

#include "ServiceObject.h"
#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <string>

namespace corvo::server {

/// The partner a partner-side form names in the packet's "TOwnerID" row: a GUID other than the
/// session's company and the empty GUID; empty otherwise.
std::string partnerNamedIn(ServiceCall& call, TParamData& packet);

/// The partner whose side a read of `table` may take: the one the packet names, when the user
/// holds a partner-side module (TypeNo 2) on the table and the company keeps that partner;
/// empty otherwise (the read stays the company's own).
std::string partnerSideOf(ServiceCall& call, storage::Transaction& tx,
                          const schema::Dictionary& dictionary, TParamData& packet,
                          std::string_view table);

/// Query server, method 1: the packet's "TMaster" row holds the client's clause set; the
/// reply's "TMaster" row holds the rows (one page or all) with the client's structure.
bool singleTableQuery(ServiceCall& call, TParamData& packet);

/// Query server, method 3: the masters as method 1; "TDetailQuery" (sent empty, its first
/// field naming the detail table) comes back holding the detail rows of those masters in the
/// structure sent, with a "TDetail" row telling the client to take them; a detail table whose
/// code + "Size" is a table too gives its rows under "TDetailListQuery".
bool masterDetailQuery(ServiceCall& call, TParamData& packet);

/// Query server, method 4: the clause set's rows summed per value of the column its "sum" row
/// names (one row over all when there is none): the grouping column, the display columns
/// joined through it, and every number column summed.
bool summaryQuery(ServiceCall& call, TParamData& packet);

/// Query server, method 5: as method 3, with the detail lines summed per product (the first
/// line of a product stands for all; its number columns but prices hold the sums) and their
/// size rows summed per size under that line.
bool sizeSummaryQuery(ServiceCall& call, TParamData& packet);

} // namespace corvo::server
