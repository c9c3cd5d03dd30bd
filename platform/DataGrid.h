#pragma once

#include "entity/GridBinding.h"
#include "entity/TClientDataSet.h"

#include <QColor>
#include <QTableView>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace corvo::platform {

class DataGridModel;

/// The data grid: a table view over a client dataset (see DataGridModel) that the registry
/// binds by way of EntityGrid. The current row follows the dataset's cursor, and moving the
/// current row moves the cursor.
///
/// Columns are the dataset's visible fields. A column's width defaults to its field's display
/// width in digits, or to its title when that is wider. A width set on the header (by the
/// program or the user) is remembered by field name, survives rebinding and new structures,
/// and makes the grid hold "columns of its own" until dropColumns.
///
/// Marked rows: a set of rows kept as dataset bookmarks, for the operations that act on
/// several rows. With multi-select on, a click marks the clicked row alone, Ctrl+click toggles
/// it, Shift+click and Shift with a movement key mark the rows passed over, and a movement
/// without Shift clears the marks. The program may mark rows in any mode.
class DataGrid : public QTableView, public EntityGrid {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    // EntityGrid
    void bindDataSet(TClientDataSet* dataSet) override;
    TClientDataSet* dataSet() const override;
    bool hasColumns() const override;
    void dropColumns() override;
    /// objectName() in GBK.
    std::string componentName() const override;

    DataGridModel& gridModel() const noexcept { return *m_model; }

    // Marked rows
    void setMultiSelect(bool on) noexcept { m_multiSelect = on; }
    bool multiSelect() const noexcept { return m_multiSelect; }
    /// The marked rows still visible in the dataset, in its current order.
    std::vector<Bookmark> markedRows() const;
    bool isRowMarked(int row) const;
    /// Out-of-range rows and the row being inserted cannot be marked.
    void setRowMarked(int row, bool marked);
    void markCurrentRow();
    void clearMarks();

    // Row striping: the first, third, ... rows on the stripe colour, the others on white.
    void setStriped(bool on);
    bool striped() const noexcept { return m_striped; }
    void setStripeColor(const QColor& color);
    const QColor& stripeColor() const noexcept { return m_stripeColor; }

signals:
    void marksChanged();
    /// Moving the cursor failed (a pending row could not be posted); the message is the
    /// error's text. The grid stays on the row the cursor is on.
    void dataSetError(const QString& message);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followCursor(int row);
    void moveCursorTo(int row);
    void markRange(int from, int to);
    void dropStaleMarks();
    void applyColumnWidths();
    int defaultColumnWidth(int column) const;
    void rememberWidth(int column, int width);

    DataGridModel* m_model;
    bool m_followingCursor = false;
    bool m_applyingWidths = false;
    bool m_multiSelect = false;
    bool m_striped = false;
    QColor m_stripeColor{238, 232, 170};
    std::unordered_set<uint64_t> m_marks;               ///< generation << 32 | row
    std::unordered_map<std::string, int> m_fixedWidths; ///< by upper-case field name
};

} // namespace corvo::platform
