#include "TFrmInvalidateSize.h"

#include "entity/TCustomEntityList.h"
#include "forms/reports/SizeForms.h"

namespace corvo::forms {

TFrmInvalidateSize::TFrmInvalidateSize(QWidget* owner) : TFrmInvalidateMD(owner)
{
    setObjectName(QStringLiteral("FrmInvalidateSize"));
}

TFrmInvalidateSize::~TFrmInvalidateSize() = default;

void TFrmInvalidateSize::FormShow()
{
    sizeforms::LoadSizeCopies(*this);
    sizeforms::RelabelForCaption(*this, SizeForm::Invalidate);
    TFrmInvalidateMD::FormShow();
    sizeforms::PresetSaleDate(*this);
}

void TFrmInvalidateSize::BuildWhere()
{
    TFrmInvalidateMD::BuildWhere();
    const std::string table = masterTable();
    clauses().AddClause("where", FirstStatusClause(registry().EntityByName("TOtherParam"), table));
    if (const std::string window = sizeforms::QueryWindow(*this, table); !window.empty())
        clauses().AddClause("where", window);
}

void TFrmInvalidateSize::QueryDetailOfMaster(TCustomEntity& master)
{
    TFrmInvalidateMD::QueryDetailOfMaster(master);
    sizeforms::LabelLinesByProduct(*this, "TDetailQuery");
}

void TFrmInvalidateSize::ShowResultGrid()
{
    TFrmInvalidateMD::ShowResultGrid();
    sizeforms::LabelLinesByProduct(*this, "TDetailQuery");
}

} // namespace corvo::forms
