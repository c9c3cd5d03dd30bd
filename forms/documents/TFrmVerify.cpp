#include "TFrmVerify.h"

#include "entity/TCustomEntityList.h"
#include "forms/rules/StatusChange.h"
#include "internal/StatusSubmit.h"
#include "remote/AppServers.h"

#include <QPushButton>

namespace corvo::forms {

TFrmVerify::TFrmVerify(QWidget* owner) : TFrmSimpleUpdate(owner)
{
    setObjectName(QStringLiteral("FrmVerify"));
    mbtFoo().setText(QString::fromUtf8(StatusButtonCaption("TFrmVerify")));
}

TFrmVerify::~TFrmVerify() = default;

bool TFrmVerify::CallStatusServer()
{
    return CallAppServer(remote::appserver::VerifyAccount, remote::appserver::verify::Verify);
}

void TFrmVerify::ReportSubmitDone()
{
    ShowStatusText(StatusDoneText(StatusOperation::Verify, internal::CurrentCode(registry())));
}

bool TFrmVerify::AfterSubmit()
{
    RemoveSentRows();
    return true;
}

} // namespace corvo::forms
