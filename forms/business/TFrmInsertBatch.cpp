#include "TFrmInsertBatch.h"

#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "forms/rules/BatchEntry.h"
#include "internal/BusinessKit.h"
#include "platform/DataGrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>

namespace corvo::forms {
namespace {

constexpr const char* Batch = "TMasterBatch";
constexpr const char* Check = "TMasterCheck";
constexpr int PanelHeight = 208;

} // namespace

TFrmInsertBatch::TFrmInsertBatch(QWidget* owner) : TFrmInsert(owner)
{
    setObjectName(QStringLiteral("FrmInsertBatch"));
    m_grid = new platform::DataGrid(&pnlClient());
    m_grid->setObjectName(QStringLiteral("dgeMaster"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->setDefaultSectionSize(18);

    m_clear = business::makeButton(&pnlBottomMiddle(), "mbtClear", "清空新建");
    m_delete = business::makeButton(&pnlBottomMiddle(), "mbtDelete", "删除一条");
    m_batch = business::makeButton(&pnlBottomMiddle(), "mbtBatch", "连续录入");
    if (auto* middle = qobject_cast<QHBoxLayout*>(pnlBottomMiddle().layout())) {
        // [ 清空新建 删除一条 ] centred, then 连续录入 and 保存 at the right.
        middle->insertStretch(0, 1);
        middle->insertWidget(1, m_clear);
        middle->insertWidget(2, m_delete);
        middle->insertWidget(4, m_batch);
    }
    connect(m_batch, &QPushButton::clicked, this, [this] { BatchClicked(); });
    connect(m_delete, &QPushButton::clicked, this, [this] { DeleteClicked(); });
    connect(m_clear, &QPushButton::clicked, this, [this] { ClearClicked(); });
    connect(m_grid, &QAbstractItemView::clicked, this, [this] { BatchRowClicked(); });
    // After the insert form's "新建": the batch stays, and so does what "保存" may send.
    connect(&mbtInsert(), &QPushButton::clicked, this,
            [this] { mbtSubmit().setEnabled(!m_saved && hasBatch()); });
    connect(&mbtSubmit(), &QPushButton::clicked, this, [this] {
        if (m_saved) m_clear->setFocus(Qt::OtherFocusReason);
    });
}

TFrmInsertBatch::~TFrmInsertBatch() = default;

void TFrmInsertBatch::FormShow()
{
    TFrmInsert::FormShow();
    registry().AddEntities({Batch, Check});
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    registry().EntityByName(Batch).CopyStructure(master);
    registry().EntityByName(Check).CopyStructure(master);
    registry().BindGrid(Batch, *m_grid);
    SizeGridColumns(*m_grid);
    mbtSubmit().setEnabled(false);
    placeGrid();
}

void TFrmInsertBatch::resizeEvent(QResizeEvent* event)
{
    TFrmInsert::resizeEvent(event);
    placeGrid();
}

void TFrmInsertBatch::placeGrid()
{
    int top = PanelHeight;
    for (QWidget* child : pnlClient().findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != m_grid && child->isVisibleTo(&pnlClient()))
            top = std::max(top, child->geometry().bottom() + 6);
    m_grid->setGeometry(0, top, pnlClient().width(), std::max(40, pnlClient().height() - top));
}

bool TFrmInsertBatch::hasBatch()
{
    if (!registry().HasEntity(Batch)) return false;
    TCustomEntity& batch = registry().EntityByName(Batch);
    return batch.Active() && !batch.IsEmpty();
}

void TFrmInsertBatch::setPanelEnabled(bool enabled)
{
    for (QWidget* child : pnlClient().findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != m_grid) child->setEnabled(enabled);
}

void TFrmInsertBatch::BatchClicked()
{
    TCustomEntity& batch = registry().EntityByName(Batch);
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    try {
        if (batch.RecordCount() >= BatchLimit) {
            ShowStatusText("已达到连续录入的100条记录上限，请按[保存]按钮进行保存");
            return;
        }
        master.SetData(CollectNewMaster());
        master.First();
        if (master.FindField("ObjID") && GetObjID(master).empty()) AssignNewObjID(master);
        TCustomEntity& check = registry().EntityByName(Check);
        check.ClearFilter();
        check.CopyFrom(batch);
        const std::vector<std::string> unique =
            UniqueColumns(registry().EntityByName(param::TDictField));
        if (CheckBatchRecord(check, master, unique) == BatchCheck::Duplicate) {
            ShowStatusText("本次要新增的数据中存在相同数据，不能新增该记录");
            return;
        }
        batch.UpsertRecord(master);
        const std::string autoCoding = business::tableFlag(*this, "IsAutoCoding");
        ShowStatusText(BatchHeldMessage(
            !autoCoding.empty() && autoCoding != "0",
            gbk::display(master.FindField("Code") ? GetCode(master) : std::string())));
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
        return;
    }
    mbtSubmit().setEnabled(hasBatch());
    mbtInsert().setFocus(Qt::OtherFocusReason);
}

void TFrmInsertBatch::DeleteClicked()
{
    if (!hasBatch()) return;
    registry().EntityByName(Batch).Delete();
    mbtSubmit().setEnabled(hasBatch());
}

void TFrmInsertBatch::ClearClicked()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.Active()) master.EmptyDataSet();
    TCustomEntity& batch = registry().EntityByName(Batch);
    if (batch.Active()) batch.EmptyDataSet();
    ClearPanel(pnlClient());
    m_saved = false;
    setPanelEnabled(true);
    m_batch->setEnabled(true);
    m_delete->setEnabled(true);
    mbtSubmit().setEnabled(false);
    FocusFirstInput();
}

void TFrmInsertBatch::BatchRowClicked()
{
    if (!hasBatch()) return;
    try {
        ShowMasterValues(Batch);
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
        return;
    }
    FocusFirstInput();
}

bool TFrmInsertBatch::BeforeSubmit()
{
    ShowStatusText("请稍候，正在向服务器新增单据……");
    return true;
}

bool TFrmInsertBatch::FillSubmitPacket()
{
    TParamData& packet = submitPacket();
    packet.EmptyDataSet();
    packet.SetParamValue(param::AppName, Variant(std::string(param::AppNameValue)));
    if (!hasBatch()) throw Error("主单据数据为空！");
    packet.SetParamData(param::TMaster, registry().EntityByName(Batch).Data());
    return true;
}

bool TFrmInsertBatch::UpdateLocalCopy()
{
    if (business::tableFlag(*this, "IsClientTable") != "1" || !hasBatch()) return true;
    TCustomEntity& batch = registry().EntityByName(Batch);
    const std::string name = GetFirstFieldName(batch);
    TCustomEntity copy;
    if (!LoadLocalFile(name, copy) || !copy.Active()) copy.CopyStructure(batch);
    if (name == "TOrgan") copy.EmptyDataSet();
    copy.UpsertAll(batch);
    SaveLocalFile(name, copy);
    return true;
}

bool TFrmInsertBatch::AfterSubmit()
{
    m_saved = true;
    setPanelEnabled(false);
    m_delete->setEnabled(false);
    m_batch->setEnabled(false);
    mbtSubmit().setEnabled(false);
    ShowStatusText("数据批量新增完成。");
    return true;
}

} // namespace corvo::forms
