#pragma once

#include "server/schema/TableLayout.h"
#include "server/storage/Database.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvo {
class Variant;
}

namespace corvo::server {

/// One row a client sent, converted as its table stores it.
struct WrittenRow {
    std::vector<storage::Value> values; ///< by layout column position; Null when not sent
    std::vector<char> sent;             ///< by layout column position: the client sent it
    std::vector<char> written;          ///< by layout column position: the call stores it
};

/// Rows of one table, as one packet row carried them.
struct WrittenRows {
    std::string table; ///< spelled as in the dictionary
    std::shared_ptr<const schema::TableLayout> layout;
    std::vector<WrittenRow> rows;

    /// Layout position of a column, -1 when the table has none.
    int column(std::string_view code) const noexcept { return layout->columnIndex(code); }
    /// The value of a column in a row; Null when the table has no such column.
    const storage::Value& value(const WrittenRow& row, std::string_view code) const;
    /// A text value (GUIDs, codes); empty for Null.
    std::string text(const WrittenRow& row, std::string_view code) const;
    void set(WrittenRow& row, std::string_view code, storage::Value value) const;
    /// The column is not stored by the call (the stored value stays).
    void keep(WrittenRow& row, std::string_view code) const;
    const schema::LayoutColumn& at(int position) const
    {
        return layout->columns()[static_cast<std::size_t>(position)];
    }
};

/// The most rows one packet row of a write call may carry.
inline constexpr std::size_t MaxRowsPerWrite = 10000;

/// The rows of a data packet (at most MaxRowsPerWrite): the table its first field names, every
/// field a column of that table, each value checked and converted as the column stores it. Joined
/// display columns are read by nobody and dropped. Throws corvo::Error naming the table and column,
/// or
/// "[what]的表[table]不存在" when the first field names no table.
WrittenRows sentRows(const schema::Dictionary& dictionary, const Variant& packet,
                     std::string_view what);

/// The text of a stored value; empty for Null.
std::string textOf(const storage::Value& value);

} // namespace corvo::server
