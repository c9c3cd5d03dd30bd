#pragma once

#include "entity/Variant.h"

namespace corvo::forms {

struct DictColumn;

/// Checks a typed value against its dictionary column and returns it unchanged. Texts are
/// measured in GBK bytes against Prec; a decimal by the length of its written text; a date
/// must not lie before 1905-03-12; a GUID reference is required whatever IsNullAble says.
/// Throws corvo::Error with the message the user sees, naming the column's Chinese caption.
Variant ValidateValue(const Variant& value, const DictColumn& column);

} // namespace corvo::forms
