#include "DataGrid.h"

#include "DataGridModel.h"
#include "QtText.h"
#include "entity/Error.h"
#include "entity/Gbk.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <algorithm>
#include <exception>

namespace corvo::platform {

namespace {

uint64_t markKey(const Bookmark& mark) noexcept
{
    return (static_cast<uint64_t>(mark.generation) << 32) | mark.row;
}

Bookmark markOfKey(uint64_t key) noexcept
{
    return Bookmark{static_cast<uint32_t>(key), static_cast<uint32_t>(key >> 32)};
}

/// Paints marked rows as selected and, with striping on, the rows' backgrounds.
class RowPainter : public QStyledItemDelegate {
public:
    explicit RowPainter(DataGrid& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_grid.isRowMarked(index.row())) {
            option->state |= QStyle::State_Selected;
        } else if (m_grid.striped() &&
                   !(option->state & (QStyle::State_Selected | QStyle::State_HasFocus))) {
            option->backgroundBrush =
                index.row() % 2 == 0 ? m_grid.stripeColor() : QColor(Qt::white);
        }
    }

private:
    DataGrid& m_grid;
};

} // namespace

DataGrid::DataGrid(QWidget* parent) : QTableView(parent), m_model(new DataGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new RowPainter(*this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    connect(m_model, &DataGridModel::currentRowChanged, this, &DataGrid::followCursor);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        dropStaleMarks();
        applyColumnWidths();
    });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &DataGrid::dropStaleMarks);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation) {
                if (orientation == Qt::Horizontal) applyColumnWidths();
            });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { rememberWidth(column, width); });
}

DataGrid::~DataGrid() = default;

// ---------------------------------------------------------------------------------------
// Binding

void DataGrid::bindDataSet(TClientDataSet* dataSet)
{
    if (dataSet != m_model->dataSet() && !m_marks.empty()) {
        m_marks.clear();
        emit marksChanged();
    }
    m_model->setDataSet(dataSet);
}

TClientDataSet* DataGrid::dataSet() const
{
    return m_model->dataSet();
}

bool DataGrid::hasColumns() const
{
    return !m_fixedWidths.empty();
}

void DataGrid::dropColumns()
{
    m_fixedWidths.clear();
    applyColumnWidths();
}

std::string DataGrid::componentName() const
{
    const QString name = objectName();
    try {
        return toGbk(name);
    } catch (const Error&) {
        return name.toLatin1().toStdString();
    }
}

// ---------------------------------------------------------------------------------------
// The current row and the cursor

void DataGrid::followCursor(int row)
{
    QScopedValueRollback following(m_followingCursor, true);
    if (row < 0) {
        if (currentIndex().isValid()) selectionModel()->clear();
        return;
    }
    const int columns = m_model->columnCount();
    if (columns == 0) return;
    const int column = std::clamp(currentIndex().column(), 0, columns - 1);
    const QModelIndex target = m_model->index(row, column);
    if (!target.isValid()) return;
    if (target != currentIndex() || !selectionModel()->isRowSelected(row, {}))
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    scrollTo(target);
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_followingCursor || m_model->updating() || !current.isValid()) return;
    moveCursorTo(current.row());
}

void DataGrid::moveCursorTo(int row)
{
    TClientDataSet* ds = dataSet();
    if (!ds || !ds->Active() || row == m_model->currentRow()) return;
    try {
        // The row being inserted is the extra last row: there is no position to move to.
        if (row < ds->RecordCount()) ds->SetRecNo(row + 1);
    } catch (const std::exception& e) {
        emit dataSetError(QString::fromUtf8(e.what()));
    }
    followCursor(m_model->currentRow());
}

