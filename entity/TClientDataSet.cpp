#include "TClientDataSet.h"

#include "Error.h"
#include "Gbk.h"
#include "internal/Column.h"
#include "internal/FilterExpr.h"
#include "internal/LookupIndex.h"
#include "internal/ValueText.h"

#include <algorithm>
#include <charconv>

namespace corvo {

using internal::Column;

std::string Bookmark::toText() const
{
    return std::to_string(generation) + ":" + std::to_string(row);
}

std::optional<Bookmark> Bookmark::fromText(std::string_view text) noexcept
{
    auto colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    Bookmark b;
    auto parse = [](std::string_view s, uint32_t& out) {
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
        return !s.empty() && ec == std::errc() && p == s.data() + s.size();
    };
    if (!parse(text.substr(0, colon), b.generation) || !parse(text.substr(colon + 1), b.row))
        return std::nullopt;
    return b;
}

TClientDataSet::TClientDataSet() = default;
TClientDataSet::~TClientDataSet()
{
    // Grids bound to us must forget us before we go.
    const std::vector<DataSetListener*> listeners = m_listeners;
    for (DataSetListener* l : listeners)
        l->dataSetDestroyed(*this);
}

void TClientDataSet::checkActive() const
{
    if (m_state == DataSetState::Inactive) throw Error("数据集没有打开，不能进行此操作");
}

void TClientDataSet::checkWritable() const
{
    checkActive();
    if (m_readOnly) throw Error("数据集是只读的，不能修改");
}

void TClientDataSet::checkEditing(const TField& field) const
{
    checkActive();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        throw Error("数据集不在编辑或插入状态，不能修改字段“" + gbk::display(field.FieldName()) +
                    "”");
}

// ---------------------------------------------------------------------------------------
// Structure

void TClientDataSet::CreateDataSet()
{
    openEmpty(m_fieldDefs.list());
}

void TClientDataSet::Close()
{
    // Closing discards the structure: the next structure is declared afresh.
    m_fieldDefs.Clear();
    m_fields.clear();
    m_columns.clear();
    resetRows();
    m_state = DataSetState::Inactive;
    m_buffer.clear();
    m_filter.reset();
    m_indexField = -1;
    notify(DataChange::Structure);
}

namespace {

void validateDefs(const std::vector<FieldDef>& defs)
{
    if (defs.empty()) throw Error("数据集没有字段定义，不能创建");
    for (std::size_t i = 0; i < defs.size(); ++i) {
        const FieldDef& d = defs[i];
        if (d.Name.empty()) throw Error("字段名不能为空");
        if (!gbk::isValid(d.Name)) throw Error("字段名不是有效的GBK编码");
        if (!isKnownFieldType(static_cast<uint8_t>(d.DataType)))
            throw Error("字段“" + gbk::display(d.Name) + "”的类型未知");
        if (d.Size < 0) throw Error("字段“" + gbk::display(d.Name) + "”的长度不能为负数");
        if (d.DataType == FieldType::BCD && d.Size > Decimal::MaxScale)
            throw Error("字段“" + gbk::display(d.Name) + "”的小数位数超过18位");
        for (std::size_t j = 0; j < i; ++j)
            if (gbk::equalsIgnoreCase(defs[j].Name, d.Name))
                throw Error("字段“" + gbk::display(d.Name) + "”重复定义");
    }
}

} // namespace

void TClientDataSet::openEmpty(std::vector<FieldDef> defs)
{
    validateDefs(defs);
    m_fieldDefs.assign(std::move(defs));
    m_columns.clear();
    for (const FieldDef& d : m_fieldDefs.list())
        m_columns.emplace_back(d.DataType, d.Size);
    buildFields();
    resetRows();
    m_state = DataSetState::Browse;
    m_buffer.clear();
    // The filter and the index follow the new structure when their fields still exist.
    m_filter.reset();
    if (m_filtered) {
        try {
            m_filter = internal::FilterExpr::compile(m_filterText, m_fieldDefs.list());
        } catch (const Error&) {
            m_filtered = false;
        }
    }
    m_indexField = -1;
    if (!m_indexName.empty()) {
        int i = m_indexDefs.IndexOf(m_indexName);
        int f = i < 0 ? -1 : FieldIndexOf(m_indexDefs.Items(i).Fields);
        if (f < 0)
            m_indexName.clear();
        else {
            m_indexField = f;
            m_indexDescending = m_indexDefs.Items(i).Descending;
        }
    }
    notify(DataChange::Structure);
}

void TClientDataSet::buildFields()
{
    m_fields.clear();
    const auto& defs = m_fieldDefs.list();
    for (std::size_t i = 0; i < defs.size(); ++i)
        m_fields.push_back(std::make_unique<TField>(*this, static_cast<int>(i), defs[i].Name,
                                                    defs[i].DataType, defs[i].Size));
}

void TClientDataSet::resetRows()
{
    for (Column& c : m_columns)
        c.clear();
    m_deleted.clear();
    m_liveRows = 0;
    m_view.clear();
    m_cursor = 0;
    m_bof = m_eof = true;
    ++m_generation;
    clearLookupIndexes();
}

TField& TClientDataSet::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw Error("字段序号" + std::to_string(index) + "超出范围");
    return *m_fields[static_cast<std::size_t>(index)];
}

