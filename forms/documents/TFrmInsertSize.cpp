#include "TFrmInsertSize.h"

#include "TFrmEditSize.h"
#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/reports/SizeForms.h"
#include "internal/EntryForms.h"
#include "internal/SizeLines.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/Modal.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <functional>

namespace corvo::forms {
TFrmInsertSize::TFrmInsertSize(QWidget* owner) : TFrmInsertMD(owner)
{
    setObjectName(QStringLiteral("FrmInsertSize"));
    m_sum = internal::addSumButton(pnlBottomMiddle(), mbtDetailAdd(), mbtDetailDel());

    // The size document's own line buttons replace the generic ones.
    disconnect(&mbtDetailAdd(), nullptr, this, nullptr);
    disconnect(&mbtDetailDel(), nullptr, this, nullptr);
    disconnect(&mbtNew(), nullptr, this, nullptr);
    connect(&mbtDetailAdd(), &QPushButton::clicked, this, [this] { SizeDetailAddClicked(); });
    connect(&mbtDetailDel(), &QPushButton::clicked, this, [this] { SizeDetailDelClicked(); });
    connect(&mbtNew(), &QPushButton::clicked, this, [this] { SizeNewClicked(); });
    connect(m_sum, &QPushButton::clicked, this, [this] { Recalculate(); });
    connect(&dgeDetail().gridModel(), &platform::DataGridModel::cellEdited, this,
            [this](int, int column) {
                if (!m_handlers) return;
                TCustomEntity& lines = registry().EntityByName(param::TDetail);
                if (internal::isSizeField(internal::ColumnField(dgeDetail(), column)))
                    if (const auto sum = SizeSum(lines); sum && lines.FindField("Quantity"))
                        SetFieldFloat(lines, "Quantity", *sum);
                Recalculate();
            });
    dgeDetail().installEventFilter(this);
    dgeDetail().viewport()->installEventFilter(this);
}

TFrmInsertSize::~TFrmInsertSize() = default;

void TFrmInsertSize::FormShow()
{
    sizeforms::LoadSizeCopies(*this);
    sizeforms::RelabelForCaption(*this, SizeForm::Entry);
    TFrmInsertMD::FormShow();
    m_handlers = false;
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    m_walk = std::make_unique<internal::DetailWalk>(
        dgeDetail(), lines, [this] { return m_handlers; }, [this] { Recalculate(); });
    // A daily report has no organisation box: its discount is that of the store it is booked to.
    std::function<std::string()> store;
    if (RelabelsDailyReport(SizeForm::Entry, moduleName())) store = [this] { return dailyStore(); };
    internal::WireSaleDiscount(
        *this, [this] { Recalculate(); }, store);
    internal::MakeTotalsReadOnly(*this);
    lockGridWithoutProduct();
    m_handlers = true;
}

void TFrmInsertSize::lockGridWithoutProduct()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    const bool product = internal::hasProduct(lines);
    // No product, no type: no size column to show until one is picked.
    if (!product) hideSizeColumns();
    if (m_walk) m_walk->SelectQuantity();
    dgeDetail().gridModel().setEditable(product);
}

void TFrmInsertSize::hideSizeColumns()
{
    sizeforms::ApplySizeColumns(registry().EntityByName(param::TDetail), {});
    SizeGridColumns(dgeDetail());
}

std::string TFrmInsertSize::dailyStore()
{
    registry().EntityByName("TOtherParam").ClearFilter();
    TCustomEntity& organs = registry().EntityByName("TOrgan");
    // Without a store coded "LS" the report names no organisation rather than any row.
    if (organs.Active() && organs.FindRecord("Code", "LS")) return GetObjID(organs);
    return std::string(EmptyGuidText);
}

void TFrmInsertSize::Recalculate()
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

