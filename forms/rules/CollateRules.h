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

/// The restriction every collated query carries: the rows of the owner organisation and the
/// rows owned by nobody. The two comparisons are spelt differently (".TOwnerID=" and
/// ".TOwnerID = "); the server and stored queries rely on this exact text.
std::string CollateOwnerClause(const std::string& table, const std::string& owner);

/// The "where" clauses of a collated query, in order: "(" + T + "." + c + ")" for each query
/// column (IsQuery = 1) whose condition c (`conditionOf` its code, "" for none) is not
/// empty, then the owner clause. T is the code of the first column. `conditionOf` may throw
/// a condition error; then no clause is returned.
std::vector<std::string>
CollateWhereClauses(const std::vector<DictColumn>& columns,
                    const std::function<std::string(const std::string& code)>& conditionOf,
                    const std::string& owner);

/// A totals field of TMaster: any field but the first, which names the table.
bool HasTotalField(TClientDataSet& master, std::string_view field);

/// The sums shown after the row count (UTF-8): " 数量汇总：", " 数量总计：",
/// " 金额汇总：", " 利润汇总：" as the fields TotalQuantity, Quantity, TotalAmount and
/// TotalProfit exist. Nothing when none of TotalQuantity, TotalAmount, Amount, TotalProfit
/// exists, so a table with Quantity alone shows no sum. Numbers in the shortest form.
std::string CollateTotals(TCustomEntity& master);

/// The master/detail form's result line (UTF-8): "查询结果：共n条数据" with paging off (page
/// 0), else "查询结果：第p页 n条数据"; then the totals.
std::string CollateResultLine(int page, TCustomEntity& master);

/// Which conditions a collated form ticks before its first query, from the conditions the
/// panel has.
struct CollatePresets {
    bool status = false;      ///< StatusID, set to the valid status
    bool dateHistory = false; ///< DateHistory of TCheckAccount: thirteen to one month ago
    bool dateRange = false;   ///< DateRange, with its own default range
};
CollatePresets CollatePresetsFor(std::string_view masterTable,
                                 const std::function<bool(std::string_view code)>& hasCondition);

/// The condition panel folded to its caption line or opened to its remembered height; the
/// button's caption and hint then offer the opposite step (UTF-8).
struct ConditionFold {
    int height = 0;
    const char* caption = "";
    const char* hint = "";
};
constexpr int FoldedConditionHeight = 18;
ConditionFold ConditionFoldFor(bool collapsed, int rememberedHeight);

/// The print title (GBK): the Name of the master table's TDictTable row, or the module's
/// name when the dictionary has no such row or it has no name. The cursor stays.
std::string CollatePrintTitle(TClientDataSet& dictTable, const std::string& masterTable,
                              const std::string& moduleName);

/// What the "Excel(&E)" button and a double click on the result do: a form shown on its own
/// (no message line) is a picking dialog and closes with OK; inside the main window nothing.
enum class PickStep { None, CloseOk };
PickStep PickStepFor(bool embedded);

} // namespace corvo::forms
