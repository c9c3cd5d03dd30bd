#pragma once

#include <string>
#include <vector>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
} // namespace corvo

namespace corvo::shell {

/// One node of the navigation tree, in the order the tree adds them. Texts GBK.
struct ModuleNode {
    std::string caption;
    std::string parent; ///< the group's caption; empty for a root node
    bool group = false;
};

/// The modules a user may open: `modules` (a fresh TModule) is reduced to the rows the
/// rights name, then grows by the members of every granted group, twice, so two levels of
/// nesting are resolved; it is left holding that set, filtered to the openable modules
/// (IsGroup 0) in ColOrder. `all` is the whole module table (for the groups' own rows),
/// `groups` TModuleGroup, `rights` the user's TUserModule rows. Returns the tree's nodes:
/// each module under its group (the group's node first, under its own group), or as a root.
/// Throws "非法的模块组ID[...]，请与管理员联系!" for a membership whose group is unknown.
std::vector<ModuleNode> BuildModuleTree(TCustomEntity& modules, TClientDataSet& all,
                                        TClientDataSet& groups, TClientDataSet& rights,
                                        const std::string& languageColumn);

/// Whether the user holds the module, its group, or the group of that group.
bool HoldsModule(const std::string& moduleObjId, TClientDataSet& groups, TClientDataSet& rights);

} // namespace corvo::shell
