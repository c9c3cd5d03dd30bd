#pragma once

#include "Dictionary.h"
#include "server/storage/Database.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::schema {

/// How the rows of a table belong to a company.
struct Ownership {
    enum class Kind {
        Owned,   ///< a stored TOwnerID names the company (or no company)
        Through, ///< the row belongs to the company of the row `column` refers to, in `table`
        Shared,  ///< every company reads the same rows
    };
    Kind kind = Kind::Owned;
    std::string column;
    std::string table;
};

/// The tables every company reads alike: the dictionary, the modules with their groups, the
/// translations and the manual. docs/server.md gives the reasons.
bool isSharedTable(std::string_view code);

/// Owned for a table with a stored TOwnerID; Shared for isSharedTable; Through for a table
/// with ParentID that is the "List" or "Size" of another (document lines and their sizes),
/// otherwise through its first required reference (X + "ID" with a table X, such as a right's
/// TUserID) to a table that belongs to a company. Throws corvo::Error for any other table:
/// what cannot be scoped to a company is read by nobody.
Ownership ownershipOf(const Dictionary& dictionary, std::string_view table);

/// Writes the condition that limits a table's rows, under an SQL alias, to one company and to
/// the rows of no company (no owner, an empty text or the empty GUID); a table that belongs
/// through another row gets an EXISTS over that row, as deep as the chain goes. With a partner
/// (a partner-side query), the partner's rows whose TOrganID is the company are reachable too.
class OwnerScope {
public:
    /// Turns a value into its placeholder and keeps it in statement order.
    using Parameter = std::function<std::string(storage::Value)>;

    OwnerScope(const Dictionary& dictionary, std::string ownerId, std::string partnerId,
               Parameter parameter);

    /// The condition, or an empty text for a shared table. Throws as ownershipOf does.
    std::string condition(std::string_view table, const std::string& alias);

private:
    std::string owned(const std::string& table, const std::string& alias);

    const Dictionary& m_dictionary;
    std::string m_ownerId;
    std::string m_partnerId;
    Parameter m_parameter;
};

/// The scope of a whole-table read (schema::readRows): the main table under "t" and every
/// join under "j0", "j1", ..., values in the order readRows binds them.
struct ScopedRead {
    std::string scope;                  ///< over alias t; empty for a shared table
    std::vector<std::string> joinScope; ///< one per join of the layout, empty when shared
    std::vector<storage::Value> params; ///< the joins' values first, then the scope's
};
ScopedRead scopedRead(const Dictionary& dictionary, std::string_view table,
                      const std::string& ownerId);

} // namespace corvo::server::schema
