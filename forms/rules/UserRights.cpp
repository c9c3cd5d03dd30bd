#include "forms/rules/UserRights.h"

#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

#include <algorithm>

namespace corvo::forms {
namespace {

/// Filters are switched off while the rows are searched and put back afterwards, so the
/// search sees every row whatever the form shows.
class AllRows {
public:
    explicit AllRows(TClientDataSet& rows) : m_rows(rows), m_filtered(rows.Filtered())
    {
        if (m_filtered) m_rows.SetFiltered(false);
    }
    ~AllRows()
    {
        if (m_filtered) m_rows.SetFiltered(true);
    }
    AllRows(const AllRows&) = delete;
    AllRows& operator=(const AllRows&) = delete;

private:
    TClientDataSet& m_rows;
    bool m_filtered;
};

bool same(TClientDataSet& rows, std::string_view field, const std::string& value)
{
    return gbk::equalsIgnoreCase(rows.FieldByName(field).AsString(), value);
}

/// Moves to the first row whose two fields hold the values (GUIDs compared without regard
/// to case); false when there is none.
bool findPair(TClientDataSet& rows, std::string_view f1, const std::string& v1, std::string_view f2,
              const std::string& v2)
{
    if (!rows.Active()) return false;
    for (rows.First(); !rows.Eof(); rows.Next())
        if (same(rows, f1, v1) && same(rows, f2, v2)) return true;
    return false;
}

void removeObjID(TClientDataSet& rows, const std::string& objId)
{
    if (findPair(rows, "ObjID", objId, "ObjID", objId)) rows.Delete();
}

} // namespace

GrantOutcome GrantModule(RightSets sets, const std::string& userId, const ModuleRef& module)
{
    AllRows rights(sets.rights), deletes(sets.deletes);
    if (findPair(sets.rights, "TUserID", userId, "TModuleID", module.objId))
        return GrantOutcome::AlreadyHeld;
    if (findPair(sets.deletes, "TUserID", userId, "TModuleID", module.objId)) {
        sets.rights.UpsertRecord(sets.deletes);
        sets.deletes.Delete();
        return GrantOutcome::Restored;
    }
    sets.rights.Append();
    sets.rights.Post();
    if (sets.rights.EntityList) AssignNewCode(sets.rights);
    AssignNewObjID(sets.rights);
    SetFieldString(sets.rights, "TUserID", userId);
    SetFieldString(sets.rights, "TModuleID", module.objId);
    SetFieldString(sets.rights, "TModuleName", module.name);
    AllRows inserts(sets.inserts);
    sets.inserts.UpsertRecord(sets.rights);
    return GrantOutcome::Granted;
}

RevokeOutcome RevokeRight(RightSets sets, const std::string& userId, const std::string& moduleName)
{
    AllRows rights(sets.rights), inserts(sets.inserts), deletes(sets.deletes);
    if (!findPair(sets.rights, "TUserID", userId, "TModuleName", moduleName))
        return RevokeOutcome::NotHeld;
    const std::string objId = GetObjID(sets.rights);
    RevokeOutcome outcome = RevokeOutcome::Revoked;
    if (findPair(sets.inserts, "ObjID", objId, "TUserID", userId)) {
        sets.inserts.Delete();
        outcome = RevokeOutcome::Withdrawn;
    } else {
        sets.deletes.UpsertRecord(sets.rights);
    }
    removeObjID(sets.rights, objId);
    return outcome;
}

std::vector<std::string> RightNamesOf(TCustomEntity& rights, const std::string& userId)
{
    std::vector<std::string> names;
    if (!rights.Active()) return names;
    AllRows all(rights);
    for (rights.First(); !rights.Eof(); rights.Next())
        if (same(rights, "TUserID", userId)) names.push_back(GetFieldString(rights, "TModuleName"));
    return names;
}

namespace {

std::vector<std::string> membersOf(TClientDataSet& groups, const std::string& groupId)
{
    std::vector<std::string> ids;
    for (groups.First(); !groups.Eof(); groups.Next())
        if (same(groups, "TModulesID", groupId))
            ids.push_back(groups.FieldByName("TModuleID").AsString());
    return ids;
}

/// The group holding the module, or nothing.
bool groupOf(TClientDataSet& groups, const std::string& moduleId, std::string& group)
{
    for (groups.First(); !groups.Eof(); groups.Next())
        if (same(groups, "TModuleID", moduleId)) {
            group = groups.FieldByName("TModulesID").AsString();
            return true;
        }
    return false;
}

} // namespace

HierarchyView LowerLevel(TClientDataSet& groups, const std::string& moduleId)
{
    HierarchyView view;
    if (!groups.Active()) return view;
    AllRows all(groups);
    view.ids = membersOf(groups, moduleId);
    if (!view.ids.empty()) {
        view.kind = HierarchyView::Members;
        view.group = moduleId;
    }
    return view;
}

HierarchyView UpperLevel(TClientDataSet& groups, const std::string& moduleId)
{
    HierarchyView view;
    if (!groups.Active()) return view;
    AllRows all(groups);
    std::string group, enclosing;
    if (!groupOf(groups, moduleId, group)) return view;
    if (!groupOf(groups, group, enclosing)) {
        view.kind = HierarchyView::All;
        return view;
    }
    view.kind = HierarchyView::Members;
    view.ids = membersOf(groups, enclosing);
    view.group = enclosing;
    return view;
}

} // namespace corvo::forms
