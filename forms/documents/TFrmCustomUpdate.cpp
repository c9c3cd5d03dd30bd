#include "TFrmCustomUpdate.h"

#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "internal/EntryForms.h"
#include "password/EncodePassword.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "remote/AppServers.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr int ListWidth = 208;
constexpr int ListMinimum = 20;
constexpr int ListMaximum = 400;
constexpr const char* MasterQuery = "TMasterQuery";

/// Rows owned by no organisation are shared reference rows: nobody may change them here.
void dropUnowned(TCustomEntity& rows)
{
    if (rows.Active() && rows.FindField("TOwnerID"))
        DeleteRowsEqual(rows, "TOwnerID", EmptyGuidText);
}

} // namespace

TFrmCustomUpdate::TFrmCustomUpdate(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmCustomUpdate"));
    registry().AddEntity(MasterQuery);

    auto* client = new QHBoxLayout(&pnlClient());
    client->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Horizontal, &pnlClient());
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    client->addWidget(m_splitter);
    m_queryResult = new QFrame(m_splitter);
    m_queryResult->setObjectName(QStringLiteral("pnlQueryResult"));
    m_queryResult->setMinimumWidth(ListMinimum);
    m_queryResult->setMaximumWidth(ListMaximum);
    auto* list = new QVBoxLayout(m_queryResult);
    list->setContentsMargins(0, 0, 0, 0);
    m_grid = new platform::DataGrid(m_queryResult);
    m_grid->setObjectName(QStringLiteral("dgeMasterQuery"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->setDefaultSectionSize(16);
    m_grid->setSortingEnabled(false);
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { sortList(column); });
    list->addWidget(m_grid);
    m_update = new QFrame(m_splitter);
    m_update->setObjectName(QStringLiteral("pnlUpdate"));
    m_splitter->addWidget(m_queryResult);
    m_splitter->addWidget(m_update);
    m_splitter->setCollapsible(0, false);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({ListWidth, 700});

    m_query = internal::makeButton(&pnlBottomLeft(), "mbtQuery", "查询");
    m_query->move(8, 6);
    auto* middle = new QHBoxLayout(&pnlBottomMiddle());
    middle->setContentsMargins(4, 5, 0, 6);
    middle->addStretch(1);
    m_submit = internal::makeButton(&pnlBottomMiddle(), "mbtSubmit", "保存");
    middle->addWidget(m_submit);
}

TFrmCustomUpdate::~TFrmCustomUpdate() = default;

