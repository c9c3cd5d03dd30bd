#include "SizeForms.h"

#include "controls/TQueryControl.h"
#include "controls/TQueryControlList.h"
#include "controls/TTimeSpan.h"
#include "entity/DateTime.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TField.h"
#include "forms/framework/TFrmQuery.h"

#include <QDate>

namespace corvo::forms::sizeforms {

void LoadSizeCopies(TFrmApp& form)
{
    for (const char* name : {"TProduct", "TProductTypeSize"}) {
        form.registry().AddEntity(name);
        TCustomEntity& rows = form.registry().EntityByName(name);
        if (!form.LoadLocalFile(name, rows)) continue;
        rows.ClearFilter();
        rows.First();
    }
}

void RelabelForCaption(TFrmQuery& form, SizeForm which)
{
    TCustomEntityList& registry = form.registry();
    if (!RelabelsDailyReport(which, form.moduleName())) return;
    registry.SelectMasterFields();
    RelabelDailyReport(registry.EntityByName(param::TDictField), which, registry.LanguageColumn);
    registry.SelectMasterFields();
    registry.ApplyMasterCaptions();
}

void ApplySizeColumns(TClientDataSet& lines, const std::array<std::string, SizeCount>& titles)
{
    if (!lines.Active()) return;
    for (int n = 1; n <= SizeCount; ++n) {
        TField* field = lines.FindField(SizeFieldName(n));
        if (!field) continue;
        const std::string& title = titles[static_cast<std::size_t>(n - 1)];
        if (!title.empty()) field->SetDisplayLabel(title);
        field->SetVisible(!title.empty());
    }
}

std::array<std::string, SizeCount> TitlesOfLineProduct(TCustomEntityList& registry,
                                                       TClientDataSet& lines)
{
    if (!lines.Active() || lines.IsEmpty() || !lines.FindField("TProductID")) return {};
    if (!registry.HasEntity("TProduct") || !registry.HasEntity("TProductTypeSize")) return {};
    TCustomEntity& products = registry.EntityByName("TProduct");
    if (!products.Active() || !products.FindField("TProductTypeID") ||
        !products.Locate("ObjID", Variant(lines.FieldByName("TProductID").AsString())))
        return {};
    return SizeTitlesOfType(registry.EntityByName("TProductTypeSize"),
                            products.FieldByName("TProductTypeID").AsString());
}

void LabelLinesByProduct(TFrmApp& form, const char* linesName)
{
    TCustomEntityList& registry = form.registry();
    TCustomEntity& master = registry.EntityByName(param::TMaster);
    if (!master.Active() || master.IsEmpty() || !registry.HasEntity(linesName)) return;
    TCustomEntity& lines = registry.EntityByName(linesName);
    if (lines.Active() && !lines.IsEmpty())
        ApplySizeColumns(lines, TitlesOfLineProduct(registry, lines));
}

std::string QueryWindow(TFrmApp& form, const std::string& table)
{
    if (!form.LocalFileExists("Set.dll")) return {};
    form.registry().AddEntity("TQuerySet");
    TCustomEntity& settings = form.registry().EntityByName("TQuerySet");
    if (!form.LoadLocalFile("Set.dll", settings) || settings.IsEmpty() || !settings.FindField("IP"))
        return {};
    settings.First();
    const int months = static_cast<int>(settings.FieldByName("IP").AsInteger());
    return QueryWindowClause(table, DateTime::now(), months);
}

bool ModuleTypeIs2(TFrmQuery& form)
{
    TCustomEntity& modules = form.registry().EntityByName("TModule");
    if (!modules.Active() || form.moduleName().empty() ||
        !modules.FindRecordCase("Name", form.moduleName()))
        return false;
    TField* type = modules.FindField("TypeNo");
    return type && gbk::trim(type->AsString()) == "2";
}

void PresetSaleDate(TFrmApp& form)
{
    controls::TQueryControlList* list = form.queryControls();
    if (!list || !list->HasControl("HappenDate")) return;
    controls::TQueryControl& date = list->ControlByName("HappenDate");
    date.setChecked(true);
    if (auto* span = dynamic_cast<controls::TTimeSpan*>(date.Editor()))
        span->setDate(QDate::currentDate().addDays(-1));
}

} // namespace corvo::forms::sizeforms
