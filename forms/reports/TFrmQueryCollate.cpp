#include "TFrmQueryCollate.h"

#include "XlsxExport.h"
#include "controls/TQueryControlList.h"
#include "controls/TTimeSpan.h"
#include "controls/TVelComboBox.h"
#include "controls/skin/TQVButton.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/CollateRules.h"
#include "platform/DataGrid.h"
#include "platform/Modal.h"
#include "platform/QtText.h"

#include <QEvent>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr int InitialConditionHeight = 193;
constexpr int GridLineHeight = 16;

QFrame* frame(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    return f;
}

} // namespace

TFrmQueryCollate::TFrmQueryCollate(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmQueryCollate"));
    paging().mode = "FirstPage";
    buildScreen();
}

TFrmQueryCollate::~TFrmQueryCollate() = default;

QPushButton* TFrmQueryCollate::button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new skin::TQVButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setFixedSize(75, 25);
    return b;
}

void TFrmQueryCollate::buildScreen()
{
    auto* client = new QVBoxLayout(&pnlClient());
    client->setContentsMargins(0, 0, 0, 0);
    m_splitter = new QSplitter(Qt::Vertical, &pnlClient());
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    client->addWidget(m_splitter);

    m_conditions = frame(m_splitter, "PnlCondition");
    m_conditions->setFrameShape(QFrame::StyledPanel);
    m_expand = new QToolButton(m_conditions);
    m_expand->setObjectName(QStringLiteral("sbtExpand"));
    m_expand->setAutoRaise(true);
    m_expand->setGeometry(1, 1, 20, 16);
    m_expand->setText(QStringLiteral("<<"));
    m_expand->setToolTip(QStringLiteral("隐藏查询条件"));
    m_conditionsLabel = new QLabel(QStringLiteral("查询条件"), m_conditions);
    m_conditionsLabel->setObjectName(QStringLiteral("LblConditions"));
    m_conditionsLabel->move(24, 1);
    m_conditions->installEventFilter(this);
    connect(m_expand, &QToolButton::clicked, this, [this] { ToggleConditions(); });

    m_master = frame(m_splitter, "pnlMaster");
    auto* master = new QVBoxLayout(m_master);
    master->setContentsMargins(0, 0, 0, 0);
    master->setSpacing(0);
    m_result = new QLabel(QStringLiteral("查询结果"), m_master);
    m_result->setObjectName(QStringLiteral("LblResult"));
    m_result->setAlignment(Qt::AlignCenter);
    master->addWidget(m_result);
    m_grid = new platform::DataGrid(m_master);
    m_grid->setObjectName(QStringLiteral("dgeMaster"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->verticalHeader()->setDefaultSectionSize(GridLineHeight);
    m_grid->horizontalHeader()->setSortIndicatorShown(true);
    master->addWidget(m_grid, 1);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this] { ConfirmPick(); });

    m_splitter->addWidget(m_conditions);
    m_splitter->addWidget(m_master);
    m_splitter->setCollapsible(0, false);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({InitialConditionHeight, 400});

    auto* buttons = new QHBoxLayout(&pnlBottomMiddle());
    buttons->setContentsMargins(4, 5, 4, 6);
    m_query = button(&pnlBottomMiddle(), "mbtQuery", "查询(&Q)");
    m_all = button(&pnlBottomMiddle(), "mbtAll", "全部(&A)");
    m_next = button(&pnlBottomMiddle(), "mbtNext", "下页(&N)");
    m_previous = button(&pnlBottomMiddle(), "mbtPrevious", "上页(&I)");
    m_reset = button(&pnlBottomMiddle(), "mbtReset", "复位(&R)");
    m_foo = button(&pnlBottomMiddle(), "mbtFoo", "Excel(&E)");
    m_print = button(&pnlBottomMiddle(), "mbtPrint", "打印(&P)");
    for (QPushButton* b : {m_query, m_all, m_next, m_previous, m_reset})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_foo);
    buttons->addWidget(m_print);

    connect(m_query, &QPushButton::clicked, this, [this] { RunQueryStep(QueryStep::First); });
    connect(m_all, &QPushButton::clicked, this, [this] { RunQueryStep(QueryStep::All); });
    connect(m_next, &QPushButton::clicked, this, [this] { RunQueryStep(QueryStep::Next); });
    connect(m_previous, &QPushButton::clicked, this, [this] { RunQueryStep(QueryStep::Previous); });
    connect(m_reset, &QPushButton::clicked, this, [this] { guarded([this] { ResetQuery(); }); });
    connect(m_foo, &QPushButton::clicked, this, [this] { ExcelClicked(); });
    connect(m_print, &QPushButton::clicked, this, [this] { guarded([this] { PrintCollated(); }); });
}

