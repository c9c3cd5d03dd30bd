#include "TFrmUpdateSize.h"

#include "TFrmEditSize.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/reports/SizeForms.h"
#include "internal/EntryForms.h"
#include "internal/SizeLines.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/Modal.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>

namespace corvo::forms {
TFrmUpdateSize::TFrmUpdateSize(QWidget* owner) : TFrmUpdateMD(owner)
{
    setObjectName(QStringLiteral("FrmUpdateSize"));
    m_sum = internal::addSumButton(pnlBottomMiddle(), mbtDetailAdd(), mbtDetailDel());

    // The generic form records a typed line and runs its own line buttons; here the commit
    // check decides what is recorded, and the totals follow, so those run no more.
    disconnect(&mbtDetailAdd(), nullptr, this, nullptr);
    disconnect(&mbtDetailDel(), nullptr, this, nullptr);
    disconnect(&dgeDetail().gridModel(), &platform::DataGridModel::cellEdited, this, nullptr);
    connect(&mbtDetailAdd(), &QPushButton::clicked, this, [this] { SizeDetailAddClicked(); });
    connect(&mbtDetailDel(), &QPushButton::clicked, this, [this] { SizeDetailDelClicked(); });
    connect(m_sum, &QPushButton::clicked, this, [this] { Recalculate(); });
    connect(&dgeDetail().gridModel(), &platform::DataGridModel::cellEdited, this,
            [this](int, int column) { lineEdited(column); });
    dgeDetail().installEventFilter(this);
    dgeDetail().viewport()->installEventFilter(this);
}

TFrmUpdateSize::~TFrmUpdateSize() = default;

void TFrmUpdateSize::FormShow()
{
    sizeforms::LoadSizeCopies(*this);
    sizeforms::RelabelForCaption(*this, SizeForm::Update);
    TFrmUpdateMD::FormShow();
    m_handlers = false;
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    m_walk = std::make_unique<internal::DetailWalk>(
        dgeDetail(), lines, [this] { return m_handlers; }, [this] { CommitCurrentLine(); });
    // Without an organisation box the discount is that of the document's own organisation.
    internal::WireSaleDiscount(
        *this, [this] { Recalculate(); },
        [this] {
            TCustomEntity& master = registry().EntityByName(param::TMaster);
            return master.Active() && !master.IsEmpty() && master.FindField("TOrganID")
                       ? GetFieldString(master, "TOrganID")
                       : std::string();
        });
    internal::MakeTotalsReadOnly(*this);
    // No document picked, no type: no size column until one is.
    sizeforms::ApplySizeColumns(lines, {});
    SizeGridColumns(dgeDetail());
    setEditing(false);
    dgeMasterQuery().setEnabled(false);
    m_snapshot = Variant();
    m_handlers = true;
}

void TFrmUpdateSize::setEditing(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{&pnlMasterEdit(), &dgeDetail(),
                                                      &mbtDetailAdd(), &mbtDetailDel(), m_sum})
        w->setEnabled(on);
}

void TFrmUpdateSize::BuildWhere()
{
    TCustomEntity& params = registry().EntityByName("TOtherParam");
    const auto cleared = qScopeGuard([&] {
        if (params.Active()) params.ClearFilter();
    });
    TFrmUpdateMD::BuildWhere();
    clauses().AddClause("where", FirstStatusClause(params, internal::masterTable(registry())));
}

void TFrmUpdateSize::QueryClicked()
{
    m_handlers = false;
    const auto restore = qScopeGuard([this] { m_handlers = true; });
    TFrmUpdateMD::QueryClicked();
    TCustomEntity& committed = registry().EntityByName(param::TDetailQuery);
    m_snapshot = committed.Active() ? committed.Data() : Variant();
    TCustomEntity& list = registry().EntityByName("TMasterQuery");
    dgeMasterQuery().setEnabled(list.Active() && !list.IsEmpty());
    setEditing(false);
}

void TFrmUpdateSize::PrepareDetail(TCustomEntity& master)
{
    m_handlers = false;
    const auto restore = qScopeGuard([this] { m_handlers = true; });
    TCustomEntity& committed = registry().EntityByName(param::TDetailQuery);
    if (!m_snapshot.isNull()) committed.SetData(m_snapshot);
    TFrmUpdateMD::PrepareDetail(master);
    TCustomEntity& list = registry().EntityByName("TMasterQuery");
    setEditing(list.Active() && !list.IsEmpty());
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    registry().BindGrid(param::TDetail, dgeDetail());
    sizeforms::ApplySizeColumns(lines, SizeTitles(registry().EntityByName("TProductTypeSize")));
    if (internal::hasProduct(lines))
        sizeforms::ApplySizeColumns(lines, sizeforms::TitlesOfLineProduct(registry(), lines));
    SizeGridColumns(dgeDetail());
    m_handlers = true;
    if (m_walk) m_walk->SelectQuantity();
}

bool TFrmUpdateSize::CommitCurrentLine()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    TCustomEntity& committed = registry().EntityByName(param::TDetailQuery);
    if (!internal::hasProduct(lines)) return false;
    const bool was = m_handlers;
    m_handlers = false;
    const auto restore = qScopeGuard([&] { m_handlers = was; });
    SizeTotals totals = internal::ShownTotals(*this);
    if (!CommitLineCheck(lines, committed, totals)) return false;
    internal::ShowTotals(*this, totals);
    RecordDetailChange();
    return true;
}

