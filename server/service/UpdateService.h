#pragma once

#include "ServiceObject.h"

namespace corvo::server {

/// Update server, method 1: the packet's "TMaster" rows replace the stored rows of the same
/// ObjID (the columns the server decides keep their stored values). A row of another company,
/// of no company, or of a document past its first status or invalid is refused. The reply's
/// "TMaster" holds the rows as stored.
bool updateRows(ServiceCall& call, TParamData& packet);

/// Update server, method 2: one of
/// - a status change list "ParamDataStatusAlter" (rows Name "TMaster", Value the new status,
///   Field its column): every "TMaster" document moves to that status (changeStatus); the
///   rows themselves are not rewritten;
/// - a document's "TMaster" row with its line changes "TDetailInsert", "TDetailUpdate",
///   "TDetailDelete" (their size rows follow their lines): only the lines named are touched;
/// - the rights editor's "TMasterInsert" (granted) and "TMasterDelete" (revoked) rows.
/// The reply's "TMaster" (when one was sent) holds the documents as stored.
bool updateDocument(ServiceCall& call, TParamData& packet);

} // namespace corvo::server