void TFrmInsertSize::SizeDetailAddClicked()
{
    try {
        TCustomEntity& lines = registry().EntityByName(param::TDetail);
        Variant products;
        if (gbk::upper(internal::masterTable(registry())).find("OUT") != std::string::npos &&
            inputControls() && inputControls()->HasControl("TWarehouseID")) {
            const std::string warehouse = internal::ChosenWarehouse(*this);
            if (!warehouse.empty()) products = internal::StockedProducts(*this, warehouse);
        }
        TFrmEditSize picker(this);
        picker.SetInputs(products, internal::hasProduct(lines)
                                       ? lines.FieldByName("TProductID").AsString()
                                       : std::string());
        picker.SetContinueHandler([this](TClientDataSet& chosen, const std::string& type) {
            AddProducts(chosen, type);
            registry().EntityByName(param::TDetail).Last();
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

void TFrmInsertSize::AddProducts(TClientDataSet& products, const std::string& typeId)
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    m_handlers = false;
    const auto restore = qScopeGuard([this] { m_handlers = true; });
    const PriceRule rule = PriceRuleFor(moduleName());
    {
        const ControlsDisabled held(lines);
        for (products.First(); !products.Eof(); products.Next())
            internal::AddProductLine(lines, products, rule, nullptr);
    }
    sizeforms::ApplySizeColumns(
        lines, SizeTitlesOfType(registry().EntityByName("TProductTypeSize"), typeId));
    SizeGridColumns(dgeDetail());
    if (internal::hasProduct(lines)) dgeDetail().gridModel().setEditable(true);
    lines.First();
    lines.Last();
    Recalculate();
    dgeDetail().setFocus(Qt::OtherFocusReason);
}

void TFrmInsertSize::SizeDetailDelClicked()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    if (!lines.Active() || lines.IsEmpty()) return;
    try {
        m_handlers = false;
        lines.Delete();
        m_handlers = true;
        Recalculate();
        if (internal::hasProduct(lines)) {
            sizeforms::ApplySizeColumns(lines,
                                        SizeTitles(registry().EntityByName("TProductTypeSize")));
            SizeGridColumns(dgeDetail());
        } else {
            hideSizeColumns();
            dgeDetail().gridModel().setEditable(false);
        }
    } catch (const std::exception& e) {
        m_handlers = true;
        ShowStatusText(e.what());
    }
    dgeDetail().setFocus(Qt::OtherFocusReason);
}

void TFrmInsertSize::SizeNewClicked()
{
    m_handlers = false;
    NewClicked();
    internal::ShowTotals(*this, {});
    lockGridWithoutProduct();
    m_handlers = true;
}

void TFrmInsertSize::EnterSizes()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    if (!internal::hasProduct(lines)) return;
    try {
        const auto titles = sizeforms::TitlesOfLineProduct(registry(), lines);
        if (internal::EnterLineSizes(this, lines, titles)) Recalculate();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

bool TFrmInsertSize::BeforeSubmit()
{
    TCustomEntity& lines = registry().EntityByName(param::TDetail);
    internal::CheckLines(lines);
    registry().EntityByName("TOtherParam").ClearFilter();
    const bool collected = TFrmInsertMD::BeforeSubmit();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (RelabelsDailyReport(SizeForm::Entry, moduleName()) && master.FindField("TOrganID")) {
        SetFieldString(master, "TOrganID", std::string(EmptyGuidText));
        SetFieldString(master, "TOrganID", dailyStore());
    }
    if (!collected) return false;
    if (sizeforms::ModuleTypeIs2(*this) && master.FindField("TOrganID") &&
        master.FindField("TOwnerID")) {
        const std::string organ = GetFieldString(master, "TOrganID");
        const std::string ownerId = GetFieldString(master, "TOwnerID");
        SetFieldString(master, "TOrganID", ownerId);
        SetFieldString(master, "TOwnerID", organ);
    }
    return collected;
}

bool TFrmInsertSize::eventFilter(QObject* watched, QEvent* event)
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
    return TFrmInsertMD::eventFilter(watched, event);
}

} // namespace corvo::forms