void TFrmUpdateSize::lineEdited(int column)
{
    if (!m_handlers) return;
    try {
        TCustomEntity& lines = registry().EntityByName(param::TDetail);
        const bool size = internal::isSizeField(internal::ColumnField(dgeDetail(), column));
        if (size)
            if (const auto sum = SizeSum(lines); sum && lines.FindField("Quantity"))
                SetFieldFloat(lines, "Quantity", *sum);
        // A size moved between sizes changes no total, yet the line must be sent.
        if (!CommitCurrentLine() && size) RecordDetailChange();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmUpdateSize::Recalculate()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    const bool was = m_handlers;
    m_handlers = false;
    const auto restore = qScopeGuard([&] { m_handlers = was; });
    try {
        SizeTotals totals;
        {
            const ControlsDisabled held(lines);
            totals = RecalculateLines(lines);
        }
        internal::ShowTotals(*this, totals);
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmUpdateSize::SizeDetailAddClicked()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active() || master.IsEmpty() || GetObjID(master).empty()) {
        ShowStatusText("请查询出单据后再进行修改。");
        return;
    }
    try {
        TCustomEntity& lines = registry().EntityByName(param::TDetail);
        Variant products;
        const std::string warehouse = internal::ChosenWarehouse(*this);
        if (!warehouse.empty()) products = internal::StockedProducts(*this, warehouse);
        TFrmEditSize picker(this);
        picker.SetInputs(products, internal::hasProduct(lines)
                                       ? lines.FieldByName("TProductID").AsString()
                                       : std::string());
        picker.SetContinueHandler([this](TClientDataSet& chosen, const std::string& type) {
            AddProducts(chosen, type);
            dgeDetail().viewport()->update();
        });
        platform::execModal(picker);
        if (picker.resultFlag() != 1 || picker.result().isNull()) return;
        TCustomEntity chosen;
        chosen.SetData(picker.result());
        AddProducts(chosen, picker.pickedType());
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

void TFrmUpdateSize::AddProducts(TClientDataSet& products, const std::string& typeId)
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    TCustomEntity& committed = registry().EntityByName(param::TDetailQuery);
    const std::string filter = lines.Filter();
    const bool filtered = lines.Filtered();
    m_handlers = false;
    const auto restore = qScopeGuard([&] {
        if (!filter.empty()) lines.SetFilter(filter);
        lines.SetFiltered(filtered);
        lines.Last();
        m_handlers = true;
    });
    lines.SetFiltered(false);
    const std::string parent = GetObjID(registry().EntityByName(param::TMaster));
    const PriceRule rule = PriceRuleFor(moduleName());
    SizeTotals totals = internal::ShownTotals(*this);
    {
        const ControlsDisabled held(lines);
        for (products.First(); !products.Eof(); products.Next()) {
            internal::AddProductLine(lines, products, rule, &parent);
            AddCommittedLine(lines, committed, totals);
            RecordDetailInsert();
        }
    }
    internal::ShowTotals(*this, totals);
    sizeforms::ApplySizeColumns(
        lines, SizeTitlesOfType(registry().EntityByName("TProductTypeSize"), typeId));
    SizeGridColumns(dgeDetail());
    dgeDetail().setEnabled(internal::hasProduct(lines));
    registry().SelectMasterFields();
    dgeDetail().setFocus(Qt::OtherFocusReason);
}

void TFrmUpdateSize::SizeDetailDelClicked()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    if (!lines.Active() || lines.IsEmpty()) return;
    m_handlers = false;
    const auto restore = qScopeGuard([this] { m_handlers = true; });
    try {
        SizeTotals totals = internal::ShownTotals(*this);
        RemoveCommittedLine(lines, registry().EntityByName(param::TDetailQuery), totals);
        internal::ShowTotals(*this, totals);
        RecordDetailDelete();
        if (!internal::hasProduct(lines)) dgeDetail().setEnabled(false);
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
    dgeDetail().setFocus(Qt::OtherFocusReason);
}

void TFrmUpdateSize::EnterSizes()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    if (!internal::hasProduct(lines) || !dgeDetail().isEnabled()) return;
    try {
        const auto titles = sizeforms::TitlesOfLineProduct(registry(), lines);
        if (internal::EnterLineSizes(this, lines, titles) && !CommitCurrentLine())
            RecordDetailChange();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

bool TFrmUpdateSize::BeforeSubmit()
{
    CommitCurrentLine();
    internal::CheckLines(registry().EntityByName(param::TDetail));
    return TFrmUpdateMD::BeforeSubmit();
}

bool TFrmUpdateSize::AfterSubmit()
{
    m_handlers = false;
    const auto restore = qScopeGuard([this] { m_handlers = true; });
    const bool done = TFrmUpdateMD::AfterSubmit();
    setEditing(false);
    TCustomEntity& committed = registry().EntityByName(param::TDetailQuery);
    m_snapshot = committed.Active() ? committed.Data() : Variant();
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    registry().BindGrid(param::TDetail, dgeDetail());
    sizeforms::ApplySizeColumns(lines, SizeTitles(registry().EntityByName("TProductTypeSize")));
    SizeGridColumns(dgeDetail());
    return done;
}

bool TFrmUpdateSize::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &dgeDetail() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        EnterSizes();
        return true;
    }
    if (watched == dgeDetail().viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const QModelIndex at =
            dgeDetail().indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (at.isValid() &&
            internal::isSizeField(internal::ColumnField(dgeDetail(), at.column()))) {
            TCustomEntity& lines = registry().EntityByName(param::TDetail);
            if (at.row() < lines.RecordCount()) lines.SetRecNo(at.row() + 1);
            EnterSizes();
            return true;
        }
    }
    return TFrmUpdateMD::eventFilter(watched, event);
}

} // namespace corvo::forms
