#pragma once

// The data dictionary (TDictTable, TDictField) built row by row, for the tests of the code that
// reads it.
#include "entity/TClientDataSet.h"

#include <string>

namespace corvo::test {

/// The parent of the rows when a test needs only one table.
inline constexpr const char* DictTableID = "{0000D1C7-0000-0000-0000-000000000001}";

/// One TDictField row; texts are GBK.
struct DictField {
    std::string code;
    int colOrder = 0;
    std::string dataType = "varchar";
    int prec = 50;
    int scale = 0;
    int isJoined = 0;
    std::string joinedTable = "";
    std::string joinedField = "";
    std::string joinedType = "";
    int isOtherParam = 0;
    int isSort = 0;
    int isVisible = 1;
    int isNullAble = 1;
    int isQuery = 0;
    int isStatus = 0;
    std::string name = "";
    std::string parentId = DictTableID;
    std::string nameEn = "";
    std::string nameJp = "";
    std::string value = "";
    int isUnique = 0;
    int hasGrid = 0;
};

/// One TDictTable row; texts are GBK.
struct DictTable {
    std::string objId;
    std::string code;
    std::string name = "";
    int isAutoCoding = 0;
    int isClientTable = 0;
};

/// Declares the TDictTable columns and creates the empty table.
inline void declareDictTable(TClientDataSet& d)
{
    d.FieldDefs().Clear();
    d.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    d.FieldDefs().Add("Code", FieldType::String, 50);
    d.FieldDefs().Add("Name", FieldType::String, 50);
    d.FieldDefs().Add("IsAutoCoding", FieldType::Integer);
    d.FieldDefs().Add("IsClientTable", FieldType::Integer);
    d.CreateDataSet();
}

inline void addDictTable(TClientDataSet& d, const DictTable& t)
{
    d.Append();
    d.FieldByName("ObjID").SetAsString(t.objId);
    d.FieldByName("Code").SetAsString(t.code);
    d.FieldByName("Name").SetAsString(t.name);
    d.FieldByName("IsAutoCoding").SetAsInteger(t.isAutoCoding);
    d.FieldByName("IsClientTable").SetAsInteger(t.isClientTable);
    d.Post();
}

/// Declares the TDictField columns and creates the empty table.
inline void declareDictField(TClientDataSet& d)
{
    d.FieldDefs().Clear();
    d.FieldDefs().Add("ParentID", FieldType::Guid, 38);
    d.FieldDefs().Add("Code", FieldType::String, 50);
    d.FieldDefs().Add("Name", FieldType::String, 50);
    d.FieldDefs().Add("NameEn", FieldType::String, 50);
    d.FieldDefs().Add("NameJP", FieldType::String, 50);
    d.FieldDefs().Add("ColOrder", FieldType::Integer);
    d.FieldDefs().Add("DataType", FieldType::String, 30);
    d.FieldDefs().Add("Prec", FieldType::Integer);
    d.FieldDefs().Add("Scale", FieldType::Integer);
    for (const char* flag : {"IsVisible", "IsNullAble", "IsQuery", "IsStatus", "IsJoined"})
        d.FieldDefs().Add(flag, FieldType::Integer);
    d.FieldDefs().Add("JoinedTable", FieldType::String, 50);
    d.FieldDefs().Add("JoinedField", FieldType::String, 50);
    d.FieldDefs().Add("JoinedType", FieldType::String, 50);
    d.FieldDefs().Add("IsOtherParam", FieldType::Integer);
    d.FieldDefs().Add("Value", FieldType::String, 50);
    for (const char* flag : {"IsSort", "IsUnique", "HasGrid"})
        d.FieldDefs().Add(flag, FieldType::Integer);
    d.CreateDataSet();
}

inline void addDictField(TClientDataSet& d, const DictField& f)
{
    d.Append();
    d.FieldByName("ParentID").SetAsString(f.parentId);
    d.FieldByName("Code").SetAsString(f.code);
    d.FieldByName("Name").SetAsString(f.name);
    d.FieldByName("NameEn").SetAsString(f.nameEn);
    d.FieldByName("NameJP").SetAsString(f.nameJp);
    d.FieldByName("ColOrder").SetAsInteger(f.colOrder);
    d.FieldByName("DataType").SetAsString(f.dataType);
    d.FieldByName("Prec").SetAsInteger(f.prec);
    d.FieldByName("Scale").SetAsInteger(f.scale);
    d.FieldByName("IsVisible").SetAsInteger(f.isVisible);
    d.FieldByName("IsNullAble").SetAsInteger(f.isNullAble);
    d.FieldByName("IsQuery").SetAsInteger(f.isQuery);
    d.FieldByName("IsStatus").SetAsInteger(f.isStatus);
    d.FieldByName("IsJoined").SetAsInteger(f.isJoined);
    d.FieldByName("IsOtherParam").SetAsInteger(f.isOtherParam);
    d.FieldByName("IsSort").SetAsInteger(f.isSort);
    d.FieldByName("JoinedTable").SetAsString(f.joinedTable);
    d.FieldByName("JoinedField").SetAsString(f.joinedField);
    d.FieldByName("JoinedType").SetAsString(f.joinedType);
    d.FieldByName("Value").SetAsString(f.value);
    d.FieldByName("IsUnique").SetAsInteger(f.isUnique);
    d.FieldByName("HasGrid").SetAsInteger(f.hasGrid);
    d.Post();
}

} // namespace corvo::test
