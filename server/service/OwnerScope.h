#pragma once

#include "entity/Guid.h"
#include "server/storage/Database.h"

#include <string>
#include <vector>

namespace corvo::server {

/// Limits a reader's condition to the company's rows and the rows of no company (no owner, an
/// empty text or the empty GUID), the same rows the statement builder lets a query reach.
inline void addOwnerScope(std::string& where, std::vector<storage::Value>& params,
                          const std::string& ownerId)
{
    const std::string scope = "(\"TOwnerID\" = ? or \"TOwnerID\" is null or \"TOwnerID\" = ? or "
                              "\"TOwnerID\" = ?)";
    where = where.empty() ? scope : "(" + where + ") and " + scope;
    params.emplace_back(ownerId);
    params.emplace_back(std::string());
    params.emplace_back(std::string(EmptyGuidText));
}

} // namespace corvo::server
