#include "StatusValues.h"

#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

namespace corvo::forms {

std::string StatusObjID(TCustomEntity& otherParam, std::string_view column, std::string_view state)
{
    const std::string code = std::string(column) + "_" + std::string(state);
    otherParam.ClearFilter();
    if (!otherParam.FindRecord("Code", code))
        throw Error("其它参数表中没找到状态[" + gbk::display(code) +
                    "]，可能是数据库记录被修改，请还原原记录！");
    return GetObjID(otherParam);
}

std::string NextStatus(TCustomEntity& otherParam, std::string_view type, std::string_view current)
{
    otherParam.FilterEqual("Type", type);
    otherParam.SortAsc("DispOrder", "Clear");
    if (!otherParam.FindRecord("ObjID", current))
        throw Error("其它参数表中没找到类型[" + gbk::display(type) +
                    "]，可能是数据库记录被修改，请还原原记录！");
    if (otherParam.RecNo() >= otherParam.RecordCount())
        throw Error("其它参数表中" + gbk::display(type) + "的状态已经是最后一个，无法继续更改");
    otherParam.Next();
    return GetObjID(otherParam);
}

} // namespace corvo::forms