int TClientDataSet::FieldIndexOf(std::string_view name) const noexcept
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (gbk::equalsIgnoreCase(m_fields[i]->FieldName(), name)) return static_cast<int>(i);
    return -1;
}

TField* TClientDataSet::FindField(std::string_view name) const noexcept
{
    int i = FieldIndexOf(name);
    return i < 0 ? nullptr : m_fields[static_cast<std::size_t>(i)].get();
}

TField& TClientDataSet::FieldByName(std::string_view name) const
{
    if (TField* f = FindField(name)) return *f;
    throw Error("字段“" + gbk::display(name) + "”不存在");
}

// ---------------------------------------------------------------------------------------
// Values

uint32_t TClientDataSet::currentRow() const noexcept
{
    return m_view.empty() ? UINT32_MAX : m_view[m_cursor];
}

Variant TClientDataSet::currentValue(int field) const
{
    checkActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return m_buffer[static_cast<std::size_t>(field)];
    if (m_view.empty()) return {};
    return rowValue(m_view[m_cursor], field);
}

Variant TClientDataSet::rowValue(uint32_t row, int field) const
{
    const FieldDef& d = m_fieldDefs.Items(field);
    return internal::columnValue(m_columns[static_cast<std::size_t>(field)], row, d.Size);
}

std::string TClientDataSet::rowText(uint32_t row, int field) const
{
    const FieldDef& d = m_fieldDefs.Items(field);
    return internal::columnText(m_columns[static_cast<std::size_t>(field)], row, d.Size);
}

bool TClientDataSet::rowIsNull(uint32_t row, int field) const noexcept
{
    return m_columns[static_cast<std::size_t>(field)].isNull(row);
}

double TClientDataSet::rowDouble(uint32_t row, int field) const
{
    return internal::columnDouble(m_columns[static_cast<std::size_t>(field)], row,
                                  m_fieldDefs.Items(field).Size);
}

Variant TClientDataSet::convertForField(int field, const Variant& value) const
{
    const FieldDef& d = m_fieldDefs.Items(field);
    return internal::convertValue(value, d.DataType, d.Size, d.Name);
}

void TClientDataSet::setBufferValue(int field, Variant value)
{
    m_buffer[static_cast<std::size_t>(field)] = std::move(value);
    m_bufferChanged = true;
    notify(DataChange::Record);
}

void TClientDataSet::loadBuffer(uint32_t row)
{
    m_buffer.resize(m_fields.size());
    for (std::size_t f = 0; f < m_fields.size(); ++f)
        m_buffer[f] = row == UINT32_MAX ? Variant() : rowValue(row, static_cast<int>(f));
    m_bufferChanged = false;
}

// ---------------------------------------------------------------------------------------
// Editing

void TClientDataSet::Append()
{
    checkWritable();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) MergeChangeLog();
    loadBuffer(UINT32_MAX);
    m_state = DataSetState::Insert;
    notify(DataChange::Record);
}

void TClientDataSet::Edit()
{
    checkWritable();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) return;
    if (m_view.empty()) {
        Append();
        return;
    }
    loadBuffer(m_view[m_cursor]);
    m_state = DataSetState::Edit;
}

uint32_t TClientDataSet::storeNewRow()
{
    if (m_deleted.size() >= UINT32_MAX - 2) throw Error("数据集的记录数超出了容量");
    for (Column& c : m_columns)
        c.appendNull();
    m_deleted.push_back(0);
    ++m_liveRows;
    return static_cast<uint32_t>(m_deleted.size() - 1);
}

