#pragma once

#include "WriteCall.h"
#include "WrittenRows.h"

#include <optional>
#include <set>
#include <string>

namespace corvo::server {

/// The lines table of a document table (its code + "List"); refuses rows of another table.
void requireLinesOf(const WrittenRows& lines, const std::string& documentTable);

/// The size rows of new lines, when the document has a third level (lines table + "Size"):
/// one per size of a line whose SizeN holds a quantity, named as the size of the line's
/// product type. Nothing when there is no such table.
std::optional<WrittenRows> sizeRowsOf(WriteCall& call, const WrittenRows& lines);

} // namespace corvo::server
