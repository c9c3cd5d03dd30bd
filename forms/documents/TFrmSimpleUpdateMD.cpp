#include "TFrmSimpleUpdateMD.h"

#include "entity/Error.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/StatusChange.h"
#include "internal/StatusSubmit.h"
#include "platform/WaitCursor.h"
#include "remote/AppServers.h"

#include <QPushButton>

namespace corvo::forms {

TFrmSimpleUpdateMD::TFrmSimpleUpdateMD(QWidget* owner) : TFrmQueryMDCollate(owner)
{
    setObjectName(QStringLiteral("FrmSimpleUpdateMD"));
    mbtFoo().setText(QString::fromUtf8(StatusButtonCaption("TFrmSimpleUpdateMD")));
    disconnect(&mbtFoo(), &QPushButton::clicked, nullptr, nullptr);
    connect(&mbtFoo(), &QPushButton::clicked, this, [this] { RunStatusSubmit(); });
    internal::GivePrintItsOwnKey(mbtPrint());
}

TFrmSimpleUpdateMD::~TFrmSimpleUpdateMD() = default;

void TFrmSimpleUpdateMD::FormShow()
{
    TFrmQueryMDCollate::FormShow();
    registry().AddEntity("TMasterUpdate");
    registry().EntityByName("TMasterUpdate").CopyStructure(registry().EntityByName(param::TMaster));
}

bool TFrmSimpleUpdateMD::RunStatusSubmit()
{
    const platform::WaitCursor wait;
    ShowStatusText("请稍候，正在提交单据……");
    return internal::RunStatusSteps(
        *this, {[this] { return BeforeSubmit(); }, [this] { return FillSubmitPacket(); },
                [this] { return CallStatusServer(); }, [this] { ReportSubmitDone(); },
                [this] { return AfterSubmit(); }});
}

bool TFrmSimpleUpdateMD::CallStatusServer()
{
    return CallAppServer(remote::appserver::Update, remote::appserver::update::MasterDetail);
}

void TFrmSimpleUpdateMD::PresetConditions()
{
    TFrmQueryMDCollate::PresetConditions();
    internal::DisableStatusCondition(queryControls());
}

void TFrmSimpleUpdateMD::BuildWhere()
{
    TFrmQueryMDCollate::BuildWhere();
    clauses().AddClause(
        "where", StatusCondition(masterTable(), "StatusID", StatusObjID("StatusID", "Valid")));
}

bool TFrmSimpleUpdateMD::BeforeSubmit()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.IsEmpty()) throw Error("请查询出单据后再进行修改。");
    TCustomEntity& sent = registry().EntityByName("TMasterUpdate");
    sent.EmptyDataSet();
    sent.UpsertRecord(master);
    return true;
}

bool TFrmSimpleUpdateMD::FillSubmitPacket()
{
    internal::FillStatusPacket(submitPacket(), registry(), fieldPacket());
    return true;
}

void TFrmSimpleUpdateMD::ReportSubmitDone()
{
    ShowStatusText(StatusDoneText(StatusOperation::Change, internal::CurrentCode(registry())));
}

bool TFrmSimpleUpdateMD::AfterSubmit()
{
    // Every document sent changed on the server: one left behind would look new and could be
    // sent again.
    TCustomEntity& sent = registry().EntityByName("TMasterUpdate");
    registry().EntityByName(param::TMaster).DeleteAllByObjID(sent);
    sent.EmptyDataSet();
    ShowResultLine();
    return true;
}

} // namespace corvo::forms
