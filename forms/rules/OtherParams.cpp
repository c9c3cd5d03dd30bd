#include "forms/rules/OtherParams.h"

#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

#include <algorithm>
#include <vector>

namespace corvo::forms {
namespace {

struct Place {
    std::string objId;
    int64_t order;
    bool editable;
    std::string name;
};

std::vector<Place> placesOf(TCustomEntity& params, const std::string& typeName)
{
    std::vector<Place> places;
    for (params.First(); !params.Eof(); params.Next())
        if (GetFieldString(params, "TypeName") == typeName)
            places.push_back({GetObjID(params), GetFieldInt(params, "DispOrder"),
                              ParamEditable(params), GetName(params)});
    std::stable_sort(places.begin(), places.end(),
                     [](const Place& a, const Place& b) { return a.order < b.order; });
    return places;
}

} // namespace

void BuildParamTypes(TClientDataSet& all, TCustomEntity& types)
{
    types.CopyFrom(all);
    types.ClearFilter();
    types.RemoveDuplicates("Type", "");
    DeleteRowsEqual(types, "TypeName", "");
    DeleteRowsWithPrefix(types, "Type", "Status");
    types.SortAsc("TypeName", "Clear");
    types.First();
}

ParamControls ParamControlsFor(ParamEditState state)
{
    switch (state) {
    case ParamEditState::Adding:
        return {false, true, true, true, false, true, true, false};
    case ParamEditState::Changing:
        return {true, true, true, false, true, true, true, false};
    case ParamEditState::Browsing:
        break;
    }
    return {false, false, false, true, true, false, false, true};
}

bool ParamEditable(TClientDataSet& params)
{
    return params.FieldByName("AllowEdit").AsString() != "0";
}

bool ParamNameTaken(TCustomEntity& params, const std::string& typeName, const std::string& name)
{
    TCustomEntity all;
    all.CopyDataFrom(params);
    for (all.First(); !all.Eof(); all.Next())
        if (GetFieldString(all, "TypeName") == typeName &&
            gbk::equalsIgnoreCase(GetName(all), name))
            return true;
    return false;
}

int NextDispOrder(TCustomEntity& params, const std::string& typeName)
{
    TCustomEntity all;
    all.CopyDataFrom(params);
    int64_t highest = 0;
    for (all.First(); !all.Eof(); all.Next())
        if (GetFieldString(all, "TypeName") == typeName)
            highest = std::max(highest, GetFieldInt(all, "DispOrder"));
    return static_cast<int>(highest + 1);
}

MoveResult MoveParam(TCustomEntity& params, const std::string& typeName, const std::string& objId,
                     MoveDirection direction)
{
    MoveResult result;
    // A copy is walked: the rows the grid shows keep their cursor.
    TCustomEntity all;
    all.CopyDataFrom(params);
    const std::vector<Place> places = placesOf(all, typeName);
    const auto at = std::find_if(places.begin(), places.end(),
                                 [&](const Place& p) { return p.objId == objId; });
    if (at == places.end()) return result;
    const auto index = static_cast<std::size_t>(at - places.begin());
    if (direction == MoveDirection::Up ? index == 0 : index + 1 >= places.size()) return result;
    const Place& neighbour = places[direction == MoveDirection::Up ? index - 1 : index + 1];
    if (!at->editable || !neighbour.editable) {
        result.outcome = MoveOutcome::Locked;
        result.lockedName = at->name;
        params.FindRecord("ObjID", objId);
        return result;
    }
    // Exchanging the two orders keeps a type's orders as they were, only swapped.
    if (params.FindRecord("ObjID", neighbour.objId)) SetFieldInt(params, "DispOrder", at->order);
    if (params.FindRecord("ObjID", objId)) SetFieldInt(params, "DispOrder", neighbour.order);
    params.FindRecord("ObjID", objId);
    result.outcome = MoveOutcome::Moved;
    return result;
}

} // namespace corvo::forms
