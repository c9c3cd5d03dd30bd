#pragma once

#include "Dictionary.h"
#include "entity/FieldType.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvo::server::schema {

/// A column of a table as the schema, the reader and the writer see it.
struct LayoutColumn {
    DictField field;
    FieldType type = FieldType::String; ///< the client's field type of the SQL type
    int size = 0;                       ///< the client's declared Size
    int join = -1;                      ///< for a joined column: its join in TableLayout::joins
    std::string joinedColumn;           ///< for a joined column: the joined table's column

    bool stored() const noexcept { return join < 0; }
    const std::string& code() const noexcept { return field.code; }
};

/// A table joined to fill display columns: its row is the one whose ObjID is in keyColumn.
struct LayoutJoin {
    std::string table;     ///< joined table, spelled as in the dictionary
    std::string keyColumn; ///< stored column of this table holding the joined row's ObjID
};

/// One table of the dictionary resolved for SQL: all columns in ColOrder, the stored ones
/// and the joins that fill the others. A joined column (IsJoined = 1) is joined the way the
/// client's clause set joins it: an other-parameter column through the TOtherParam row whose
/// ObjID is in the column named by JoinedTable; any other through the JoinedTable row whose
/// ObjID is in the column alias + "ID", where the alias is JoinedTable ("TOwner" for
/// TOwnerName, "TWarehouseIn" for TWarehouseInName).
class TableLayout {
public:
    /// Throws corvo::Error naming the table and column when the table is missing from the
    /// dictionary or one of its columns cannot be used (see validateDictionary).
    static TableLayout resolve(const Dictionary& dictionary, std::string_view tableCode);

    const DictTable& table() const noexcept { return m_table; }
    const std::vector<LayoutColumn>& columns() const noexcept { return m_columns; }
    const std::vector<LayoutJoin>& joins() const noexcept { return m_joins; }
    /// Every column's code, in ColOrder.
    std::vector<std::string> columnCodes() const;
    /// Position of the column of that code (letter case ignored), -1 when absent.
    int columnIndex(std::string_view code) const noexcept;

private:
    DictTable m_table;
    std::vector<LayoutColumn> m_columns;
    std::vector<LayoutJoin> m_joins;
    std::unordered_map<std::string, int> m_byCode; ///< upper-cased code -> position
};

} // namespace corvo::server::schema
