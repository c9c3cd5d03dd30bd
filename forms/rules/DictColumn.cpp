#include "DictColumn.h"

#include "entity/TClientDataSet.h"

#include <charconv>

namespace corvo::forms {
namespace {

// The columns of TDictField found once per walk: a panel reads every row several times.
// Dictionaries arrive from other servers and older caches: a column may be absent or hold
// text where a number is expected; both read as "not set".
class Reader {
public:
    Reader(TClientDataSet& ds, const std::string& languageColumn)
        : m_parentId(ds.FindField("ParentID")), m_code(ds.FindField("Code")),
          m_name(ds.FindField("Name")), m_caption(ds.FindField(languageColumn)),
          m_dataType(ds.FindField("DataType")), m_prec(ds.FindField("Prec")),
          m_isVisible(ds.FindField("IsVisible")), m_isNullAble(ds.FindField("IsNullAble")),
          m_isQuery(ds.FindField("IsQuery")), m_isStatus(ds.FindField("IsStatus")),
          m_isJoined(ds.FindField("IsJoined")), m_isOtherParam(ds.FindField("IsOtherParam")),
          m_hasGrid(ds.FindField("HasGrid")), m_isSort(ds.FindField("IsSort")),
          m_value(ds.FindField("Value")), m_joinedTable(ds.FindField("JoinedTable")),
          m_joinedField(ds.FindField("JoinedField"))
    {
    }

    DictColumn read() const
    {
        DictColumn c;
        c.parentId = text(m_parentId);
        c.code = text(m_code);
        c.name = text(m_name);
        c.caption = m_caption ? text(m_caption) : c.name;
        c.dataType = text(m_dataType);
        c.prec = number(m_prec, 0);
        c.isVisible = number(m_isVisible, 0);
        c.isNullAble = number(m_isNullAble, 1);
        c.isQuery = number(m_isQuery, 0);
        c.isStatus = number(m_isStatus, 0);
        c.isJoined = number(m_isJoined, 0);
        c.isOtherParam = number(m_isOtherParam, 0);
        c.hasGrid = number(m_hasGrid, 0);
        c.isSort = number(m_isSort, 0);
        c.value = text(m_value);
        c.joinedTable = text(m_joinedTable);
        c.joinedField = text(m_joinedField);
        return c;
    }

private:
    static std::string text(const TField* f) { return f ? f->AsString() : std::string(); }

    static int number(const TField* f, int absent)
    {
        if (!f || f->IsNull()) return absent;
        if (f->DataType() == FieldType::Integer || f->DataType() == FieldType::Smallint)
            return static_cast<int>(f->AsInteger());
        const std::string t = f->AsString();
        int value = absent;
        const char* end = t.data() + t.size();
        if (t.empty() || std::from_chars(t.data(), end, value).ptr != end) return absent;
        return value;
    }

    TField *m_parentId, *m_code, *m_name, *m_caption, *m_dataType, *m_prec, *m_isVisible,
        *m_isNullAble, *m_isQuery, *m_isStatus, *m_isJoined, *m_isOtherParam, *m_hasGrid, *m_isSort,
        *m_value, *m_joinedTable, *m_joinedField;
};

} // namespace

DictColumn readDictColumn(TClientDataSet& dictField, const std::string& languageColumn)
{
    return Reader(dictField, languageColumn).read();
}

std::vector<DictColumn> selectedColumns(TClientDataSet& dictField,
                                        const std::string& languageColumn)
{
    std::vector<DictColumn> columns;
    if (!dictField.Active()) return columns;
    const Reader reader(dictField, languageColumn);
    columns.reserve(static_cast<std::size_t>(dictField.RecordCount()));
    for (dictField.First(); !dictField.Eof(); dictField.Next())
        columns.push_back(reader.read());
    return columns;
}

} // namespace corvo::forms
