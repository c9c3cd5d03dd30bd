#include "TCustomEntityList.h"

#include "Error.h"
#include "Gbk.h"
#include "GridBinding.h"
#include "ParamNames.h"
#include "TParamData.h"

#include <charconv>

namespace corvo {
namespace {

// The size of the index's Name field: a longer name would be stored cut and never found again.
constexpr std::size_t MaxNameBytes = 30;

std::string bracketed(std::string_view gbkText)
{
    return "[" + gbk::display(gbkText) + "]";
}

bool isDictionaryRow(std::string_view name)
{
    return gbk::equalsIgnoreCase(name, param::TDictTable) ||
           gbk::equalsIgnoreCase(name, param::TDictField);
}

std::string firstFieldName(const TClientDataSet& dataSet)
{
    return dataSet.FieldCount() > 0 ? dataSet.Fields(0).FieldName() : std::string();
}

/// The declared Size of a dictionary column of that field type.
int dictionaryFieldSize(FieldType type, int prec, int scale)
{
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::WideString:
        return prec;
    case FieldType::Float:
    case FieldType::BCD:
        return scale;
    case FieldType::Guid:
        return 38;
    default:
        return 0;
    }
}

/// Positions TDictTable on the row of that Code (letter case ignored).
bool locateTable(TClientDataSet& dictTable, std::string_view table)
{
    return dictTable.Active() && dictTable.Locate("Code", Variant(table), loCaseInsensitive);
}

} // namespace

TCustomEntityList::TCustomEntityList() : m_index(std::make_unique<TParamData>(paramkind::Map)) {}

TCustomEntityList::~TCustomEntityList() = default;

// ---------------------------------------------------------------------------------------
// Members

TCustomEntity* TCustomEntityList::find(std::string_view name)
{
    // FindRecord first compares the current row; on an empty index that row reads as "".
    if (name.empty() || m_index->IsEmpty() || !m_index->FindRecord("Name", name)) return nullptr;
    const std::string position = m_index->FieldByName("Value").AsString();
    std::size_t at = 0;
    auto [end, ec] = std::from_chars(position.data(), position.data() + position.size(), at);
    if (ec != std::errc() || end != position.data() + position.size() || at >= m_entities.size())
        return nullptr;
    return m_entities[at].get();
}