void TFrmCustomUpdate::sortList(int column)
{
    QHeaderView& header = *m_grid->horizontalHeader();
    TClientDataSet* rows = m_grid->dataSet();
    if (!rows || !rows->Active() || column < 0 || column >= m_grid->gridModel().columnCount()) {
        header.setSortIndicator(-1, Qt::AscendingOrder);
        return;
    }
    // The first click on a title sorts up, the next on the same title down.
    const bool down = m_sortColumn == column && !m_sortDown;
    const std::string& field = m_grid->gridModel().fieldName(column);
    try {
        auto& list = registry().EntityByName(MasterQuery);
        if (down)
            list.SortDesc(field, "Clear");
        else
            list.SortAsc(field, "Clear");
        list.First();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
        return;
    }
    m_sortColumn = column;
    m_sortDown = down;
    header.setSortIndicator(column, down ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TFrmCustomUpdate::resetListSort()
{
    m_sortColumn = -1;
    m_sortDown = false;
    m_grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void TFrmCustomUpdate::showEvent(QShowEvent* event)
{
    TFrmQuery::showEvent(event);
    internal::showFirstTime(*this, m_shown, [this] { FormShow(); });
}

void TFrmCustomUpdate::FormShow() {}

void TFrmCustomUpdate::resizeEvent(QResizeEvent* event)
{
    TFrmQuery::resizeEvent(event);
    if (m_layoutReady && inputControls() && inputControls()->HasControls())
        LayoutInputPanel(*m_update, *inputControls());
}

bool TFrmCustomUpdate::RunSubmit()
{
    return internal::runGuardedSave(*this, [this] {
        if (!BeforeSubmit()) return false;
        FillSubmitPacket();
        bool saved = false;
        if (CallSubmitServer()) {
            UpdateLocalCopy();
            AfterSubmit();
            saved = true;
        } else {
            ShowStatusText("数据更新失败，请稍后重试。");
        }
        FocusFirstInput();
        return saved;
    });
}

bool TFrmCustomUpdate::CallSubmitServer()
{
    return false;
}

// ---------------------------------------------------------------------------------------

TFrmUpdate::TFrmUpdate(QWidget* owner) : TFrmCustomUpdate(owner)
{
    setObjectName(QStringLiteral("FrmUpdate"));
    connect(&mbtQuery(), &QPushButton::clicked, this, [this] { QueryClicked(); });
    connect(&mbtSubmit(), &QPushButton::clicked, this, [this] { SubmitClicked(); });
    connect(&dgeMasterQuery(), &QAbstractItemView::clicked, this, [this] { MasterRowClicked(); });
}

TFrmUpdate::~TFrmUpdate() = default;

void TFrmUpdate::FormShow()
{
    TFrmCustomUpdate::FormShow();
    setLayoutReady(false);
    registry().SelectMasterFields();
    BuildInputControls(registry().EntityByName(param::TDictField), pnlUpdate());
    controls::TInputControlList* inputs = inputControls();
    if (inputs && inputs->HasControls()) LayoutInputPanel(pnlUpdate(), *inputs);
    if (inputs && inputs->HasControl("Code") &&
        internal::tableFlag(registry(), "IsAutoCoding") == "1")
        if (auto* edit = qobject_cast<QLineEdit*>(inputs->ControlByName("Code").Editor()))
            edit->setReadOnly(true);

    TCustomEntity& list = registry().EntityByName(MasterQuery);
    const std::string table = internal::masterTable(registry());
    const bool cached = internal::tableFlag(registry(), "IsClientTable") == "1" &&
                        LoadLocalFile(table, list) && list.Active();
    if (!cached) list.CopyFrom(registry().EntityByName(param::TMaster));
    dropUnowned(list);

    registry().BindGrid(MasterQuery, dgeMasterQuery());
    StripeGrid(dgeMasterQuery());
    SizeGridColumns(dgeMasterQuery());
    mbtSubmit().setEnabled(false);
    setLayoutReady(true);
}

std::string TFrmUpdate::EncodeUserPassword(const std::string& userCode, const std::string& password)
{
    return EncodePassword(userCode, password);
}

bool TFrmUpdate::BeforeSubmit()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    master.SetData(CollectMasterUpdate());
    if (master.FindField("Code")) ShowStatusText("请稍候，正在更新数据……");
    return true;
}

bool TFrmUpdate::AfterSubmit()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    // A reply without the stored record still means the sent one is stored.
    if (submitPacket().ParamExists(param::TMaster)) {
        master.SetData(submitPacket().GetParamData(param::TMaster));
        registry().ApplyMasterCaptions();
    }
    submitPacket().EmptyDataSet();
    if (!master.Active() || master.IsEmpty()) return true;
    master.First();
    registry().EntityByName(MasterQuery).UpsertRecord(master);
    dgeMasterQuery().setFocus(Qt::OtherFocusReason);
    SizeGridColumns(dgeMasterQuery());
    if (master.FindField("Code"))
        ShowStatusText("代码为“" + gbk::display(GetCode(master)) + "”的数据修改完成。");
    return true;
}

void TFrmUpdate::BuildWhere() {}

void TFrmUpdate::AfterQuery()
{
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    if (submitPacket().ParamExists(param::TMaster))
        list.SetData(submitPacket().GetParamData(param::TMaster));
    dropUnowned(list);
    ShowStatusText("查询完成，本次查询到[" +
                   std::to_string(list.Active() ? list.RecordCount() : 0) + "]条记录。");
}

bool TFrmUpdate::CallSubmitServer()
{
    return CallAppServer(remote::appserver::Update, remote::appserver::update::Single);
}

void TFrmUpdate::QueryClicked()
{
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    {
        const ControlsDisabled held(list);
        mbtSubmit().setEnabled(false);
        ClearPanel(pnlUpdate());
        RunQuery();
        registry().BindGrid(MasterQuery, dgeMasterQuery());
        resetListSort();
        SizeGridColumns(dgeMasterQuery());
        if (list.Active()) list.First();
    }
    dgeMasterQuery().setFocus(Qt::OtherFocusReason);
}

void TFrmUpdate::MasterRowClicked()
{
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    if (!list.Active() || list.IsEmpty()) return;
    try {
        registry().EntityByName(param::TMaster).AssignRecord(list);
        ShowMasterValues(MasterQuery);
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
        return;
    }
    FocusFirstInput();
    mbtSubmit().setEnabled(true);
}

void TFrmUpdate::SubmitClicked()
{
    mbtSubmit().setEnabled(false);
    TCustomEntity& list = registry().EntityByName(MasterQuery);
    if (!list.Active() || list.IsEmpty()) {
        ShowStatusText("请查询出单据后再进行修改。");
        return;
    }
    if (!RunSubmit()) mbtSubmit().setEnabled(true);
}

} // namespace corvo::forms
