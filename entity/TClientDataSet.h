#pragma once

#include "DataSetListener.h"
#include "FieldDefs.h"
#include "TField.h"
#include "Variant.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvo {

namespace internal {
class Column;
class FilterExpr;
class LookupIndex;
} // namespace internal

enum class DataSetState { Inactive, Browse, Edit, Insert };

/// Locate options; they may be combined.
enum LocateOption : unsigned {
    loCaseInsensitive = 1, ///< text compared without regard to letter case
    loPartialKey = 2,      ///< the field's text only has to begin with the value
};

enum class IndexOrder { Ascending, Descending };

/// An opaque identity of a row, valid while the row exists.
struct Bookmark {
    uint32_t row = UINT32_MAX;
    uint32_t generation = 0;

    bool isValid() const noexcept { return row != UINT32_MAX; }
    std::string toText() const;
    /// Nothing when the text is not a bookmark's text.
    static std::optional<Bookmark> fromText(std::string_view text) noexcept;
    friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

/// The typed in-memory table every piece of data in the system lives in: structure, cursor
/// over the visible rows in the active order, editing, search, filter, sort and data packets.
/// Values are stored by column; rows keep their identity (bookmarks) until deleted.
class TClientDataSet {
public:
    TClientDataSet();
    virtual ~TClientDataSet();
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    // Structure
    corvo::FieldDefs& FieldDefs() noexcept { return m_fieldDefs; }
    const corvo::FieldDefs& FieldDefs() const noexcept { return m_fieldDefs; }
    /// Builds an empty table from the declarations and opens it.
    void CreateDataSet();
    /// Closes the table: structure and rows are discarded (Data becomes Null).
    void Close();
    bool Active() const noexcept { return m_state != DataSetState::Inactive; }
    int FieldCount() const noexcept { return static_cast<int>(m_fields.size()); }
    TField& Fields(int index) const;
    /// Throws corvo::Error naming the field when there is none of that name.
    TField& FieldByName(std::string_view name) const;
    TField* FindField(std::string_view name) const noexcept;
    /// Position of the field of that name, -1 when absent.
    int FieldIndexOf(std::string_view name) const noexcept;
    void SetReadOnly(bool readOnly) noexcept { m_readOnly = readOnly; }
    bool ReadOnly() const noexcept { return m_readOnly; }

    // Rows and cursor
    void Append();
    /// Append, one value per field in field order (Null leaves the field empty), and Post in
    /// one step: for loading many rows. The values are converted as SetAsVariant converts them;
    /// a wrong count or a value that does not convert throws corvo::Error and adds nothing.
    void AppendRecord(std::span<const Variant> values);
    void Edit();
    void Post();
    void Delete();
    void EmptyDataSet();
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const noexcept { return m_eof; }
    bool Bof() const noexcept { return m_bof; }
    int RecordCount() const noexcept { return static_cast<int>(m_view.size()); }
    bool IsEmpty() const noexcept { return m_view.empty(); }
    int RecNo() const noexcept;
    void SetRecNo(int recNo);
    DataSetState State() const noexcept { return m_state; }
    Bookmark GetBookmark() const noexcept;
    /// Throws corvo::Error when the row no longer exists or is not visible.
    /// Reading a visible row by its position in the active order (0-based) without moving the
    /// cursor, for grids that paint any row of a large table: the field's text as AsString
    /// reads it, whether it is null, the row's bookmark. Positions outside the view give "",
    /// true and an invalid bookmark.
    std::string TextAt(int position, int field) const;
    bool IsNullAt(int position, int field) const noexcept;
    Bookmark BookmarkAt(int position) const noexcept;
    void GotoBookmark(const Bookmark& bookmark);
    bool BookmarkValid(const Bookmark& bookmark) const noexcept;
    /// -1, 0 or 1 by the rows' positions in the active order.
    int CompareBookmarks(const Bookmark& a, const Bookmark& b) const noexcept;
    void DisableControls() noexcept { ++m_disableCount; }
    void EnableControls();
    bool ControlsDisabled() const noexcept { return m_disableCount > 0; }
    void MergeChangeLog();

