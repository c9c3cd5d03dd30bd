#include "TFrmInsertBill.h"

#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/StatementRules.h"
#include "internal/EntryForms.h"
#include "platform/QtText.h"
#include "remote/AppServers.h"

#include <QLineEdit>

namespace corvo::forms {

TFrmInsertBill::TFrmInsertBill(QWidget* owner) : TFrmCustomInsert(owner)
{
    setObjectName(QStringLiteral("FrmInsertBill"));
    registry().AddEntity("TOtherParam");
    LoadLocalFile("TOtherParam", registry().EntityByName("TOtherParam"));
}

TFrmInsertBill::~TFrmInsertBill() = default;

bool TFrmInsertBill::autoCoded()
{
    return internal::tableFlag(registry(), "IsAutoCoding") == "1";
}

QWidget* TFrmInsertBill::codeEditor()
{
    controls::TInputControlList* list = inputControls();
    return list && list->HasControl("Code") ? list->ControlByName("Code").Editor() : nullptr;
}

void TFrmInsertBill::FormShow()
{
    TFrmCustomInsert::FormShow();
    setLayoutReady(false);
    registry().SelectMasterFields();
    BuildInputControls(registry().EntityByName(param::TDictField), pnlClient());
    if (inputControls() && inputControls()->HasControls())
        LayoutInputPanel(pnlClient(), *inputControls());
    setLayoutReady(true);
    if (autoCoded())
        if (auto* code = qobject_cast<QLineEdit*>(codeEditor())) code->setReadOnly(true);
    TranslateCaptions(*this);
    FocusFirstInput();
}

bool TFrmInsertBill::ResetSubmitPacket()
{
    submitPacket().EmptyDataSet();
    if (auto* code = qobject_cast<QLineEdit*>(codeEditor())) code->clear();
    return true;
}

bool TFrmInsertBill::BeforeSubmit()
{
    TFrmCustomInsert::BeforeSubmit();
    registry().EntityByName(param::TMaster).SetData(CollectNewMaster());
    ShowStatusText("请稍候，正在向服务器新增单据……");
    return true;
}

bool TFrmInsertBill::CallSubmitServer()
{
    return CallAppServer(remote::appserver::Insert, remote::appserver::insert::MasterDetail);
}

bool TFrmInsertBill::AfterSubmit()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (submitPacket().ParamExists(param::TMaster))
        master.SetData(submitPacket().GetParamData(param::TMaster));
    if (autoCoded() && master.Active() && !master.IsEmpty() && master.FindField("Code"))
        if (auto* code = qobject_cast<QLineEdit*>(codeEditor()))
            code->setText(platform::fromGbk(GetCode(master)));
    return TFrmCustomInsert::AfterSubmit();
}

// ---------------------------------------------------------------------------------------

TFrmInsertAccount::TFrmInsertAccount(QWidget* owner) : TFrmInsertBill(owner)
{
    setObjectName(QStringLiteral("FrmInsertAccount"));
}

TFrmInsertAccount::~TFrmInsertAccount() = default;

bool TFrmInsertAccount::BeforeSubmit()
{
    TFrmInsertBill::BeforeSubmit();
    if (IsPartnerSideModule(registry().EntityByName("TModule"), moduleName()))
        ExchangeOwnerAndPartner(registry().EntityByName(param::TMaster));
    return true;
}

} // namespace corvo::forms
