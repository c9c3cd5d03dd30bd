#include "LookupLists.h"

#include "LocalStore.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntityList.h"

namespace corvo::forms {
namespace {

const std::string OtherParam = "TOtherParam";

[[noreturn]] void missingTable(std::string_view table)
{
    throw Error("本地SCB参数[" + gbk::display(table) + "]不存在，请与系统管理员联系！");
}

[[noreturn]] void missingParameters()
{
    throw Error("系统发现参数表不存在，请重新登陆本系统！");
}

std::string displayField(TClientDataSet& rows, const std::string& languageColumn)
{
    return rows.FindField(languageColumn) ? languageColumn : std::string("Name");
}

void loadSorted(LookupTarget& box, TCustomEntity& rows, const LookupContext& context,
                bool withHelpIndex = true)
{
    rows.SortAsc("Code", "Clear");
    box.load(rows, "ObjID", withHelpIndex ? "HelpIndex" : "", "Code",
             displayField(rows, context.languageColumn));
}

const DictColumn* findColumn(const LookupContext& context, std::string_view code)
{
    for (const DictColumn& c : context.columns)
        if (gbk::equalsIgnoreCase(c.code, code)) return &c;
    return nullptr;
}

bool loadFile(LookupContext& context, const std::string& name, TCustomEntity& into)
{
    return context.store.exists(name) && context.store.load(name, into);
}

// The named entity of the registry, registered and loaded from its file.
TCustomEntity& registeredFromFile(LookupContext& context, const std::string& name)
{
    context.registry.AddEntity(name);
    TCustomEntity& entity = context.registry.EntityByName(name);
    if (!loadFile(context, name, entity)) missingTable(name);
    return entity;
}

TCustomEntity& otherParameters(LookupContext& context)
{
    if (context.registry.HasRows(OtherParam)) return context.registry.EntityByName(OtherParam);
    if (!context.store.exists(OtherParam)) missingParameters();
    context.registry.AddEntity(OtherParam);
    TCustomEntity& entity = context.registry.EntityByName(OtherParam);
    if (!context.store.load(OtherParam, entity)) missingParameters();
    return entity;
}

std::string withoutLast(std::string_view text, std::size_t count)
{
    return std::string(text.substr(0, text.size() > count ? text.size() - count : 0));
}

} // namespace

void FillLookupCombo(LookupTarget& box, std::string_view tableName, LookupContext& context)
{
    const std::string table(tableName);
    if (context.registry.HasRows(table)) {
        box.clear();
        loadSorted(box, context.registry.EntityByName(table), context);
        return;
    }
    if (table.empty()) return;
    const char first = table[0];
    if (first == 't' || first == 'T') {
        TCustomEntity rows;
        if (context.store.exists(table)) {
            box.clear();
            if (context.store.load(table, rows)) loadSorted(box, rows, context);
            return;
        }
        const DictColumn* joined = findColumn(context, table + "Name");
        if (!joined || joined->isJoined != 1) missingTable(table);
        if (context.store.exists(joined->joinedTable)) {
            box.clear();
            if (context.store.load(joined->joinedTable, rows)) loadSorted(box, rows, context);
        }
    } else if (first == 'm' || first == 'M') {
        const DictColumn* joined = findColumn(context, table + "Name");
        if (!joined || joined->isJoined != 1) missingTable(table);
        if (!context.store.exists(joined->joinedField)) return;
        box.clear();
        TCustomEntity kinds;
        if (!context.store.load(joined->joinedField, kinds)) return;
        const bool found = kinds.FindRecord("Code", table);
        TCustomEntity rows;
        if (!loadFile(context, joined->joinedTable, rows)) missingTable(table);
        // No kind of that code: no row belongs to it.
        rows.KeepEqual(joined->joinedField + "ID", found ? GetObjID(kinds) : std::string());
        loadSorted(box, rows, context, false);
    }
}

void FillOtherParamCombo(LookupTarget& box, std::string_view type, LookupContext& context)
{
    auto& registry = context.registry;
    registry.AddEntity("TScbTemp");
    TCustomEntity& values = registry.EntityByName("TScbTemp");
    if (!registry.HasRows("TScbTemp")) {
        if (registry.HasRows(OtherParam)) {
            values.CopyFrom(registry.EntityByName(OtherParam));
        } else {
            if (!context.store.exists(OtherParam)) missingParameters();
            box.clear();
            if (!context.store.load(OtherParam, values)) missingParameters();
        }
    }
    values.FilterEqual("Type", type);
    if (values.IsEmpty())
        throw Error("本地SCB在[其他参数表]中的类型[" + gbk::display(type) +
                    "]不存在，请与系统管理员联系！");
    if (!context.owner.empty() && values.FindField("TOwnerID") &&
        values.Locate("TOwnerID", Variant(context.owner), loCaseInsensitive))
        values.AndFilterEqual("TOwnerID", context.owner);
    values.SortAsc("DispOrder", "Clear");
    bool showCodes = false;
    TField& code = values.FieldByName("Code");
    for (values.First(); !values.Eof() && !showCodes; values.Next()) {
        const std::string value = code.AsString();
        const std::string_view text = gbk::trim(value);
        showCodes = !text.empty() && !gbk::startsWithIgnoreCase(text, "Status");
    }
    box.load(values, "ObjID", "DispOrder", showCodes ? "Code" : "",
             displayField(values, context.languageColumn));
}

void FillRestrictedCombo(LookupTarget& box, const DictColumn& column, PanelKind kind,
                         LookupContext& context)
{
    TCustomEntity& parameters = otherParameters(context);
    std::string restriction;
    try {
        parameters.FilterEqual("Type", column.joinedField);
        // An unknown DispOrder restricts to nothing rather than to whichever row is current.
        if (parameters.Locate("DispOrder", Variant(column.value)))
            restriction = GetObjID(parameters);
    } catch (...) {
        parameters.ClearFilter();
        throw;
    }
    parameters.ClearFilter();

    const std::string reference = withoutLast(column.code, 2);
    TCustomEntity& links = registeredFromFile(context, column.joinedTable);
    TCustomEntity& rows = registeredFromFile(context, reference);
    if (kind == PanelKind::Entry) {
        links.KeepEqual(column.joinedField, restriction);
        rows.DeleteNotInBy(links, "ObjID", column.code);
    } else {
        links.FilterEqual(column.joinedField, restriction);
        rows.FilterByValuesOf(links, "ObjID", column.code);
    }
    // Straight from the restricted rows: when none qualifies the list stays empty rather
    // than falling back to the table's whole file.
    box.clear();
    loadSorted(box, rows, context);
}

void FillColumnCombo(LookupTarget& box, const DictColumn& column, PanelKind kind,
                     LookupContext& context)
{
    if (column.isOtherParam == 1) {
        const bool byJoined = kind == PanelKind::Entry
                                  ? gbk::startsWithIgnoreCase(column.code, "Link")
                                  : !gbk::trim(column.joinedField).empty();
        FillOtherParamCombo(box, byJoined ? column.joinedField : column.code, context);
    } else if (!gbk::trim(column.value).empty()) {
        FillRestrictedCombo(box, column, kind, context);
    } else {
        FillLookupCombo(box, withoutLast(column.code, 2), context);
    }
}

} // namespace corvo::forms
