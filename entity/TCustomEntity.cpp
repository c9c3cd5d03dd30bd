// Entity operations: validity, search, filters, sorting and field display.
#include "TCustomEntity.h"

#include "Error.h"
#include "Gbk.h"

namespace corvo {

namespace {

bool isClearMode(std::string_view mode)
{
    return gbk::equalsIgnoreCase(mode, "Clear");
}

} // namespace

std::string QuotedFilterValue(std::string_view value)
{
    std::string out = "'";
    for (char c : value) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

namespace {

/// "(" + F + op + Q(V) + ")"
std::string comparisonTerm(std::string_view field, std::string_view op, std::string_view value)
{
    std::string term = "(";
    term += field;
    term += op;
    term += QuotedFilterValue(value);
    term += ')';
    return term;
}

} // namespace

TCustomEntity::~TCustomEntity()
{
    EntityList = nullptr;
}

bool TCustomEntity::IsFieldValue(std::string_view field, std::string_view value)
{
    return FieldByName(field).AsString() == value;
}

bool TCustomEntity::CheckValid()
{
    static const std::string Prefix = "在进行有效性检查时发现实体";
    std::string name = FieldCount() > 0 ? gbk::display(Fields(0).FieldName()) : std::string();
    if (RecordCount() == 0) throw Error(Prefix + name + "为空！");
    if (FieldCount() == 0) throw Error(Prefix + name + "的字段数为零！");
    return true;
}

// ---------------------------------------------------------------------------------------
// Sorting

bool TCustomEntity::SortAsc(std::string_view field, std::string_view mode)
{
    const std::string name = std::string(field) + "ASC";
    if (!IndexName().empty() && gbk::equalsIgnoreCase(IndexName(), name)) return true;
    std::vector<IndexDef> defs;
    if (IndexDefs().Count() <= 1 && !isClearMode(mode))
        for (int i = 0; i < IndexDefs().Count(); ++i)
            defs.push_back(IndexDefs().Items(i));
    FieldByName(field);
    std::erase_if(defs, [&](const IndexDef& d) { return gbk::equalsIgnoreCase(d.Name, name); });
    defs.push_back(IndexDef{name, std::string(field), false});
    resetIndexes(std::move(defs), name);
    return true;
}

bool TCustomEntity::SortDesc(std::string_view field, std::string_view mode)
{
    const std::string name = std::string(field) + "Desc";
    std::vector<IndexDef> defs;
    if (IndexDefs().Count() <= 1 && !isClearMode(mode))
        for (int i = 0; i < IndexDefs().Count(); ++i)
            defs.push_back(IndexDefs().Items(i));
    FieldByName(field);
    std::erase_if(defs, [&](const IndexDef& d) { return gbk::equalsIgnoreCase(d.Name, name); });
    defs.push_back(IndexDef{name, std::string(field), true});
    resetIndexes(std::move(defs), name);
    return true;
}

bool TCustomEntity::ClearSort()
{
    resetIndexes({}, "");
    return true;
}

bool TCustomEntity::SortAscKeepLast(std::string_view field, std::string_view mode)
{
    if (isClearMode(mode)) ClearSort();
    FieldByName(field);
    std::vector<IndexDef> defs;
    for (int i = 0; i < IndexDefs().Count(); ++i)
        defs.push_back(IndexDefs().Items(i));
    for (int i = 0; i < IndexDefs().Count(); ++i) {
        const IndexDef& d = IndexDefs().Items(i);
        if (d.Name.size() < 3) continue;
        std::string base = d.Name.substr(0, d.Name.size() - 3);
        int pos = FieldIndexOf(base);
        if (pos <= 0) continue;
        bool ascending = gbk::equalsIgnoreCase(d.Name.substr(d.Name.size() - 3), "ASC");
        defs.clear();
        if (!gbk::equalsIgnoreCase(base, field))
            defs.push_back(IndexDef{base + (ascending ? "ASC" : "DSC"), base, !ascending});
        break;
    }
    const std::string name = std::string(field) + "ASC";
    std::erase_if(defs, [&](const IndexDef& d) { return gbk::equalsIgnoreCase(d.Name, name); });
    defs.push_back(IndexDef{name, std::string(field), false});
    resetIndexes(std::move(defs), name);
    return true;
}

// ---------------------------------------------------------------------------------------
// Search

bool TCustomEntity::findCurrentOrLocate(std::string_view field, std::string_view value,
                                        unsigned options)
{
    TField& f = FieldByName(field);
    if (gbk::equalsIgnoreCase(gbk::trim(f.AsString()), gbk::trim(value))) return true;
    return Locate(field, Variant(value), options);
}

bool TCustomEntity::FindRecord(std::string_view field, std::string_view value)
{
    return findCurrentOrLocate(field, value, loCaseInsensitive);
}

bool TCustomEntity::FindRecordCase(std::string_view field, std::string_view value)
{
    return findCurrentOrLocate(field, value, 0);
}

bool TCustomEntity::FindRecordPartial(std::string_view field, std::string_view value)
{
    return findCurrentOrLocate(field, value, loCaseInsensitive | loPartialKey);
}

bool TCustomEntity::NotFound(std::string_view field, std::string_view value)
{
    return !FindRecord(field, value);
}

bool TCustomEntity::FindByObjID(TClientDataSet& other)
{
    return FindRecord("ObjID", other.FieldByName("ObjID").AsString());
}

bool TCustomEntity::LookupText(std::string_view keyField, std::string_view value, std::string& out,
                               std::string_view resultField)
{
    TField& key = FieldByName(keyField);
    TField& result = FieldByName(resultField);
    if (gbk::equalsIgnoreCase(gbk::trim(key.AsString()), gbk::trim(value))) {
        out = result.AsString();
        return true;
    }
    out = Lookup(keyField, Variant(value), resultField).toText();
    return true;
}

// ---------------------------------------------------------------------------------------
// Filters

bool TCustomEntity::setFilterText(std::string text)
{
    replaceFilter(text);
    return true;
}

bool TCustomEntity::FilterEqual(std::string_view field, std::string_view value)
{
    setFilterText(comparisonTerm(field, "=", value));
    return RecordCount() > 0;
}

bool TCustomEntity::FilterLike(std::string_view field, std::string_view value)
{
    setFilterText(comparisonTerm(field, " like ", value));
    return RecordCount() > 0;
}

bool TCustomEntity::FilterAtLeast(std::string_view field, std::string_view value)
{
    setFilterText(comparisonTerm(field, ">=", value));
    return RecordCount() > 0;
}

bool TCustomEntity::FilterAtMost(std::string_view field, std::string_view value)
{
    setFilterText(comparisonTerm(field, "<=", value));
    return RecordCount() > 0;
}

bool TCustomEntity::andFilter(std::string_view op, std::string_view field, std::string_view value)
{
    std::string term = comparisonTerm(field, op, value);
    const std::string& earlier = Filter();
    return setFilterText(gbk::trim(earlier).empty() ? term : earlier + " and " + term);
}

bool TCustomEntity::AndFilterEqual(std::string_view field, std::string_view value)
{
    return andFilter("=", field, value);
}

bool TCustomEntity::AndFilterAtLeast(std::string_view field, std::string_view value)
{
    return andFilter(">=", field, value);
}

bool TCustomEntity::AndFilterAtMost(std::string_view field, std::string_view value)
{
    return andFilter("<=", field, value);
}

std::string TCustomEntity::eitherTerm(std::string_view field, std::string_view value) const
{
    auto comma = value.find(',');
    if (comma == std::string_view::npos) return comparisonTerm(field, "=", value);
    std::string term = "(";
    term += field;
    term += '=';
    term += QuotedFilterValue(value.substr(0, comma));
    term += " or ";
    term += field;
    term += '=';
    term += QuotedFilterValue(value.substr(comma + 1));
    term += ')';
    return term;
}

bool TCustomEntity::AndFilterEither(std::string_view field, std::string_view value)
{
    std::string term = eitherTerm(field, value);
    const std::string& earlier = Filter();
    return setFilterText(gbk::trim(earlier).empty() ? term : earlier + " and " + term);
}

bool TCustomEntity::OrFilterEither(std::string_view field, std::string_view value)
{
    std::string term = eitherTerm(field, value);
    const std::string& earlier = Filter();
    return setFilterText(gbk::trim(earlier).empty() ? term : earlier + " or " + term);
}

bool TCustomEntity::ClearFilter()
{
    SetFiltered(false);
    SetFilter("");
    return true;
}

bool TCustomEntity::FilterByValuesOf(TClientDataSet& other, std::string_view keyField,
                                     std::string_view otherField)
{
    SetFiltered(false);
    SetFilter("");
    std::string text;
    TField& source = other.FieldByName(otherField);
    const std::string term = " or " + std::string(keyField) + "=";
    other.First();
    for (int i = 0, n = other.RecordCount(); i < n; ++i) {
        text += term + QuotedFilterValue(source.AsString());
        other.Next();
    }
    return setFilterText(text.size() > 3 ? text.substr(3) : std::string());
}

bool TCustomEntity::FilterNotIn(TClientDataSet& other)
{
    SetFiltered(false);
    TField& key = Fields(1);
    const std::string name = key.FieldName();
    std::string text;
    // One pass over the rows; the look-ups in Other are hashed.
    First();
    for (int i = 0, n = RecordCount(); i < n; ++i) {
        std::string value = key.AsString();
        if (!other.Locate(name, Variant(value), loCaseInsensitive))
            text += " or " + name + "=" + QuotedFilterValue(value);
        Next();
    }
    return setFilterText(text.size() > 3 ? text.substr(3) : std::string());
}

// ---------------------------------------------------------------------------------------
// Field display

bool TCustomEntity::ShowFirstFields(int count)
{
    for (int i = 0; i < FieldCount(); ++i)
        Fields(i).SetVisible(i < count);
    return true;
}

bool TCustomEntity::SetFieldRangeVisible(std::string_view firstField, std::string_view lastField,
                                         bool visible)
{
    int first = FieldByName(firstField).Index();
    int last = FieldByName(lastField).Index();
    for (int i = first; i <= last; ++i)
        Fields(i).SetVisible(visible);
    return true;
}

bool TCustomEntity::AppendVisibleValues(TClientDataSet& other)
{
    Append();
    int j = 0;
    const int otherCount = other.FieldCount();
    for (int i = 0; i < otherCount; ++i) {
        TField& source = other.Fields(i);
        if (!source.Visible()) continue;
        TField& target = Fields(j++);
        target.SetAsString(source.AsString());
        target.SetDisplayWidth(source.DisplayWidth());
        target.SetVisible(true);
        if (i == otherCount - 1)
            for (int k = j; k < FieldCount(); ++k)
                Fields(k).SetVisible(false);
    }
    Post();
    return true;
}

bool TCustomEntity::AppendVisibleValuesAll(TClientDataSet& other)
{
    other.First();
    while (!other.Eof()) {
        AppendVisibleValues(other);
        other.Next();
    }
    return true;
}

bool TCustomEntity::AppendVisibleNames(TClientDataSet& other)
{
    Append();
    int j = 0;
    for (int i = 0; i + 1 < other.FieldCount(); ++i) {
        TField& source = other.Fields(i);
        if (!source.Visible()) continue;
        TField& target = Fields(j++);
        target.SetAsString(source.FieldName());
        target.SetVisible(true);
    }
    for (int k = j; k < FieldCount(); ++k)
        Fields(k).SetVisible(false);
    Post();
    return true;
}

bool TCustomEntity::CopyVisibleLabels(TClientDataSet& other)
{
    int j = 0;
    for (int i = 0; i < other.FieldCount() && j < FieldCount(); ++i) {
        TField& source = other.Fields(i);
        if (!source.Visible()) continue;
        TField& target = Fields(j++);
        target.SetDisplayLabel(source.DisplayLabel());
        target.SetVisible(true);
    }
    for (int k = j; k < FieldCount(); ++k)
        Fields(k).SetVisible(false);
    return true;
}

bool TCustomEntity::ReturnTrue()
{
    return true;
}

} // namespace corvo
