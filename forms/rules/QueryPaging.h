#pragma once

#include "DictColumn.h"

#include <string>
#include <vector>

namespace corvo {
class TCustomEntity;
}

namespace corvo::forms {

/// Key paging by pages of 20 rows: what the next query asks for and where the page shown
/// starts and ends. Keys are the sort column's texts (GBK).
struct QueryPaging {
    std::string mode;   ///< "FirstPage", "AllPage", "NextPage", "PreviousPage" or ""
    int page = 0;       ///< 0: paging off; else the page shown, from 1
    std::string maxKey; ///< the sort key of the page's last row
    std::string minKey; ///< the sort key of the page's first row
    std::string savedMaxKey;

    /// The single-table query button: every matching row, yet paging stays on at page 1.
    void firstPage();
    /// The master/detail query button: the first 20 rows.
    void firstPageMD();
    /// Before an all-rows query.
    void allPages();
    /// After an all-rows query has been taken: paging off.
    void allPagesDone();
    bool canNext() const noexcept { return page > 0 && !maxKey.empty(); }
    /// `keepKey`: the saved key follows MaxKey (the master/detail form only with rows shown).
    void next(bool keepKey = true);
    bool canPrevious() const noexcept { return page > 1 && !minKey.empty(); }
    void previous();
    void reset();

    /// After a page arrived: the rows sorted ascending by the sort column, MaxKey and MinKey
    /// from the last and first rows; after an empty next page, no further next page and a
    /// previous step that brings back the page before (saved MaxKey + 1 for whole-number keys).
    /// The cursor ends on the first row.
    void takePage(TCustomEntity& master, const std::string& sortField);
};

/// The column that orders paged queries: the first IsSort column of the selection, else
/// "Code" when the table has one, else "ObjID".
std::string SortFieldOf(const std::vector<DictColumn>& columns);

} // namespace corvo::forms
