#include "TFrmCustomInsertMD.h"

#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "internal/EntryForms.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/QtText.h"
#include "remote/AppServers.h"

#include <QFrame>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <utility>
#include <vector>

namespace corvo::forms {
namespace {

constexpr int MasterEditHeight = 144;

} // namespace

TFrmCustomInsertMD::TFrmCustomInsertMD(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmCustomInsertMD"));
    auto* client = new QVBoxLayout(&pnlClient());
    client->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Vertical, &pnlClient());
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    client->addWidget(m_splitter);
    m_masterEdit = new QFrame(m_splitter);
    m_masterEdit->setObjectName(QStringLiteral("pnlMasterEdit"));
    m_masterEdit->setMinimumHeight(20);
    m_detail = new QFrame(m_splitter);
    m_detail->setObjectName(QStringLiteral("pnlDetail"));
    auto* detail = new QVBoxLayout(m_detail);
    detail->setContentsMargins(0, 0, 0, 0);
    m_grid = internal::makeLineGrid(m_detail, "dgeDetail");
    detail->addWidget(m_grid);
    m_splitter->addWidget(m_masterEdit);
    m_splitter->addWidget(m_detail);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({MasterEditHeight, 300});

    m_new = internal::makeButton(&pnlBottomLeft(), "mbtNew", "新单据");
    m_new->move(8, 6);
    const internal::LineButtons lineButtons = internal::makeLineButtons(pnlBottomMiddle());
    m_detailAdd = lineButtons.detailAdd;
    m_detailDel = lineButtons.detailDel;
    m_submit = lineButtons.submit;

    connect(m_submit, &QPushButton::clicked, this, [this] { SubmitClicked(); });
    connect(m_new, &QPushButton::clicked, this, [this] { NewClicked(); });
    connect(m_detailAdd, &QPushButton::clicked, this, [this] { DetailAddClicked(); });
    connect(m_detailDel, &QPushButton::clicked, this, [this] { DetailDelClicked(); });
    connect(&m_grid->gridModel(), &platform::DataGridModel::editRejected, this,
            [this](const QString& message) { ShowStatusText(message.toStdString()); });
    InstallGridKeyWrap(*m_grid);
}

TFrmCustomInsertMD::~TFrmCustomInsertMD() = default;

void TFrmCustomInsertMD::showEvent(QShowEvent* event)
{
    TFrmQuery::showEvent(event);
    internal::showFirstTime(*this, m_shown, [this] { FormShow(); });
}

void TFrmCustomInsertMD::FormShow()
{
    m_layoutReady = false;
    registry().SelectMasterFields();
    BuildInputControls(registry().EntityByName(param::TDictField), *m_masterEdit);
    if (inputControls() && inputControls()->HasControls())
        LayoutInputPanel(*m_masterEdit, *inputControls());
    m_layoutReady = true;
    // The first entry column is the document's code, which the server gives.
    if (inputControls())
        if (controls::TInputControl* first = inputControls()->First()) first->setEnabled(false);
    FocusFirstInput();
    BuildDetailList(*m_grid);
    registry().SelectMasterFields();
    StripeGrid(*m_grid);
    TranslateCaptions(*this);
}

bool TFrmCustomInsertMD::RunSubmit()
{
    return internal::runGuardedSave(*this, [this] {
        if (!BeforeSubmit() || !FillSubmitPacket()) return false;
        bool saved = false;
        if (CallSubmitServer()) {
            AfterSubmit();
            m_submit->setEnabled(false);
            saved = true;
        } else {
            ShowStatusText("数据新增失败，请稍后重试。");
        }
        FocusFirstInput();
        return saved;
    });
}

bool TFrmCustomInsertMD::CallSubmitServer()
{
    return CallAppServer(remote::appserver::Insert, remote::appserver::insert::MasterDetail);
}

