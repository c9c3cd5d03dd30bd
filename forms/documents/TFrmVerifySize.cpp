#include "TFrmVerifySize.h"

#include "entity/Gbk.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "forms/reports/SizeForms.h"
#include "internal/StatusSubmit.h"
#include "remote/AppServers.h"

#include <QPushButton>

namespace corvo::forms {

TFrmVerifySize::TFrmVerifySize(QWidget* owner) : TFrmSimpleUpdateMD(owner)
{
    setObjectName(QStringLiteral("FrmVerifySize"));
    mbtFoo().setText(QStringLiteral("审核(&V)"));
}

TFrmVerifySize::~TFrmVerifySize() = default;

void TFrmVerifySize::FormShow()
{
    sizeforms::LoadSizeCopies(*this);
    sizeforms::RelabelForCaption(*this, SizeForm::Verify);
    TFrmSimpleUpdateMD::FormShow();
    sizeforms::PresetSaleDate(*this);
}

void TFrmVerifySize::BuildWhere()
{
    TFrmSimpleUpdateMD::BuildWhere();
    const std::string table = masterTable();
    clauses().AddClause("where", FirstStatusClause(registry().EntityByName("TOtherParam"), table));
    if (const std::string window = sizeforms::QueryWindow(*this, table); !window.empty())
        clauses().AddClause("where", window);
}

bool TFrmVerifySize::FillSubmitPacket()
{
    // The size verify server moves the document on by itself: no status change list.
    fieldPacket().EmptyDataSet();
    return TFrmSimpleUpdateMD::FillSubmitPacket();
}

bool TFrmVerifySize::CallStatusServer()
{
    return CallAppServer(remote::appserver::SizeVerify, remote::appserver::sizeverify::Verify);
}

void TFrmVerifySize::ReportSubmitDone()
{
    ShowStatusText("单据“" + internal::CurrentCode(registry()) + "”审核完成。");
}

void TFrmVerifySize::QueryDetailOfMaster(TCustomEntity& master)
{
    TFrmSimpleUpdateMD::QueryDetailOfMaster(master);
    sizeforms::LabelLinesByProduct(*this, "TDetailQuery");
}

void TFrmVerifySize::ShowResultGrid()
{
    TFrmSimpleUpdateMD::ShowResultGrid();
    sizeforms::LabelLinesByProduct(*this, "TDetailQuery");
}

} // namespace corvo::forms
