// Row storage changes, the filter and the active index: what decides the visible rows
// and their order.
#include "Error.h"
#include "Gbk.h"
#include "TClientDataSet.h"
#include "internal/Column.h"
#include "internal/FilterExpr.h"
#include "internal/LookupIndex.h"
#include "internal/ValueText.h"

#include <algorithm>
#include <cstring>

namespace corvo {

using internal::Column;

template <typename Store> void TClientDataSet::storeIndexed(uint32_t row, int field, Store&& store)
{
    // The search indexes of the field drop the row under its old value and take it again
    // under the new one.
    Column& column = m_columns[static_cast<std::size_t>(field)];
    for (const auto& l : m_lookups)
        if (l->field() == field) l->erase(lookupHashOfRow(column, row, l->caseInsensitive()), row);
    store(column);
    for (const auto& l : m_lookups)
        if (l->field() == field) l->insert(lookupHashOfRow(column, row, l->caseInsensitive()), row);
}

void TClientDataSet::writeRow(uint32_t row)
{
    for (std::size_t f = 0; f < m_fields.size(); ++f)
        storeIndexed(row, static_cast<int>(f),
                     [&](Column& column) { internal::storeValue(column, row, m_buffer[f]); });
}

void TClientDataSet::AppendRecord(std::span<const Variant> values)
{
    checkWritable();
    if (values.size() != m_fields.size())
        throw Error("追加的记录有" + std::to_string(values.size()) + "个值，数据集有" +
                    std::to_string(m_fields.size()) + "个字段");
    MergeChangeLog();
    std::vector<Variant> converted(values.size());
    for (std::size_t f = 0; f < values.size(); ++f)
        if (!values[f].isNull()) converted[f] = convertForField(static_cast<int>(f), values[f]);
    const uint32_t row = storeNewRow();
    for (std::size_t f = 0; f < converted.size(); ++f)
        if (!converted[f].isNull())
            storeIndexed(row, static_cast<int>(f),
                         [&](Column& column) { internal::storeValue(column, row, converted[f]); });
    if (passesFilter(row))
        placeRowInView(row);
    else
        setCursorAfterChange(m_view.empty() ? 0 : m_view.size() - 1);
    m_bof = m_eof = m_view.empty();
    notify(DataChange::Rows);
}

void TClientDataSet::removeRow(uint32_t row)
{
    for (const auto& l : m_lookups)
        l->erase(lookupHashOfRow(m_columns[static_cast<std::size_t>(l->field())], row,
                                 l->caseInsensitive()),
                 row);
    m_deleted[row] = 1;
    --m_liveRows;
}

bool TClientDataSet::passesFilter(uint32_t row) const
{
    return !m_filter || m_filter->matches(m_columns, row);
}

const Column& TClientDataSet::column(int field) const noexcept
{
    return m_columns[static_cast<std::size_t>(field)];
}

std::vector<uint8_t> TClientDataSet::rowsLeftOut() const
{
    std::vector<uint8_t> out(m_deleted);
    if (m_filter)
        for (uint32_t row = 0; row < out.size(); ++row)
            out[row] = out[row] || !passesFilter(row);
    return out;
}

void TClientDataSet::removeRowsUnordered(const std::vector<uint8_t>& rows,
                                         std::optional<uint32_t> current)
{
    for (uint32_t row = 0; row < rows.size(); ++row)
        if (rows[row]) removeRow(row);
    m_indexDefs.Clear();
    m_indexName.clear();
    m_indexField = -1;
    rebuildView(current);
}

int TClientDataSet::compareRows(int field, uint32_t a, uint32_t b) const noexcept
{
    const Column& c = m_columns[static_cast<std::size_t>(field)];
    bool na = c.isNull(a), nb = c.isNull(b);
    if (isVariableLength(c.type())) {
        int r = c.bytesAt(a).compare(c.bytesAt(b));
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    if (na || nb) return na == nb ? 0 : (na ? -1 : 1);
    switch (c.type()) {
    case FieldType::Guid: {
        int r = std::memcmp(c.guidBytesAt(a), c.guidBytesAt(b), 16);
        return r < 0 ? -1 : (r > 0 ? 1 : 0);
    }
    case FieldType::Float:
    case FieldType::DateTime: {
        double x = c.floatAt(a), y = c.floatAt(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    default: {
        int64_t x = c.intAt(a), y = c.intAt(b);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    }
}

bool TClientDataSet::rowLess(uint32_t a, uint32_t b) const noexcept
{
    if (m_indexField >= 0) {
        int r = compareRows(m_indexField, a, b);
        if (r != 0) return m_indexDescending ? r > 0 : r < 0;
    }
    return a < b;
}

std::size_t TClientDataSet::viewPositionOf(uint32_t row) const
{
    // Every stored row visible in natural order: a row's position is its number.
    if (m_indexField < 0 && !m_filter && m_liveRows == m_deleted.size())
        return row < m_view.size() ? row : m_view.size();
    auto it = std::lower_bound(m_view.begin(), m_view.end(), row,
                               [this](uint32_t x, uint32_t y) { return rowLess(x, y); });
    if (it != m_view.end() && *it == row) return static_cast<std::size_t>(it - m_view.begin());
    return m_view.size();
}

void TClientDataSet::placeRowInView(uint32_t row)
{
    auto it = std::lower_bound(m_view.begin(), m_view.end(), row,
                               [this](uint32_t x, uint32_t y) { return rowLess(x, y); });
    auto position = static_cast<std::size_t>(it - m_view.begin());
    m_view.insert(it, row);
    m_cursor = position;
}

namespace {

/// The first eight bytes of a text, big-endian, so integer order is byte order.
uint64_t textPrefix(std::string_view s) noexcept
{
    uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i)
        key = key << 8 | (i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
    return key;
}

/// A key whose unsigned order is the order of the values (ties broken by full comparison).
uint64_t orderKey(const Column& c, uint32_t row) noexcept
{
    constexpr uint64_t SignBit = uint64_t{1} << 63;
    if (isVariableLength(c.type())) return textPrefix(c.bytesAt(row));
    if (c.isNull(row)) return 0;
    switch (c.type()) {
    case FieldType::Guid: {
        const uint8_t* b = c.guidBytesAt(row);
        uint64_t key = 0;
        for (int i = 0; i < 8; ++i)
            key = key << 8 | b[i];
        return key;
    }
    case FieldType::Float:
    case FieldType::DateTime: {
        double d = c.floatAt(row);
        uint64_t bits;
        std::memcpy(&bits, &d, 8);
        return (bits & SignBit) ? ~bits : bits | SignBit;
    }
    default:
        return static_cast<uint64_t>(c.intAt(row)) ^ SignBit;
    }
}

/// Stable LSD radix sort on the key, a byte a pass (256 buckets keep the scattered writes
/// within what the caches hold); passes where every key has the same byte are skipped.
void radixSortByKey(std::vector<std::pair<uint64_t, uint32_t>>& keys)
{
    if (keys.size() < 256) {
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        return;
    }
    uint64_t differing = 0;
    for (const auto& k : keys)
        differing |= k.first ^ keys[0].first;
    std::vector<std::pair<uint64_t, uint32_t>> buffer(keys.size());
    for (int shift = 0; shift < 64; shift += 8) {
        if (((differing >> shift) & 0xFF) == 0) continue;
        std::size_t counts[256] = {};
        for (const auto& k : keys)
            ++counts[(k.first >> shift) & 0xFF];
        std::size_t total = 0;
        for (std::size_t& c : counts) {
            std::size_t n = c;
            c = total;
            total += n;
        }
        for (const auto& k : keys)
            buffer[counts[(k.first >> shift) & 0xFF]++] = k;
        keys.swap(buffer);
    }
}

} // namespace

void TClientDataSet::rebuildView(std::optional<uint32_t> keepRow)
{
    m_view.clear();
    const uint8_t* guid = nullptr;
    int eqField = m_filter && m_liveRows >= 64 ? m_filter->guidEquality(guid) : -1;
    if (eqField >= 0) {
        // Building the index costs more than one scan: it is built when the same field is
        // filtered this way a second time (a table walked by detail keys), or taken when a
        // search already built it.
        bool indexed = m_lastGuidFilterField == eqField;
        for (const auto& l : m_lookups)
            if (l->field() == eqField && !l->caseInsensitive()) indexed = true;
        m_lastGuidFilterField = eqField;
        if (!indexed) eqField = -1;
    }
    if (eqField >= 0) {
        // One GUID equality: the rows holding it come from the field's hash index.
        const Column& c = m_columns[static_cast<std::size_t>(eqField)];
        lookupIndex(eqField, false)->forEach(internal::lookupHashOfGuid(guid), [&](uint32_t r) {
            if (!m_deleted[r] && !c.isNull(r) && std::memcmp(c.guidBytesAt(r), guid, 16) == 0)
                m_view.push_back(r);
            return true;
        });
        std::sort(m_view.begin(), m_view.end());
    } else if (std::string_view prefix; m_filter && m_filter->textPrefix(prefix) >= 0) {
        m_columns[static_cast<std::size_t>(m_filter->textPrefix(prefix))].rowsWithPrefix(
            prefix, m_deleted, m_view);
    } else {
        m_view.reserve(m_liveRows);
        const auto rows = static_cast<uint32_t>(m_deleted.size());
        for (uint32_t r = 0; r < rows; ++r)
            if (!m_deleted[r] && passesFilter(r)) m_view.push_back(r);
    }

    if (m_indexField >= 0) {
        // Sort (order key, row) pairs: a 64-bit key that orders like the values, with full
        // comparisons only where two keys are equal.
        const Column& c = m_columns[static_cast<std::size_t>(m_indexField)];
        std::vector<std::pair<uint64_t, uint32_t>> keys;
        keys.reserve(m_view.size());
        const bool desc = m_indexDescending;
        for (uint32_t r : m_view)
            keys.emplace_back(desc ? ~orderKey(c, r) : orderKey(c, r), r);
        radixSortByKey(keys);
        // Equal keys keep ascending rows (the sort is stable); where the key is only a prefix
        // of the value, such runs are ordered by the full comparison.
        const int field = m_indexField;
        for (std::size_t i = 0; i < keys.size();) {
            std::size_t j = i + 1;
            while (j < keys.size() && keys[j].first == keys[i].first)
                ++j;
            auto less = [&](const auto& x, const auto& y) {
                int r = compareRows(field, x.second, y.second);
                if (r != 0) return desc ? r > 0 : r < 0;
                return x.second < y.second;
            };
            auto from = keys.begin() + static_cast<std::ptrdiff_t>(i);
            auto to = keys.begin() + static_cast<std::ptrdiff_t>(j);
            if (j - i > 1 && !std::is_sorted(from, to, less)) std::sort(from, to, less);
            i = j;
        }
        for (std::size_t i = 0; i < keys.size(); ++i)
            m_view[i] = keys[i].second;
    }

    m_cursor = 0;
    if (keepRow) {
        std::size_t pos = viewPositionOf(*keepRow);
        if (pos < m_view.size()) m_cursor = pos;
    }
    m_bof = m_cursor == 0;
    m_eof = m_view.empty();
    notify(DataChange::Rows);
}

// ---------------------------------------------------------------------------------------
// Filter

void TClientDataSet::SetFilter(std::string_view text)
{
    if (text == m_filterText) return;
    if (m_filtered && Active()) {
        auto compiled = internal::FilterExpr::compile(text, m_fieldDefs.list());
        MergeChangeLog();
        m_filterText = std::string(text);
        m_filter = compiled->acceptsAll() ? nullptr : std::move(compiled);
        rebuildView(std::nullopt);
        return;
    }
    m_filterText = std::string(text);
}

void TClientDataSet::SetFiltered(bool filtered)
{
    if (filtered == m_filtered) return;
    if (!Active()) {
        m_filtered = filtered;
        return;
    }
    MergeChangeLog();
    if (filtered) {
        auto compiled = internal::FilterExpr::compile(m_filterText, m_fieldDefs.list());
        m_filter = compiled->acceptsAll() ? nullptr : std::move(compiled);
    } else {
        m_filter.reset();
    }
    m_filtered = filtered;
    rebuildView(std::nullopt);
}

// ---------------------------------------------------------------------------------------
// Sort

void TClientDataSet::AddIndex(std::string_view name, std::string_view fieldName, IndexOrder order)
{
    if (Active() && FieldIndexOf(fieldName) < 0)
        throw Error("字段“" + gbk::display(fieldName) + "”不存在，不能建立索引");
    IndexDef def{std::string(name), std::string(fieldName), order == IndexOrder::Descending};
    int existing = m_indexDefs.IndexOf(name);
    if (existing < 0) {
        m_indexDefs.add(std::move(def));
        return;
    }
    // Redefining an index replaces it; the active one is reordered by its new definition.
    std::vector<IndexDef> defs;
    for (int i = 0; i < m_indexDefs.Count(); ++i)
        defs.push_back(i == existing ? def : m_indexDefs.Items(i));
    resetIndexes(std::move(defs), m_indexName);
}

void TClientDataSet::resetIndexes(std::vector<IndexDef> defs, std::string_view active)
{
    std::string activeName(active);
    m_indexDefs.Clear();
    for (auto& d : defs)
        m_indexDefs.add(std::move(d));
    int i = activeName.empty() ? -1 : m_indexDefs.IndexOf(activeName);
    int field = i < 0 ? -1 : FieldIndexOf(m_indexDefs.Items(i).Fields);
    bool descending = i >= 0 && m_indexDefs.Items(i).Descending;
    m_indexName = field < 0 ? std::string() : activeName;
    if (!Active() || (field == m_indexField && descending == m_indexDescending)) return;
    orderBy(field, descending);
}

void TClientDataSet::orderBy(int field, bool descending)
{
    // The current row stays current in the new order.
    MergeChangeLog();
    std::optional<uint32_t> keep;
    if (!m_view.empty()) keep = m_view[m_cursor];
    m_indexField = field;
    m_indexDescending = descending;
    rebuildView(keep);
}

void TClientDataSet::replaceFilter(std::string_view text)
{
    checkActive();
    MergeChangeLog();
    std::unique_ptr<internal::FilterExpr> compiled;
    try {
        compiled = internal::FilterExpr::compile(text, m_fieldDefs.list());
    } catch (const Error&) {
        m_filterText = std::string(text);
        if (m_filtered) {
            m_filtered = false;
            m_filter.reset();
            rebuildView(std::nullopt);
        }
        throw;
    }
    m_filterText = std::string(text);
    m_filtered = true;
    m_filter = compiled->acceptsAll() ? nullptr : std::move(compiled);
    rebuildView(std::nullopt);
}

void TClientDataSet::writeRowValue(uint32_t row, int field, const Variant& value)
{
    Variant converted = convertForField(field, value);
    storeIndexed(row, field, [&](Column& column) { internal::storeValue(column, row, converted); });
}

void TClientDataSet::copyRowValue(uint32_t row, int field, const TClientDataSet& source,
                                  uint32_t sourceRow, int sourceField)
{
    storeIndexed(row, field, [&](Column& column) {
        column.copyFrom(source.m_columns[static_cast<std::size_t>(sourceField)], sourceRow, row);
    });
}

void TClientDataSet::endWalk() noexcept
{
    m_cursor = m_view.empty() ? 0 : m_view.size() - 1;
    m_bof = m_view.size() <= 1;
    m_eof = true;
}

void TClientDataSet::ClearIndexDefs()
{
    m_indexDefs.Clear();
    if (!m_indexName.empty()) SetIndexName("");
}

void TClientDataSet::SetIndexName(std::string_view name)
{
    int field = -1;
    bool descending = false;
    if (!name.empty()) {
        int i = m_indexDefs.IndexOf(name);
        if (i < 0) throw Error("索引“" + gbk::display(name) + "”不存在");
        field = FieldIndexOf(m_indexDefs.Items(i).Fields);
        if (Active() && field < 0) throw Error("索引“" + gbk::display(name) + "”的字段不存在");
        descending = m_indexDefs.Items(i).Descending;
    }
    m_indexName = std::string(name);
    if (!Active()) return;
    orderBy(field, descending);
}

} // namespace corvo