namespace {

/// The clock's values of the header row sent before under the same key (CreateDate): fields
/// no input shows, of type date and time. Empty when that row is another document's.
std::vector<std::pair<std::string, Variant>>
stampsOfRetry(TCustomEntity& master, controls::TInputControlList* inputs, const std::string& key)
{
    std::vector<std::pair<std::string, Variant>> stamps;
    if (!master.Active() || master.IsEmpty() || !master.FindField("ObjID")) return stamps;
    master.First();
    if (GetObjID(master) != key) return stamps;
    for (int i = 0; i < master.FieldCount(); ++i) {
        TField& field = master.Fields(i);
        if (field.DataType() == FieldType::DateTime &&
            !(inputs && inputs->HasControl(field.FieldName())))
            stamps.emplace_back(field.FieldName(), field.AsVariant());
    }
    return stamps;
}

} // namespace

bool TFrmCustomInsertMD::BeforeSubmit()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    // A retry is the same document: what the clock gave the first try is sent again.
    const auto stamps = stampsOfRetry(master, inputControls(), formKey());
    master.SetData(CollectNewMaster());
    master.EditField("ObjID", formKey());
    if (!stamps.empty()) {
        master.First();
        master.Edit();
        for (const auto& [field, value] : stamps)
            if (TField* stamp = master.FindField(field)) stamp->SetAsVariant(value);
        master.Post();
    }
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    if (lines.Active() && !lines.IsEmpty()) {
        lines.SetFieldForAll("ParentID", formKey());
        AssignNewCodes(lines);
    }
    ShowStatusText("请稍候，正在向服务器新增单据……");
    return true;
}

bool TFrmCustomInsertMD::FillSubmitPacket()
{
    if (!TFrmQuery::FillSubmitPacket()) return false;
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    if (!lines.Active() || lines.IsEmpty()) throw Error("请先输入明细项目。");
    submitPacket().SetParamData(param::TDetailInsert, lines.Data());
    return true;
}

bool TFrmCustomInsertMD::ResetSubmitPacket()
{
    submitPacket().EmptyDataSet();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.Active()) master.EmptyDataSet();
    if (registry().HasEntity(param::TDetail)) {
        TCustomEntity& lines = registry().EntityByName(param::TDetail);
        if (lines.Active()) lines.EmptyDataSet();
    }
    ClearPanel(*m_masterEdit);
    return true;
}

bool TFrmCustomInsertMD::AfterSubmit()
{
    TFrmQuery::AfterSubmit();
    RenewFormKey();
    // The document is stored: "保存" goes off before anything else can fail, so the same
    // document is not sent again under the new key.
    m_submit->setEnabled(false);
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    const std::string code = master.Active() && master.FindField("Code") ? GetCode(master) : "";
    if (inputControls() && inputControls()->HasControl("Code"))
        inputControls()->ControlByName("Code").SetText(Variant(code));
    ShowStatusText("单据新增完成，编号为“" + gbk::display(code) + "”");
    return true;
}

void TFrmCustomInsertMD::SubmitClicked()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    {
        const ControlsDisabled held(lines);
        RunSubmit();
    }
    m_new->setFocus(Qt::OtherFocusReason);
}

void TFrmCustomInsertMD::NewClicked()
{
    // Whatever became of the last save (stored, refused, or its reply lost), the next
    // document is another one: the server must never take it for a retry of the last.
    RenewFormKey();
    try {
        ResetSubmitPacket();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
    m_submit->setEnabled(true);
    if (inputControls() && inputControls()->HasControls()) FocusFirstInput();
}

void TFrmCustomInsertMD::DetailAddClicked()
{
    try {
        PickDetailProducts();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmCustomInsertMD::DetailDelClicked()
{
    try {
        registry().EntityByName(param::TDetail).Delete();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

// ---------------------------------------------------------------------------------------

TFrmInsertMD::TFrmInsertMD(QWidget* owner) : TFrmCustomInsertMD(owner)
{
    setObjectName(QStringLiteral("FrmInsertMD"));
    resize(900, 600);
}

TFrmInsertMD::~TFrmInsertMD() = default;

} // namespace corvo::forms
