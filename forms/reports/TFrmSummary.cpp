#include "TFrmSummary.h"

#include "controls/TQueryControlList.h"
#include "controls/TTimeSpan.h"
#include "controls/skin/TQVButton.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/rules/CollateRules.h"
#include "forms/rules/SummaryRules.h"
#include "platform/DataGrid.h"
#include "platform/Modal.h"
#include "remote/AppServers.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>

namespace corvo::forms {

TFrmSummary::TFrmSummary(QWidget* owner) : TFrmQueryCollate(owner)
{
    setObjectName(QStringLiteral("FrmSummary"));
    // The chart stands beside the grid, in the grid's place in the result panel.
    auto* layout = qobject_cast<QVBoxLayout*>(pnlMaster().layout());
    m_beside = new QSplitter(Qt::Horizontal, &pnlMaster());
    m_beside->setObjectName(QStringLiteral("Splitter2"));
    if (layout) delete layout->replaceWidget(&dgeMaster(), m_beside);
    m_beside->addWidget(&dgeMaster());
    m_chart = new QChartView(m_beside);
    m_chart->setObjectName(QStringLiteral("chtSummary"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumWidth(240);
    m_beside->addWidget(m_chart);
    m_beside->setStretchFactor(0, 3);
    m_beside->setStretchFactor(1, 2);

    m_saveChart = new skin::TQVButton(QStringLiteral("保存图表"), &pnlBottomMiddle());
    m_saveChart->setObjectName(QStringLiteral("mbtSaveChart"));
    m_saveChart->setAutoDefault(false);
    m_saveChart->setFixedSize(75, 25);
    if (auto* buttons = qobject_cast<QHBoxLayout*>(pnlBottomMiddle().layout()))
        buttons->insertWidget(buttons->indexOf(&mbtFoo()), m_saveChart);
    connect(m_saveChart, &QPushButton::clicked, this, [this] { saveChartClicked(); });
    updateChart();
}

TFrmSummary::~TFrmSummary() = default;

void TFrmSummary::FormShow()
{
    m_table = masterTable();
    registry().SelectMasterFields();
    if (IsSalesAmountModule(moduleName()))
        ApplyDictEdits(registry().EntityByName(param::TDictField), SalesAmountEdits());
    TFrmQueryCollate::FormShow();
    groupingCondition("TWarehouseID", "按门店汇总");
    groupingCondition("TEmployeeID", "按人员汇总");
    controls::TQueryControlList* list = queryControls();
    if (list && list->HasControl("HappenDate")) {
        controls::TQueryControl& date = list->ControlByName("HappenDate");
        date.setChecked(true);
        if (auto* span = dynamic_cast<controls::TTimeSpan*>(date.Editor()))
            span->setDate(QDate::currentDate().addDays(-1));
    }
}

void TFrmSummary::groupingCondition(const char* code, const char* caption)
{
    // Without the two groupings the summary cannot work: the lookup's error is shown.
    controls::TQueryControl& condition = queryControls()->ControlByName(code);
    condition.SetCaption(QString::fromUtf8(caption));
    // Ticking selects the grouping and never asks for a value.
    if (condition.Editor()) condition.Editor()->hide();
}

void TFrmSummary::hideGroupingEditors()
{
    controls::TQueryControlList* list = queryControls();
    if (!list) return;
    for (const char* code : {"TWarehouseID", "TEmployeeID"})
        if (list->HasControl(code))
            if (QWidget* editor = list->ControlByName(code).Editor()) editor->hide();
}

void TFrmSummary::BuildWhere()
{
    const std::vector<DictColumn> columns =
        selectedColumns(registry().EntityByName(param::TDictField), registry().LanguageColumn);
    controls::TQueryControlList* list = queryControls();
    const auto conditionOf = [list](const std::string& code) {
        return list && list->HasControl(code) ? list->ControlByName(code).GetCondition()
                                              : std::string();
    };
    const std::vector<ReportClause> rows =
        SummaryClauses(columns, conditionOf, owner(), m_table, StatusObjID("StatusID", "Valid"));
    m_grouping.clear();
    for (const ReportClause& clause : rows) {
        if (clause.key == "sum") m_grouping = clause.clause;
        clauses().AddClause(clause.key, clause.clause);
    }
}

bool TFrmSummary::CallQuery1()
{
    return CallAppServer(remote::appserver::Query, remote::appserver::query::Summary);
}

void TFrmSummary::ShowResultGrid()
{
    // The reply holds the grouping and the sums only: captions where the columns are.
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    ApplyCaptionsPresent(registry().EntityByName(param::TDictField), registry().LanguageColumn,
                         master);
    dgeMaster().bindDataSet(&master);
    SizeGridColumns(dgeMaster());
    hideGroupingEditors();
    updateChart();
}

void TFrmSummary::updateChart()
{
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("汇总图表"));
    chart->legend()->hide();
    const std::vector<SummaryBar> bars =
        SummaryBars(registry().EntityByName(param::TMaster), m_grouping);
    if (!bars.empty()) {
        auto* set = new QBarSet(QString::fromUtf8(bars.front().measure));
        QStringList labels;
        double low = 0;
        double top = 0;
        for (const SummaryBar& bar : bars) {
            *set << bar.value;
            labels << QString::fromUtf8(bar.label);
            low = std::min(low, bar.value);
            top = std::max(top, bar.value);
        }
        auto* series = new QBarSeries;
        series->append(set);
        chart->addSeries(series);
        auto* categories = new QBarCategoryAxis;
        categories->append(labels);
        chart->addAxis(categories, Qt::AlignBottom);
        series->attachAxis(categories);
        auto* values = new QValueAxis;
        values->setTitleText(QString::fromUtf8(bars.front().measure));
        values->setRange(low, top > low ? top : low + 1);
        chart->addAxis(values, Qt::AlignLeft);
        series->attachAxis(values);
        values->applyNiceNumbers();
        chart->setTitle(QString::fromUtf8(bars.front().measure) + QStringLiteral("汇总"));
    }
    QChart* old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}

bool TFrmSummary::SaveChart(const QString& path)
{
    return m_chart->grab().save(path);
}

void TFrmSummary::saveChartClicked()
{
    QFileDialog chooser(this, QStringLiteral("保存图表"), {}, QStringLiteral("PNG 图片 (*.png)"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    if (platform::execModal(chooser) != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    QString path = chooser.selectedFiles().front();
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
    if (SaveChart(path))
        ShowStatusText("图表已保存到“" + path.toStdString() + "”。");
    else
        ShowError("图表保存失败：" + path.toStdString());
}

void TFrmSummary::PrintCollated()
{
    std::string subtitle;
    controls::TQueryControlList* list = queryControls();
    if (list && list->HasControl("HappenDate")) {
        controls::TQueryControl& date = list->ControlByName("HappenDate");
        auto* span = dynamic_cast<controls::TTimeSpan*>(date.Editor());
        if (span && date.isChecked()) {
            span->ClearTimes();
            subtitle = SummaryPeriod(true, span->StartText(), span->EndText());
        }
    }
    TCustomEntity& tables = registry().EntityByName(param::TDictTable);
    if (tables.Active() && tables.FindField("Name") && tables.FindRecord("Code", m_table))
        tables.EditField("Name", gbk::fromUtf8("销售汇总"));
    if (refusePrintWithoutRows()) return;
    const std::string title = CollatePrintTitle(tables, m_table, moduleName());
    PrintWideGrid(gbk::display(title), subtitle, dgeMaster());
}

} // namespace corvo::forms
