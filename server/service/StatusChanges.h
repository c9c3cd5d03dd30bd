#pragma once

#include "WriteCall.h"

#include <span>
#include <string>
#include <string_view>

namespace corvo::server {

/// Moves the documents of `table` to `status` in column `field` within the call, with every
/// check and posting the move needs.
void applyStatusChange(WriteCall& call, std::string_view table, std::span<const std::string> objIds,
                       std::string_view field, const std::string& status);

/// What storing a new document posts, once it and its lines are in the call's transaction.
void afterDocumentInsert(WriteCall& call, std::string_view table, const std::string& objId);

} // namespace corvo::server
