#include "ReadRights.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "server/schema/Ownership.h"

#include <set>
#include <vector>

namespace corvo::server {
namespace {

std::string text(const storage::Value& value)
{
    return value.isNull() ? std::string() : value.asString();
}

} // namespace

bool holdsPartnerSideModule(storage::Transaction& tx, const schema::Dictionary& dictionary,
                            const std::string& userId, std::string_view table)
{
    const std::string document = gbk::upper(documentOf(dictionary, table));
    const storage::Rows modules = tx.query("SELECT \"ObjID\", \"TMasterName\" FROM \"TModule\" "
                                           "WHERE \"IsGroup\" = 0 AND \"TypeNo\" = 2");
    std::set<std::string> candidates;
    for (const auto& row : modules.rows)
        if (gbk::upper(text(row[1])) == document) candidates.insert(gbk::upper(text(row[0])));
    if (candidates.empty()) return false;
    for (const std::string& held : heldModuleIds(tx, userId))
        if (candidates.count(held)) return true;
    return false;
}

bool isPartnerOfCompany(storage::Transaction& tx, const std::string& organ,
                        const std::string& ownerId)
{
    const storage::Rows rows =
        tx.query("SELECT 1 FROM \"TOrgan\" WHERE \"ObjID\" = ? AND \"TOwnerID\" = ?",
                 std::vector<storage::Value>{storage::Value(organ), storage::Value(ownerId)});
    return !rows.rows.empty();
}

std::set<std::string> heldModuleIds(storage::Transaction& tx, const std::string& userId)
{
    std::set<std::string> held;
    const storage::Rows rights =
        tx.query("SELECT \"TModuleID\" FROM \"TUserModule\" WHERE \"TUserID\" = ?",
                 std::vector<storage::Value>{storage::Value(userId)});
    for (const auto& row : rights.rows)
        held.insert(gbk::upper(text(row[0])));
    const storage::Rows groups =
        tx.query("SELECT \"TModulesID\", \"TModuleID\" FROM \"TModuleGroup\"");
    // Twice, as the module tree does: a granted group brings its members, a granted group's
    // sub-group brings its own.
    for (int pass = 0; pass < 2; ++pass) {
        std::set<std::string> added;
        for (const auto& row : groups.rows)
            if (held.count(gbk::upper(text(row[0])))) added.insert(gbk::upper(text(row[1])));
        held.insert(added.begin(), added.end());
    }
    return held;
}

std::string documentOf(const schema::Dictionary& dictionary, std::string_view table)
{
    std::string current(table);
    for (int depth = 0; depth < 8; ++depth) {
        const schema::Ownership owner = schema::ownershipOf(dictionary, current);
        if (owner.kind != schema::Ownership::Kind::Through || owner.column != "ParentID")
            return current;
        current = owner.table;
    }
    return current;
}

ReadGrants readGrantsOf(storage::Transaction& tx, const std::string& userId)
{
    ReadGrants out;
    const std::set<std::string> held = heldModuleIds(tx, userId);
    const storage::Rows rows =
        tx.query("SELECT \"ObjID\", \"TMasterName\" FROM \"TModule\" WHERE \"IsGroup\" = 0");
    for (const auto& row : rows.rows) {
        std::string master = gbk::upper(text(row[1]));
        if (held.count(gbk::upper(text(row[0])))) out.heldMasters.insert(master);
        out.moduleMasters.insert(std::move(master));
    }
    return out;
}

void requireReadable(const schema::Dictionary& dictionary, const ReadGrants& grants,
                     std::span<const std::string> tables)
{
    for (const std::string& table : tables) {
        const schema::DictTable* document = dictionary.findTable(documentOf(dictionary, table));
        if (!document || document->isClientTable == 1) continue;
        const std::string key = gbk::upper(document->code);
        if (!grants.moduleMasters.count(key) || grants.heldMasters.count(key)) continue;
        const schema::DictTable* asked = dictionary.findTable(table);
        throw Error("您没有查看[" + (asked ? asked->name : table) +
                    "]的权限，请与系统管理员联系！");
    }
}

void requireReadable(storage::Transaction& tx, const schema::Dictionary& dictionary,
                     const std::string& userId, std::span<const std::string> tables)
{
    requireReadable(dictionary, readGrantsOf(tx, userId), tables);
}

std::shared_ptr<const ReadGrants> ReadRightsCache::of(storage::Transaction& tx,
                                                      const std::string& userId, int64_t now)
{
    constexpr std::size_t MostUsers = 10000;
    const std::string key = gbk::upper(userId);
    uint64_t generation = 0;
    {
        std::lock_guard guard(m_lock);
        const auto it = m_byUser.find(key);
        // A clear empties the map, so whatever is in it was read since the last one.
        if (it != m_byUser.end() && now - it->second.readAt < TrustForSeconds &&
            now >= it->second.readAt)
            return it->second.grants;
        generation = m_generation;
    }
    auto grants = std::make_shared<const ReadGrants>(readGrantsOf(tx, userId));
    std::lock_guard guard(m_lock);
    // Read before a clear: good for this call, not for the next.
    if (generation != m_generation) return grants;
    if (m_byUser.size() >= MostUsers) m_byUser.clear();
    m_byUser[key] = {grants, now};
    return grants;
}

void ReadRightsCache::clear()
{
    std::lock_guard guard(m_lock);
    ++m_generation;
    m_byUser.clear();
}

} // namespace corvo::server