    // Search
    bool Locate(std::string_view fieldName, const Variant& value, unsigned options = 0);
    Variant Lookup(std::string_view keyField, const Variant& keyValue,
                   std::string_view resultField);

    // Filter
    const std::string& Filter() const noexcept { return m_filterText; }
    /// Throws corvo::Error (and keeps the earlier filter) when the text is outside the subset.
    void SetFilter(std::string_view text);
    bool Filtered() const noexcept { return m_filtered; }
    void SetFiltered(bool filtered);

    // Sort
    corvo::IndexDefs& IndexDefs() noexcept { return m_indexDefs; }
    const corvo::IndexDefs& IndexDefs() const noexcept { return m_indexDefs; }
    void AddIndex(std::string_view name, std::string_view fieldName, IndexOrder order);
    /// Removes every index definition and deactivates the index.
    void ClearIndexDefs();
    const std::string& IndexName() const noexcept { return m_indexName; }
    /// "" restores the natural order; an unknown name throws corvo::Error.
    void SetIndexName(std::string_view name);

    // Data packets
    /// Ends a pending edit, then the packet of the whole table (Null without structure).
    Variant Data();
    /// Replaces structure and rows; Null closes the table. Throws corvo::Error on a malformed
    /// packet and leaves the table as it was.
    void SetData(const Variant& packet);
    /// The structure and rows of another table, as SetData(other.Data()) would give them,
    /// copied column by column without encoding a packet. An inactive other closes this one.
    void CopyDataFrom(TClientDataSet& other);
    void SaveToStream(std::ostream& stream);
    void LoadFromStream(std::istream& stream);

    // Data sources
    void addListener(DataSetListener* listener);
    void removeListener(DataSetListener* listener) noexcept;

    /// Bytes held by the stored rows, their order and the search indexes.
    std::size_t memoryBytes() const noexcept;

protected:
    // Row-level access for the entity operations: row ids are stable while the row exists.
    uint32_t currentRow() const noexcept;
    const std::vector<uint32_t>& viewRows() const noexcept { return m_view; }
    /// The text of a stored row's field, as AsString reads it.
    std::string rowText(uint32_t row, int field) const;
    Variant rowValue(uint32_t row, int field) const;
    bool rowIsNull(uint32_t row, int field) const noexcept;
    /// A stored numeric value as a float (0 for Null), as AsFloat reads it.
    double rowDouble(uint32_t row, int field) const;
    /// -1, 0 or 1: two stored rows' values of a field in index order (Null first).
    int compareRows(int field, uint32_t a, uint32_t b) const noexcept;
    /// Visits the visible rows in order once and deletes those the predicate picks, with the
    /// cursor and Eof a row-by-row walk ("Delete, or Next") would leave.
    template <typename Pred> void deleteVisibleRowsWhere(Pred pred);
    void deleteRowsByFlag(const std::vector<uint8_t>& deleteAtViewPos);
    /// Moves the cursor to the row; false when it is not visible.
    bool moveToRow(uint32_t row);
    void notify(DataChange change);
    /// Filtered off, the text set, then Filtered on, in one step; a text outside the subset
    /// leaves Filtered off with that text and throws.
    void replaceFilter(std::string_view text);
    /// Stores a value into a stored row without moving it (callers re-sort when needed).
    void writeRowValue(uint32_t row, int field, const Variant& value);
    /// Copies a stored value of another table's field of the same type, without conversion.
    void copyRowValue(uint32_t row, int field, const TClientDataSet& source, uint32_t sourceRow,
                      int sourceField);
    /// The cursor where a walk "from the first row until Eof" leaves it.
    void endWalk() noexcept;
    /// Replaces the index definitions and activates one of them ("" for none) with a
    /// single reordering.
    void resetIndexes(std::vector<IndexDef> defs, std::string_view active);
    void checkActive() const;
    void checkWritable() const;
    /// The stored values of a field, one per stored row (deleted rows included).
    const internal::Column& column(int field) const noexcept;
    /// Per stored row: 1 when it is deleted or the filter hides it.
    std::vector<uint8_t> rowsLeftOut() const;
    /// Deletes the flagged stored rows, drops the index definitions and shows the visible rest
    /// in natural order with the cursor on `current` (the first row when absent).
    void removeRowsUnordered(const std::vector<uint8_t>& rows, std::optional<uint32_t> current);
    /// UpsertAll by ObjID without a Post per field, for an unfiltered writable table; false
    /// (and nothing done) when the row-by-row way must be taken.
    bool upsertAllDirect(TClientDataSet& other);

private:
    friend class TField;

