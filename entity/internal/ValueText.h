#pragma once

#include "../Variant.h"
#include "Column.h"

#include <optional>
#include <string>

namespace corvo::internal {

/// A stored value as the field's AsString gives it ("" for Null).
std::string columnText(const Column& column, uint32_t row, int size);
/// A stored value as the field's AsVariant gives it.
Variant columnValue(const Column& column, uint32_t row, int size);
/// A stored value as a float, as the field's AsFloat reads it (0 for Null); throws
/// corvo::Error for a text that is no number.
double columnDouble(const Column& column, uint32_t row, int size);
/// Stores a value already converted to the column's type (convertValue); Null clears.
void storeValue(Column& column, uint32_t row, const Variant& value);
/// Converts any value to the canonical form of a field of that type and size: texts
/// validated as GBK and cut to Size on a character boundary, numbers range-checked, GUID
/// text checked, decimals rounded to the scale; empty text gives Null. Throws corvo::Error
/// naming the field when the value does not convert.
Variant convertValue(const Variant& value, FieldType type, int size, std::string_view fieldName);
/// The same conversion, with no value when the value does not convert.
std::optional<Variant> convertedOrNone(const Variant& value, FieldType type, int size);

} // namespace corvo::internal
