#include "ComboListLayout.h"

#include <algorithm>

namespace corvo::controls {

void ComboColumnWidths::keep(int column, int textWidth) noexcept
{
    int& width = kept[static_cast<std::size_t>(column)];
    if (textWidth > width) width = textWidth + 22;
}

void ComboColumnWidths::entryLoaded(int count, int lines) noexcept
{
    scrollAllowance = count > lines ? 35 : 10;
}

ComboListGeometry layoutComboList(const ComboListPlacement& box, const ComboColumnWidths& widths)
{
    ComboListGeometry g;
    int& ime1 = g.columnWidths[0];
    int& ime2 = g.columnWidths[1];
    ime1 = box.ime1Visible ? std::max(widths.kept[0], 32) : 1;
    ime2 = box.ime2Visible ? std::max(box.boxWidth * 3 / 11, widths.kept[1]) : 0;
    g.columnWidths[2] = std::max(box.boxWidth, widths.kept[2]);
    for (int* w : {&ime1, &ime2})
        if (*w >= 2 && *w <= 19) *w = 20;

    g.width = g.columnWidths[0] + g.columnWidths[1] + g.columnWidths[2] + widths.scrollAllowance;
    g.height = box.lines * 20;
    g.left = box.boxLeft;
    g.top = box.boxTop + box.boxHeight;
    if (g.top + g.height + 15 > box.parentHeight) g.top = g.top - box.boxHeight - g.height;
    if (g.left + g.width > box.parentWidth) g.left = box.parentWidth - g.width - 15;
    return g;
}

} // namespace corvo::controls