void TFrmQueryCollate::guarded(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const std::exception& e) {
        ShowStatusText(e.what());
    }
}

std::string TFrmQueryCollate::masterTable()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    return master.FieldCount() > 0 ? master.Fields(0).FieldName() : std::string();
}

void TFrmQueryCollate::showEvent(QShowEvent* event)
{
    TFrmQuery::showEvent(event);
    // A page of the main window is shown again on every change of tab: only the first show
    // presets and loads, so the user's conditions and rows stay.
    if (m_shown) {
        guarded([this] { relayoutConditions(); });
        return;
    }
    m_shown = true;
    guarded([this] { FormShow(); });
}

void TFrmQueryCollate::relayoutConditions()
{
    if (!queryControls()) return;
    m_layoutReady = false;
    const auto ready = qScopeGuard([this] { m_layoutReady = true; });
    LayoutQueryPanel(*m_conditions, *queryControls());
    m_conditionWidth = m_conditions->width();
    // The new column count may need another height; a folded panel stays folded.
    m_conditionHeight = m_conditions->height();
    applyConditionHeight(ConditionFoldFor(m_collapsed, m_conditionHeight).height);
}

void TFrmQueryCollate::FormShow()
{
    registry().SelectMasterFields();
    m_layoutReady = false;
    if (!queryControls())
        BuildQueryControls(registry().EntityByName(param::TDictField), *m_conditions);
    relayoutConditions();

    PresetConditions();

    const std::string table = masterTable();
    TCustomEntity& tables = registry().EntityByName(param::TDictTable);
    if (tables.Active() && tables.FindField("IsClientTable") &&
        tables.Lookup("Code", Variant(table), "IsClientTable").toText() == "1")
        LoadLocalFile(table, registry().EntityByName(param::TMaster));

    StripeGrid(*m_grid);
    ShowResultGrid();
}

void TFrmQueryCollate::PresetConditions()
{
    controls::TQueryControlList* list = queryControls();
    if (!list) return;
    const CollatePresets presets = CollatePresetsFor(
        masterTable(), [list](std::string_view code) { return list->HasControl(code); });
    if (presets.status) {
        controls::TQueryControl& status = list->ControlByName("StatusID");
        status.setChecked(true);
        const QString valid = platform::fromGbk(StatusObjID("StatusID", "Valid"));
        // A status condition without a list is a plain edit: the ObjID is its text.
        if (auto* box = dynamic_cast<controls::TVelComboBox*>(status.Editor()))
            box->SetInnerCode(valid);
        else if (auto* edit = qobject_cast<QLineEdit*>(status.Editor()))
            edit->setText(valid);
    }
    if (presets.dateHistory) {
        controls::TQueryControl& history = list->ControlByName("DateHistory");
        history.setChecked(true);
        if (auto* span = dynamic_cast<controls::TTimeSpan*>(history.Editor()))
            span->SetLastYear(QDate::currentDate().addMonths(-1));
    }
    if (presets.dateRange) list->ControlByName("DateRange").setChecked(true);
}

void TFrmQueryCollate::ShowResultGrid()
{
    registry().BindGridSelected(param::TMaster, *m_grid);
    // Sized again for the rows that arrived; shown first, the grid had only its titles.
    SizeGridColumns(*m_grid);
}