bool TCustomEntityList::AddEntity(std::string_view name)
{
    if (name.empty() || name.size() > MaxNameBytes) return false;
    try {
        if (find(name)) return true;
        auto entity = std::make_unique<TCustomEntity>(this);
        m_index->SetParamValue(name, Variant(std::to_string(m_entities.size())));
        m_entities.push_back(std::move(entity));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TCustomEntityList::AddEntities(const std::vector<std::string>& names)
{
    bool result = true;
    for (const std::string& name : names)
        result = AddEntity(name);
    return result;
}

bool TCustomEntityList::HasEntity(std::string_view name)
{
    return find(name) != nullptr;
}

bool TCustomEntityList::HasRows(std::string_view name)
{
    TCustomEntity* entity = find(name);
    return entity && entity->Active() && !entity->IsEmpty();
}

TCustomEntity& TCustomEntityList::EntityByName(std::string_view name)
{
    if (TCustomEntity* entity = find(name)) return *entity;
    throw Error("实体对象列表中不存在实体" + bracketed(name) + "，请检查！");
}

TCustomEntity& TCustomEntityList::EntityAt(int position)
{
    if (position < 0 || position >= Count())
        throw Error("实体序号" + std::to_string(position) + "超出范围");
    return *m_entities[static_cast<std::size_t>(position)];
}

void TCustomEntityList::TakeDataFrom(TCustomEntityList& other)
{
    for (int position = 0; position < Count(); ++position) {
        const std::string name = m_index->ParamNameOf(Variant(std::to_string(position)));
        if (TCustomEntity* source = other.find(name))
            m_entities[static_cast<std::size_t>(position)]->CopyDataFrom(*source);
    }
}

void TCustomEntityList::LoadDictionary(TParamData& packet)
{
    TField& name = packet.FieldByName("Name");
    for (packet.First(); !packet.Eof(); packet.Next()) {
        const std::string row = name.AsString();
        if (!isDictionaryRow(row)) continue;
        AddEntity(row);
        EntityByName(row).SetData(packet.CurrentParamData());
    }
}

void TCustomEntityList::LoadOtherEntities(TParamData& packet)
{
    TField& name = packet.FieldByName("Name");
    try {
        for (packet.First(); !packet.Eof(); packet.Next()) {
            const std::string row = name.AsString();
            if (isDictionaryRow(row)) continue;
            Variant data = packet.CurrentParamData();
            if (data.asBytes().empty()) continue;
            AddEntity(row);
            EntityByName(row).SetData(data);
        }
    } catch (const Error&) {
        // A reply's extra tables are optional: what loaded stays, the rest is left out.
    }
}

// ---------------------------------------------------------------------------------------
// Dictionary

bool TCustomEntityList::hasDictionary()
{
    TCustomEntity* table = find(param::TDictTable);
    TCustomEntity* field = find(param::TDictField);
    return table && field && table->Active() && field->Active();
}

std::string TCustomEntityList::TableObjID(std::string_view table)
{
    TCustomEntity& dictTable = EntityByName(param::TDictTable);
    if (!locateTable(dictTable, table))
        throw Error("表名" + bracketed(table) + "在表字典中不存在 ！");
    return dictTable.FieldByName("ObjID").AsString();
}

void TCustomEntityList::SelectTableFields(std::string_view table)
{
    const std::string objId = TableObjID(table);
    TCustomEntity& dictField = EntityByName(param::TDictField);
    dictField.FilterEqual("ParentID", objId);
    dictField.SortAsc("ColOrder", "Clear");
}

void TCustomEntityList::SelectMasterFields()
{
    SelectTableFields(firstFieldName(EntityByName(param::TMaster)));
}

TCustomEntity& TCustomEntityList::declareFromDictionary(TCustomEntity& entity,
                                                        TClientDataSet& columns)
{
    std::vector<FieldDef> defs;
    try {
        if (columns.Active()) {
            TField& code = columns.FieldByName("Code");
            TField& dataType = columns.FieldByName("DataType");
            TField& prec = columns.FieldByName("Prec");
            TField& scale = columns.FieldByName("Scale");
            for (columns.First(); !columns.Eof(); columns.Next()) {
                const FieldType type = SQLTypeToFieldType(dataType.AsString());
                const int size = dictionaryFieldSize(type, static_cast<int>(prec.AsInteger()),
                                                     static_cast<int>(scale.AsInteger()));
                defs.push_back(FieldDef{code.AsString(), type, size, false});
            }
        }
        entity.FieldDefs().assign(std::move(defs));
        entity.CreateDataSet();
    } catch (...) {
        // A structure that could not be completed is dropped, never left half-declared.
        entity.FieldDefs().Clear();
        throw;
    }
    return entity;
}

TCustomEntity& TCustomEntityList::BuildEntity(std::string_view table, std::string_view entityName)
{
    AddEntity(entityName);
    if (!hasDictionary())
        throw Error("无数据字典不能创建实体" + bracketed(entityName) + "空结构！");
    TCustomEntity& entity = EntityByName(entityName);
    if (entity.Active()) return entity;
    entity.FieldDefs().Clear();

    TCustomEntity& dictTable = EntityByName(param::TDictTable);
    if (!locateTable(dictTable, table))
        throw Error("实体列表中不存在实体" + bracketed(table) + "，因此不能创建该实体的结构！");
    const std::string objId = dictTable.FieldByName("ObjID").AsString();

    TCustomEntity& dictField = EntityByName(param::TDictField);
    dictField.FilterEqual("ParentID", objId);
    dictField.SortAsc("ColOrder", "");
    return declareFromDictionary(entity, dictField);
}

std::unique_ptr<TCustomEntity> TCustomEntityList::tableColumns(std::string_view objId)
{
    // A private copy: the registry's own TDictField selection belongs to its callers.
    auto columns = std::make_unique<TCustomEntity>();
    TCustomEntity& dictField = EntityByName(param::TDictField);
    columns->CopyFrom(dictField);
    if (columns->Active()) {
        columns->FilterEqual("ParentID", objId);
        columns->SortAsc("ColOrder", "Clear");
    }
    return columns;
}

TCustomEntity& TCustomEntityList::BuildGridEntity(std::string_view table,
                                                  std::string_view entityName, EntityGrid& grid)
{
    AddEntity(entityName);
    if (!hasDictionary())
        throw Error("无数据字典不能创建实体" + bracketed(entityName) + "空结构！");
    TCustomEntity& entity = EntityByName(entityName);
    if (entity.Active()) entity.Close();

    TCustomEntity& dictTable = EntityByName(param::TDictTable);
    if (!locateTable(dictTable, table))
        throw Error("不存在表" + bracketed(table) + "，因此不能创建实体" + bracketed(entityName) +
                    "的结构！");
    auto columns = tableColumns(dictTable.FieldByName("ObjID").AsString());
    declareFromDictionary(entity, *columns);

    grid.bindDataSet(&entity);
    if (grid.hasColumns()) grid.dropColumns();
    applyCaptions(*columns, entity);
    return entity;
}

// ---------------------------------------------------------------------------------------
// Visibility and captions

void TCustomEntityList::applyCaptions(TClientDataSet& columns, TClientDataSet& target)
{
    if (!columns.Active()) return;
    TField& code = columns.FieldByName("Code");
    TField& isVisible = columns.FieldByName("IsVisible");
    for (columns.First(); !columns.Eof(); columns.Next()) {
        TField& field = target.FieldByName(code.AsString());
        const bool visible = isVisible.AsInteger() == 1;
        field.SetVisible(visible);
        if (visible) field.SetDisplayLabel(columns.FieldByName(LanguageColumn).AsString());
    }
}

std::unique_ptr<TCustomEntity> TCustomEntityList::gridColumns(TClientDataSet& dataSet,
                                                              const EntityGrid& grid)
{
    const std::string table = firstFieldName(dataSet);
    TCustomEntity& dictTable = EntityByName(param::TDictTable);
    if (!locateTable(dictTable, table))
        throw Error("不存在表" + bracketed(table) + "，因此不能创建GRID" +
                    bracketed(grid.componentName()) + "的结构！");
    return tableColumns(dictTable.FieldByName("ObjID").AsString());
}

TCustomEntity& TCustomEntityList::ApplyMasterCaptions()
{
    if (!hasDictionary()) throw Error("无数据字典不能生成主单据标题！");
    TCustomEntity& master = EntityByName(param::TMaster);
    applyCaptions(EntityByName(param::TDictField), master);
    return master;
}

void TCustomEntityList::BindGrid(std::string_view entityName, EntityGrid& grid)
{
    TCustomEntity& entity = EntityByName(entityName);
    applyCaptions(*gridColumns(entity, grid), entity);
    grid.bindDataSet(&entity);
}

void TCustomEntityList::ApplyGridCaptions(EntityGrid& grid)
{
    TClientDataSet* shown = grid.dataSet();
    if (shown == nullptr)
        throw Error("不存在表[]，因此不能创建GRID" + bracketed(grid.componentName()) + "的结构！");
    applyCaptions(*gridColumns(*shown, grid), *shown);
}

void TCustomEntityList::BindGridSelected(std::string_view entityName, EntityGrid& grid)
{
    TCustomEntity& entity = EntityByName(entityName);
    applyCaptions(EntityByName(param::TDictField), entity);
    grid.bindDataSet(&entity);
}

} // namespace corvo