void TClientDataSet::Post()
{
    checkActive();
    if (m_state == DataSetState::Browse) return;
    if (m_state == DataSetState::Insert) {
        uint32_t row = storeNewRow();
        writeRow(row);
        m_state = DataSetState::Browse;
        if (passesFilter(row))
            placeRowInView(row);
        else
            setCursorAfterChange(m_view.empty() ? 0 : m_view.size() - 1);
    } else {
        uint32_t row = m_view[m_cursor];
        bool moves = m_indexField >= 0 && !(m_buffer[static_cast<std::size_t>(m_indexField)] ==
                                            rowValue(row, m_indexField));
        writeRow(row);
        m_state = DataSetState::Browse;
        if (!passesFilter(row)) {
            m_view.erase(m_view.begin() + static_cast<std::ptrdiff_t>(m_cursor));
            setCursorAfterChange(m_cursor);
        } else if (moves) {
            m_view.erase(m_view.begin() + static_cast<std::ptrdiff_t>(m_cursor));
            placeRowInView(row);
        }
    }
    m_bof = m_eof = m_view.empty();
    m_buffer.clear();
    m_bufferChanged = false;
    notify(DataChange::Rows);
}

void TClientDataSet::setCursorAfterChange(std::size_t position)
{
    m_cursor = m_view.empty() ? 0 : std::min(position, m_view.size() - 1);
}

void TClientDataSet::MergeChangeLog()
{
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        if (m_bufferChanged) {
            Post();
        } else {
            m_state = DataSetState::Browse;
            m_buffer.clear();
            notify(DataChange::Record);
        }
    }
}

void TClientDataSet::Delete()
{
    checkWritable();
    if (m_state == DataSetState::Insert) {
        m_state = DataSetState::Browse;
        m_buffer.clear();
        m_bufferChanged = false;
        notify(DataChange::Record);
        return;
    }
    if (m_state == DataSetState::Edit) {
        m_state = DataSetState::Browse;
        m_buffer.clear();
        m_bufferChanged = false;
    }
    if (m_view.empty()) throw Error("数据集为空，不能删除记录");
    removeRow(m_view[m_cursor]);
    m_view.erase(m_view.begin() + static_cast<std::ptrdiff_t>(m_cursor));
    setCursorAfterChange(m_cursor);
    m_bof = m_eof = m_view.empty();
    notify(DataChange::Rows);
}

void TClientDataSet::deleteRowsByFlag(const std::vector<uint8_t>& flags)
{
    std::size_t out = 0;
    bool lastDeleted = false;
    for (std::size_t i = 0; i < m_view.size(); ++i) {
        if (flags[i]) {
            removeRow(m_view[i]);
            lastDeleted = true;
        } else {
            m_view[out++] = m_view[i];
            lastDeleted = false;
        }
    }
    m_view.resize(out);
    // A walk of "Delete, or Next" ends on the last row: past it (Eof) when that row was kept.
    m_cursor = m_view.empty() ? 0 : m_view.size() - 1;
    m_eof = m_view.empty() || !lastDeleted;
    m_bof = m_view.empty() || (m_view.size() == 1 && lastDeleted);
    notify(DataChange::Rows);
}

void TClientDataSet::EmptyDataSet()
{
    checkWritable();
    m_state = DataSetState::Browse;
    m_buffer.clear();
    resetRows();
    notify(DataChange::Rows);
}

// ---------------------------------------------------------------------------------------
// Cursor

void TClientDataSet::First()
{
    checkActive();
    MergeChangeLog();
    m_cursor = 0;
    m_bof = true;
    m_eof = m_view.empty();
    notify(DataChange::Cursor);
}

void TClientDataSet::Last()
{
    checkActive();
    MergeChangeLog();
    m_cursor = m_view.empty() ? 0 : m_view.size() - 1;
    m_eof = true;
    m_bof = m_view.empty();
    notify(DataChange::Cursor);
}

void TClientDataSet::Next()
{
    checkActive();
    MergeChangeLog();
    if (m_cursor + 1 < m_view.size()) {
        ++m_cursor;
        m_bof = m_eof = false;
        notify(DataChange::Cursor);
    } else {
        m_eof = true;
    }
}

