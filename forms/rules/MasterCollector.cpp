#include "MasterCollector.h"

#include "DictColumn.h"
#include "ValueValidation.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/FieldType.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/TCustomEntityList.h"

namespace corvo::forms {
namespace {

enum class Purpose { NewRow, Update };

bool contains(std::string_view text, std::string_view part)
{
    return gbk::upper(text).find(gbk::upper(part)) != std::string::npos;
}

std::string firstFieldName(TClientDataSet& ds)
{
    return ds.FieldCount() > 0 ? ds.Fields(0).FieldName() : std::string();
}

// The master's columns, unless they are selected already.
std::vector<DictColumn> masterColumns(TCustomEntityList& registry, TClientDataSet& row)
{
    TCustomEntity& dict = registry.EntityByName("TDictField");
    dict.First();
    const std::string first = firstFieldName(row);
    if (dict.IsEmpty() || !gbk::equalsIgnoreCase(dict.FieldByName("Code").AsString(), first))
        registry.SelectMasterFields();
    return selectedColumns(dict, registry.LanguageColumn);
}

bool isAutoCoded(TCustomEntityList& registry, const DictColumn& column)
{
    TCustomEntity& tables = registry.EntityByName("TDictTable");
    if (!tables.FindRecord("ObjID", column.parentId)) return false;
    TField* flag = tables.FindField("IsAutoCoding");
    return flag && flag->AsString() == "1";
}

void storeBlob(TField& field, PanelValues& panel, const DictColumn& column)
{
    if (!panel.hasControl(column.code)) return;
    const Variant v = panel.value(column.code);
    if (v.type() == Variant::Type::Bytes && !v.asBytes().empty()) field.SetAsVariant(v);
}

std::string validatedText(PanelValues& panel, std::string_view code, const DictColumn& column)
{
    return ValidateValue(panel.value(code), column).toText();
}

void collectEntry(TCustomEntityList& registry, TClientDataSet& row, PanelValues& panel,
                  const DictColumn& column, const CollectContext& context, Purpose purpose)
{
    TField& field = row.FieldByName(column.code);
    if (SQLTypeToFieldType(column.dataType) == FieldType::Blob) {
        storeBlob(field, panel, column);
    } else if (gbk::equalsIgnoreCase(column.code, "Password")) {
        if (!panel.hasControl(column.code)) return;
        // Both values are checked against the password column, as the user sees one field.
        const std::string user =
            panel.hasControl("Code") ? validatedText(panel, "Code", column) : "";
        const std::string password = validatedText(panel, column.code, column);
        field.SetAsString(context.encodeUserPassword ? context.encodeUserPassword(user, password)
                                                     : "");
    } else if (purpose == Purpose::NewRow && gbk::equalsIgnoreCase(column.code, "Code")) {
        if (isAutoCoded(registry, column))
            field.Clear();
        else if (panel.hasControl(column.code))
            field.SetAsString(validatedText(panel, column.code, column));
    } else if (panel.hasControl(column.code)) {
        field.SetAsString(validatedText(panel, column.code, column));
    }
}

void collectStatus(TClientDataSet& row, const DictColumn& column, const CollectContext& context)
{
    TField& field = row.FieldByName(column.code);
    switch (SQLTypeToFieldType(column.dataType)) {
    case FieldType::String:
        field.SetAsString("");
        return;
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Float:
    case FieldType::BCD:
        field.SetAsInteger(0);
        return;
    case FieldType::DateTime:
        field.SetAsString(DateTime::now().toString());
        return;
    case FieldType::Guid:
        break;
    default:
        throw Error("无法处理的字段[" + gbk::display(column.code) + "]类型：" +
                    gbk::display(column.dataType));
    }
    const std::string& code = column.code;
    if (gbk::equalsIgnoreCase(code, firstFieldName(row))) {
        field.SetAsString(column.parentId);
    } else if (gbk::equalsIgnoreCase(code, "ObjID")) {
        if (field.AsString().empty()) field.SetAsString(NewGUIDString());
    } else if (gbk::equalsIgnoreCase(code, "StatusID")) {
        field.SetAsString(context.statusObjID("StatusID", "Valid"));
    } else if (gbk::equalsIgnoreCase(code, "TUserID")) {
        field.SetAsString(context.userObjID);
    } else if (gbk::equalsIgnoreCase(code, "TOwnerID")) {
        field.SetAsString(context.owner);
    } else if (contains(code, "Status")) {
        if (field.AsString().empty()) field.SetAsString(context.statusObjID(code, "New"));
    } else if (contains(code, "Link")) {
        field.SetAsString(EmptyGuidText);
    }
}

void collectJoined(TClientDataSet& row, PanelValues& panel, const DictColumn& column,
                   Purpose purpose)
{
    TField& field = row.FieldByName(column.code);
    if (gbk::equalsIgnoreCase(column.code, "StatusName")) {
        field.SetAsString(gbk::fromUtf8("有效"));
    } else if (purpose == Purpose::NewRow && contains(column.code, "Status")) {
        field.SetAsString(gbk::fromUtf8("新建"));
    } else {
        const std::string& code = column.code;
        const std::string reference = code.substr(0, code.size() > 4 ? code.size() - 4 : 0) + "ID";
        if (panel.hasControl(reference)) field.SetAsString(panel.shownText(reference));
    }
}

Variant collect(TCustomEntityList& registry, PanelValues& panel, const CollectContext& context,
                Purpose purpose)
{
    TCustomEntity& master = registry.EntityByName("TMaster");
    TCustomEntity row;
    if (purpose == Purpose::Update && !master.IsEmpty()) {
        row.CopyFrom(master);
        row.First();
        row.Edit();
    } else {
        row.CopyStructure(master);
        row.Append();
    }
    for (const DictColumn& column : masterColumns(registry, row)) {
        if (column.isJoined == 1)
            collectJoined(row, panel, column, purpose);
        else if (column.isStatus == 1 && purpose == Purpose::Update) {
            if (!master.IsEmpty())
                row.FieldByName(column.code)
                    .SetAsVariant(master.FieldByName(column.code).AsVariant());
        } else if (column.isStatus == 1)
            collectStatus(row, column, context);
        else
            collectEntry(registry, row, panel, column, context, purpose);
    }
    row.Post();
    return row.Data();
}

} // namespace

Variant CollectNewMaster(TCustomEntityList& registry, PanelValues& panel,
                         const CollectContext& context)
{
    return collect(registry, panel, context, Purpose::NewRow);
}

Variant CollectMasterUpdate(TCustomEntityList& registry, PanelValues& panel,
                            const CollectContext& context)
{
    return collect(registry, panel, context, Purpose::Update);
}

} // namespace corvo::forms
