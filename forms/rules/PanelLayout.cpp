#include "PanelLayout.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace corvo::forms {
namespace {

constexpr int EditorGap = 3; // between a query control's check box and its editor

struct Column {
    int left = 0;
    int nextTop = 0;
    int count = 0;
};

// The first of the columns [first, last) holding the fewest controls.
int fewest(const std::array<Column, layout::ColumnLimit>& columns, int first, int last)
{
    int best = first;
    for (int k = first + 1; k < last; ++k)
        if (columns[static_cast<std::size_t>(k)].count <
            columns[static_cast<std::size_t>(best)].count)
            best = k;
    return best;
}

int highest(const std::array<Column, layout::ColumnLimit>& columns)
{
    int top = 0;
    for (const Column& c : columns)
        top = std::max(top, c.nextTop);
    return top;
}

// The number of columns and of wide columns for w ranges among n controls.
void chooseQueryColumns(int W, int A, int C, int w, int N, int& n, int& m)
{
    if (w == 0) {
        m = 0;
        n = W < 3 * C ? 2 : W < 4 * C ? 3 : 4;
    } else if (N >= 4 * w) {
        m = 1;
        n = W < A + 2 * C ? 2 : W < A + 3 * C ? 3 : 4;
    } else if (N >= 3 * w) {
        if (W < 2 * C + 2 * A) {
            m = 1;
            n = W < A + 2 * C ? 2 : 3;
        } else {
            m = 2;
            n = 4;
        }
    } else if (N >= 2 * w) {
        if (W >= 2 * C + 2 * A)
            m = 2, n = 4;
        else if (W < C + 2 * A)
            m = 1, n = 2;
        else
            m = 2, n = 3;
    } else if (N >= 3 * w / 2) {
        if (W < C + 3 * A) {
            m = 2;
            n = W < C + 2 * A ? 2 : 3;
        } else {
            m = 3;
            n = 4;
        }
    } else if (N >= 4 * w / 3) {
        if (W >= C + 3 * A)
            m = 3, n = 4;
        else if (W < 3 * A)
            m = 2, n = 2;
        else
            m = 3, n = 3;
    } else {
        if (W >= 4 * A)
            m = 4, n = 4;
        else if (W < 3 * A)
            m = 2, n = 2;
        else
            m = 3, n = 3;
    }
    for (int i = 0; i < 4 && m > 0 && W < C * (n - m) + A * m; ++i)
        --m;
}

} // namespace

PanelLayoutResult layoutInputPanel(int panelWidth, const std::vector<InputItem>& items)
{
    PanelLayoutResult result;
    result.placed.resize(items.size());
    std::array<Column, layout::ColumnLimit> columns{};
    for (Column& c : columns)
        c.nextTop = layout::InputTop;
    if (items.empty()) {
        result.height = highest(columns);
        return result;
    }

    int widest = 0;
    bool hasMemoOrImage = false;
    for (const InputItem& item : items) {
        widest = std::max(widest, item.width);
        hasMemoOrImage = hasMemoOrImage || item.kind != InputKind::Plain;
    }
    const int b = layout::InputEditorAllowance + widest + 2 * layout::InputColumnMargin;
    const int n = panelWidth < 2 * b ? 1 : panelWidth < 3 * b ? 2 : panelWidth < 4 * b ? 3 : 4;
    const int step = panelWidth / n;
    for (int k = 0; k < n; ++k)
        columns[static_cast<std::size_t>(k)].left = layout::InputLeftMargin + step * k;
    result.columns = n;

    auto place = [&](std::size_t i, int k) {
        Column& c = columns[static_cast<std::size_t>(k)];
        result.placed[i] = {c.left + widest - items[i].width, c.nextTop, k};
        switch (items[i].kind) {
        case InputKind::Memo:
            c.nextTop += 90, c.count += 3;
            break;
        case InputKind::Image:
            c.nextTop += 120, c.count += 4;
            break;
        case InputKind::Plain:
            c.nextTop += layout::RowStep, c.count += 1;
            break;
        }
    };

    // Only the one control that was placed ahead is left out of the walk; every other
    // control, a second picture among them, still gets its place.
    std::size_t ahead = items.size();
    if (hasMemoOrImage && items.size() > 3) {
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].kind == InputKind::Image || items[i].prec200) {
                ahead = i;
                break;
            }
        if (ahead < items.size()) {
            Column& last = columns[static_cast<std::size_t>(n - 1)];
            result.placed[ahead] = {last.left + widest - items[ahead].width, last.nextTop, n - 1};
            last.nextTop += 120;
            last.count += 4;
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i == ahead) continue;
        place(i, items[i].kind == InputKind::Image ? n - 1 : fewest(columns, 0, n));
    }
    result.height = highest(columns);
    return result;
}

QueryLayoutResult layoutQueryPanel(int panelWidth, const std::vector<QueryItem>& items)
{
    QueryLayoutResult result;
    result.placed.resize(items.size());
    std::array<Column, layout::ColumnLimit> columns{};
    for (Column& c : columns)
        c.nextTop = layout::QueryTop;
    if (items.empty()) {
        result.height = highest(columns) + layout::RowStep + layout::QueryMargin;
        return result;
    }

    // A column is as wide as the widest control it may hold, the editor's gap beside its check
    // box included: sized by the narrowest control, wider captions ran into the next column.
    int widest = 0, widestNarrow = 0, w = 0;
    for (const QueryItem& item : items) {
        const int size = item.width + EditorGap + item.checkLength;
        widest = std::max(widest, size);
        if (!item.wide) widestNarrow = std::max(widestNarrow, size);
        w += item.wide ? 1 : 0;
    }
    const int N = static_cast<int>(items.size());
    const int A = 2 * layout::QueryMargin + widest;
    const int C = 2 * layout::QueryMargin + (widestNarrow > 0 ? widestNarrow : widest);
    int n = 2, m = 0;
    chooseQueryColumns(panelWidth, A, C, w, N, n, m);

    const int gap = (panelWidth - A * m - C * (n - m)) / (n - 1);
    if (m == n) {
        for (int k = 0; k < n; ++k)
            columns[static_cast<std::size_t>(k)].left = layout::QueryMargin + k * (A + gap);
    } else {
        const int narrow = n - m;
        for (int k = 0; k < narrow; ++k)
            columns[static_cast<std::size_t>(k)].left = layout::QueryMargin + k * (C + gap);
        const int lastNarrow = columns[static_cast<std::size_t>(narrow - 1)].left;
        for (int i = 0; i < m; ++i)
            columns[static_cast<std::size_t>(narrow + i)].left = lastNarrow + C + (A + gap) * i;
    }
    result.columns = n;
    result.wideColumns = m;
    for (int k = 0; k < n; ++k)
        result.columnLefts.push_back(columns[static_cast<std::size_t>(k)].left);

    auto place = [&](std::size_t i, int k) {
        Column& c = columns[static_cast<std::size_t>(k)];
        result.placed[i] = {c.left, c.nextTop + layout::RowStep, k};
        c.nextTop += layout::RowStep;
        c.count += 1;
    };
    // Ranges go to the wide columns; when the panel is too narrow for any, to the column
    // holding the fewest, like the others.
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].wide) place(i, m > 0 ? fewest(columns, n - m, n) : fewest(columns, 0, n));
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!items[i].wide) place(i, fewest(columns, 0, n));
    result.height = highest(columns) + layout::RowStep + layout::QueryMargin;
    return result;
}

} // namespace corvo::forms
