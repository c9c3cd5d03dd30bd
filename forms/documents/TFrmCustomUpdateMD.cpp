#include "TFrmCustomUpdateMD.h"

#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "controls/skin/TQVRadioBox.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "forms/framework/TFrmQueryCondition.h"
#include "forms/rules/DetailChanges.h"
#include "internal/EntryForms.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "remote/AppServers.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr int ListWidth = 192;
constexpr int ListMinimum = 20;
constexpr int ListMaximum = 400;
constexpr int MasterEditHeight = 104;
constexpr int ConditionHeight = 28;
constexpr const char* MasterQuery = "TMasterQuery";

QFrame* frame(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    return f;
}

} // namespace

TFrmCustomUpdateMD::TFrmCustomUpdateMD(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmCustomUpdateMD"));
    registry().AddEntities({MasterQuery, "TDetailQuery", "TDetail", "TDetailInsert",
                            "TDetailUpdate", "TDetailDelete"});

    auto* client = new QHBoxLayout(&pnlClient());
    client->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, &pnlClient());
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    client->addWidget(m_splitter);

    m_masterResult = frame(m_splitter, "pnlMasterResult");
    m_masterResult->setMinimumWidth(ListMinimum);
    m_masterResult->setMaximumWidth(ListMaximum);
    auto* left = new QVBoxLayout(m_masterResult);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    m_masterGrid = new platform::DataGrid(m_masterResult);
    m_masterGrid->setObjectName(QStringLiteral("dgeMasterQuery"));
    m_masterGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_masterGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_masterGrid->verticalHeader()->setDefaultSectionSize(16);
    left->addWidget(m_masterGrid, 1);
    m_condition = frame(m_masterResult, "pnlCondition");
    m_condition->setFixedHeight(ConditionHeight);
    auto* periods = new QHBoxLayout(m_condition);
    periods->setContentsMargins(6, 2, 6, 2);
    m_thisMonth = new skin::TQVRadioBox(QStringLiteral("本月"), m_condition);
    m_thisMonth->setObjectName(QStringLiteral("mrbDefault"));
    m_thisMonth->setChecked(true);
    m_custom = new skin::TQVRadioBox(QStringLiteral("自定义"), m_condition);
    m_custom->setObjectName(QStringLiteral("mrbCustom"));
    periods->addWidget(m_thisMonth);
    periods->addWidget(m_custom);
    periods->addStretch(1);
    left->addWidget(m_condition);

    m_updateMD = frame(m_splitter, "pnlUpdateMD");
    auto* right = new QVBoxLayout(m_updateMD);
    right->setContentsMargins(0, 0, 0, 0);
    m_detailSplitter = new QSplitter(Qt::Vertical, m_updateMD);
    m_detailSplitter->setObjectName(QStringLiteral("Splitter2"));
    right->addWidget(m_detailSplitter);
    m_masterEdit = frame(m_detailSplitter, "pnlMasterEdit");
    m_detail = frame(m_detailSplitter, "pnlDetail");
    auto* lines = new QVBoxLayout(m_detail);
    lines->setContentsMargins(0, 0, 0, 0);
    m_detailGrid = internal::makeLineGrid(m_detail, "dgeDetail");
    lines->addWidget(m_detailGrid);
    m_detailSplitter->addWidget(m_masterEdit);
    m_detailSplitter->addWidget(m_detail);
    m_detailSplitter->setStretchFactor(0, 0);
    m_detailSplitter->setStretchFactor(1, 1);
    m_detailSplitter->setSizes({MasterEditHeight, 300});

    m_splitter->addWidget(m_masterResult);
    m_splitter->addWidget(m_updateMD);
    m_splitter->setCollapsible(0, false);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({ListWidth, 700});

    m_query = internal::makeButton(&pnlBottomLeft(), "mbtQuery", "查询");
    m_query->move(8, 6);
    const internal::LineButtons lineButtons = internal::makeLineButtons(pnlBottomMiddle());
    m_detailAdd = lineButtons.detailAdd;
    m_detailDel = lineButtons.detailDel;
    m_submit = lineButtons.submit;

    connect(m_query, &QPushButton::clicked, this, [this] { QueryClicked(); });
    connect(m_submit, &QPushButton::clicked, this, [this] { SubmitClicked(); });
    connect(m_detailAdd, &QPushButton::clicked, this, [this] { DetailAddClicked(); });
    connect(m_detailDel, &QPushButton::clicked, this, [this] { DetailDelClicked(); });
    connect(m_masterGrid, &QAbstractItemView::clicked, this, [this] { MasterRowClicked(); });
    connect(&m_detailGrid->gridModel(), &platform::DataGridModel::cellEdited, this,
            [this] { lineEdited(); });
    connect(&m_detailGrid->gridModel(), &platform::DataGridModel::editRejected, this,
            [this](const QString& message) { ShowStatusText(message.toStdString()); });
    InstallGridKeyWrap(*m_detailGrid);
}

