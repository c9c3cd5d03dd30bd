#include "TFrmInvalidate.h"

#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/StatusChange.h"
#include "internal/StatusSubmit.h"
#include "remote/AppServers.h"

#include <QPushButton>

namespace corvo::forms {

TFrmInvalidate::TFrmInvalidate(QWidget* owner) : TFrmSimpleUpdate(owner)
{
    setObjectName(QStringLiteral("FrmInvalidate"));
    mbtFoo().setText(QString::fromUtf8(StatusButtonCaption("TFrmInvalidate")));
}

TFrmInvalidate::~TFrmInvalidate() = default;

void TFrmInvalidate::FormShow()
{
    TFrmSimpleUpdate::FormShow();
    if (masterTable() == "TProduct") mbtPrint().setText(QStringLiteral("自动作废"));
}

void TFrmInvalidate::BuildWhere()
{
    TFrmSimpleUpdate::BuildWhere();
    clauses().AddClause("where", StatusCondition(masterTable(), "StatusID", FixedValidStatus));
}

void TFrmInvalidate::AfterQuery()
{
    TFrmSimpleUpdate::AfterQuery();
    const std::string hint = InvalidateQueryHint(masterTable());
    if (!hint.empty()) ShowStatusText(hint);
}

bool TFrmInvalidate::CallStatusServer()
{
    return CallAppServer(remote::appserver::Update, remote::appserver::update::Invalidate);
}

void TFrmInvalidate::ReportSubmitDone()
{
    ShowStatusText(StatusDoneText(StatusOperation::Invalidate, internal::CurrentCode(registry())));
}

bool TFrmInvalidate::AfterSubmit()
{
    RemoveSentRows();
    return true;
}

void TFrmInvalidate::PrintCollated()
{
    if (masterTable() == "TProduct")
        AutoInvalidate();
    else
        TFrmSimpleUpdate::PrintCollated();
}

void TFrmInvalidate::AutoInvalidate()
{
    ShowStatusText("系统正在根据库存状况作废商品。");
    TParamData& packet = submitPacket();
    packet.EmptyDataSet();
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    packet.SetParamValue(param::TOwnerID, Variant(owner()));
    // A false answer is not reported as done.
    if (CallAppServer(remote::appserver::Update, remote::appserver::update::InvalidateZeroStock))
        ShowStatusText("系统已经将所有库存为零的商品作废。");
    else
        ShowStatusText("数据更新失败，请稍后重试。");
}

} // namespace corvo::forms
