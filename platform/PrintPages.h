#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

namespace corvo::platform {

/// The rows one printed page carries: `count` rows from `first` (indices into the row list).
struct PageRows {
    int first = 0;
    int count = 0;
    bool operator==(const PageRows&) const = default;
};

/// Splits rows of the given heights over pages: the first page has `firstRoom` for rows (it
/// may also carry a text before them), every later page `room`. A page takes rows while they
/// fit. A row taller than a whole page gets a page of its own (it is cut there); a first row
/// that misses only the first page's room moves to the second page, leaving the first page
/// to the text. No rows: one page without rows, so the titles and the text still print.
std::vector<PageRows> paginateRows(const std::vector<int>& rowHeights, int firstRoom, int room);

/// Widths proportional to `widths` that together fill exactly `total` (the remainder of the
/// rounding goes to the columns that lost most). Negative widths count as 0; when all are 0
/// the columns share alike. No columns: none.
std::vector<int> fitWidths(const std::vector<int>& widths, int total);

/// Column widths fitted to the page, `total` together. With room to spare every column
/// grows in proportion to its width (fitWidths). On a page too narrow each column shrinks in
/// proportion to what it has beyond its needed width (its widest text; never more than its
/// width), so that codes, numbers and titles that fit stay whole and only wide columns give
/// way; when even the needed widths do not fit, the narrowest keep theirs and the widest share
/// what is left alike.
std::vector<int> fitToPage(const std::vector<int>& widths, const std::vector<int>& needed,
                           int total);

/// The long date of the printed footer: "2026年3月1日".
QString longDateText(const QDate& date);
/// The time of the printed footer: "9:05:07".
QString timeText(const QTime& time);

/// The page header and footer macros: &[Page] (the page number), &[Pages] (the number of
/// pages), &[LongDate] (the print date, longDateText) and &[Time] (timeText). Letter case
/// counts; other text stays as it is.
QString replacePageMacros(const QString& text, int page, int pages, const QDateTime& printedAt);

} // namespace corvo::platform
