#include "StatusChanges.h"

#include "DocumentStatus.h"

namespace corvo::server {

void applyStatusChange(WriteCall& call, std::string_view table, std::span<const std::string> objIds,
                       std::string_view field, const std::string& status)
{
    changeStatus(call, table, objIds, field, status);
}

void afterDocumentInsert(WriteCall& call, std::string_view table, const std::string& objId)
{
    postOnInsert(call, table, objId);
}

} // namespace corvo::server
