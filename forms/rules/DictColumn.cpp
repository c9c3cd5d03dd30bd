#include "DictColumn.h"

#include "entity/TClientDataSet.h"

#include <charconv>

namespace corvo::forms {
namespace {

// Dictionaries arrive from other servers and older caches: a column may be absent or hold
// text where a number is expected; both read as "not set".
std::string text(TClientDataSet& ds, std::string_view field)
{
    TField* f = ds.FindField(field);
    return f ? f->AsString() : std::string();
}

int number(TClientDataSet& ds, std::string_view field, int absent)
{
    const std::string t = text(ds, field);
    int value = absent;
    const char* end = t.data() + t.size();
    if (t.empty() || std::from_chars(t.data(), end, value).ptr != end) return absent;
    return value;
}

} // namespace

DictColumn readDictColumn(TClientDataSet& dictField, const std::string& languageColumn)
{
    DictColumn c;
    c.parentId = text(dictField, "ParentID");
    c.code = text(dictField, "Code");
    c.name = text(dictField, "Name");
    c.caption = dictField.FindField(languageColumn) ? text(dictField, languageColumn) : c.name;
    c.dataType = text(dictField, "DataType");
    c.prec = number(dictField, "Prec", 0);
    c.isVisible = number(dictField, "IsVisible", 0);
    c.isNullAble = number(dictField, "IsNullAble", 1);
    c.isQuery = number(dictField, "IsQuery", 0);
    c.isStatus = number(dictField, "IsStatus", 0);
    c.isJoined = number(dictField, "IsJoined", 0);
    c.isOtherParam = number(dictField, "IsOtherParam", 0);
    c.hasGrid = number(dictField, "HasGrid", 0);
    c.value = text(dictField, "Value");
    c.joinedTable = text(dictField, "JoinedTable");
    c.joinedField = text(dictField, "JoinedField");
    return c;
}

std::vector<DictColumn> selectedColumns(TClientDataSet& dictField,
                                        const std::string& languageColumn)
{
    std::vector<DictColumn> columns;
    if (!dictField.Active()) return columns;
    columns.reserve(static_cast<std::size_t>(dictField.RecordCount()));
    for (dictField.First(); !dictField.Eof(); dictField.Next())
        columns.push_back(readDictColumn(dictField, languageColumn));
    return columns;
}

} // namespace corvo::forms
