#pragma once

// Small builders shared by the entity tests: a table from a column list, rows from texts,
// and a column read back in the visible order.
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::test {

/// GBK bytes of a UTF-8 literal.
inline std::string G(std::string_view utf8)
{
    return gbk::fromUtf8(utf8);
}

struct Column {
    std::string name;
    FieldType type;
    int size = 0;
};

inline void build(TClientDataSet& ds, std::initializer_list<Column> columns)
{
    ds.FieldDefs().Clear();
    for (const Column& c : columns)
        ds.FieldDefs().Add(c.name, c.type, c.size);
    ds.CreateDataSet();
}

/// Appends one row; a missing value (nullopt) leaves the field Null.
inline void addRow(TClientDataSet& ds, std::initializer_list<std::optional<std::string>> values)
{
    ds.Append();
    int i = 0;
    for (const auto& v : values) {
        if (v) ds.Fields(i).SetAsString(*v);
        ++i;
    }
    ds.Post();
}

/// The texts of a field over the visible rows in the active order (moves the cursor).
inline std::vector<std::string> column(TClientDataSet& ds, std::string_view field)
{
    std::vector<std::string> out;
    for (ds.First(); !ds.Eof(); ds.Next())
        out.push_back(ds.FieldByName(field).AsString());
    return out;
}

inline std::string current(const TClientDataSet& ds, std::string_view field)
{
    return ds.FieldByName(field).AsString();
}

/// Keys "1".."n" in a one-field table named Key.
inline void buildNumbered(TClientDataSet& ds, int rows)
{
    build(ds, {{"Key", FieldType::String, 10}});
    for (int i = 1; i <= rows; ++i)
        addRow(ds, {std::to_string(i)});
}

} // namespace corvo::test
