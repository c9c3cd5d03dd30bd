#include "TFrmQuerySize.h"

#include "SizeForms.h"
#include "controls/TQueryControl.h"
#include "controls/TQueryControlList.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntity.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/DictColumn.h"

namespace corvo::forms {

TFrmQuerySize::TFrmQuerySize(QWidget* owner) : TFrmQueryMDCollate(owner)
{
    setObjectName(QStringLiteral("FrmQuerySize"));
}

TFrmQuerySize::~TFrmQuerySize() = default;

void TFrmQuerySize::FormShow()
{
    sizeforms::LoadSizeCopies(*this);
    sizeforms::RelabelForCaption(*this, SizeForm::Query);
    TFrmQueryMDCollate::FormShow();
    sizeforms::PresetSaleDate(*this);
}

void TFrmQuerySize::BuildWhere()
{
    const std::string table = masterTable();
    controls::TQueryControlList* list = queryControls();
    for (const DictColumn& column :
         selectedColumns(registry().EntityByName(param::TDictField), registry().LanguageColumn)) {
        if (column.isQuery != 1 || !list || !list->HasControl(column.code)) continue;
        const std::string condition = list->ControlByName(column.code).GetCondition();
        if (!condition.empty()) clauses().AddClause("where", "(" + table + "." + condition + ")");
    }
    if (sizeforms::ModuleTypeIs2(*this) &&
        registry().EntityByName(param::TMaster).FindField("TOrganID"))
        clauses().AddClause("where",
                            "(" + table + ".TOrganID = " + QuotedFilterValue(owner()) + ")");
    if (const std::string window = sizeforms::QueryWindow(*this, table); !window.empty())
        clauses().AddClause("where", window);
}

void TFrmQuerySize::QueryDetailOfMaster(TCustomEntity& master)
{
    TFrmQueryMDCollate::QueryDetailOfMaster(master);
    sizeforms::LabelLinesByProduct(*this, "TDetailQuery");
}

void TFrmQuerySize::ShowResultGrid()
{
    TFrmQueryMDCollate::ShowResultGrid();
    sizeforms::LabelLinesByProduct(*this, "TDetailQuery");
}

} // namespace corvo::forms
