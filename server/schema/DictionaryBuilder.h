#pragma once

#include "Dictionary.h"

#include <string>
#include <string_view>

namespace corvo::server::schema {

/// A GUID text that depends only on the given text: the same on every build and machine, so
/// that every database made from the same description holds the same ObjIDs.
std::string stableGuid(std::string_view seed);

/// Writes a dictionary table by table, column by column, in ColOrder. Captions are given in
/// Chinese (Name) and English (NameEn). A column's ObjID is stableGuid(table ObjID + "." + code).
class DictionaryBuilder {
public:
    /// The last column added, for its flags.
    class Column {
    public:
        Column& hidden();                     ///< IsVisible 0
        Column& required();                   ///< IsNullAble 0
        Column& query(bool fromList = false); ///< IsQuery 1; HasGrid 1 when chosen from a list
        Column& sort();                       ///< IsSort 1
        Column& unique();                     ///< IsUnique 1
        Column& status();                     ///< IsStatus 1: set by the status rules
        /// A reference column's lookup table (JoinedTable without joining).
        Column& lookup(std::string table);

    private:
        friend class DictionaryBuilder;
        Column(Dictionary& d, std::size_t index) : m_dictionary(&d), m_index(index) {}
        DictField& field() { return m_dictionary->fields[m_index]; }

        Dictionary* m_dictionary;
        std::size_t m_index;
    };

    class Table {
    public:
        /// Any SQL type of the dictionary.
        Column add(std::string code, std::string dataType, int prec, int scale, std::string zh,
                   std::string en);
        Column guid(std::string code, std::string zh, std::string en);
        Column text(std::string code, int prec, std::string zh, std::string en);
        Column memo(std::string code, std::string zh, std::string en);
        Column integer(std::string code, std::string zh, std::string en);
        Column money(std::string code, std::string zh, std::string en);
        Column decimal(std::string code, int prec, int scale, std::string zh, std::string en);
        Column dateTime(std::string code, std::string zh, std::string en);
        /// A display column (varchar of prec) showing `field` of the joined table's row.
        Column joined(std::string code, int prec, std::string table, std::string field,
                      std::string zh, std::string en);
        /// A reference to an other parameter of the list named like the column.
        Column otherParam(std::string code, std::string zh, std::string en);
        /// The shown name of the other parameter in `reference`.
        Column otherParamName(std::string code, std::string reference, std::string zh,
                              std::string en);

        /// The first column (named like the table) and ObjID, both hidden.
        Table& keys();
        /// ObjID orders paged queries: for tables without a number of their own, such as lines.
        Table& sortByIdentifier();
        /// TOwnerID, the owning organisation, set by the status rules, and its name.
        Table& owner();
        /// StatusID, the validity, set by the status rules, and its name.
        Table& validity();

    private:
        friend class DictionaryBuilder;
        Table(DictionaryBuilder& b, std::size_t index) : m_builder(&b), m_index(index) {}

        DictionaryBuilder* m_builder;
        std::size_t m_index;
    };

    enum class Coding { Typed, Automatic };
    enum class Copy { ServerOnly, Client };

    Table table(std::string objId, std::string code, std::string zh, std::string en, Coding coding,
                Copy copy);
    Dictionary take() { return std::move(m_dictionary); }

private:
    Dictionary m_dictionary;
    std::vector<int> m_nextOrder; ///< per table
};

} // namespace corvo::server::schema
