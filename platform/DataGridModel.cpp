#include "DataGridModel.h"

#include "QtText.h"
#include "entity/FieldType.h"
#include "entity/Gbk.h"
#include "entity/TField.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <exception>

namespace corvo::platform {

namespace {

bool isBinary(FieldType type) noexcept
{
    return type == FieldType::Bytes || type == FieldType::VarBytes || type == FieldType::Blob;
}

/// Never throws: bytes that are not GBK show as '?'.
QString shownText(std::string_view gbk)
{
    return fromUtf8(gbk::display(gbk));
}

const QString BinaryText = QStringLiteral("(BLOB)");

} // namespace

DataGridModel::DataGridModel(QObject* parent) : QAbstractTableModel(parent) {}

DataGridModel::~DataGridModel()
{
    if (m_dataSet) m_dataSet->removeListener(this);
}

void DataGridModel::setDataSet(TClientDataSet* dataSet)
{
    if (dataSet == m_dataSet) return;
    QScopedValueRollback updating(m_updating, true);
    beginResetModel();
    if (m_dataSet) m_dataSet->removeListener(this);
    m_dataSet = dataSet;
    if (m_dataSet) m_dataSet->addListener(this);
    m_columns = visibleColumns();
    m_rows = liveRowCount();
    m_inserting = inserting();
    endResetModel();
    remember();
    emit currentRowChanged(m_cursorRow);
}

void DataGridModel::dataSetDestroyed(TClientDataSet& dataSet) noexcept
{
    if (&dataSet != m_dataSet) return;
    QScopedValueRollback updating(m_updating, true);
    beginResetModel();
    m_dataSet = nullptr;
    m_columns.clear();
    m_rows = 0;
    m_inserting = false;
    endResetModel();
    remember();
    emit currentRowChanged(-1);
}

void DataGridModel::setMultiLineTitles(bool on)
{
    if (on == m_multiLineTitles) return;
    m_multiLineTitles = on;
    m_columns = visibleColumns();
    if (!m_columns.empty())
        emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(m_columns.size()) - 1);
}

// ---------------------------------------------------------------------------------------
// Following the dataset

void DataGridModel::dataSetChanged(TClientDataSet& dataSet, DataChange change)
{
    if (&dataSet != m_dataSet) return;
    QScopedValueRollback updating(m_updating, true);
    switch (change) {
    case DataChange::Structure:
    case DataChange::Rows:
        // The one notice after EnableControls may stand for a new structure as well.
        if (!followColumns()) rowsChanged();
        break;
    case DataChange::Record:
        recordChanged();
        break;
    case DataChange::Cursor:
        break;
    }
    remember();
    emit currentRowChanged(m_cursorRow);
}

std::vector<DataGridModel::Column> DataGridModel::visibleColumns() const
{
    std::vector<Column> out;
    if (!m_dataSet || !m_dataSet->Active()) return out;
    for (int i = 0; i < m_dataSet->FieldCount(); ++i) {
        const TField& f = m_dataSet->Fields(i);
        if (!f.Visible()) continue;
        QString title = shownText(f.DisplayLabel());
        if (m_multiLineTitles) title.replace(QLatin1Char('|'), QLatin1Char('\n'));
        out.push_back({i, f.FieldName(), f.DataType(), f.DisplayWidth(), std::move(title)});
    }
    return out;
}

int DataGridModel::liveRowCount() const noexcept
{
    if (!m_dataSet || !m_dataSet->Active()) return 0;
    return m_dataSet->RecordCount() + (inserting() ? 1 : 0);
}

bool DataGridModel::inserting() const noexcept
{
    return m_dataSet && m_dataSet->State() == DataSetState::Insert;
}

int DataGridModel::currentRow() const noexcept
{
    if (!m_dataSet || !m_dataSet->Active()) return -1;
    if (inserting()) return m_dataSet->RecordCount();
    return m_dataSet->IsEmpty() ? -1 : m_dataSet->RecNo() - 1;
}

bool DataGridModel::followColumns()
{
    std::vector<Column> columns = visibleColumns();
    const bool sameFields =
        std::equal(columns.begin(), columns.end(), m_columns.begin(), m_columns.end(),
                   [](const Column& a, const Column& b) {
                       return a.field == b.field && a.name == b.name && a.type == b.type;
                   });
    if (!sameFields) {
        beginResetModel();
        m_columns = std::move(columns);
        m_rows = liveRowCount();
        m_inserting = inserting();
        endResetModel();
        return true;
    }
    const bool sameHeader =
        std::equal(columns.begin(), columns.end(), m_columns.begin(), m_columns.end(),
                   [](const Column& a, const Column& b) {
                       return a.title == b.title && a.displayWidth == b.displayWidth;
                   });
    if (!sameHeader) {
        m_columns = std::move(columns);
        emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(m_columns.size()) - 1);
    }
    return false;
}

void DataGridModel::rowsChanged()
{
    const int rows = liveRowCount();
    if (m_inserting && !inserting() && rows == m_rows - 1) {
        // The new row was posted but the filter hides it.
        removeRow(m_rows - 1);
    } else if (!m_inserting && rows == m_rows - 1 && m_cursorMark.isValid() &&
               !m_dataSet->BookmarkValid(m_cursorMark) && m_cursorRow >= 0 &&
               m_cursorRow < m_rows) {
        // The current row was deleted, or edited out of the filter.
        removeRow(m_cursorRow);
    } else {
        resizeTo(rows);
    }
    m_inserting = inserting();
    refreshRows(0, m_rows - 1);
}

