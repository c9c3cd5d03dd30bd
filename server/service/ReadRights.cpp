#include "ReadRights.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "server/schema/Ownership.h"

#include <optional>
#include <set>
#include <vector>

namespace corvo::server {
namespace {

std::string text(const storage::Value& value)
{
    return value.isNull() ? std::string() : value.asString();
}

struct Module {
    std::string objId;
    std::string master; ///< upper-cased TMasterName
};

/// The modules, their groups and one user's rights, read once per check.
class Grants {
public:
    Grants(storage::Transaction& tx, const std::string& userId) : m_tx(tx), m_userId(userId) {}

    /// Whether any openable module has the table as its main table.
    bool isModuleMaster(const std::string& table)
    {
        for (const Module& m : modules())
            if (m.master == table) return true;
        return false;
    }

    bool holdsModuleOn(const std::string& table)
    {
        const std::set<std::string>& held = granted();
        for (const Module& m : modules())
            if (m.master == table && held.count(m.objId)) return true;
        return false;
    }

private:
    const std::vector<Module>& modules()
    {
        if (!m_modules) {
            m_modules.emplace();
            const storage::Rows rows = m_tx.query(
                "SELECT \"ObjID\", \"TMasterName\" FROM \"TModule\" WHERE \"IsGroup\" = 0");
            for (const auto& row : rows.rows)
                m_modules->push_back({gbk::upper(text(row[0])), gbk::upper(text(row[1]))});
        }
        return *m_modules;
    }

    const std::set<std::string>& granted()
    {
        if (!m_granted) m_granted = heldModuleIds(m_tx, m_userId);
        return *m_granted;
    }

    storage::Transaction& m_tx;
    const std::string& m_userId;
    std::optional<std::vector<Module>> m_modules;
    std::optional<std::set<std::string>> m_granted;
};

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

void requireReadable(storage::Transaction& tx, const schema::Dictionary& dictionary,
                     const std::string& userId, std::span<const std::string> tables)
{
    Grants grants(tx, userId);
    for (const std::string& table : tables) {
        const schema::DictTable* document = dictionary.findTable(documentOf(dictionary, table));
        if (!document || document->isClientTable == 1) continue;
        const std::string key = gbk::upper(document->code);
        if (!grants.isModuleMaster(key) || grants.holdsModuleOn(key)) continue;
        const schema::DictTable* asked = dictionary.findTable(table);
        throw Error("您没有查看[" + (asked ? asked->name : table) +
                    "]的权限，请与系统管理员联系！");
    }
}

} // namespace corvo::server
