#pragma once

#include <array>

namespace corvo::controls {

/// Column widths a code/name combo box keeps while loading, and the room it leaves for the
/// list's scroll bar. Both only grow or change while entries are loaded.
struct ComboColumnWidths {
    std::array<int, 3> kept{0, 0, 0}; ///< column 1, column 2, display text (pixels)
    int scrollAllowance = 30;

    /// A text of this width was loaded into a column (0..2): a text wider than the kept
    /// width makes it the text's width + 22.
    void keep(int column, int textWidth) noexcept;
    /// An entry was loaded and the box now holds count entries: 35 when they no longer fit
    /// in the list's lines, else 10.
    void entryLoaded(int count, int lines) noexcept;
};

/// Where the box stands, in the coordinates of the list's parent, and what the list shows.
struct ComboListPlacement {
    int boxLeft = 0;
    int boxTop = 0;
    int boxWidth = 0;
    int boxHeight = 0;
    int parentWidth = 0;
    int parentHeight = 0;
    bool ime1Visible = true;
    bool ime2Visible = true;
    int lines = 5;
};

struct ComboListGeometry {
    std::array<int, 3> columnWidths{0, 0, 0}; ///< 1 or 0 for a hidden column
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

/// The list's column widths and rectangle: below the box, or above it when it would come
/// within 15 pixels of the parent's bottom; moved left when it passes the parent's right edge.
ComboListGeometry layoutComboList(const ComboListPlacement& box, const ComboColumnWidths& widths);

} // namespace corvo::controls
