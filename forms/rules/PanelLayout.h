#pragma once

#include <vector>

namespace corvo::forms {

/// The layout values the panels share.
namespace layout {
inline constexpr int ColumnLimit = 4;
inline constexpr int RowStep = 30;
inline constexpr int InputTop = 30;
inline constexpr int QueryTop = 0;
inline constexpr int InputLeftMargin = 5;
inline constexpr int InputEditorAllowance = 121; ///< the editor and its gap beside a caption
inline constexpr int InputColumnMargin = 5;      ///< twice, around an entry column
inline constexpr int QueryMargin = 10;           ///< left of the query columns and around each
/// Provisional top of the k-th control (k from 1), before the column layout.
inline constexpr int provisionalInputTop(int k) noexcept
{
    return 10 + 22 * k;
}
inline constexpr int provisionalQueryTop(int k) noexcept
{
    return 10 + 28 * k;
}
} // namespace layout

/// What an entry control occupies in the column layout.
enum class InputKind { Plain, Memo, Image };

/// One entry control, in dictionary order. `width` is its caption's width: captions of one
/// column are right-aligned on a common edge and the editors start beside it.
struct InputItem {
    int width = 0;
    InputKind kind = InputKind::Plain;
    bool prec200 = false; ///< the column's Prec is exactly 200
};

struct Placed {
    int left = 0;
    int top = 0;
    int column = 0;
};

struct PanelLayoutResult {
    int columns = 0;            ///< columns in use
    std::vector<Placed> placed; ///< one per item, in item order
    int height = 0;             ///< the least height the panel must have
};

/// The column layout of an entry panel: up to four columns of width 121 + widest + 10 that
/// fit the panel, each control in the column holding the fewest (an image always in the
/// last); with a memo or an image among more than three controls, the first image or
/// Prec-200 column stands alone at the top of the last column. No items: no columns.
PanelLayoutResult layoutInputPanel(int panelWidth, const std::vector<InputItem>& items);

/// One query control: the check box's width and the editor's CheckLength; wide for ranges.
struct QueryItem {
    int width = 0;
    int checkLength = 0;
    bool wide = false;
};

struct QueryLayoutResult {
    int columns = 0;     ///< n
    int wideColumns = 0; ///< m, the last m of the n columns
    std::vector<int> columnLefts;
    std::vector<Placed> placed;
    int height = 0; ///< the panel's height
};

/// The column layout of a query panel: narrow columns first, wide ones (for the ranges)
/// after them, their numbers chosen by how many ranges there are and how wide the panel is;
/// ranges are placed first. A narrow column is as wide as the widest narrow control (check
/// box, gap and editor), a wide one as the widest control. No items: no columns and the
/// panel's base height.
QueryLayoutResult layoutQueryPanel(int panelWidth, const std::vector<QueryItem>& items);

} // namespace corvo::forms
