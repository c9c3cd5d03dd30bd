#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace corvo::forms {

/// The measured texts of one grid column, in pixels of the grid's font.
struct ColumnTexts {
    int title = 0;           ///< the title (for several lines: the widest line)
    std::vector<int> values; ///< the first row's value, or every row's
};

/// Column widths from the titles and the first row's values: each text + 6, at most 160,
/// + 13; a grid with room to spare shares it out. Nothing (the grid keeps its columns) with
/// no column, or with fewer than 4 columns on a grid wider than 300 pixels.
std::optional<std::vector<int>> sizeGridColumns(int gridWidth,
                                                const std::vector<ColumnTexts>& columns);

/// The same over every row's value, the limit of 160 applied after each row; a column of a
/// table without rows keeps its title's width, however wide.
std::optional<std::vector<int>> sizeGridColumnsAllRows(int gridWidth,
                                                       const std::vector<ColumnTexts>& columns);

/// The lines of a "|" title.
std::vector<std::string_view> titleLines(std::string_view caption);

} // namespace corvo::forms
