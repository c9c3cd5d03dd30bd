#pragma once

#include "DictColumn.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
} // namespace corvo

namespace corvo::forms {

/// One row of a query's clause set: its kind ("where", "sum") and its text (GBK).
struct ReportClause {
    std::string key;
    std::string clause;
    bool operator==(const ReportClause&) const = default;
};

/// The message of a second grouping (UTF-8).
inline constexpr const char* OneGroupingOnly = "本汇总功能只支持按一个条件汇总，请重新选择条件";

/// The clause set of a summary, in order: per query column (IsQuery = 1) with a condition c
/// (`conditionOf` its code, "" for none): a reference column (uniqueidentifier) is the
/// grouping, ("sum", its code), and a second one throws corvo::Error(OneGroupingOnly) before
/// anything is returned; any other column adds ("where", "(" + T + "." + c + ")"). Then the
/// owner clause and ("where", M + ".StatusID = " + quoted(validStatus)): only valid documents
/// count. T is the code of the first column, M the queried table.
std::vector<ReportClause>
SummaryClauses(const std::vector<DictColumn>& columns,
               const std::function<std::string(const std::string& code)>& conditionOf,
               const std::string& owner, const std::string& masterTable,
               const std::string& validStatus);

/// A module whose name (GBK) holds "销售金额" shows its table as a sales summary.
bool IsSalesAmountModule(std::string_view moduleName);

/// One change of a TDictField row in memory: the row whose Code is `code` gets `value`
/// (UTF-8) in `field`.
struct DictEdit {
    const char* code;
    const char* field;
    const char* value;
};

/// The changes that turn the daily reports' dictionary into the sales summary's: the code
/// hidden and relabelled "日报编号", the document columns hidden, the partner a status column
/// out of the conditions, store, person and date relabelled "销售门店", "销售人员", "销售日期".
const std::vector<DictEdit>& SalesAmountEdits();

/// Applies the edits to the rows of `dictField` visible through its filter. A row that is not
/// there is skipped: nothing is written onto whatever row happens to be current. Returns the
/// number of edits written.
int ApplyDictEdits(TCustomEntity& dictField, const std::vector<DictEdit>& edits);

/// The printed summary's subtitle (UTF-8): "汇总期间：" + start + " " + end when the date
/// condition is ticked, else empty.
std::string SummaryPeriod(bool dateTicked, const std::string& start, const std::string& end);

/// The stock query's result line (UTF-8): "查询结果：共n条数据", then the sums as the
/// collated line has them, except that with TProductInPrice and Quantity the stock is valued
/// at purchase price: every row's TotalAmount becomes Quantity × TProductInPrice and the
/// amount shown is their sum.
std::string StockResultLine(TCustomEntity& master);

} // namespace corvo::forms

namespace corvo::forms {

/// One bar of a summary's chart (UTF-8 texts): a group's label and total.
struct SummaryBar {
    std::string label;
    double value = 0;
    const char* measure = ""; ///< what the bars count: "金额" or "数量"
};

/// The dictionary's captions and visibility (the selected TDictField rows: Code, IsVisible and
/// the language column) on the fields of `rows` that have them; a column the rows lack, as
/// a summary's reply lacks every column it does not group or sum, is passed over.
void ApplyCaptionsPresent(TClientDataSet& dictField, const std::string& languageColumn,
                          TClientDataSet& rows);

/// The bars of a summary's rows: per row the grouping's name (the grouping column with "ID"
/// replaced by "Name" when the rows have it, else the grouping column itself) and its
/// amount (TotalAmount, else Amount) or, without one, its quantity (TotalQuantity, else
/// Quantity). Without a grouping one bar "合计" over all rows. No bars without rows or
/// without a number column.
std::vector<SummaryBar> SummaryBars(TCustomEntity& rows, const std::string& grouping);

} // namespace corvo::forms