QItemSelectionModel::SelectionFlags DataGrid::selectionCommand(const QModelIndex& index,
                                                               const QEvent*) const
{
    // The view's selection is only the current row; marks are kept apart, so no modifier
    // may deselect it.
    if (!index.isValid()) return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

// ---------------------------------------------------------------------------------------
// Marked rows

std::vector<Bookmark> DataGrid::markedRows() const
{
    std::vector<Bookmark> out;
    const TClientDataSet* ds = dataSet();
    if (!ds) return out;
    for (uint64_t key : m_marks)
        if (ds->BookmarkValid(markOfKey(key))) out.push_back(markOfKey(key));
    std::sort(out.begin(), out.end(), [ds](const Bookmark& a, const Bookmark& b) {
        return ds->CompareBookmarks(a, b) < 0;
    });
    return out;
}

bool DataGrid::isRowMarked(int row) const
{
    if (m_marks.empty()) return false;
    const Bookmark mark = m_model->bookmarkAt(row);
    return mark.isValid() && m_marks.count(markKey(mark)) > 0;
}

void DataGrid::setRowMarked(int row, bool marked)
{
    const Bookmark mark = m_model->bookmarkAt(row);
    if (!mark.isValid()) return;
    const bool changed =
        marked ? m_marks.insert(markKey(mark)).second : m_marks.erase(markKey(mark)) > 0;
    if (!changed) return;
    viewport()->update();
    emit marksChanged();
}

void DataGrid::markCurrentRow()
{
    setRowMarked(m_model->currentRow(), true);
}

void DataGrid::clearMarks()
{
    if (m_marks.empty()) return;
    m_marks.clear();
    viewport()->update();
    emit marksChanged();
}

void DataGrid::markRange(int from, int to)
{
    if (from > to) std::swap(from, to);
    bool changed = false;
    for (int row = from; row <= to; ++row) {
        const Bookmark mark = m_model->bookmarkAt(row);
        if (mark.isValid()) changed |= m_marks.insert(markKey(mark)).second;
    }
    if (!changed) return;
    viewport()->update();
    emit marksChanged();
}

void DataGrid::dropStaleMarks()
{
    const TClientDataSet* ds = dataSet();
    const auto before = m_marks.size();
    std::erase_if(m_marks,
                  [ds](uint64_t key) { return !ds || !ds->BookmarkValid(markOfKey(key)); });
    if (m_marks.size() != before) emit marksChanged();
}

void DataGrid::mousePressEvent(QMouseEvent* event)
{
    const int before = m_model->currentRow();
    const QModelIndex at = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
    if (!m_multiSelect || event->button() != Qt::LeftButton || !at.isValid()) return;
    const int row = at.row();
    if (event->modifiers() & Qt::ControlModifier) {
        setRowMarked(row, !isRowMarked(row));
    } else if ((event->modifiers() & Qt::ShiftModifier) && before >= 0) {
        markRange(before, row);
    } else {
        m_marks.clear();
        markRange(row, row);
    }
}

void DataGrid::keyPressEvent(QKeyEvent* event)
{
    const int before = m_model->currentRow();
    QTableView::keyPressEvent(event);
    const int after = m_model->currentRow();
    if (!m_multiSelect || before < 0 || after < 0 || after == before) return;
    if (event->modifiers() & Qt::ShiftModifier)
        markRange(before, after);
    else
        clearMarks();
}

// ---------------------------------------------------------------------------------------
// Appearance

void DataGrid::setStriped(bool on)
{
    m_striped = on;
    viewport()->update();
}

void DataGrid::setStripeColor(const QColor& color)
{
    m_stripeColor = color;
    viewport()->update();
}

void DataGrid::applyColumnWidths()
{
    QScopedValueRollback applying(m_applyingWidths, true);
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const auto fixed = m_fixedWidths.find(gbk::upper(m_model->fieldName(column)));
        setColumnWidth(column,
                       fixed != m_fixedWidths.end() ? fixed->second : defaultColumnWidth(column));
    }
}

int DataGrid::defaultColumnWidth(int column) const
{
    const QFontMetrics cells(font());
    const QFontMetrics titles(horizontalHeader()->font());
    const int digits = m_model->displayWidth(column) * cells.horizontalAdvance(QLatin1Char('0'));
    int title = 0;
    const QString caption = m_model->headerData(column, Qt::Horizontal).toString();
    for (const QString& line : caption.split(QLatin1Char('\n')))
        title = std::max(title, titles.horizontalAdvance(line));
    title += 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    return std::max(digits, title) + 4;
}

void DataGrid::rememberWidth(int column, int width)
{
    if (m_applyingWidths || m_model->updating()) return;
    const std::string& name = m_model->fieldName(column);
    if (!name.empty()) m_fixedWidths[gbk::upper(name)] = width;
}

} // namespace corvo::platform
