#pragma once

#include "entity/DataSetListener.h"
#include "entity/FieldType.h"
#include "entity/TClientDataSet.h"

#include <QAbstractTableModel>
#include <QString>
#include <string>
#include <vector>

namespace corvo::platform {

/// The rows of a client dataset as a Qt table: one column per visible field in field order,
/// titled with the field's caption ("|" starts a new title line), each cell the field's text
/// read from the dataset when the view asks for it; no row is copied.
///
/// Follows the dataset's change notices: a new set of columns resets the model; new captions
/// change the header only; rows inserted or removed at a known place are signalled there, and
/// any other change of rows adjusts the count and refreshes every cell. While the dataset's
/// controls are disabled the model hears nothing; EnableControls brings one refresh.
///
/// A row being inserted shows as an extra last row and a row being edited shows its edited
/// values. A model destroyed first leaves its dataset; a dataset destroyed first must be
/// announced to the model through dataSetDestroyed.
class DataGridModel : public QAbstractTableModel, private DataSetListener {
    Q_OBJECT
public:
    explicit DataGridModel(QObject* parent = nullptr);
    ~DataGridModel() override;

    /// Shows the dataset from now on (nullptr: nothing).
    void setDataSet(TClientDataSet* dataSet);
    TClientDataSet* dataSet() const noexcept { return m_dataSet; }

    /// Whether "|" in a caption starts a new title line; on by default.
    void setMultiLineTitles(bool on);
    bool multiLineTitles() const noexcept { return m_multiLineTitles; }

    /// The row the dataset's cursor is on (the extra row while inserting); -1 when none.
    int currentRow() const noexcept;
    /// The name and the display width (in characters) of the field a column shows.
    const std::string& fieldName(int column) const;
    int displayWidth(int column) const noexcept;
    /// The bookmark of a shown row; invalid for the row being inserted and out of range.
    Bookmark bookmarkAt(int row) const noexcept;
    /// Editable cells: a value typed into a cell is written into its row (Edit, the field's
    /// text, Post). Off by default; binary columns and a read-only dataset never edit.
    void setEditable(bool on) noexcept { m_editable = on; }
    bool editable() const noexcept { return m_editable; }
    /// True while the model follows a change of the dataset or a new binding: the view's own
    /// reactions to the model's signals must not move the dataset's cursor then.
    bool updating() const noexcept { return m_updating; }

    /// The dataset is being destroyed: forget it without touching it (the dataset's listener
    /// hook for its own end).
    void dataSetDestroyed(TClientDataSet& dataSet) noexcept override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    /// Sent after every change the model followed: the row the cursor is on (-1: none).
    void currentRowChanged(int row);
    /// A typed value changed a row and was posted; the dataset's cursor is on that row.
    void cellEdited(int row, int column);
    /// A typed value the field refused (the row keeps its value): the error's text.
    void editRejected(const QString& message);

private:
    struct Column {
        int field;
        std::string name;
        FieldType type;
        int displayWidth;
        QString title;
    };

    void dataSetChanged(TClientDataSet& dataSet, DataChange change) override;
    std::vector<Column> visibleColumns() const;
    int liveRowCount() const noexcept;
    bool inserting() const noexcept;
    /// Takes the dataset's visible columns; true when that reset the model.
    bool followColumns();
    void rowsChanged();
    void recordChanged();
    void removeRow(int row);
    void resizeTo(int rows);
    void refreshRows(int first, int last);
    void remember() noexcept;
    QString cellText(int row, const Column& column) const;

    TClientDataSet* m_dataSet = nullptr;
    std::vector<Column> m_columns;
    bool m_multiLineTitles = true;
    bool m_editable = false;
    bool m_updating = false;
    // What the view was last told: its row count, whether the last row is one being
    // inserted, and where the cursor was (position and row) when the last notice ended.
    int m_rows = 0;
    bool m_inserting = false;
    int m_cursorRow = -1;
    Bookmark m_cursorMark;
};

} // namespace corvo::platform
