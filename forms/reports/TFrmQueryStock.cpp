#include "TFrmQueryStock.h"

#include "controls/TQueryControlList.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/CollateRules.h"
#include "forms/rules/StockSizeTitles.h"
#include "forms/rules/SummaryRules.h"
#include "internal/ReportConditions.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <algorithm>

namespace corvo::forms {
namespace {

/// Negative numbers in red: stock a delivery took before its receipt arrived.
class NegativeInRed : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant value = index.data(Qt::DisplayRole);
        bool number = false;
        const double n = value.toString().toDouble(&number);
        if (number && n < 0) {
            option->palette.setColor(QPalette::Text, Qt::red);
            option->palette.setColor(QPalette::HighlightedText, QColor(255, 200, 200));
        }
    }
};

} // namespace

TFrmQueryStock::TFrmQueryStock(QWidget* owner) : TFrmQueryCollate(owner)
{
    setObjectName(QStringLiteral("FrmQueryStock"));
    for (QPushButton* b : {&mbtAll(), &mbtNext(), &mbtPrevious(), &mbtReset()})
        b->hide();
    dgeMaster().gridModel().setMultiLineTitles(true);
    dgeMaster().setItemDelegate(new NegativeInRed(&dgeMaster()));
}

TFrmQueryStock::~TFrmQueryStock() = default;

void TFrmQueryStock::FormShow()
{
    TFrmQueryCollate::FormShow();
    LoadLocalFile("TProduct", registry().EntityByName("TProduct"));
    LoadLocalFile("TProductTypeSize", registry().EntityByName("TProductTypeSize"));
    controls::TQueryControlList* list = queryControls();
    if (list && list->HasControl("TWarehouseID")) {
        controls::TQueryControl& warehouse = list->ControlByName("TWarehouseID");
        warehouse.setChecked(true);
        internal::chooseFirstEntry(warehouse);
    }
    ApplySizeTitles();
}

void TFrmQueryStock::ShowResultGrid()
{
    TFrmQueryCollate::ShowResultGrid();
    ApplySizeTitles();
}

void TFrmQueryStock::ApplySizeTitles()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (!master.Active()) return;
    const auto titles =
        StockSizeTitles(ReadSizeLabels(registry().EntityByName("TProductTypeSize")));
    bool changed = false;
    for (int n = 0; n < StockSizeColumns; ++n) {
        TField* size = master.FindField("Size" + std::to_string(n + 1));
        if (!size) continue;
        if (!titles[n].empty()) size->SetDisplayLabel(titles[n]);
        size->SetVisible(!titles[n].empty());
        changed = true;
    }
    if (!changed) return;
    // The grid takes the new titles and columns on binding, from the first row.
    master.First();
    dgeMaster().bindDataSet(&master);
    dgeMaster().scrollToTop();
    const int lines = [&] {
        int most = 1;
        for (const std::string& t : titles)
            most = std::max(most, 1 + static_cast<int>(std::count(t.begin(), t.end(), '|')));
        return most;
    }();
    dgeMaster().horizontalHeader()->setMinimumHeight(lines * dgeMaster().fontMetrics().height() +
                                                     6);
    SizeGridColumns(dgeMaster());
}

void TFrmQueryStock::UpdatePageKeys()
{
    TFrmQueryCollate::UpdatePageKeys();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    {
        const ControlsDisabled held(master);
        LblResult().setText(QString::fromUtf8(StockResultLine(master)));
    }
    if (master.Active()) master.First();
}

void TFrmQueryStock::PrintCollated()
{
    if (refusePrintWithoutRows()) return;
    const std::string title =
        CollatePrintTitle(registry().EntityByName(param::TDictTable), masterTable(), moduleName());
    PrintResult(gbk::display(title), registry().EntityByName(param::TMaster),
                LblResult().text().toStdString());
}

} // namespace corvo::forms
