#include "ModuleTree.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

#include <set>

namespace corvo::shell {
namespace {

std::string text(TClientDataSet& ds, std::string_view field)
{
    TField* f = ds.FindField(field);
    return f ? f->AsString() : std::string();
}

std::set<std::string> valuesOf(TClientDataSet& ds, std::string_view field)
{
    std::set<std::string> out;
    TField* f = ds.FindField(field);
    if (!f || !ds.Active()) return out;
    for (ds.First(); !ds.Eof(); ds.Next())
        out.insert(gbk::upper(f->AsString()));
    return out;
}

// The groups a module or group is a member of.
std::vector<std::string> groupsOf(TClientDataSet& groups, const std::string& objId)
{
    std::vector<std::string> out;
    TField* member = groups.FindField("TModuleID");
    TField* group = groups.FindField("TModulesID");
    if (!member || !group) return out;
    for (groups.First(); !groups.Eof(); groups.Next())
        if (gbk::equalsIgnoreCase(member->AsString(), objId)) out.push_back(group->AsString());
    return out;
}

struct TreeBuilder {
    TClientDataSet& all;
    TClientDataSet& groups;
    const std::string& language;
    std::vector<ModuleNode> nodes;
    std::set<std::string> captions;

    std::string captionOf(TClientDataSet& row)
    {
        return row.FindField(language) ? text(row, language) : text(row, "Name");
    }

    // Adds the node of a module or group under its own group; returns its caption.
    std::string add(const std::string& objId, const std::string& caption, bool isGroup, int depth)
    {
        if (captions.count(caption)) return caption;
        std::string parent;
        const std::vector<std::string> owners = groupsOf(groups, objId);
        if (!owners.empty() && depth < 8) {
            if (!all.Locate("ObjID", Variant(owners.front()), loCaseInsensitive))
                throw Error("非法的模块组ID[" + gbk::display(objId) + "]，请与管理员联系!");
            parent = add(owners.front(), captionOf(all), true, depth + 1);
        }
        if (captions.insert(caption).second) nodes.push_back({caption, parent, isGroup});
        return caption;
    }
};

} // namespace

std::vector<ModuleNode> BuildModuleTree(TCustomEntity& modules, TClientDataSet& all,
                                        TClientDataSet& groups, TClientDataSet& rights,
                                        const std::string& languageColumn)
{
    modules.ClearFilter();
    modules.DeleteNotInBy(rights, "ObjID", "TModuleID");
    const std::set<std::string> groupIds = valuesOf(groups, "TModulesID");
    for (int pass = 0; pass < 2; ++pass) {
        std::set<std::string> members;
        for (const std::string& granted : valuesOf(modules, "ObjID")) {
            if (!groupIds.count(granted)) continue;
            TField* member = groups.FindField("TModuleID");
            TField* group = groups.FindField("TModulesID");
            for (groups.First(); !groups.Eof(); groups.Next())
                if (gbk::upper(group->AsString()) == granted)
                    members.insert(gbk::upper(member->AsString()));
        }
        const std::set<std::string> have = valuesOf(modules, "ObjID");
        for (all.First(); !all.Eof(); all.Next()) {
            const std::string id = gbk::upper(text(all, "ObjID"));
            if (members.count(id) && !have.count(id)) modules.UpsertRecord(all);
        }
    }
    modules.FilterEqual("IsGroup", "0");
    modules.SortAsc("ColOrder", "Clear");

    TreeBuilder builder{all, groups, languageColumn, {}, {}};
    std::vector<std::pair<std::string, std::string>> order; // ObjID, caption
    for (modules.First(); !modules.Eof(); modules.Next())
        order.emplace_back(text(modules, "ObjID"), builder.captionOf(modules));
    for (const auto& [objId, caption] : order)
        builder.add(objId, caption, false, 0);
    modules.First();
    return builder.nodes;
}

bool HoldsModule(const std::string& moduleObjId, TClientDataSet& groups, TClientDataSet& rights)
{
    const std::set<std::string> held = valuesOf(rights, "TModuleID");
    if (held.count(gbk::upper(moduleObjId))) return true;
    for (const std::string& group : groupsOf(groups, moduleObjId)) {
        if (held.count(gbk::upper(group))) return true;
        for (const std::string& outer : groupsOf(groups, group))
            if (held.count(gbk::upper(outer))) return true;
    }
    return false;
}

} // namespace corvo::shell