void TClientDataSet::Prior()
{
    checkActive();
    MergeChangeLog();
    if (m_cursor > 0 && !m_view.empty()) {
        --m_cursor;
        m_bof = m_eof = false;
        notify(DataChange::Cursor);
    } else {
        m_bof = true;
    }
}

int TClientDataSet::RecNo() const noexcept
{
    if (m_state == DataSetState::Insert)
        return m_view.empty() ? 1 : static_cast<int>(m_view.size());
    return m_view.empty() ? 0 : static_cast<int>(m_cursor) + 1;
}

void TClientDataSet::SetRecNo(int recNo)
{
    checkActive();
    MergeChangeLog();
    if (recNo < 1 || static_cast<std::size_t>(recNo) > m_view.size()) return;
    m_cursor = static_cast<std::size_t>(recNo) - 1;
    m_bof = m_eof = false;
    notify(DataChange::Cursor);
}

bool TClientDataSet::moveToRow(uint32_t row)
{
    if (row >= m_deleted.size() || m_deleted[row] || !passesFilter(row)) return false;
    std::size_t pos = viewPositionOf(row);
    if (pos >= m_view.size()) return false;
    m_cursor = pos;
    m_bof = m_eof = false;
    notify(DataChange::Cursor);
    return true;
}

std::string TClientDataSet::TextAt(int position, int field) const
{
    if (position < 0 || static_cast<std::size_t>(position) >= m_view.size()) return {};
    return rowText(m_view[static_cast<std::size_t>(position)], field);
}

bool TClientDataSet::IsNullAt(int position, int field) const noexcept
{
    if (position < 0 || static_cast<std::size_t>(position) >= m_view.size()) return true;
    return rowIsNull(m_view[static_cast<std::size_t>(position)], field);
}

Bookmark TClientDataSet::BookmarkAt(int position) const noexcept
{
    if (m_state == DataSetState::Inactive || position < 0 ||
        static_cast<std::size_t>(position) >= m_view.size())
        return {};
    return Bookmark{m_view[static_cast<std::size_t>(position)], m_generation};
}

Bookmark TClientDataSet::GetBookmark() const noexcept
{
    if (m_view.empty() || m_state == DataSetState::Inactive) return {};
    return Bookmark{m_view[m_cursor], m_generation};
}

bool TClientDataSet::BookmarkValid(const Bookmark& b) const noexcept
{
    return b.isValid() && b.generation == m_generation && b.row < m_deleted.size() &&
           !m_deleted[b.row] && passesFilter(b.row);
}

void TClientDataSet::GotoBookmark(const Bookmark& b)
{
    checkActive();
    MergeChangeLog();
    if (!BookmarkValid(b) || !moveToRow(b.row)) throw Error("书签指向的记录已不存在");
}

int TClientDataSet::CompareBookmarks(const Bookmark& a, const Bookmark& b) const noexcept
{
    if (!a.isValid() || !b.isValid()) return a.isValid() ? 1 : (b.isValid() ? -1 : 0);
    if (a.row == b.row) return 0;
    return rowLess(a.row, b.row) ? -1 : 1;
}

// ---------------------------------------------------------------------------------------
// Data sources

void TClientDataSet::addListener(DataSetListener* listener)
{
    if (std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void TClientDataSet::removeListener(DataSetListener* listener) noexcept
{
    std::erase(m_listeners, listener);
}

void TClientDataSet::notify(DataChange change)
{
    if (m_listeners.empty()) return;
    if (m_disableCount > 0) {
        m_pendingNotice = true;
        return;
    }
    for (std::size_t i = 0; i < m_listeners.size(); ++i)
        m_listeners[i]->dataSetChanged(*this, change);
}

void TClientDataSet::EnableControls()
{
    if (m_disableCount == 0) return;
    if (--m_disableCount == 0 && m_pendingNotice) {
        m_pendingNotice = false;
        notify(DataChange::Rows);
    }
}

std::size_t TClientDataSet::memoryBytes() const noexcept
{
    std::size_t bytes = m_deleted.capacity() + m_view.capacity() * sizeof(uint32_t);
    for (const Column& c : m_columns)
        bytes += c.memoryBytes();
    for (const auto& l : m_lookups)
        bytes += l->memoryBytes();
    return bytes;
}

} // namespace corvo
