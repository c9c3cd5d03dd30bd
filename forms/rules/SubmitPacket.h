#pragma once

namespace corvo {
class TCustomEntityList;
class TParamData;
} // namespace corvo

namespace corvo::forms {

class LocalStore;

/// The submit packet's base content: "AppName" and TMaster's rows as the "TMaster" data row.
/// Throws "主单据数据为空！" when TMaster holds no row.
void FillMasterPacket(TParamData& packet, TCustomEntityList& registry);

/// The stored document the server answered with: the packet's "TMaster" rows replace
/// TMaster's, which then takes the selected columns' captions.
void LoadAnsweredMaster(TParamData& packet, TCustomEntityList& registry);

/// For a table the client keeps a copy of, every TMaster row is put into the local file of
/// that table (the organisations' file starts from no row). Nothing for other tables.
void UpdateLocalTable(TCustomEntityList& registry, LocalStore& store);

} // namespace corvo::forms
