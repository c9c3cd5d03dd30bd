#include "TFrmInvalidateMD.h"

#include "entity/TCustomEntityList.h"
#include "forms/rules/StatusChange.h"
#include "internal/StatusSubmit.h"

#include <QPushButton>

namespace corvo::forms {

TFrmInvalidateMD::TFrmInvalidateMD(QWidget* owner) : TFrmSimpleUpdateMD(owner)
{
    setObjectName(QStringLiteral("FrmInvalidateMD"));
    mbtFoo().setText(QString::fromUtf8(StatusButtonCaption("TFrmInvalidateMD")));
}

TFrmInvalidateMD::~TFrmInvalidateMD() = default;

void TFrmInvalidateMD::BuildWhere()
{
    TFrmSimpleUpdateMD::BuildWhere();
    clauses().AddClause("where", StatusCondition(masterTable(), "StatusID", FixedValidStatus));
    TParamData& changes = fieldPacket();
    changes.EmptyDataSet();
    changes.SetParamValueField("TMaster", Variant(StatusObjID("StatusID", "Invalid")), "StatusID");
}

void TFrmInvalidateMD::ReportSubmitDone()
{
    ShowStatusText(StatusDoneText(StatusOperation::Invalidate, internal::CurrentCode(registry())));
}

} // namespace corvo::forms
