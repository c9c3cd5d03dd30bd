#pragma once

#include "TClientDataSet.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace corvo {

/// What an entity asks of the registry that created it: the dictionary identity
/// (`ObjID` of the `TDictTable` row) of a table, by table code. The registry throws
/// corvo::Error for an unknown table code.
class EntityRegistry {
public:
    virtual ~EntityRegistry() = default;
    virtual std::string TableObjID(std::string_view tableCode) = 0;
};

/// The entity dataset: a client dataset plus the program's own operations for finding,
/// filtering, sorting, copying, merging and adding up rows. Every operation is overridable.
/// Conventions: "Other" is any dataset; texts are compared exactly unless stated; Q(V) is
/// V in single quotes with inner quotes doubled; operations return true unless stated.
class TCustomEntity : public TClientDataSet {
public:
    TCustomEntity() = default;
    explicit TCustomEntity(EntityRegistry* entityList) : EntityList(entityList) {}
    ~TCustomEntity() override;

    /// The registry that created this entity; may be empty.
    EntityRegistry* EntityList = nullptr;

    /// True when the current row's field, read as text, equals the value exactly.
    virtual bool IsFieldValue(std::string_view field, std::string_view value);
    /// Throws "在进行有效性检查时发现实体" + name + "为空！" without visible rows,
    /// ... + "的字段数为零！" without fields; the name is that of field 0.
    virtual bool CheckValid();

    // Sorting
    virtual bool SortAsc(std::string_view field, std::string_view mode);
    virtual bool SortDesc(std::string_view field, std::string_view mode);
    virtual bool ClearSort();
    virtual bool SortAscKeepLast(std::string_view field, std::string_view mode);

    // Search
    virtual bool FindRecord(std::string_view field, std::string_view value);
    virtual bool FindRecordCase(std::string_view field, std::string_view value);
    virtual bool FindRecordPartial(std::string_view field, std::string_view value);
    virtual bool LookupText(std::string_view keyField, std::string_view value, std::string& out,
                            std::string_view resultField);

    // Filters
    virtual bool FilterEqual(std::string_view field, std::string_view value);
    virtual bool FilterLike(std::string_view field, std::string_view value);
    virtual bool AndFilterEqual(std::string_view field, std::string_view value);
    virtual bool AndFilterEither(std::string_view field, std::string_view value);
    virtual bool OrFilterEither(std::string_view field, std::string_view value);
    virtual bool DeleteEqual(std::string_view field, std::string_view value);
    virtual bool KeepEqual(std::string_view field, std::string_view value);
    virtual bool FilterAtLeast(std::string_view field, std::string_view value);
    virtual bool FilterAtMost(std::string_view field, std::string_view value);
    virtual bool AndFilterAtLeast(std::string_view field, std::string_view value);
    virtual bool AndFilterAtMost(std::string_view field, std::string_view value);
    virtual bool ClearFilter();
    virtual bool RemoveDuplicates(std::string_view field, std::string_view mode);
    virtual bool KeepOnlyValue(std::string_view field, std::string_view value);
    virtual bool KeepEqualVariant(std::string_view field, const Variant& value);
    virtual bool DeleteEqualVariant(std::string_view field, const Variant& value);

    // Writing values
    virtual bool SetFieldForAll(std::string_view field, std::string_view value);
    virtual bool CheckAmountsNonNegative();
    virtual int FirstNegativeAmountField();
    virtual bool EditField(std::string_view field, std::string_view value);
    virtual bool AppendWithField(std::string_view field, std::string_view value);
    virtual bool NotFound(std::string_view field, std::string_view value);
    virtual bool NumberRows(std::string_view field);
    virtual bool AppendBlankRows(int count);
    virtual bool AppendFirstField(std::string_view value);
    virtual bool AppendFromStrings(const std::vector<std::string>& values);
    virtual bool EditFieldByIndex(int index, std::string_view value);

    // Field display
    virtual bool ShowFirstFields(int count);
    virtual bool SetFieldRangeVisible(std::string_view firstField, std::string_view lastField,
                                      bool visible);

