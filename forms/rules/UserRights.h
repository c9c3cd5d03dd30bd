#pragma once

#include <string>
#include <vector>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
} // namespace corvo

namespace corvo::forms {

/// The rights being edited (TUserModule rows: TUserID, TModuleID, TModuleName) with the
/// changes since the last save: rights granted (inserts) and rights revoked (deletes). The
/// three datasets share one structure; filters on them are ignored and left as they were.
struct RightSets {
    TCustomEntity& rights;
    TCustomEntity& inserts;
    TCustomEntity& deletes;
};

/// A module as the grid offers it.
struct ModuleRef {
    std::string objId;
    std::string name;
};

enum class GrantOutcome {
    AlreadyHeld, ///< the user holds the module: nothing changes
    Restored,    ///< a revoke of this user's module since the last save is undone
    Granted,     ///< a new right, recorded in the inserts
};

/// Grants the module to the user. A module the user already holds is not granted twice; a
/// revoke of the same user's module since the last save comes back with its ObjID and
/// leaves the deletes. A new right takes the table identity from the rights' registry when
/// they belong to one.
GrantOutcome GrantModule(RightSets sets, const std::string& userId, const ModuleRef& module);

enum class RevokeOutcome {
    NotHeld,   ///< the user holds no right of that name: nothing changes
    Withdrawn, ///< granted since the last save: it leaves the inserts, nothing is sent for it
    Revoked,   ///< recorded in the deletes
};

/// Revokes the user's right to the module of that name (a right node's text).
RevokeOutcome RevokeRight(RightSets sets, const std::string& userId, const std::string& moduleName);

/// The names of the user's rights, in the rights' order.
std::vector<std::string> RightNamesOf(TCustomEntity& rights, const std::string& userId);

/// What a walk of the module hierarchy shows in the module grid.
struct HierarchyView {
    enum Kind {
        Unchanged, ///< the walk does not apply: the grid stays as it is
        Members,   ///< the members of a group (in `ids`)
        All,       ///< every module
    } kind = Unchanged;
    std::vector<std::string> ids;
    std::string group; ///< for Members: the group whose members they are
};

/// "下级权限" on module m: the members of m when m is a group (TModuleGroup rows with
/// TModulesID = m), otherwise unchanged.
HierarchyView LowerLevel(TClientDataSet& groups, const std::string& moduleId);

/// "上级权限" on module m: the members of the group enclosing m's group; every module when
/// m's group is at the top; unchanged when m belongs to no group.
HierarchyView UpperLevel(TClientDataSet& groups, const std::string& moduleId);

} // namespace corvo::forms
