#include "SummaryRules.h"

#include "CollateRules.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "entity/TCustomEntity.h"

#include <cstdio>

namespace corvo::forms {
namespace {

std::string numberText(double value)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

} // namespace

std::vector<ReportClause>
SummaryClauses(const std::vector<DictColumn>& columns,
               const std::function<std::string(const std::string& code)>& conditionOf,
               const std::string& owner, const std::string& masterTable,
               const std::string& validStatus)
{
    const std::string table = columns.empty() ? std::string() : columns.front().code;
    std::vector<ReportClause> clauses;
    bool grouped = false;
    for (const DictColumn& column : columns) {
        if (column.isQuery != 1) continue;
        const std::string condition = conditionOf(column.code);
        if (condition.empty()) continue;
        if (gbk::equalsIgnoreCase(column.dataType, "uniqueidentifier")) {
            if (grouped) throw Error(OneGroupingOnly);
            grouped = true;
            clauses.push_back({"sum", column.code});
        } else {
            clauses.push_back({"where", "(" + table + "." + condition + ")"});
        }
    }
    clauses.push_back({"where", CollateOwnerClause(table, owner)});
    clauses.push_back({"where", masterTable + ".StatusID = " + QuotedFilterValue(validStatus)});
    return clauses;
}

bool IsSalesAmountModule(std::string_view moduleName)
{
    static const std::string word = gbk::fromUtf8("销售金额");
    return moduleName.find(word) != std::string_view::npos;
}

const std::vector<DictEdit>& SalesAmountEdits()
{
    static const std::vector<DictEdit> edits = {
        {"Code", "Name", "日报编号"},
        {"Code", "IsQuery", "0"},
        {"Code", "IsVisible", "0"},
        {"TStockOutTypeName", "IsVisible", "0"},
        {"TOrganName", "IsVisible", "0"},
        {"HappenDate", "IsVisible", "0"},
        {"StatusTStockOutName", "IsVisible", "0"},
        {"Remark", "IsVisible", "0"},
        {"StatusName", "IsVisible", "0"},
        {"TOrganID", "IsStatus", "1"},
        {"TOrganID", "IsQuery", "0"},
        {"TWarehouseID", "Name", "销售门店"},
        {"TEmployeeID", "Name", "销售人员"},
        {"HappenDate", "Name", "销售日期"},
    };
    return edits;
}

int ApplyDictEdits(TCustomEntity& dictField, const std::vector<DictEdit>& edits)
{
    if (!dictField.Active()) return 0;
    int written = 0;
    for (const DictEdit& edit : edits) {
        if (!dictField.FindField(edit.field) || !dictField.FindRecord("Code", edit.code)) continue;
        dictField.EditField(edit.field, gbk::fromUtf8(edit.value));
        ++written;
    }
    return written;
}

std::string SummaryPeriod(bool dateTicked, const std::string& start, const std::string& end)
{
    return dateTicked ? "汇总期间：" + start + " " + end : std::string();
}

std::string StockResultLine(TCustomEntity& master)
{
    const std::string rows = std::to_string(master.Active() ? master.RecordCount() : 0);
    std::string line = "查询结果：共" + rows + "条数据";
    const bool quantity = HasTotalField(master, "TotalQuantity");
    const bool amount = HasTotalField(master, "TotalAmount");
    const bool profit = HasTotalField(master, "TotalProfit");
    const bool pieces = HasTotalField(master, "Quantity");
    if (!quantity && !amount && !profit && !pieces) return line;
    if (quantity && amount) {
        std::string amountSum;
        const std::string quantitySum =
            master.SumFieldPairText("TotalQuantity", "TotalAmount", amountSum);
        line += " 数量汇总：" + quantitySum + " 金额汇总：" + amountSum;
    } else {
        if (quantity) line += " 数量汇总：" + master.SumFieldText("TotalQuantity");
        if (pieces) line += " 数量总计：" + master.SumFieldText("Quantity");
        if (amount) {
            const std::string sum =
                pieces && HasTotalField(master, "TProductInPrice")
                    ? numberText(master.FillProduct("TotalAmount", "Quantity", "TProductInPrice"))
                    : master.SumFieldText("TotalAmount");
            line += " 金额汇总：" + sum;
        }
    }
    if (profit) line += " 利润汇总：" + master.SumFieldText("TotalProfit");
    return line;
}

} // namespace corvo::forms

namespace corvo::forms {

void ApplyCaptionsPresent(TClientDataSet& dictField, const std::string& languageColumn,
                          TClientDataSet& rows)
{
    if (!dictField.Active() || !rows.Active()) return;
    TField* code = dictField.FindField("Code");
    TField* visible = dictField.FindField("IsVisible");
    TField* caption = dictField.FindField(languageColumn);
    if (!code || !visible || !caption) return;
    for (dictField.First(); !dictField.Eof(); dictField.Next()) {
        TField* field = rows.FindField(code->AsString());
        if (!field) continue;
        const bool shown = visible->AsInteger() == 1;
        field->SetVisible(shown);
        if (shown) field->SetDisplayLabel(caption->AsString());
    }
}

std::vector<SummaryBar> SummaryBars(TCustomEntity& rows, const std::string& grouping)
{
    std::vector<SummaryBar> bars;
    if (!rows.Active() || rows.IsEmpty()) return bars;
    const char* measure = "金额";
    TField* number = nullptr;
    for (const char* name : {"TotalAmount", "Amount", "TotalQuantity", "Quantity"}) {
        if (!HasTotalField(rows, name)) continue;
        number = rows.FindField(name);
        if (std::string_view(name).find("Quantity") != std::string_view::npos) measure = "数量";
        break;
    }
    if (!number) return bars;
    if (grouping.empty()) {
        double sum = 0;
        for (rows.First(); !rows.Eof(); rows.Next())
            sum += number->AsFloat();
        rows.First();
        return {{"合计", sum, measure}};
    }
    TField* label = nullptr;
    if (grouping.size() > 2 && gbk::equalsIgnoreCase(grouping.substr(grouping.size() - 2), "ID"))
        label = rows.FindField(grouping.substr(0, grouping.size() - 2) + "Name");
    if (!label) label = rows.FindField(grouping);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        std::string text = label ? gbk::toUtf8(label->AsString()) : std::string();
        if (text.empty()) text = "（空）";
        bars.push_back({std::move(text), number->AsFloat(), measure});
    }
    rows.First();
    return bars;
}

} // namespace corvo::forms
