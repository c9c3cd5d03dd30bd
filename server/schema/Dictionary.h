#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::schema {

/// One row of TDictTable: a table of the database. Texts are UTF-8.
struct DictTable {
    std::string objId; ///< GUID text; also the value of the table's first column in every row
    std::string code;  ///< the table's name
    std::string name;  ///< caption
    std::string nameEn;
    int isAutoCoding = 0;
    int isClientTable = 0;

    friend bool operator==(const DictTable&, const DictTable&) = default;
};

/// One row of TDictField: a column of a table. Texts are UTF-8.
struct DictField {
    std::string objId;
    std::string parentId; ///< ObjID of the table
    std::string code;     ///< the column's name, also the client's field name
    std::string name;
    std::string nameEn;
    std::string nameJp;
    int colOrder = 0;
    std::string dataType; ///< SQL type name: "varchar", "uniqueidentifier", "int", ...
    int prec = 0;
    int scale = 0;
    int isVisible = 1;
    int isNullAble = 1;
    int isQuery = 0;
    int isStatus = 0;
    int isJoined = 0; ///< a display column taken from another table: not stored
    std::string joinedTable;
    std::string joinedField;
    std::string joinedType;
    int isOtherParam = 0;
    std::string value;
    int isSort = 0;
    int isUnique = 0;
    int hasGrid = 0;

    friend bool operator==(const DictField&, const DictField&) = default;
};

class TableLayout;

/// The data dictionary: the single description of every table of the database.
struct Dictionary {
    std::vector<DictTable> tables;
    std::vector<DictField> fields;

    Dictionary() = default;
    /// A copy starts without the look-up tables of index(): it may be changed.
    Dictionary(const Dictionary& other);
    Dictionary& operator=(const Dictionary& other);
    Dictionary(Dictionary&&) noexcept = default;
    Dictionary& operator=(Dictionary&&) noexcept = default;

    /// The table of that code (letter case ignored); nullptr when absent.
    const DictTable* findTable(std::string_view code) const noexcept;
    /// The columns of the table of that ObjID, in ascending ColOrder.
    std::vector<const DictField*> columnsOf(std::string_view tableObjId) const;

    /// Builds look-up tables for the calls above and resolves every table's layout once, so
    /// that a dictionary shared by every call of a server finds them without walking the
    /// rows. Changing the rows afterwards needs another index().
    void index();
    /// The table's layout: the one index() resolved, else resolved now. Throws as
    /// TableLayout::resolve.
    std::shared_ptr<const TableLayout> layout(std::string_view tableCode) const;

    friend bool operator==(const Dictionary& a, const Dictionary& b)
    {
        return a.tables == b.tables && a.fields == b.fields;
    }

private:
    struct Index;
    std::shared_ptr<const Index> m_index;
};

/// Puts the rows in the order loadDictionary returns them: tables by code (bytewise),
/// fields by their table in that order, then by ColOrder.
void sortDictionary(Dictionary& dictionary);

/// Checks that the dictionary can be turned into tables: plain identifiers, no duplicate
/// tables, ObjIDs or columns, known SQL types with usable sizes, every table with ObjID and a
/// first column named like itself, and every joined column resolvable (its key column and the
/// joined table and column exist). Throws corvo::Error naming the first fault.
void validateDictionary(const Dictionary& dictionary);

/// True for a name the schema accepts: an ASCII letter or '_' followed by letters, digits or
/// '_', at most 63 bytes.
bool isPlainIdentifier(std::string_view name) noexcept;

} // namespace corvo::server::schema
