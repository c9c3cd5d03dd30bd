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

/// Widths from the columns' widest texts that together fill exactly `total`. When the texts
/// need less, every column grows in proportion (fitWidths). When they need more, the narrow
/// columns keep their texts' width and only the widest ones share what is left alike, so
/// that codes and numbers stay on one line and long names wrap.
std::vector<int> fitContentWidths(const std::vector<int>& natural, int total);

/// The long date of the printed footer: "2026年3月1日".
QString longDateText(const QDate& date);
/// The time of the printed footer: "9:05:07".
QString timeText(const QTime& time);

/// The page header and footer macros: &[Page] (the page number), &[Pages] (the number of
/// pages), &[LongDate] (the print date, longDateText) and &[Time] (timeText). Letter case
/// counts; other text stays as it is.
QString replacePageMacros(const QString& text, int page, int pages, const QDateTime& printedAt);

} // namespace corvo::platform
