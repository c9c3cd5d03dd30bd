#include "TFrmSimpleUpdate.h"

#include "entity/Error.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/StatusChange.h"
#include "internal/StatusSubmit.h"
#include "remote/AppServers.h"

#include <QPushButton>

namespace corvo::forms {

TFrmSimpleUpdate::TFrmSimpleUpdate(QWidget* owner) : TFrmQueryCollate(owner)
{
    setObjectName(QStringLiteral("FrmSimpleUpdate"));
    mbtFoo().setText(QString::fromUtf8(StatusButtonCaption("TFrmSimpleUpdate")));
    // The middle button is the form's operation here, not the export.
    disconnect(&mbtFoo(), &QPushButton::clicked, nullptr, nullptr);
    connect(&mbtFoo(), &QPushButton::clicked, this, [this] { RunStatusSubmit(); });
    internal::GivePrintItsOwnKey(mbtPrint());
}

TFrmSimpleUpdate::~TFrmSimpleUpdate() = default;

void TFrmSimpleUpdate::FormShow()
{
    TFrmQueryCollate::FormShow();
    registry().AddEntity("TMasterUpdate");
    registry().EntityByName("TMasterUpdate").CopyStructure(registry().EntityByName(param::TMaster));
}

bool TFrmSimpleUpdate::RunStatusSubmit()
{
    return internal::RunStatusSteps(
        *this, {[this] { return BeforeSubmit(); }, [this] { return FillSubmitPacket(); },
                [this] { return CallStatusServer(); }, [this] { ReportSubmitDone(); },
                [this] { return AfterSubmit(); }});
}

bool TFrmSimpleUpdate::CallStatusServer()
{
    return CallAppServer(remote::appserver::Update, remote::appserver::update::Single);
}

void TFrmSimpleUpdate::PresetConditions()
{
    internal::DisableStatusCondition(queryControls());
}

void TFrmSimpleUpdate::BuildWhere()
{
    TFrmQueryCollate::BuildWhere();
    clauses().AddClause(
        "where", StatusCondition(masterTable(), "StatusID", StatusObjID("StatusID", "Valid")));
}

bool TFrmSimpleUpdate::BeforeSubmit()
{
    TCustomEntity& sent = registry().EntityByName("TMasterUpdate");
    sent.EmptyDataSet();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.IsEmpty()) throw Error("请查询出单据后再进行修改。");
    sent.AssignRecord(master);
    return true;
}

bool TFrmSimpleUpdate::FillSubmitPacket()
{
    internal::FillStatusPacket(submitPacket(), registry(), fieldPacket());
    return true;
}

void TFrmSimpleUpdate::ReportSubmitDone()
{
    ShowStatusText("数据修改完成。");
}

bool TFrmSimpleUpdate::AfterSubmit()
{
    TCustomEntity& sent = registry().EntityByName("TMasterUpdate");
    sent.SetData(submitPacket().GetParamData(param::TMaster));
    registry().EntityByName(param::TMaster).UpsertRecord(sent);
    return true;
}

void TFrmSimpleUpdate::RemoveSentRows()
{
    TCustomEntity& sent = registry().EntityByName("TMasterUpdate");
    registry().EntityByName(param::TMaster).DeleteAllByObjID(sent);
    sent.EmptyDataSet();
}

} // namespace corvo::forms
