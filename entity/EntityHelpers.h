#pragma once

#include "DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace corvo {

class TClientDataSet;
class TCustomEntity;

/// Unit-level helpers over any dataset's current row.
std::string GetFieldString(TClientDataSet& dataSet, std::string_view field);
double GetFieldFloat(TClientDataSet& dataSet, std::string_view field);
int64_t GetFieldInt(TClientDataSet& dataSet, std::string_view field);
std::string GetObjID(TClientDataSet& dataSet);
std::string GetCode(TClientDataSet& dataSet);
std::string GetName(TClientDataSet& dataSet);
std::string GetFirstFieldValue(TClientDataSet& dataSet);
std::string GetFirstFieldName(TClientDataSet& dataSet);

/// Edit first unless the dataset is already in Edit or Insert state; set the field; Post.
void SetFieldString(TClientDataSet& dataSet, std::string_view field, std::string_view value);
void SetFieldInt(TClientDataSet& dataSet, std::string_view field, int64_t value);
void SetFieldFloat(TClientDataSet& dataSet, std::string_view field, double value);
/// As SetFieldString with the date written "yyyy-mm-dd".
void SetFieldDate(TClientDataSet& dataSet, std::string_view field, DateTime date);

/// A new random GUID in the 38-character text form.
std::string NewGUIDString();
void AssignNewObjID(TClientDataSet& dataSet);
/// Field 0 := the registry's TableObjID of the table named by field 0's name.
void AssignNewCode(TCustomEntity& entity);
void AssignNewCodes(TCustomEntity& entity);
/// Append; Post; AssignNewCode; AssignNewObjID.
void AppendNewRecord(TCustomEntity& entity);

/// From the first row, once per row: Delete when the field's text equals the value
/// (case-sensitive), otherwise Next.
void DeleteRowsEqual(TClientDataSet& dataSet, std::string_view field, std::string_view value);
/// The same for the rows whose text begins with the prefix.
void DeleteRowsWithPrefix(TClientDataSet& dataSet, std::string_view field, std::string_view prefix);

} // namespace corvo
