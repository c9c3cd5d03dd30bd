#pragma once

#include <string>
#include <string_view>

namespace corvo {
class TCustomEntity;
}

namespace corvo::forms {

/// The ObjID of the other parameter coded column + "_" + state ("StatusID_Valid"). Any
/// filter a status walk left on the parameters is cleared first, so every value is found.
/// Throws "其它参数表中没找到状态[...]，可能是数据库记录被修改，请还原原记录！".
std::string StatusObjID(TCustomEntity& otherParam, std::string_view column, std::string_view state);

/// The ObjID of the value after `current` in the list `type` ordered by DispOrder. Leaves the
/// parameters filtered to that type. Throws when `current` is not of the type or is its last.
std::string NextStatus(TCustomEntity& otherParam, std::string_view type, std::string_view current);

} // namespace corvo::forms
