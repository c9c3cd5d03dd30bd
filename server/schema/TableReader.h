#pragma once

#include "Dictionary.h"
#include "Ownership.h"
#include "TableLayout.h"
#include "server/storage/Database.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::server::schema {

/// Which rows to read. `where` is a condition over the columns of the result (the
/// dictionary's column codes, joined display columns included), each written in double
/// quotes (letter case ignored), and every value a "?" bound from `params` (storage values:
/// texts UTF-8); empty = all rows. Only and, or, not, like, in, is, null, between and escape
/// may stand unquoted; anything else is refused with corvo::Error.
struct TableQuery {
    std::string where;
    std::vector<storage::Value> params;
    /// The company's scope (scopedRead), written by the server itself: applied to the stored
    /// rows and to every join, so neither the rows nor their display columns reach another
    /// company. Empty: no scope.
    ScopedRead owner = {};
};

/// Gives the dataset the structure the client builds for the table: one field per dictionary
/// column in ColOrder, named by Code, of the type SQLTypeToFieldType gives, with the Size of
/// the client's rule (texts Prec, float and BCD Scale, GUIDs 38, others 0). Rows are dropped.
void buildClientStructure(const TableLayout& layout, TClientDataSet& out);

/// The statement readTable runs: the stored columns, the joined columns through LEFT JOINs,
/// the condition applied to the result and the rows ordered by the sort columns, then ObjID.
/// With an owner scope, its join conditions join and its main condition limits the stored rows.
std::string selectStatement(const TableLayout& layout, std::string_view where,
                            const ScopedRead& owner = {});

/// The rows readTable reads, as the storage gives them: one value per column of the layout, in
/// its order. Throws corvo::Error as readTable does.
storage::Rows readRows(storage::Transaction& tx, const TableLayout& layout,
                       const TableQuery& query);

/// Reads the rows of a table into `out` with the client's structure; texts become GBK,
/// date-times and numbers the field's values. `out` keeps its earlier content when the read
/// fails (corvo::Error from the dictionary, the storage or a value that does not convert).
void readTable(storage::Transaction& tx, const Dictionary& dictionary, std::string_view table,
               const TableQuery& query, TClientDataSet& out);

/// Fetched rows of a statement over the table as a client dataset: one field per named result
/// column in that order, typed and sized as the client builds the table's column of that
/// name (letter case ignored); a name that is no column of the table becomes a text field of
/// 255 bytes. Values are converted as readTable converts them.
void rowsToDataSet(const TableLayout& layout, const std::vector<std::string>& columns,
                   const storage::Rows& rows, TClientDataSet& out);
/// The same rows as the dataset's data packet, for a reply that only passes them on.
Variant rowsToPacket(const TableLayout& layout, const std::vector<std::string>& columns,
                     const storage::Rows& rows);

} // namespace corvo::server::schema
