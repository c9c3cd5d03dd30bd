#include "CollateRules.h"

#include "entity/Guid.h"
#include "entity/TCustomEntity.h"

namespace corvo::forms {

std::string CollateOwnerClause(const std::string& table, const std::string& owner)
{
    return "((" + table + ".TOwnerID=" + QuotedFilterValue(owner) + ")or(" + table +
           ".TOwnerID = " + QuotedFilterValue(EmptyGuidText) + "))";
}

std::vector<std::string>
CollateWhereClauses(const std::vector<DictColumn>& columns,
                    const std::function<std::string(const std::string& code)>& conditionOf,
                    const std::string& owner)
{
    const std::string table = columns.empty() ? std::string() : columns.front().code;
    std::vector<std::string> clauses;
    for (const DictColumn& column : columns) {
        if (column.isQuery != 1) continue;
        const std::string condition = conditionOf(column.code);
        if (!condition.empty()) clauses.push_back("(" + table + "." + condition + ")");
    }
    clauses.push_back(CollateOwnerClause(table, owner));
    return clauses;
}

bool HasTotalField(TClientDataSet& master, std::string_view field)
{
    const TField* f = master.Active() ? master.FindField(field) : nullptr;
    return f && f->Index() > 0;
}

std::string CollateTotals(TCustomEntity& master)
{
    const bool quantity = HasTotalField(master, "TotalQuantity");
    const bool amount = HasTotalField(master, "TotalAmount");
    const bool profit = HasTotalField(master, "TotalProfit");
    if (!quantity && !amount && !profit && !HasTotalField(master, "Amount")) return {};
    std::string line;
    if (quantity && amount) {
        std::string amountSum;
        const std::string quantitySum =
            master.SumFieldPairText("TotalQuantity", "TotalAmount", amountSum);
        line += " 数量汇总：" + quantitySum + " 金额汇总：" + amountSum;
    } else {
        if (quantity) line += " 数量汇总：" + master.SumFieldText("TotalQuantity");
        if (HasTotalField(master, "Quantity"))
            line += " 数量总计：" + master.SumFieldText("Quantity");
        if (amount) line += " 金额汇总：" + master.SumFieldText("TotalAmount");
    }
    if (profit) line += " 利润汇总：" + master.SumFieldText("TotalProfit");
    return line;
}

std::string CollateResultLine(int page, TCustomEntity& master)
{
    const std::string rows = std::to_string(master.Active() ? master.RecordCount() : 0);
    std::string line = page == 0 ? "查询结果：共" + rows + "条数据"
                                 : "查询结果：第" + std::to_string(page) + "页 " + rows + "条数据";
    return line + CollateTotals(master);
}

CollatePresets CollatePresetsFor(std::string_view masterTable,
                                 const std::function<bool(std::string_view code)>& hasCondition)
{
    CollatePresets presets;
    presets.status = hasCondition("StatusID");
    presets.dateHistory = masterTable == "TCheckAccount" && hasCondition("DateHistory");
    presets.dateRange = hasCondition("DateRange");
    return presets;
}

ConditionFold ConditionFoldFor(bool collapsed, int rememberedHeight)
{
    if (collapsed) return {FoldedConditionHeight, ">>", "查询条件展开"};
    return {rememberedHeight, "<<", "隐藏查询条件"};
}

std::string CollatePrintTitle(TClientDataSet& dictTable, const std::string& masterTable,
                              const std::string& moduleName)
{
    if (dictTable.Active() && dictTable.FindField("Code") && dictTable.FindField("Name")) {
        const Variant name = dictTable.Lookup("Code", Variant(masterTable), "Name");
        if (!name.isNull() && !name.toText().empty()) return name.toText();
    }
    return moduleName;
}

PickStep PickStepFor(bool embedded)
{
    return embedded ? PickStep::None : PickStep::CloseOk;
}

} // namespace corvo::forms
