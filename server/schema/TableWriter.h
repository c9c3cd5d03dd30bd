#pragma once

#include "Dictionary.h"
#include "TableLayout.h"
#include "server/storage/Database.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::server::schema {

/// A column's value in storage form (texts UTF-8).
struct ColumnValue {
    std::string column;
    storage::Value value;
};
using Record = std::vector<ColumnValue>;

/// Inserts one row. The columns must be stored columns of the table, each named once; ObjID
/// is required; the first column (named like the table) always receives the table's ObjID.
/// Values are checked and converted as the column needs (length in GBK bytes,
/// GUID text, integer range, scale). Throws corvo::Error naming the table and column.
void insertRecord(storage::Transaction& tx, const TableLayout& layout, const Record& record);

/// Inserts every visible row of a client dataset (texts GBK) into the table. Each field must
/// be a column of the table in the dictionary; joined display columns are not stored and are
/// left out. Returns the number of rows inserted. On an error the rows inserted before it stay
/// in the transaction, which the caller then does not commit.
int insertRows(storage::Transaction& tx, const Dictionary& dictionary, std::string_view table,
               TClientDataSet& rows);

} // namespace corvo::server::schema
