#pragma once

#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

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

/// What decides one user's reads: the main tables (upper-cased) of the openable modules, and
/// of those among them the user holds.
struct ReadGrants {
    std::set<std::string> moduleMasters;
    std::set<std::string> heldMasters;
};

ReadGrants readGrantsOf(storage::Transaction& tx, const std::string& userId);

/// requireReadable with the user's grants already read.
void requireReadable(const schema::Dictionary& dictionary, const ReadGrants& grants,
                     std::span<const std::string> tables);

/// Each user's grants, read once and then trusted for a few seconds, as a session is: the
/// queries of a session would otherwise read the modules and the rights on every call. A write
/// call of this process drops them all when it commits (it may have changed rights); another
/// server process's change is seen once the few seconds are over.
class ReadRightsCache {
public:
    static constexpr int64_t TrustForSeconds = 5;

    std::shared_ptr<const ReadGrants> of(storage::Transaction& tx, const std::string& userId,
                                         int64_t now);
    void clear();

private:
    struct Entry {
        std::shared_ptr<const ReadGrants> grants;
        int64_t readAt = 0;
    };
    std::mutex m_lock;
    std::unordered_map<std::string, Entry> m_byUser;
    uint64_t m_generation = 0; ///< counts the clears
};

} // namespace corvo::server
