#pragma once

#include <string>
#include <string_view>

namespace corvo::forms {

/// The editor a picker's condition is typed in.
enum class NameEditor { SafeEdit, VelCombobox };

/// A picker's filter after one of its editors changed: the earlier clause on the field is cut
/// out, then, for a non-empty value, a clause is appended ("(...)" first, "and(...)" after):
/// a name is matched by its beginning, any other text anywhere, a combo box's inner code
/// exactly. Values are quoted; the field name is the editor's name without its prefix.
std::string nameConditionFilter(std::string_view filter, std::string_view field, NameEditor editor,
                                std::string_view value);

} // namespace corvo::forms
