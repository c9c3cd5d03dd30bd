#pragma once

#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <set>
#include <span>
#include <string>
#include <string_view>

namespace corvo::server {

/// The table whose rows a table's rows are lines of (TStockOutListSize → TStockOutList →
/// TStockOut); the table itself when it is no line of another.
std::string documentOf(const schema::Dictionary& dictionary, std::string_view table);

/// The ObjIDs (upper-cased) of the modules the user holds: granted directly or through a
/// granted group, two levels deep, as the client's module tree expands them.
std::set<std::string> heldModuleIds(storage::Transaction& tx, const std::string& userId);

/// Whether the user holds a partner-side module (TypeNo 2) on the table's document.
bool holdsPartnerSideModule(storage::Transaction& tx, const schema::Dictionary& dictionary,
                            const std::string& userId, std::string_view table);

/// Whether the organisation is a partner the company keeps: a TOrgan row of the company's own.
bool isPartnerOfCompany(storage::Transaction& tx, const std::string& organ,
                        const std::string& ownerId);

/// Refuses a read of a document table the user holds no module on. A document table is the
/// main table (TMasterName) of a module that is not copied to the client, with its lines and
/// their sizes; every other table is a reference every user of the company reads. A user holds
/// a module granted directly or through a granted group, two levels deep, as the client's
/// module tree expands them. Throws corvo::Error "您没有查看[caption]的权限，请与系统管理员
/// 联系！" naming the table's caption.
void requireReadable(storage::Transaction& tx, const schema::Dictionary& dictionary,
                     const std::string& userId, std::span<const std::string> tables);

} // namespace corvo::server
