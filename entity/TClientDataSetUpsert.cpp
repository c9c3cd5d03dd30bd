// UpsertAll without a Post per field: the rows, their order and the cursor end as the
// row-by-row UpsertRecord leaves them, at a fraction of the cost on large tables.
#include "Gbk.h"
#include "TClientDataSet.h"
#include "internal/Column.h"
#include "internal/FilterExpr.h"
#include "internal/LookupIndex.h"

#include <cstring>

namespace corvo {

using internal::lookupHashOfRow;

namespace {

/// How one field of Other reaches this entity's field.
enum class Transfer : uint8_t {
    None,      ///< no field of that name here
    Direct,    ///< same type and representation: the stored value is copied
    Converted, ///< through a variant (existing rows) or the text (new rows)
};

bool sameRepresentation(const FieldDef& from, const FieldDef& to)
{
    if (from.DataType != to.DataType) return false;
    switch (to.DataType) {
    case FieldType::String:
    case FieldType::WideString:
    case FieldType::Bytes:
    case FieldType::VarBytes:
        return to.Size == 0 || (from.Size != 0 && from.Size <= to.Size);
    case FieldType::BCD:
        return from.Size == to.Size;
    default:
        return true;
    }
}

} // namespace

bool TClientDataSet::upsertAllDirect(TClientDataSet& other)
{
    // With a filter the row-by-row path can move the cursor between its posts; keep it exact.
    const int objField = FieldIndexOf("ObjID");
    if (&other == this || objField < 0 || m_filter || !Active() || m_readOnly || !other.Active())
        return false;
    const int otherObjField = other.FieldByName("ObjID").Index();
    MergeChangeLog();
    other.MergeChangeLog();

    const int count = other.FieldCount();
    std::vector<int> target(static_cast<std::size_t>(count), -1);
    std::vector<Transfer> transfer(static_cast<std::size_t>(count), Transfer::None);
    for (int i = 0; i < count; ++i) {
        int t = FieldIndexOf(other.Fields(i).FieldName());
        target[static_cast<std::size_t>(i)] = t;
        if (t >= 0)
            transfer[static_cast<std::size_t>(i)] =
                sameRepresentation(other.FieldDefs().Items(i), FieldDefs().Items(t))
                    ? Transfer::Direct
                    : Transfer::Converted;
    }
    const auto& idColumn = m_columns[static_cast<std::size_t>(objField)];
    const auto& otherIdColumn = other.m_columns[static_cast<std::size_t>(otherObjField)];
    const bool guidIds =
        idColumn.type() == FieldType::Guid && otherIdColumn.type() == FieldType::Guid;

    const corvo::ControlsDisabled quiet(*this);

    auto sameId = [&](uint32_t row, uint32_t otherRow) {
        if (idColumn.isNull(row) || otherIdColumn.isNull(otherRow))
            return idColumn.isNull(row) && otherIdColumn.isNull(otherRow);
        return std::memcmp(idColumn.guidBytesAt(row), otherIdColumn.guidBytesAt(otherRow), 16) == 0;
    };
    // FindRecord: the current row when it already holds the ObjID, else the first match.
    auto findById = [&](uint32_t otherRow) -> std::optional<uint32_t> {
        if (!guidIds) {
            const std::string id = other.rowText(otherRow, otherObjField);
            if (!m_view.empty() &&
                gbk::equalsIgnoreCase(gbk::trim(rowText(m_view[m_cursor], objField)),
                                      gbk::trim(id)))
                return m_view[m_cursor];
            return findRow(objField, Variant(id), loCaseInsensitive);
        }
        if (!m_view.empty() && sameId(m_view[m_cursor], otherRow)) return m_view[m_cursor];
        std::optional<uint32_t> best;
        lookupIndex(objField, false)
            ->forEach(lookupHashOfRow(otherIdColumn, otherRow, false), [&](uint32_t r) {
                if (!m_deleted[r] && sameId(r, otherRow) && (!best || rowLess(r, *best))) best = r;
                return true;
            });
        return best;
    };

    const std::vector<uint32_t> otherRows = other.m_view;
    for (uint32_t otherRow : otherRows) {
        if (std::optional<uint32_t> found = findById(otherRow)) {
            const uint32_t row = *found;
            const std::size_t pos = viewPositionOf(row);
            for (int i = 0; i < count; ++i) {
                const int t = target[static_cast<std::size_t>(i)];
                if (transfer[static_cast<std::size_t>(i)] == Transfer::Direct)
                    copyRowValue(row, t, other, otherRow, i);
                else if (transfer[static_cast<std::size_t>(i)] == Transfer::Converted)
                    writeRowValue(row, t, other.rowValue(otherRow, i));
            }
            const bool inOrder = (pos == 0 || rowLess(m_view[pos - 1], row)) &&
                                 (pos + 1 >= m_view.size() || rowLess(row, m_view[pos + 1]));
            if (inOrder) {
                m_cursor = pos;
            } else {
                m_view.erase(m_view.begin() + static_cast<std::ptrdiff_t>(pos));
                placeRowInView(row);
            }
        } else {
            const uint32_t row = storeNewRow();
            for (const auto& l : m_lookups)
                l->insert(lookupHashOfRow(m_columns[static_cast<std::size_t>(l->field())], row,
                                          l->caseInsensitive()),
                          row);
            for (int i = 0; i < count; ++i) {
                const int t = target[static_cast<std::size_t>(i)];
                if (t < 0) continue;
                // New rows take Other's texts; floats and dates would lose digits there, so
                // only types whose text is exact are copied directly.
                const FieldType type = other.FieldDefs().Items(i).DataType;
                if (transfer[static_cast<std::size_t>(i)] == Transfer::Direct &&
                    type != FieldType::Float && type != FieldType::DateTime)
                    copyRowValue(row, t, other, otherRow, i);
                else
                    writeRowValue(row, t, Variant(other.rowText(otherRow, i)));
            }
            placeRowInView(row);
        }
        m_bof = m_eof = false;
        notify(DataChange::Rows);
    }
    other.endWalk();
    return true;
}

} // namespace corvo
