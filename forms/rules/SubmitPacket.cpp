#include "SubmitPacket.h"

#include "LocalStore.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"

namespace corvo::forms {

void FillMasterPacket(TParamData& packet, TCustomEntityList& registry)
{
    packet.EmptyDataSet();
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    TCustomEntity& master = registry.EntityByName("TMaster");
    if (!master.Active() || master.IsEmpty()) throw Error("主单据数据为空！");
    packet.SetParamData(param::TMaster, master.Data());
}

void LoadAnsweredMaster(TParamData& packet, TCustomEntityList& registry)
{
    registry.EntityByName("TMaster").SetData(packet.GetParamData(param::TMaster));
    registry.ApplyMasterCaptions();
}

void UpdateLocalTable(TCustomEntityList& registry, LocalStore& store)
{
    TCustomEntity& master = registry.EntityByName("TMaster");
    if (!master.Active() || master.FieldCount() == 0 || master.IsEmpty()) return;
    TCustomEntity& tables = registry.EntityByName("TDictTable");
    if (!tables.FindRecord("ObjID", GetFirstFieldValue(master))) return;
    TField* clientTable = tables.FindField("IsClientTable");
    if (!clientTable || clientTable->AsString() != "1") return;
    const std::string name = GetFirstFieldName(master);
    TCustomEntity copy;
    if (!store.load(name, copy)) copy.CopyStructure(master);
    if (name == "TOrgan") copy.EmptyDataSet();
    copy.UpsertAll(master);
    store.save(name, copy);
}

} // namespace corvo::forms
