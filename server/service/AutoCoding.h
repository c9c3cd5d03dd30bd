#pragma once

#include "WriteCall.h"
#include "WrittenRows.h"

namespace corvo::server {

/// Gives every new row of a table the server codes (IsAutoCoding) its Code, drawn from a
/// counter per table and code stem inside the call's transaction, so that concurrent saves,
/// also of several server processes, never share a code. Stems follow the documents' date
/// (HappenDate, else the call's day): "CK" yyyymm "-" nnnn for most documents, "RB" yyyymmdd
/// "-" store for a store's daily report (a second one that day gets "-2"), "WL" nnnn for
/// materials. A counter starts after the highest code already stored under its stem.
void assignCodes(WriteCall& call, WrittenRows& rows);

} // namespace corvo::server