    // Aggregates
    virtual bool SumByKey(std::string_view keyField, std::string_view amountField);
    virtual bool MergeDuplicateKeys(std::string_view keyField);
    virtual bool LoadDataBlob(std::istream& stream);
    virtual double SumField(std::string_view field);
    virtual double SumTwoFields(std::string_view field1, std::string_view field2);
    virtual double SumFieldPair(std::string_view field1, std::string_view field2, double& sum2);
    virtual double FillProduct(std::string_view target, std::string_view field1,
                               std::string_view field2);
    virtual double SumFieldAndPair(std::string_view field1, std::string_view field2, double& sum23,
                                   std::string_view field3);
    virtual std::string SumFieldText(std::string_view field);
    virtual std::string SumFieldPairText(std::string_view field1, std::string_view field2,
                                         std::string& sum2);
    virtual std::string SumFieldAndPairText(std::string_view field1, std::string_view field2,
                                            std::string& sum23, std::string_view field3);

    // Copying and merging
    virtual bool SameAs(TCustomEntity& other);
    /// The slot that only returns true.
    virtual bool ReturnTrue();
    virtual bool CopyFrom(TClientDataSet& other);
    /// The current row of a "Field" parameter packet: SetFieldForAll(its Field, its Value).
    virtual bool ApplyParamRow(TClientDataSet& paramRow);
    virtual bool FilterNotIn(TClientDataSet& other);
    virtual bool FilterByValuesOf(TClientDataSet& other, std::string_view keyField,
                                  std::string_view otherField);
    virtual bool DeleteIn(TClientDataSet& other);
    virtual bool DeleteInBy(TClientDataSet& other, std::string_view keyField,
                            std::string_view otherField);
    virtual bool DeleteNotIn(TClientDataSet& other);
    virtual bool DeleteNotInBy(TClientDataSet& other, std::string_view keyField,
                               std::string_view otherField);
    virtual bool MoveIn(TClientDataSet& other, TCustomEntity& target, std::string_view keyField,
                        std::string_view otherField);
    virtual bool MoveNotIn(TClientDataSet& other, TCustomEntity& target, std::string_view keyField,
                           std::string_view otherField);
    virtual bool SameRecord(TClientDataSet& other);
    virtual bool FindByObjID(TClientDataSet& other);
    virtual bool AddAmounts(TClientDataSet& other);
    virtual bool SubtractAmounts(TClientDataSet& other);
    virtual bool UpsertRecord(TClientDataSet& other);
    virtual bool MergeRecord(TClientDataSet& other, std::string_view keyField);
    virtual bool UpsertAll(TClientDataSet& other);
    virtual bool MergeAll(TClientDataSet& other, std::string_view keyField);
    virtual bool AssignRecord(TClientDataSet& other);
    virtual bool AppendVisibleValues(TClientDataSet& other);
    virtual bool AppendVisibleNames(TClientDataSet& other);
    virtual bool AppendVisibleValuesAll(TClientDataSet& other);
    virtual bool CopyVisibleLabels(TClientDataSet& other);
    virtual bool DeleteByObjID(TClientDataSet& other);
    virtual bool DeleteCurrent();
    virtual bool DeleteAllByObjID(TClientDataSet& other);
    virtual bool CopyStructure(TClientDataSet& other);

private:
    bool findCurrentOrLocate(std::string_view field, std::string_view value, unsigned options);
    bool setFilterText(std::string text);
    bool andFilter(std::string_view op, std::string_view field, std::string_view value);
    std::string eitherTerm(std::string_view field, std::string_view value) const;
    bool moveRows(TClientDataSet& other, TCustomEntity& target, std::string_view keyField,
                  std::string_view otherField, bool moveFound);
    bool deleteByPresence(TClientDataSet& other, std::string_view keyField,
                          std::string_view otherField, bool deleteFound);
    bool addAmounts(TClientDataSet& other, int sign);
    void collapseGroups(int keyField, const std::vector<int>& amounts);
    std::vector<int> decimalFields(bool exceptUnitPrice) const;
};

/// Q(V): the value in single quotes with every single quote inside doubled.
std::string QuotedFilterValue(std::string_view value);

} // namespace corvo
