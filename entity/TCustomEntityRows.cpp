// Entity operations that delete, copy, merge and write rows.
#include "EntityHelpers.h"
#include "Error.h"
#include "Gbk.h"
#include "TCustomEntity.h"

#include <sstream>

namespace corvo {

namespace {

/// Position in the target of each field of the source that the target also has (-1 if not).
std::vector<int> commonFields(TClientDataSet& source, TClientDataSet& target)
{
    std::vector<int> map(static_cast<std::size_t>(source.FieldCount()), -1);
    for (int i = 0; i < source.FieldCount(); ++i)
        map[static_cast<std::size_t>(i)] = target.FieldIndexOf(source.Fields(i).FieldName());
    return map;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Deleting by value

bool TCustomEntity::DeleteEqual(std::string_view field, std::string_view value)
{
    ClearFilter();
    int f = FieldByName(field).Index();
    deleteVisibleRowsWhere([&](uint32_t row) { return rowText(row, f) == value; });
    return true;
}

bool TCustomEntity::KeepEqual(std::string_view field, std::string_view value)
{
    ClearFilter();
    int f = FieldByName(field).Index();
    deleteVisibleRowsWhere([&](uint32_t row) { return rowText(row, f) != value; });
    return true;
}

bool TCustomEntity::KeepEqualVariant(std::string_view field, const Variant& value)
{
    SetFiltered(false);
    int f = FieldByName(field).Index();
    deleteVisibleRowsWhere([&](uint32_t row) { return !(rowValue(row, f) == value); });
    return true;
}

bool TCustomEntity::DeleteEqualVariant(std::string_view field, const Variant& value)
{
    SetFiltered(false);
    int f = FieldByName(field).Index();
    deleteVisibleRowsWhere([&](uint32_t row) { return rowValue(row, f) == value; });
    return true;
}

bool TCustomEntity::KeepOnlyValue(std::string_view field, std::string_view value)
{
    std::string name = gbk::trim(field).empty() ? std::string("ObjID") : std::string(field);
    int f = FieldByName(name).Index();
    std::string keep = gbk::trim(value).empty() ? Fields(f).AsString() : std::string(value);
    SetFiltered(false);
    deleteVisibleRowsWhere([&](uint32_t row) { return rowText(row, f) != keep; });
    return true;
}

bool TCustomEntity::RemoveDuplicates(std::string_view field, std::string_view mode)
{
    SortAsc(field, mode);
    int f = FieldByName(field).Index();
    std::string previous;
    deleteVisibleRowsWhere([&](uint32_t row) {
        std::string text = rowText(row, f);
        if (text == previous) return true;
        previous = std::move(text);
        return false;
    });
    ClearSort();
    return true;
}

bool TCustomEntity::deleteByPresence(TClientDataSet& other, std::string_view keyField,
                                     std::string_view otherField, bool deleteFound)
{
    checkWritable();
    MergeChangeLog();
    int key = FieldByName(keyField).Index();
    other.FieldByName(otherField);
    // Other is searched once per row as a walk would; the deletions happen in one pass.
    deleteVisibleRowsWhere([&](uint32_t row) {
        bool found = other.Locate(otherField, Variant(rowText(row, key)), loCaseInsensitive);
        return found == deleteFound;
    });
    return true;
}

bool TCustomEntity::DeleteIn(TClientDataSet& other)
{
    const std::string name = Fields(1).FieldName();
    return deleteByPresence(other, name, name, true);
}

bool TCustomEntity::DeleteNotIn(TClientDataSet& other)
{
    const std::string name = Fields(1).FieldName();
    return deleteByPresence(other, name, name, false);
}

bool TCustomEntity::DeleteInBy(TClientDataSet& other, std::string_view keyField,
                               std::string_view otherField)
{
    return deleteByPresence(other, keyField, otherField, true);
}

bool TCustomEntity::DeleteNotInBy(TClientDataSet& other, std::string_view keyField,
                                  std::string_view otherField)
{
    return deleteByPresence(other, keyField, otherField, false);
}

bool TCustomEntity::DeleteByObjID(TClientDataSet& other)
{
    if (FindByObjID(other)) Delete();
    return true;
}

bool TCustomEntity::DeleteAllByObjID(TClientDataSet& other)
{
    other.First();
    while (!other.Eof()) {
        DeleteByObjID(other);
        other.Next();
    }
    return true;
}

bool TCustomEntity::DeleteCurrent()
{
    Delete();
    return true;
}

// ---------------------------------------------------------------------------------------
// Copying and merging

bool TCustomEntity::CopyFrom(TClientDataSet& other)
{
    CopyDataFrom(other);
    return true;
}

bool TCustomEntity::CopyStructure(TClientDataSet& other)
{
    if (!other.Active()) {
        SetData(Variant());
        EmptyDataSet();
        return true;
    }
    other.MergeChangeLog();
    // The structure alone: copying every row only to empty the table again is wasted work.
    FieldDefs().assign(other.FieldDefs().list());
    CreateDataSet();
    return true;
}

bool TCustomEntity::UpsertRecord(TClientDataSet& other)
{
    const std::vector<int> map = commonFields(other, *this);
    if (FieldIndexOf("ObjID") >= 0 && FindRecord("ObjID", other.FieldByName("ObjID").AsString())) {
        Edit();
        for (int i = 0; i < other.FieldCount(); ++i)
            if (int t = map[static_cast<std::size_t>(i)]; t >= 0)
                Fields(t).SetAsVariant(other.Fields(i).AsVariant());
        Post();
        return true;
    }
    Append();
    for (int i = 0; i < other.FieldCount(); ++i)
        if (int t = map[static_cast<std::size_t>(i)]; t >= 0)
            SetFieldString(*this, Fields(t).FieldName(), other.Fields(i).AsString());
    return true;
}

bool TCustomEntity::UpsertAll(TClientDataSet& other)
{
    if (upsertAllDirect(other)) return true;
    other.First();
    while (!other.Eof()) {
        if (!UpsertRecord(other)) return false;
        other.Next();
    }
    return true;
}

bool TCustomEntity::MergeRecord(TClientDataSet& other, std::string_view keyField)
{
    const std::vector<int> map = commonFields(other, *this);
    if (FindRecord(keyField, other.FieldByName(keyField).AsString())) {
        Edit();
        for (int i = 0; i < other.FieldCount(); ++i) {
            int t = map[static_cast<std::size_t>(i)];
            if (t < 0) continue;
            TField& source = other.Fields(i);
            TField& target = Fields(t);
            if (source.DataType() == FieldType::BCD)
                target.SetAsVariant(Variant(target.AsFloat() + source.AsFloat()));
            else
                target.SetAsVariant(source.AsVariant());
        }
        Post();
        return true;
    }
    Append();
    for (int i = 0; i < other.FieldCount(); ++i)
        if (int t = map[static_cast<std::size_t>(i)]; t >= 0)
            Fields(t).SetAsVariant(other.Fields(i).AsVariant());
    Post();
    return true;
}

bool TCustomEntity::MergeAll(TClientDataSet& other, std::string_view keyField)
{
    other.First();
    while (!other.Eof()) {
        MergeRecord(other, keyField);
        other.Next();
    }
    return true;
}

bool TCustomEntity::AssignRecord(TClientDataSet& other)
{
    const std::vector<int> map = commonFields(other, *this);
    if (RecordCount() > 0)
        Edit();
    else
        Append();
    for (int i = 0; i < other.FieldCount(); ++i) {
        int t = map[static_cast<std::size_t>(i)];
        if (t < 0) continue;
        TField& source = other.Fields(i);
        TField& target = Fields(t);
        if (source.DataType() == FieldType::Blob) {
            std::stringstream stream;
            source.SaveToStream(stream);
            target.LoadFromStream(stream);
        } else {
            target.SetAsVariant(source.AsVariant());
        }
    }
    Post();
    return true;
}

bool TCustomEntity::moveRows(TClientDataSet& other, TCustomEntity& target,
                             std::string_view keyField, std::string_view otherField, bool moveFound)
{
    if (!target.Active()) {
        target.CopyStructure(*this);
    } else if (moveFound) {
        target.ClearFilter();
        target.EmptyDataSet();
    }
    if (moveFound) {
        other.SetFiltered(false);
        other.SetFilter("");
    }
    checkWritable();
    MergeChangeLog();
    int key = FieldByName(keyField).Index();
    other.FieldByName(otherField);
    // Decide row by row as the walk does, copy the moved rows in order, then delete them in
    // one pass instead of one Delete per row.
    const std::vector<uint32_t> rows = viewRows();
    std::vector<uint8_t> moved(rows.size(), 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        bool found = other.Locate(otherField, Variant(rowText(rows[i], key)), loCaseInsensitive);
        if (found != moveFound) continue;
        moved[i] = 1;
        moveToRow(rows[i]);
        target.UpsertRecord(*this);
    }
    deleteRowsByFlag(moved);
    return true;
}

bool TCustomEntity::MoveIn(TClientDataSet& other, TCustomEntity& target, std::string_view keyField,
                           std::string_view otherField)
{
    return moveRows(other, target, keyField, otherField, true);
}

bool TCustomEntity::MoveNotIn(TClientDataSet& other, TCustomEntity& target,
                              std::string_view keyField, std::string_view otherField)
{
    return moveRows(other, target, keyField, otherField, false);
}

bool TCustomEntity::SameRecord(TClientDataSet& other)
{
    if (FieldCount() != other.FieldCount()) return false;
    for (int i = 0; i < FieldCount(); ++i) {
        TField& mine = Fields(i);
        TField& theirs = other.FieldByName(mine.FieldName());
        if (!gbk::equalsIgnoreCase(gbk::trim(theirs.AsString()), gbk::trim(mine.AsString())))
            return false;
    }
    return true;
}

bool TCustomEntity::SameAs(TCustomEntity& other)
{
    try {
        CheckValid();
        other.CheckValid();
        if (RecordCount() != other.RecordCount() || FieldCount() != other.FieldCount())
            return false;
        SortAsc(Fields(1).FieldName(), Fields(1).AsString());
        other.SortAsc(other.Fields(1).FieldName(), other.Fields(1).AsString());
        First();
        other.First();
        while (!Eof()) {
            if (!SameRecord(other)) return false;
            Next();
            other.Next();
        }
        return true;
    } catch (const Error&) {
        std::string mine = FieldCount() > 0 ? gbk::display(Fields(0).FieldName()) : "";
        std::string theirs =
            other.FieldCount() > 0 ? gbk::display(other.Fields(0).FieldName()) : "";
        throw Error("经比较发现实体" + mine + "和" + theirs + "不相同！");
    }
}

// ---------------------------------------------------------------------------------------
// Writing values

bool TCustomEntity::EditField(std::string_view field, std::string_view value)
{
    Edit();
    FieldByName(field).SetAsString(value);
    Post();
    return true;
}

bool TCustomEntity::EditFieldByIndex(int index, std::string_view value)
{
    Edit();
    Fields(index).SetAsString(value);
    Post();
    return true;
}

bool TCustomEntity::SetFieldForAll(std::string_view field, std::string_view value)
{
    FieldByName(field);
    First();
    while (!Eof()) {
        EditField(field, value);
        Next();
    }
    return true;
}

bool TCustomEntity::ApplyParamRow(TClientDataSet& paramRow)
{
    return SetFieldForAll(paramRow.FieldByName("Field").AsString(),
                          paramRow.FieldByName("Value").AsString());
}

bool TCustomEntity::AppendWithField(std::string_view field, std::string_view value)
{
    Append();
    FieldByName(field).SetAsString(value);
    Post();
    return true;
}

bool TCustomEntity::AppendFirstField(std::string_view value)
{
    Append();
    Fields(0).SetAsString(value);
    Post();
    return true;
}

bool TCustomEntity::AppendFromStrings(const std::vector<std::string>& values)
{
    Append();
    for (std::size_t i = 0; i < values.size(); ++i)
        Fields(static_cast<int>(i)).SetAsString(values[i]);
    Post();
    return true;
}

bool TCustomEntity::AppendBlankRows(int count)
{
    for (int i = 0; i < count; ++i) {
        Append();
        Post();
    }
    return true;
}

bool TCustomEntity::NumberRows(std::string_view field)
{
    FieldByName(field);
    First();
    for (int64_t n = 1; !Eof(); ++n) {
        SetFieldInt(*this, field, n);
        Next();
    }
    return true;
}

bool TCustomEntity::LoadDataBlob(std::istream& stream)
{
    Edit();
    FieldByName("Data").LoadFromStream(stream);
    Post();
    return true;
}

} // namespace corvo
