#pragma once

#include "TFrmQueryCollate.h"

#include <string>

class QChartView;
class QPushButton;
class QSplitter;

namespace corvo::forms {

/// A grouped summary of a document table from the query server: the usual conditions, and
/// at most one reference to group by ("按门店汇总" by store, "按人员汇总" by person); the
/// server answers one row per group over the valid documents. Under a module named with
/// "销售金额" the daily reports' dictionary is reshaped into a sales summary first. Beside
/// the grid a bar chart shows the groups' totals after every query and can be saved as a
/// picture.
class TFrmSummary : public TFrmQueryCollate {
    Q_OBJECT
public:
    explicit TFrmSummary(QWidget* owner = nullptr);
    ~TFrmSummary() override;

    QChartView& chtSummary() const noexcept { return *m_chart; }
    QPushButton& mbtSaveChart() const noexcept { return *m_saveChart; }
    /// The grouping column of the last query (GBK); empty: no grouping.
    const std::string& grouping() const noexcept { return m_grouping; }

    /// The ticked conditions; a ticked reference is the grouping, a second one stops with
    /// "本汇总功能只支持按一个条件汇总，请重新选择条件"; then the owner and valid documents.
    void BuildWhere() override;
    /// The summary query (method 4).
    bool CallQuery1() override;
    /// The grid, then the chart of the rows.
    void ShowResultGrid() override;
    /// The wide grid, titled "销售汇总" and the period.
    void PrintCollated() override;
    /// The chart as a picture file; false when it could not be written.
    bool SaveChart(const QString& path);

protected:
    void FormShow() override;

private:
    void groupingCondition(const char* code, const char* caption);
    void hideGroupingEditors();
    void saveChartClicked();
    void updateChart();

    QSplitter* m_beside = nullptr;
    QChartView* m_chart = nullptr;
    QPushButton* m_saveChart = nullptr;
    std::string m_grouping;
    /// The summarised table; the reply's first field is the grouping column, not the table.
    std::string m_table;
};

} // namespace corvo::forms