TFrmCustomUpdateMD::~TFrmCustomUpdateMD() = default;

void TFrmCustomUpdateMD::showEvent(QShowEvent* event)
{
    TFrmQuery::showEvent(event);
    internal::showFirstTime(*this, m_shown, [this] { FormShow(); });
}

void TFrmCustomUpdateMD::FormShow()
{
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    list.CopyFrom(registry().EntityByName(param::TMaster));
    registry().BindGrid(MasterQuery, *m_masterGrid);
    SizeGridColumns(*m_masterGrid);

    BuildDetailList(*m_detailGrid);
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    if (lines.Active() && lines.FieldCount() > 0) {
        registry().EntityByName(param::TDetailQuery).CopyStructure(lines);
        PrepareLineChanges(registry(), LineLevel::Detail);
    }

    m_layoutReady = false;
    registry().SelectMasterFields();
    BuildInputControls(registry().EntityByName(param::TDictField), *m_masterEdit);
    controls::TInputControlList* inputs = inputControls();
    if (inputs && inputs->HasControls()) LayoutInputPanel(*m_masterEdit, *inputs);
    if (inputs && inputs->HasControl("Code") &&
        internal::tableFlag(registry(), "IsAutoCoding") == "1")
        if (auto* edit = qobject_cast<QLineEdit*>(inputs->ControlByName("Code").Editor()))
            edit->setReadOnly(true);
    FocusFirstInput();
    FitPanelHeight(*m_masterEdit);
    m_detailSplitter->setSizes({m_masterEdit->height(), 300});
    watchHeaderEdits();

    m_layoutReady = true;
    TranslateCaptions(*this);
    StripeGrid(*m_masterGrid);
    StripeGrid(*m_detailGrid);
    m_submit->setEnabled(false);
    m_panelQuiet = false;
}

void TFrmCustomUpdateMD::watchHeaderEdits()
{
    controls::TInputControlList* inputs = inputControls();
    if (!inputs) return;
    const auto edited = [this] { headerEdited(); };
    for (int i = 0; i < inputs->Count(); ++i) {
        controls::TInputControl* control = inputs->Items(i);
        QWidget* editor = control ? control->Editor() : nullptr;
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            // Read-only boxes (codes, totals) change only by the program.
            connect(line, &QLineEdit::textChanged, this, [this, line] {
                if (!line->isReadOnly()) headerEdited();
            });
        } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            connect(combo, &QComboBox::currentTextChanged, this, edited);
        } else if (auto* date = qobject_cast<QDateTimeEdit*>(editor)) {
            connect(date, &QDateTimeEdit::dateTimeChanged, this, edited);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(editor)) {
            connect(memo, &QPlainTextEdit::textChanged, this, edited);
        }
    }
}

void TFrmCustomUpdateMD::headerEdited()
{
    // The program fills and empties the panel with the guard up: only the user's edits count.
    if (!m_panelQuiet) changeRecorded();
}

bool TFrmCustomUpdateMD::CallSubmitServer()
{
    return CallAppServer(remote::appserver::Update, remote::appserver::update::MasterDetail);
}

bool TFrmCustomUpdateMD::RunSubmit()
{
    m_panelQuiet = true;
    const auto quiet = qScopeGuard([this] { m_panelQuiet = false; });
    return internal::runGuardedSave(*this, [this] {
        if (!BeforeSubmit()) return false;
        FillSubmitPacket();
        if (!CallSubmitServer()) {
            ShowStatusText("数据更新失败，请稍后重试。");
            return false;
        }
        AfterSubmit();
        return true;
    });
}

void TFrmCustomUpdateMD::LoadSelectedMaster()
{
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    if (!list.Active() || list.IsEmpty()) return;
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    master.EmptyDataSet();
    master.MergeChangeLog();
    master.UpsertRecord(list);
    ShowMasterValues(MasterQuery);
    // Changes recorded for the document shown before are not this document's.
    ResetSubmitPacket();
}