void DataGridModel::recordChanged()
{
    const bool nowInserting = inserting();
    if (nowInserting && !m_inserting) {
        beginInsertRows({}, m_rows, m_rows);
        ++m_rows;
        m_inserting = true;
        endInsertRows();
    } else if (!nowInserting && m_inserting && m_rows > 0) {
        m_inserting = false;
        removeRow(m_rows - 1);
    } else {
        const int row = currentRow();
        if (row >= 0 && row < m_rows) refreshRows(row, row);
    }
    if (m_rows != liveRowCount()) rowsChanged();
}

void DataGridModel::removeRow(int row)
{
    beginRemoveRows({}, row, row);
    --m_rows;
    endRemoveRows();
}

void DataGridModel::resizeTo(int rows)
{
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

void DataGridModel::refreshRows(int first, int last)
{
    if (first > last || m_columns.empty()) return;
    emit dataChanged(index(first, 0), index(last, static_cast<int>(m_columns.size()) - 1),
                     {Qt::DisplayRole});
}

void DataGridModel::remember() noexcept
{
    m_cursorRow = currentRow();
    m_cursorMark = m_dataSet && !inserting() ? m_dataSet->GetBookmark() : Bookmark{};
}

// ---------------------------------------------------------------------------------------
// Reading

int DataGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DataGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

const std::string& DataGridModel::fieldName(int column) const
{
    static const std::string none;
    if (column < 0 || column >= static_cast<int>(m_columns.size())) return none;
    return m_columns[static_cast<std::size_t>(column)].name;
}

int DataGridModel::displayWidth(int column) const noexcept
{
    if (column < 0 || column >= static_cast<int>(m_columns.size())) return 0;
    return m_columns[static_cast<std::size_t>(column)].displayWidth;
}

Bookmark DataGridModel::bookmarkAt(int row) const noexcept
{
    if (!m_dataSet || !m_dataSet->Active() || row < 0) return {};
    return m_dataSet->BookmarkAt(row);
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= static_cast<int>(m_columns.size())) return {};
    const Column& column = m_columns[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        try {
            return cellText(index.row(), column);
        } catch (const std::exception&) {
            return {};
        }
    case Qt::TextAlignmentRole:
        return static_cast<int>(Qt::AlignVCenter |
                                (isNumericType(column.type) ? Qt::AlignRight : Qt::AlignLeft));
    default:
        return {};
    }
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!m_editable || !index.isValid() || !m_dataSet || m_dataSet->ReadOnly() ||
        index.column() >= static_cast<int>(m_columns.size()))
        return flags;
    if (isBinary(m_columns[static_cast<std::size_t>(index.column())].type)) return flags;
    return flags | Qt::ItemIsEditable;
}

bool DataGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    const Column& column = m_columns[static_cast<std::size_t>(index.column())];
    const std::string text = toGbk(value.toString());
    try {
        if (m_dataSet->State() == DataSetState::Browse) {
            const Bookmark row = bookmarkAt(index.row());
            if (!row.isValid()) return false;
            if (!(m_dataSet->GetBookmark() == row)) m_dataSet->GotoBookmark(row);
        }
        TField& field = m_dataSet->Fields(column.field);
        if (field.AsString() == text) return true;
        if (m_dataSet->State() == DataSetState::Browse) m_dataSet->Edit();
        try {
            field.SetAsString(text);
        } catch (const std::exception&) {
            // The field kept its value; the row is written back unchanged.
            m_dataSet->Post();
            throw;
        }
        m_dataSet->Post();
    } catch (const std::exception& e) {
        emit editRejected(fromUtf8(e.what()));
        return false;
    }
    emit cellEdited(currentRow(), index.column());
    return true;
}

QString DataGridModel::cellText(int row, const Column& column) const
{
    // Between a held notice and EnableControls the table may have changed under the model:
    // everything is checked against the table as it is now.
    const TClientDataSet* ds = m_dataSet;
    if (!ds || !ds->Active() || column.field >= ds->FieldCount()) return {};
    const TField& field = ds->Fields(column.field);
    if (field.DataType() != column.type) return {};
    const auto visible = static_cast<std::size_t>(ds->RecordCount());
    const auto position = static_cast<std::size_t>(row);

    const DataSetState state = ds->State();
    const bool edited = (state == DataSetState::Insert && position == visible) ||
                        (state == DataSetState::Edit && row == ds->RecNo() - 1);
    if (edited) {
        if (isBinary(column.type)) return field.IsNull() ? QString() : BinaryText;
        return shownText(field.AsString());
    }
    if (position >= visible) return {};
    if (isBinary(column.type)) return ds->IsNullAt(row, column.field) ? QString() : BinaryText;
    return shownText(ds->TextAt(row, column.field));
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role != Qt::DisplayRole || section < 0 || section >= static_cast<int>(m_columns.size()))
        return {};
    return m_columns[static_cast<std::size_t>(section)].title;
}

} // namespace corvo::platform
