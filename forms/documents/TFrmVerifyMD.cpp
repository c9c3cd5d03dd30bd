#include "TFrmVerifyMD.h"

#include "controls/TQueryControlList.h"
#include "controls/TVelComboBox.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/StatusChange.h"
#include "internal/StatusSubmit.h"
#include "platform/DataGrid.h"
#include "platform/QtText.h"

#include <QPushButton>

namespace corvo::forms {

TFrmVerifyMD::TFrmVerifyMD(QWidget* owner) : TFrmSimpleUpdateMD(owner)
{
    setObjectName(QStringLiteral("FrmVerifyMD"));
    mbtFoo().setText(QString::fromUtf8(StatusButtonCaption("TFrmVerifyMD")));
    // Several documents may be verified at once.
    dgeMaster().setMultiSelect(true);
}

TFrmVerifyMD::~TFrmVerifyMD() = default;

void TFrmVerifyMD::FormShow()
{
    TFrmSimpleUpdateMD::FormShow();
    registry().AddEntity(param::TDetailUpdate);
    registry()
        .EntityByName(param::TDetailUpdate)
        .CopyStructure(registry().EntityByName(param::TDetailQuery));
    const std::string table = masterTable();
    if (table != "TSaleOrder" && table != "TPurchaseOrder") return;
    const std::string column = DocumentStatusColumn(table);
    controls::TQueryControlList* list = queryControls();
    if (!list || !list->HasControl(column)) return;
    if (auto* box = dynamic_cast<controls::TVelComboBox*>(list->ControlByName(column).Editor()))
        box->SetInnerCode(platform::fromGbk(StatusObjID(column, "New")));
}

void TFrmVerifyMD::BuildWhere()
{
    TFrmSimpleUpdateMD::BuildWhere();
    const std::string table = masterTable();
    const std::string column = DocumentStatusColumn(table);
    clauses().AddClause("where", StatusCondition(table, column, StatusObjID(column, "New")));
}

bool TFrmVerifyMD::BeforeSubmit()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.IsEmpty()) return false;
    TCustomEntity& sent = registry().EntityByName("TMasterUpdate");
    sent.EmptyDataSet();
    CopySelectedRows(dgeMaster(), sent);
    TParamData& changes = fieldPacket();
    changes.EmptyDataSet();
    const std::string column = DocumentStatusColumn(masterTable());
    // Every document sent takes the status that follows the current one's.
    const std::string next = NextStatus(column, master.FieldByName(column).AsString());
    changes.SetParamValueField("TMaster", Variant(next), column);
    return true;
}

bool TFrmVerifyMD::FillSubmitPacket()
{
    TFrmSimpleUpdateMD::FillSubmitPacket();
    if (!VerifySendsDetailLines(masterTable())) return true;
    TCustomEntity& lines = registry().EntityByName(param::TDetailUpdate);
    lines.EmptyDataSet();
    lines.UpsertAll(registry().EntityByName(param::TDetailQuery));
    submitPacket().SetParamData(param::TDetailUpdate, lines.Data());
    return true;
}

void TFrmVerifyMD::ReportSubmitDone()
{
    // Several marked documents may be sent, and the current row need not be among them.
    ShowStatusText(StatusDoneText(StatusOperation::Verify, internal::SentCodes(registry())));
}

} // namespace corvo::forms
