#pragma once

#include "TCustomEntity.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvo {

class EntityGrid;
class TParamData;

/// A form's registry of entity datasets, looked up by name without regard to letter case;
/// it owns its members. It also holds the data dictionary (the entities TDictTable and
/// TDictField) and gives entities the structure, visibility and captions of a dictionary
/// table. Names are GBK; messages are UTF-8 in corvo::Error.
///
/// The "selected" TDictField rows are the rows visible through TDictField's current filter and
/// order, walked from the first. SelectTableFields, SelectMasterFields and BuildEntity change
/// that selection; the grid operations work on a private copy and leave it alone.
///
/// The dictionary counts as present when both entities are registered and hold a structure.
class TCustomEntityList : public EntityRegistry {
public:
    TCustomEntityList();
    ~TCustomEntityList() override;
    TCustomEntityList(const TCustomEntityList&) = delete;
    TCustomEntityList& operator=(const TCustomEntityList&) = delete;

    /// The TDictField column that supplies captions: "Name", "NameEn" or "NameJP".
    std::string LanguageColumn = "Name";

    /// Registers an empty entity under the name unless the name is registered already (in
    /// any letter case). False on any failure, including a name that is empty or longer than
    /// the 30 bytes the name index holds.
    bool AddEntity(std::string_view name);
    /// AddEntity for each name in order; the result of the last one (true for no names).
    bool AddEntities(const std::vector<std::string>& names);
    bool HasEntity(std::string_view name);
    /// Registered, with a structure, and with visible rows.
    bool HasRows(std::string_view name);
    /// Throws "实体对象列表中不存在实体[name]，请检查！" for an unregistered name.
    TCustomEntity& EntityByName(std::string_view name);
    /// The member at a position (0 = the first registered); throws when out of range.
    TCustomEntity& EntityAt(int position);
    int Count() const noexcept { return static_cast<int>(m_entities.size()); }
    /// Name -> position (as text), ordered by the text of the position. Read only.
    TParamData& NameIndex() noexcept { return *m_index; }

    /// Every member whose name the other registry also holds gets a copy of the other's data
    /// (structure and rows); the others keep theirs.
    void TakeDataFrom(TCustomEntityList& other);
    /// Loads the rows "TDictTable" and "TDictField" of a parameter packet (kind "Data") into
    /// the entities of those names, registering them. A malformed packet throws the packet
    /// error; the entity it was meant for keeps what it held.
    void LoadDictionary(TParamData& packet);
    /// Loads every other row holding a nested table into the entity of the row's name,
    /// registering it; value rows (no table) are skipped. The first failure ends the loading
    /// without an error; the entity of the failing row keeps what it held.
    void LoadOtherEntities(TParamData& packet);

    /// Gives the entity (registered if needed) the structure of a dictionary table unless it
    /// already has one, in which case it is returned untouched. Leaves the table's columns
    /// selected in TDictField (its other sort definitions kept). Throws for a missing
    /// dictionary or table, and the conversion error for an unknown SQL type; a structure that
    /// could not be built is dropped (the entity stays without one).
    TCustomEntity& BuildEntity(std::string_view table, std::string_view entityName);
    /// Always (re)builds the entity from a dictionary table, binds the grid to it, drops the
    /// grid's own columns and applies visibility and captions. TDictField's selection stays.
    TCustomEntity& BuildGridEntity(std::string_view table, std::string_view entityName,
                                   EntityGrid& grid);

    /// Visibility and captions of TMaster from the selected TDictField rows. Throws
    /// "无数据字典不能生成主单据标题！" without a dictionary, the missing-field error for a
    /// dictionary row that names no field of TMaster.
    TCustomEntity& ApplyMasterCaptions();
    /// Visibility and captions of the entity from the table named by its first field, then
    /// binds the grid to it.
    void BindGrid(std::string_view entityName, EntityGrid& grid);
    /// Visibility and captions of the dataset the grid shows, from the table named by its
    /// first field.
    void ApplyGridCaptions(EntityGrid& grid);
    /// Visibility and captions of the entity from the selected TDictField rows, then binds
    /// the grid to it.
    void BindGridSelected(std::string_view entityName, EntityGrid& grid);

    /// The ObjID of the TDictTable row with that Code (letter case ignored). Throws
    /// "表名[table]在表字典中不存在 ！" when there is none.
    std::string TableObjID(std::string_view table) override;
    /// Selects the table's columns in TDictField: filter on ParentID, ascending ColOrder as
    /// the only sort definition.
    void SelectTableFields(std::string_view table);
    /// SelectTableFields for the table named by TMaster's first field.
    void SelectMasterFields();

private:
    TCustomEntity* find(std::string_view name);
    bool hasDictionary();
    TCustomEntity& declareFromDictionary(TCustomEntity& entity, TClientDataSet& columns);
    void applyCaptions(TClientDataSet& columns, TClientDataSet& target);
    std::unique_ptr<TCustomEntity> tableColumns(std::string_view objId);
    std::unique_ptr<TCustomEntity> gridColumns(TClientDataSet& dataSet, const EntityGrid& grid);

    std::vector<std::unique_ptr<TCustomEntity>> m_entities;
    std::unique_ptr<TParamData> m_index;
};

} // namespace corvo
