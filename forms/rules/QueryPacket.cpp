#include "QueryPacket.h"

#include "QueryPaging.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"

namespace corvo::forms {
namespace {

// An entity of the registry as an empty table of its structure; false without a structure.
bool emptied(TCustomEntityList& registry, std::string_view name, Variant& structure)
{
    TCustomEntity& entity = registry.EntityByName(name);
    if (!entity.Active()) return false;
    entity.EmptyDataSet();
    structure = entity.Data();
    return true;
}

TCustomEntity& registered(TCustomEntityList& registry, std::string_view name)
{
    registry.AddEntity(name);
    return registry.EntityByName(name);
}

} // namespace

void FillQueryPacket(TParamData& packet, TSQLAdder& clauses, TCustomEntityList& registry,
                     const QueryPaging& paging, const std::string& owner,
                     const std::function<void()>& buildWhere)
{
    packet.EmptyDataSet();
    clauses.BuildQuery(&registry.EntityByName(param::TDictField), paging.mode, paging.maxKey,
                       paging.minKey);
    if (buildWhere) buildWhere();
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    if (!packet.ParamExists(param::TOwnerID)) packet.SetParamValue(param::TOwnerID, Variant(owner));
    packet.SetParamData(param::TMaster, clauses.Data());
    Variant structure;
    if (registry.HasEntity(param::TDetailQuery)) {
        if (emptied(registry, param::TDetailQuery, structure))
            packet.SetParamData(param::TDetailQuery, structure);
    } else if (registry.HasEntity(param::TDetail)) {
        if (emptied(registry, param::TDetail, structure))
            packet.SetParamData(param::TDetailQuery, structure);
    }
}

int ReadQueryReply(TParamData& packet, TCustomEntityList& registry, ReplyKind kind)
{
    TCustomEntity& master = registry.EntityByName(param::TMaster);
    if (packet.ParamExists(param::TMaster)) master.SetData(packet.GetParamData(param::TMaster));
    if (kind == ReplyKind::MasterDetail) {
        if (packet.ParamExists(param::TDetail))
            registered(registry, param::TDetail).SetData(packet.GetParamData(param::TDetailQuery));
        if (packet.ParamExists(param::TDetailQuery))
            registered(registry, param::TDetailQuery)
                .SetData(packet.GetParamData(param::TDetailQuery));
        if (packet.ParamExists(param::TDetailListQuery))
            registered(registry, "TDetailList")
                .SetData(packet.GetParamData(param::TDetailListQuery));
    }
    return master.Active() ? master.RecordCount() : 0;
}

void BuildBaseConditions(TSQLAdder& clauses, const std::vector<DictColumn>& columns,
                         const std::function<std::string(const std::string& code)>& conditionOf,
                         bool ownerCondition)
{
    clauses.EmptyDataSet();
    if (!columns.empty()) {
        const std::string& table = columns.front().code;
        for (const DictColumn& column : columns) {
            if (column.isQuery != 1) continue;
            if (gbk::equalsIgnoreCase(column.code, "TOwnerID") && !ownerCondition) continue;
            const std::string condition = conditionOf(column.code);
            const std::string_view trimmed = gbk::trim(condition);
            if (!trimmed.empty())
                clauses.AddClause(clause::Where, "(" + table + "." + std::string(trimmed) + ")");
        }
    }
    clauses.MergeChangeLog();
}

std::string PickedTable(TClientDataSet& detail)
{
    const int parent = detail.FieldIndexOf("ParentID");
    if (parent < 0 || parent + 1 >= detail.FieldCount()) return {};
    const std::string& name = detail.Fields(parent + 1).FieldName();
    return name.size() > 2 ? name.substr(0, name.size() - 2) : std::string();
}

void AddPickedRow(TCustomEntity& detail, TClientDataSet& picked, const std::string& table)
{
    detail.UpsertRecord(picked);
    detail.EditField("ObjID", NewGUIDString());
    // A line table may show the picked row's code or name or neither.
    for (auto [field, value] :
         {std::pair{table + "ID", GetObjID(picked)}, std::pair{table + "Code", GetCode(picked)},
          std::pair{table + "Name", GetName(picked)}})
        if (detail.FindField(field)) detail.EditField(field, value);
}

} // namespace corvo::forms