void TFrmCustomUpdateMD::PrepareDetail(TCustomEntity& master)
{
    if (!registry().HasEntity(param::TDetail)) return;
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    if (lines.Active()) lines.FilterEqual("ParentID", GetObjID(master));
}

bool TFrmCustomUpdateMD::BeforeSubmit()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    master.SetData(CollectMasterUpdate());
    ShowStatusText("请稍候，正在更新单据“" +
                   gbk::display(master.FindField("Code") ? GetCode(master) : "") + "”……");
    return true;
}

bool TFrmCustomUpdateMD::FillSubmitPacket()
{
    TFrmQuery::FillSubmitPacket();
    AddLineChanges(submitPacket(), registry(), LineLevel::Detail);
    AddLineChanges(submitPacket(), registry(), LineLevel::List);
    return true;
}

bool TFrmCustomUpdateMD::ResetSubmitPacket()
{
    submitPacket().EmptyDataSet();
    ClearLineChanges(registry(), LineLevel::Detail);
    ClearLineChanges(registry(), LineLevel::List);
    return true;
}

bool TFrmCustomUpdateMD::AfterSubmit()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    if (submitPacket().ParamExists(param::TMaster)) {
        master.SetData(submitPacket().GetParamData(param::TMaster));
        registry().ApplyMasterCaptions();
    }
    if (master.Active() && !master.IsEmpty()) {
        master.First();
        list.UpsertRecord(master);
    }
    SizeGridColumns(*m_masterGrid);
    ShowStatusText(
        "单据“" + gbk::display(master.Active() && master.FindField("Code") ? GetCode(master) : "") +
        "”修改完成。");
    // Picked again, the document shows its lines as saved.
    ApplyLineChanges(registry().EntityByName(param::TDetailQuery), registry(), LineLevel::Detail);
    const bool reset = ResetSubmitPacket();
    m_submit->setEnabled(false);
    return reset;
}

bool TFrmCustomUpdateMD::RecordDetailChange()
{
    if (IsRecordedInsert(registry(), LineLevel::Detail))
        RecordDetailInsert();
    else
        RecordLineChange(registry(), LineLevel::Detail);
    return true;
}

bool TFrmCustomUpdateMD::RecordDetailDelete()
{
    RecordLineDelete(registry(), LineLevel::Detail);
    return true;
}

void TFrmCustomUpdateMD::BuildWhere()
{
    const std::string table = internal::masterTable(registry());
    clauses().AddClause(
        "where", table + ".StatusID = " + QuotedFilterValue(StatusObjID("StatusID", "Valid")));
    if (m_thisMonth->isChecked()) {
        const bool happened = registry().EntityByName(param::TMaster).FindField("HappenDate");
        clauses().AddClause("where",
                            happened ? HappenDateThisMonth(table) : CreateDateThisMonth(table));
    } else if (m_custom->isChecked()) {
        ChooseQueryConditions(*this, table, clauses(), "请选定您想要的查询条件……");
    }
}

void TFrmCustomUpdateMD::AfterQueryMD()
{
    TParamData& packet = submitPacket();
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    if (packet.ParamExists(param::TMaster)) list.SetData(packet.GetParamData(param::TMaster));
    if (packet.ParamExists(param::TDetailQuery)) {
        TCustomEntity& query = registry().EntityByName(param::TDetailQuery);
        query.SetData(packet.GetParamData(param::TDetailQuery));
        registry().EntityByName(param::TDetail).CopyStructure(query);
        PrepareLineChanges(registry(), LineLevel::Detail);
    }
    ShowStatusText("查询完成，本次查询到[" +
                   std::to_string(list.Active() ? list.RecordCount() : 0) + "]条记录。");
    if (!list.Active()) return;
    if (list.FindField("Code")) list.SortAsc("Code", "Clear");
    list.First();
}

void TFrmCustomUpdateMD::DetailLinePicked()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    lines.EditField("ParentID", GetObjID(registry().EntityByName(param::TMaster)));
    AssignNewCode(lines);
    RecordDetailInsert();
    changeRecorded();
}