    void openEmpty(std::vector<FieldDef> defs);
    void buildFields();
    void resetRows();
    void checkEditing(const TField& field) const;
    Variant currentValue(int field) const;
    void setBufferValue(int field, Variant value);
    Variant convertForField(int field, const Variant& value) const;
    void loadBuffer(uint32_t row);
    uint32_t storeNewRow();
    void writeRow(uint32_t row);
    template <typename Store> void storeIndexed(uint32_t row, int field, Store&& store);
    void removeRow(uint32_t row);
    bool passesFilter(uint32_t row) const;
    void rebuildView(std::optional<uint32_t> keepRow);
    void orderBy(int field, bool descending);
    bool rowLess(uint32_t a, uint32_t b) const noexcept;
    int activeIndexField() const noexcept;
    bool activeIndexDescending() const noexcept;
    std::size_t viewPositionOf(uint32_t row) const;
    void placeRowInView(uint32_t row);
    bool rowMatches(uint32_t row, int field, const Variant& probe, std::string_view probeText,
                    unsigned options) const;
    std::optional<uint32_t> findRow(int field, const Variant& value, unsigned options);
    internal::LookupIndex* lookupIndex(int field, bool caseInsensitive);
    void clearLookupIndexes() noexcept;
    void setCursorAfterChange(std::size_t position);
    Bytes encodePacket();
    void applyPacket(const Bytes& packet);

    corvo::FieldDefs m_fieldDefs;
    std::vector<std::unique_ptr<TField>> m_fields;
    std::vector<internal::Column> m_columns;
    std::vector<uint8_t> m_deleted; ///< per stored row
    std::size_t m_liveRows = 0;
    std::vector<uint32_t> m_view; ///< visible rows in the active order
    std::size_t m_cursor = 0;     ///< position in m_view
    bool m_bof = true;
    bool m_eof = true;
    DataSetState m_state = DataSetState::Inactive;
    uint32_t m_generation = 0;
    bool m_readOnly = false;

    std::vector<Variant> m_buffer; ///< the row being edited or inserted
    bool m_bufferChanged = false;

    std::string m_filterText;
    bool m_filtered = false;
    std::unique_ptr<internal::FilterExpr> m_filter; ///< set while Filtered is true

    corvo::IndexDefs m_indexDefs;
    std::string m_indexName;
    int m_indexField = -1;
    bool m_indexDescending = false;

    std::vector<std::unique_ptr<internal::LookupIndex>> m_lookups;
    int m_lastGuidFilterField = -1; ///< field of the last GUID equality filter

    std::vector<DataSetListener*> m_listeners;
    int m_disableCount = 0;
    bool m_pendingNotice = false;
};

/// Holds a dataset's controls off for a scope: they hear of its changes once, when it ends
/// (on every way out).
class ControlsDisabled {
public:
    explicit ControlsDisabled(TClientDataSet& dataSet) : m_dataSet(dataSet)
    {
        m_dataSet.DisableControls();
    }
    ~ControlsDisabled() { m_dataSet.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    TClientDataSet& m_dataSet;
};

template <typename Pred> void TClientDataSet::deleteVisibleRowsWhere(Pred pred)
{
    checkWritable();
    MergeChangeLog();
    std::vector<uint8_t> flags(m_view.size(), 0);
    bool any = false;
    for (std::size_t i = 0; i < m_view.size(); ++i)
        if (pred(m_view[i])) flags[i] = 1, any = true;
    if (any) {
        deleteRowsByFlag(flags);
    } else if (!m_view.empty()) {
        m_cursor = m_view.size() - 1;
        m_bof = m_view.size() == 1 ? m_bof : false;
        m_eof = true;
        notify(DataChange::Cursor);
    }
}

} // namespace corvo
