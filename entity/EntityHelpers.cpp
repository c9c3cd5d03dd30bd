#include "EntityHelpers.h"

#include "Error.h"
#include "Guid.h"
#include "TCustomEntity.h"

namespace corvo {

std::string GetFieldString(TClientDataSet& dataSet, std::string_view field)
{
    return dataSet.FieldByName(field).AsString();
}

double GetFieldFloat(TClientDataSet& dataSet, std::string_view field)
{
    return dataSet.FieldByName(field).AsFloat();
}

int64_t GetFieldInt(TClientDataSet& dataSet, std::string_view field)
{
    return dataSet.FieldByName(field).AsInteger();
}

std::string GetObjID(TClientDataSet& dataSet)
{
    return GetFieldString(dataSet, "ObjID");
}
std::string GetCode(TClientDataSet& dataSet)
{
    return GetFieldString(dataSet, "Code");
}
std::string GetName(TClientDataSet& dataSet)
{
    return GetFieldString(dataSet, "Name");
}
std::string GetFirstFieldValue(TClientDataSet& dataSet)
{
    return dataSet.Fields(0).AsString();
}
std::string GetFirstFieldName(TClientDataSet& dataSet)
{
    return dataSet.Fields(0).FieldName();
}

namespace {

template <typename Assign>
void setAndPost(TClientDataSet& dataSet, std::string_view field, Assign assign)
{
    TField& f = dataSet.FieldByName(field);
    if (dataSet.State() != DataSetState::Edit && dataSet.State() != DataSetState::Insert)
        dataSet.Edit();
    assign(f);
    dataSet.Post();
}

} // namespace

void SetFieldString(TClientDataSet& dataSet, std::string_view field, std::string_view value)
{
    setAndPost(dataSet, field, [&](TField& f) { f.SetAsString(value); });
}

void SetFieldInt(TClientDataSet& dataSet, std::string_view field, int64_t value)
{
    setAndPost(dataSet, field, [&](TField& f) { f.SetAsInteger(value); });
}

void SetFieldFloat(TClientDataSet& dataSet, std::string_view field, double value)
{
    setAndPost(dataSet, field, [&](TField& f) { f.SetAsFloat(value); });
}

void SetFieldDate(TClientDataSet& dataSet, std::string_view field, DateTime date)
{
    SetFieldString(dataSet, field, date.toDateString());
}

std::string NewGUIDString()
{
    return Guid::create().toString();
}

void AssignNewObjID(TClientDataSet& dataSet)
{
    SetFieldString(dataSet, "ObjID", NewGUIDString());
}

void AssignNewCode(TCustomEntity& entity)
{
    const std::string table = entity.Fields(0).FieldName();
    if (!entity.EntityList) throw Error("实体" + table + "不属于任何实体列表，无法取得表标识");
    SetFieldString(entity, table, entity.EntityList->TableObjID(table));
}

void AssignNewCodes(TCustomEntity& entity)
{
    entity.First();
    while (!entity.Eof()) {
        AssignNewCode(entity);
        entity.Next();
    }
}

void AppendNewRecord(TCustomEntity& entity)
{
    entity.Append();
    entity.Post();
    AssignNewCode(entity);
    AssignNewObjID(entity);
}

namespace {

template <typename Pred>
void deleteRowsWhere(TClientDataSet& dataSet, std::string_view field, Pred pred)
{
    TField& f = dataSet.FieldByName(field);
    dataSet.First();
    for (int i = 0, n = dataSet.RecordCount(); i < n; ++i) {
        if (pred(f.AsString()))
            dataSet.Delete();
        else
            dataSet.Next();
    }
}

} // namespace

void DeleteRowsEqual(TClientDataSet& dataSet, std::string_view field, std::string_view value)
{
    deleteRowsWhere(dataSet, field, [&](const std::string& text) { return text == value; });
}

void DeleteRowsWithPrefix(TClientDataSet& dataSet, std::string_view field, std::string_view prefix)
{
    deleteRowsWhere(dataSet, field,
                    [&](const std::string& text) { return text.starts_with(prefix); });
}

} // namespace corvo