void TFrmQueryCollate::BuildWhere()
{
    const std::vector<DictColumn> columns =
        selectedColumns(registry().EntityByName(param::TDictField), registry().LanguageColumn);
    controls::TQueryControlList* list = queryControls();
    const auto conditionOf = [list](const std::string& code) {
        return list && list->HasControl(code) ? list->ControlByName(code).GetCondition()
                                              : std::string();
    };
    for (const std::string& clause : CollateWhereClauses(columns, conditionOf, owner()))
        clauses().AddClause("where", clause);
}

void TFrmQueryCollate::RunQueryStep(QueryStep step)
{
    guarded([&] {
        BeginQueryStep();
        const auto end = qScopeGuard([this] { EndQueryStep(); });
        RunPagingOperation(step);
    });
    guarded([this] { ShowResultGrid(); });
}

void TFrmQueryCollate::RunPagingOperation(QueryStep step)
{
    switch (step) {
    case QueryStep::First:
        QueryFirstPage();
        break;
    case QueryStep::All:
        QueryAllPages();
        break;
    case QueryStep::Next:
        QueryNextPage();
        break;
    case QueryStep::Previous:
        QueryPreviousPage();
        break;
    }
}

void TFrmQueryCollate::BeginQueryStep()
{
    registry().EntityByName(param::TMaster).DisableControls();
}

void TFrmQueryCollate::EndQueryStep()
{
    registry().EntityByName(param::TMaster).EnableControls();
}

void TFrmQueryCollate::ToggleConditions()
{
    m_collapsed = !m_collapsed;
    const ConditionFold fold = ConditionFoldFor(m_collapsed, m_conditionHeight);
    applyConditionHeight(fold.height);
    m_expand->setText(QString::fromUtf8(fold.caption));
    m_expand->setToolTip(QString::fromUtf8(fold.hint));
}

void TFrmQueryCollate::applyConditionHeight(int height)
{
    QList<int> sizes = m_splitter->sizes();
    int total = 0;
    for (int s : sizes)
        total += s;
    sizes[0] = height;
    sizes[1] = std::max(total - height, 1);
    m_splitter->setSizes(sizes);
}

bool TFrmQueryCollate::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_conditions && event->type() == QEvent::Resize && m_layoutReady &&
        queryControls() && m_conditions->width() != m_conditionWidth)
        relayoutConditions();
    return TFrmQuery::eventFilter(watched, event);
}

bool TFrmQueryCollate::refusePrintWithoutRows()
{
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.Active() && !master.IsEmpty()) return false;
    ShowStatusText("对不起，打印操作因没有数据而取消");
    return true;
}

void TFrmQueryCollate::PrintCollated()
{
    if (refusePrintWithoutRows()) return;
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    const std::string title =
        CollatePrintTitle(registry().EntityByName(param::TDictTable), masterTable(), moduleName());
    PrintResult(gbk::display(title), master, "");
}

void TFrmQueryCollate::ExcelClicked()
{
    if (!messageLine()) {
        ConfirmPick();
        return;
    }
    // Through execModal like every modal dialog, so it can be answered without a user.
    QFileDialog chooser(this, QStringLiteral("导出到Excel文件"), {},
                        QStringLiteral("Excel 文件 (*.xlsx)"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    if (platform::execModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString file = chooser.selectedFiles().front();
    if (file.isEmpty()) return;
    const QString path = file.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)
                             ? file
                             : file + QStringLiteral(".xlsx");
    try {
        ExportResults(path.toStdString());
        ShowStatusText("查询结果已导出到“" + path.toStdString() + "”。");
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

void TFrmQueryCollate::ExportResults(const std::string& path)
{
    ExportToXlsx(path, {{gbk::toUtf8(masterTable()), dgeMaster().dataSet()}});
}

void TFrmQueryCollate::ConfirmPick()
{
    if (PickStepFor(messageLine() != nullptr) != PickStep::CloseOk) return;
    setResultFlag(1);
    done(1);
}

} // namespace corvo::forms
