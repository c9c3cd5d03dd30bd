#include "TFrmQueryMDCollate.h"

#include "XlsxExport.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/CollateRules.h"
#include "platform/DataGrid.h"
#include "platform/QtText.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr int DetailHeight = 150;

} // namespace

TFrmQueryMDCollate::TFrmQueryMDCollate(QWidget* owner) : TFrmQueryCollate(owner)
{
    setObjectName(QStringLiteral("FrmQueryMDCollate"));
    m_splitter = new QSplitter(Qt::Vertical);
    m_splitter->setObjectName(QStringLiteral("Splitter3"));
    Splitter1().replaceWidget(1, m_splitter);
    m_splitter->addWidget(&pnlMaster());
    m_detail = new QFrame(m_splitter);
    m_detail->setObjectName(QStringLiteral("pnlDetail"));
    auto* layout = new QVBoxLayout(m_detail);
    layout->setContentsMargins(0, 0, 0, 0);
    m_detailGrid = new platform::DataGrid(m_detail);
    m_detailGrid->setObjectName(QStringLiteral("dgeDetailQuery"));
    m_detailGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_detailGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_detailGrid->verticalHeader()->setDefaultSectionSize(16);
    layout->addWidget(m_detailGrid);
    m_splitter->addWidget(m_detail);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setSizes({250, DetailHeight});
}

TFrmQueryMDCollate::~TFrmQueryMDCollate()
{
    removeRowHandler();
}

void TFrmQueryMDCollate::FormShow()
{
    registry().BuildEntity(masterTable() + "List", param::TDetailQuery);
    TFrmQueryCollate::FormShow();
    installRowHandler();
}

void TFrmQueryMDCollate::ShowResultGrid()
{
    TFrmQueryCollate::ShowResultGrid();
    registry().BindGrid(param::TDetailQuery, *m_detailGrid);
    SizeGridColumns(*m_detailGrid);
}

void TFrmQueryMDCollate::UpdatePageKeys()
{
    TFrmQueryCollate::UpdatePageKeys();
    ShowResultLine();
}

void TFrmQueryMDCollate::ShowResultLine()
{
    LblResult().setText(platform::fromUtf8(
        CollateResultLine(paging().page, registry().EntityByName(param::TMaster))));
}

void TFrmQueryMDCollate::PrintCollated()
{
    // Without a document the print would be a blank form of captions.
    if (refusePrintWithoutRows()) return;
    const std::string title =
        CollatePrintTitle(registry().EntityByName(param::TDictTable), masterTable(), moduleName());
    PrintMaster(gbk::display(title), registry().EntityByName(param::TMaster), "",
                registry().EntityByName(param::TDetailQuery));
}

void TFrmQueryMDCollate::RunPagingOperation(QueryStep step)
{
    switch (step) {
    case QueryStep::First:
        QueryFirstPageMD();
        break;
    case QueryStep::All:
        QueryAllPagesMD();
        break;
    case QueryStep::Next:
        QueryNextPageMD();
        break;
    case QueryStep::Previous:
        QueryPreviousPageMD();
        break;
    }
}

void TFrmQueryMDCollate::BeginQueryStep()
{
    // The lines' table is missing when the module's line table was never built: the lookup
    // fails before anything is switched off, so no step is left without its end.
    TCustomEntity& lines = registry().EntityByName(param::TDetailQuery);
    TFrmQueryCollate::BeginQueryStep();
    lines.DisableControls();
    removeRowHandler();
}

void TFrmQueryMDCollate::EndQueryStep()
{
    TFrmQueryCollate::EndQueryStep();
    registry().EntityByName(param::TDetailQuery).EnableControls();
    installRowHandler();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    // The first row's lines show, through the handler.
    if (master.Active()) master.First();
}

void TFrmQueryMDCollate::installRowHandler()
{
    if (m_handlerInstalled) return;
    registry().EntityByName(param::TMaster).addListener(&m_cursor);
    m_handlerInstalled = true;
}

void TFrmQueryMDCollate::removeRowHandler()
{
    if (!m_handlerInstalled) return;
    registry().EntityByName(param::TMaster).removeListener(&m_cursor);
    m_handlerInstalled = false;
}

void TFrmQueryMDCollate::MasterCursor::dataSetChanged(TClientDataSet& dataSet, DataChange change)
{
    if (change != DataChange::Cursor && change != DataChange::Rows) return;
    if (!dataSet.Active() || dataSet.IsEmpty() || !dataSet.FindField("ObjID")) return;
    TCustomEntityList& registry = m_form.registry();
    if (!registry.EntityByName(param::TDetailQuery).Active()) return;
    m_form.guarded([&] { m_form.QueryDetailOfMaster(registry.EntityByName(param::TMaster)); });
}

void TFrmQueryMDCollate::ExportResults(const std::string& path)
{
    ExportToXlsx(path, {{gbk::toUtf8(masterTable()), dgeMaster().dataSet()},
                        {gbk::toUtf8(masterTable()) + "List", dgeDetailQuery().dataSet()}});
}

} // namespace corvo::forms
