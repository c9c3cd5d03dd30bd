#include "DetailChanges.h"

#include "entity/EntityHelpers.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"

namespace corvo::forms {
namespace {

TCustomEntity& changeSet(TCustomEntityList& registry, std::string_view name, TClientDataSet& lines)
{
    registry.AddEntity(name);
    TCustomEntity& set = registry.EntityByName(name);
    if (!set.Active() || set.FieldCount() == 0) set.CopyStructure(lines);
    return set;
}

bool holds(TCustomEntity& set, const std::string& id)
{
    return set.Active() && !set.IsEmpty() && set.FindRecord("ObjID", id);
}

} // namespace

LineSetNames LineSetNamesOf(LineLevel level)
{
    if (level == LineLevel::List)
        return {"TDetailList", "TDetailListInsert", "TDetailListUpdate", "TDetailListDelete"};
    return {"TDetail", "TDetailInsert", "TDetailUpdate", "TDetailDelete"};
}

void PrepareLineChanges(TCustomEntityList& registry, LineLevel level)
{
    const LineSetNames names = LineSetNamesOf(level);
    registry.AddEntity(names.lines);
    TCustomEntity& lines = registry.EntityByName(names.lines);
    if (!lines.Active() || lines.FieldCount() == 0) return;
    for (std::string_view name : {names.inserts, names.updates, names.deletes}) {
        registry.AddEntity(name);
        registry.EntityByName(name).CopyStructure(lines);
    }
}

void RecordLineInsert(TCustomEntityList& registry, LineLevel level)
{
    const LineSetNames names = LineSetNamesOf(level);
    TCustomEntity& lines = registry.EntityByName(names.lines);
    changeSet(registry, names.inserts, lines).UpsertRecord(lines);
}

void RecordLineChange(TCustomEntityList& registry, LineLevel level)
{
    const LineSetNames names = LineSetNamesOf(level);
    TCustomEntity& lines = registry.EntityByName(names.lines);
    TCustomEntity& inserts = changeSet(registry, names.inserts, lines);
    if (holds(inserts, GetObjID(lines)))
        inserts.UpsertRecord(lines);
    else
        changeSet(registry, names.updates, lines).UpsertRecord(lines);
}

void RecordLineDelete(TCustomEntityList& registry, LineLevel level)
{
    const LineSetNames names = LineSetNamesOf(level);
    TCustomEntity& lines = registry.EntityByName(names.lines);
    // Deleting from an empty table raises the dataset's own error before anything is recorded.
    if (!lines.Active() || lines.IsEmpty()) {
        lines.Delete();
        return;
    }
    const std::string id = GetObjID(lines);
    TCustomEntity& inserts = changeSet(registry, names.inserts, lines);
    if (holds(inserts, id))
        inserts.Delete();
    else
        changeSet(registry, names.deletes, lines).UpsertRecord(lines);
    TCustomEntity& updates = changeSet(registry, names.updates, lines);
    if (holds(updates, id)) updates.Delete();
    lines.Delete();
}

bool IsRecordedInsert(TCustomEntityList& registry, LineLevel level)
{
    const LineSetNames names = LineSetNamesOf(level);
    TCustomEntity& lines = registry.EntityByName(names.lines);
    if (!lines.Active() || lines.IsEmpty() || !registry.HasEntity(names.inserts)) return false;
    return holds(registry.EntityByName(names.inserts), GetObjID(lines));
}

void ApplyLineChanges(TCustomEntity& stored, TCustomEntityList& registry, LineLevel level)
{
    if (!stored.Active()) return;
    const LineSetNames names = LineSetNamesOf(level);
    for (std::string_view name : {names.inserts, names.updates}) {
        if (!registry.HasEntity(name)) continue;
        TCustomEntity& set = registry.EntityByName(name);
        if (!set.Active()) continue;
        for (set.First(); !set.Eof(); set.Next())
            stored.UpsertRecord(set);
    }
    if (!registry.HasEntity(names.deletes)) return;
    TCustomEntity& removed = registry.EntityByName(names.deletes);
    if (!removed.Active()) return;
    for (removed.First(); !removed.Eof(); removed.Next())
        if (stored.FindRecord("ObjID", GetObjID(removed))) stored.Delete();
}

void ClearLineChanges(TCustomEntityList& registry, LineLevel level)
{
    const LineSetNames names = LineSetNamesOf(level);
    for (std::string_view name : {names.inserts, names.updates, names.deletes})
        if (registry.HasEntity(name)) {
            TCustomEntity& set = registry.EntityByName(name);
            if (set.Active()) set.EmptyDataSet();
        }
}

void AddLineChanges(TParamData& packet, TCustomEntityList& registry, LineLevel level)
{
    const LineSetNames names = LineSetNamesOf(level);
    for (std::string_view name : {names.inserts, names.updates, names.deletes})
        if (registry.HasEntity(name)) {
            TCustomEntity& set = registry.EntityByName(name);
            if (set.Active() && !set.IsEmpty()) packet.SetParamData(name, set.Data());
        }
}

} // namespace corvo::forms
