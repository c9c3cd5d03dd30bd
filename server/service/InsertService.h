#pragma once

#include "ServiceObject.h"

namespace corvo::server {

/// Insert server, method 1: stores the packet's "TMaster" rows (one or many) in the table its
/// first field names. Every row is checked and completed as a new row (WriteRules); a row whose
/// ObjID was saved before with the same content is not stored again.
bool insertRows(ServiceCall& call, TParamData& packet);

/// Insert server, method 2: stores one document, the "TMaster" row with its lines in
/// "TDetailInsert" (none for bills) and, for a table with a third level, one size row per
/// size of a line that holds a quantity. Codes the document when its table is coded by the
/// server. The reply's "TMaster" holds the document as stored. A retry of a save (same ObjID,
/// same content) stores nothing and answers the same.
bool insertDocument(ServiceCall& call, TParamData& packet);

} // namespace corvo::server
