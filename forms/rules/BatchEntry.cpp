#include "forms/rules/BatchEntry.h"

#include "entity/EntityHelpers.h"
#include "entity/TClientDataSet.h"

namespace corvo::forms {

std::vector<std::string> UniqueColumns(TClientDataSet& dictFields)
{
    std::vector<std::string> columns;
    if (!dictFields.Active()) return columns;
    for (dictFields.First(); !dictFields.Eof(); dictFields.Next())
        if (GetFieldString(dictFields, "IsUnique") == "1") columns.push_back(GetCode(dictFields));
    return columns;
}

BatchCheck CheckBatchRecord(TClientDataSet& batch, TClientDataSet& record,
                            const std::vector<std::string>& uniqueColumns)
{
    if (batch.Active() && batch.RecordCount() >= BatchLimit) return BatchCheck::LimitReached;
    if (uniqueColumns.empty() || !batch.Active()) return BatchCheck::Accepted;
    for (batch.First(); !batch.Eof(); batch.Next()) {
        bool all = true;
        for (const std::string& column : uniqueColumns)
            if (GetFieldString(batch, column) != GetFieldString(record, column)) {
                all = false;
                break;
            }
        if (all) return BatchCheck::Duplicate;
    }
    return BatchCheck::Accepted;
}

std::string BatchHeldMessage(bool autoCoding, const std::string& code)
{
    if (autoCoding) return "数据被暂时保存在本地，请稍后一起保存";
    return "代码为" + code + "的数据被暂时保存在本地，请稍后一起保存";
}

} // namespace corvo::forms