void TFrmCustomUpdateMD::QueryClicked()
{
    m_panelQuiet = true;
    const auto quiet = qScopeGuard([this] { m_panelQuiet = false; });
    m_submit->setEnabled(false);
    ClearPanel(*m_masterEdit);
    // Until the next pick no document is shown, so no edit can be taken for one.
    for (const std::string_view name : {param::TMaster, param::TDetail}) {
        TCustomEntity& rows = registry().EntityByName(name);
        if (rows.Active()) rows.EmptyDataSet();
    }
    // The query empties the lines it asks for; a failed one puts the listed documents' lines
    // back, so a document picked from the list still shows its own.
    TCustomEntity& listed = registry().EntityByName(param::TDetailQuery);
    const Variant listedLines = listed.Active() ? listed.Data() : Variant();
    if (!RunQueryMD() && !listedLines.isNull()) listed.SetData(listedLines);
    registry().BindGrid(MasterQuery, *m_masterGrid);
    SizeGridColumns(*m_masterGrid);
}

void TFrmCustomUpdateMD::MasterRowClicked()
{
    m_layoutReady = false;
    m_panelQuiet = true;
    const auto ready = qScopeGuard([this] {
        m_layoutReady = true;
        m_panelQuiet = false;
    });
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    if (!list.Active() || list.IsEmpty()) return;
    ShowWaitCursor();
    const auto restore = qScopeGuard([this] { ShowDefaultCursor(); });
    try {
        LoadSelectedMaster();
        PrepareDetail(list);
        m_submit->setEnabled(true);
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmCustomUpdateMD::SubmitClicked()
{
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    if (!list.Active() || list.IsEmpty()) {
        ShowStatusText("请查询出单据后再进行修改。");
        return;
    }
    RunSubmit();
}

namespace {

bool documentPicked(TCustomEntityList& registry)
{
    TCustomEntity& master = registry.EntityByName(param::TMaster);
    return master.Active() && !master.IsEmpty() && !GetObjID(master).empty();
}

} // namespace

void TFrmCustomUpdateMD::DetailAddClicked()
{
    if (!documentPicked(registry())) {
        ShowStatusText("请查询出单据后再进行修改。");
        return;
    }
    try {
        PickDetailProducts();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmCustomUpdateMD::DetailDelClicked()
{
    try {
        RecordDetailDelete();
        changeRecorded();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmCustomUpdateMD::lineEdited()
{
    if (!documentPicked(registry())) return;
    try {
        RecordDetailChange();
        changeRecorded();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmCustomUpdateMD::changeRecorded()
{
    // After a save "保存" is off while the document stays shown: its next change is saved
    // again rather than dropped by the next pick.
    if (documentPicked(registry())) m_submit->setEnabled(true);
}

// ---------------------------------------------------------------------------------------

TFrmUpdateMD::TFrmUpdateMD(QWidget* owner) : TFrmCustomUpdateMD(owner)
{
    setObjectName(QStringLiteral("FrmUpdateMD"));
    resize(900, 600);
}

TFrmUpdateMD::~TFrmUpdateMD() = default;

bool TFrmUpdateMD::BeforeSubmit()
{
    return TFrmCustomUpdateMD::BeforeSubmit();
}

void TFrmUpdateMD::PrepareDetail(TCustomEntity& master)
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    TCustomEntity& query = registry().EntityByName(param::TDetailQuery);
    if (!lines.Active() || !query.Active()) return;
    const std::string id = GetObjID(master);
    const ControlsDisabled held(lines);
    lines.ClearFilter();
    lines.EmptyDataSet();
    // The query's lines share the lines' structure; fields are matched by name all the same.
    std::vector<int> from;
    from.reserve(static_cast<std::size_t>(lines.FieldCount()));
    for (int i = 0; i < lines.FieldCount(); ++i)
        from.push_back(query.FieldIndexOf(lines.Fields(i).FieldName()));
    const ControlsDisabled queryHeld(query);
    query.FilterEqual("ParentID", id);
    std::vector<Variant> values(from.size());
    for (query.First(); !query.Eof(); query.Next()) {
        for (std::size_t i = 0; i < from.size(); ++i)
            values[i] = from[i] >= 0 ? query.Fields(from[i]).AsVariant() : Variant();
        lines.AppendRecord(values);
    }
    query.ClearFilter();
    lines.MergeChangeLog();
    lines.First();
}

void TFrmUpdateMD::QueryClicked()
{
    TFrmCustomUpdateMD::QueryClicked();
    registry().BindGrid(param::TDetail, dgeDetail());
    SizeGridColumns(dgeDetail());
}

} // namespace corvo::forms
