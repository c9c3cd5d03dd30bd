#pragma once

// A field dictionary (TDictField) built row by row, for the tests of the code that reads it.
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
};

/// Declares the TDictField columns and creates the empty table.
inline void declareDictField(TClientDataSet& d)
{
    d.FieldDefs().Clear();
    d.FieldDefs().Add("ParentID", FieldType::Guid, 38);
    d.FieldDefs().Add("Code", FieldType::String, 50);
    d.FieldDefs().Add("Name", FieldType::String, 50);
    d.FieldDefs().Add("ColOrder", FieldType::Integer);
    d.FieldDefs().Add("DataType", FieldType::String, 30);
    d.FieldDefs().Add("Prec", FieldType::Integer);
    d.FieldDefs().Add("Scale", FieldType::Integer);
    for (const char* flag :
         {"IsVisible", "IsNullAble", "IsQuery", "IsStatus", "IsJoined", "IsOtherParam", "IsSort"})
        d.FieldDefs().Add(flag, FieldType::Integer);
    d.FieldDefs().Add("JoinedTable", FieldType::String, 50);
    d.FieldDefs().Add("JoinedField", FieldType::String, 50);
    d.FieldDefs().Add("JoinedType", FieldType::String, 50);
    d.CreateDataSet();
}

inline void addDictField(TClientDataSet& d, const DictField& f)
{
    d.Append();
    d.FieldByName("ParentID").SetAsString(f.parentId);
    d.FieldByName("Code").SetAsString(f.code);
    d.FieldByName("Name").SetAsString(f.name);
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
    d.Post();
}

} // namespace corvo::test
