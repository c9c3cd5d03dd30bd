#include "GridSizing.h"

#include <algorithm>
#include <cmath>

namespace corvo::forms {
namespace {

constexpr int TextPadding = 6;
constexpr int WidthLimit = 160;
constexpr int CellAllowance = 13;

bool keepsColumns(int gridWidth, std::size_t count)
{
    return count == 0 || (count < 4 && gridWidth > 300);
}

// Shares the room the columns leave free; `total` is the sum of the measured widths.
std::vector<int> finish(int gridWidth, std::vector<int> measured)
{
    double total = 0;
    std::vector<int> widths;
    widths.reserve(measured.size());
    for (int w : measured) {
        widths.push_back(w + CellAllowance);
        total += w;
    }
    if (total < gridWidth - 40) {
        double extra = (gridWidth - total - 70) / static_cast<double>(measured.size());
        if (extra < 10) extra = 12;
        const int grow = static_cast<int>(std::floor(extra)) - 10;
        for (int& w : widths)
            w += grow;
    }
    return widths;
}

} // namespace

std::optional<std::vector<int>> sizeGridColumns(int gridWidth,
                                                const std::vector<ColumnTexts>& columns)
{
    if (keepsColumns(gridWidth, columns.size())) return std::nullopt;
    std::vector<int> measured;
    for (const ColumnTexts& c : columns) {
        int w = c.title + TextPadding;
        if (!c.values.empty()) w = std::max(w, c.values.front() + TextPadding);
        measured.push_back(std::min(w, WidthLimit));
    }
    return finish(gridWidth, std::move(measured));
}

std::optional<std::vector<int>> sizeGridColumnsAllRows(int gridWidth,
                                                       const std::vector<ColumnTexts>& columns)
{
    if (keepsColumns(gridWidth, columns.size())) return std::nullopt;
    std::vector<int> measured;
    for (const ColumnTexts& c : columns) {
        int w = c.title + TextPadding;
        for (int value : c.values)
            w = std::min(std::max(w, value + TextPadding), WidthLimit);
        measured.push_back(w);
    }
    return finish(gridWidth, std::move(measured));
}

std::vector<std::string_view> titleLines(std::string_view caption)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = caption.find('|', start);
        lines.push_back(caption.substr(start, bar == std::string_view::npos ? bar : bar - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    return lines;
}

} // namespace corvo::forms
