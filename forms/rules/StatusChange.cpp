#include "StatusChange.h"

#include <array>
#include <utility>

namespace corvo::forms {

std::string DocumentStatusColumn(std::string_view table)
{
    return "Status" + std::string(table) + "ID";
}

std::string StatusCondition(std::string_view table, std::string_view column, std::string_view objId)
{
    return std::string(table) + "." + std::string(column) + " = '" + std::string(objId) + "'";
}

std::string StatusButtonCaption(std::string_view formClass)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 6> Captions{{
        {"TFrmSimpleUpdate", "修改(&P)"},
        {"TFrmSimpleUpdateMD", "修改(&P)"},
        {"TFrmInvalidate", "作废(&P)"},
        {"TFrmInvalidateMD", "作废(&P)"},
        {"TFrmVerify", "审核(&V)"},
        {"TFrmVerifyMD", "审核(&P)"},
    }};
    for (const auto& [name, caption] : Captions)
        if (name == formClass) return std::string(caption);
    return {};
}

std::string StatusDoneText(StatusOperation operation, std::string_view code)
{
    const char* done = operation == StatusOperation::Verify       ? "”审核完成。"
                       : operation == StatusOperation::Invalidate ? "”作废完成。"
                                                                  : "”修改完成。";
    return "单据“" + std::string(code) + done;
}

std::string InvalidateQueryHint(std::string_view table)
{
    if (table == "TPaymentOrder")
        return "查询完成。请注意，作废付款单前先要修改所有该付款单核销的供应商发票，"
               "可以在[付款单核销供应商发票]界面中进行。";
    if (table == "TCollectionOrder")
        return "查询完成。请注意，作废收款单前先要修改所有该收款单核销的销售发票，"
               "可以在[收款单核销销售发票]界面中进行。";
    return {};
}

bool VerifySendsDetailLines(std::string_view table)
{
    return table == "TSaleOrder";
}

} // namespace corvo::forms
