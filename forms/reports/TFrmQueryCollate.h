#pragma once

#include "forms/framework/TFrmQuery.h"

class QFrame;
class QLabel;
class QPushButton;
class QSplitter;
class QToolButton;

namespace corvo::forms {

/// The standard screen for the rows of one business table: query conditions made from the
/// dictionary on top (foldable to their caption line), the result grid below, and the query,
/// all, next, previous, reset, "Excel(&E)" and print buttons. Every query is restricted to
/// the user's organisation and the rows owned by nobody. Shown on its own (no message line)
/// it is a picking dialog: "Excel(&E)" or a double click on a row closes it with OK.
class TFrmQueryCollate : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmQueryCollate(QWidget* owner = nullptr);
    ~TFrmQueryCollate() override;

    QFrame& PnlCondition() const noexcept { return *m_conditions; }
    QLabel& LblConditions() const noexcept { return *m_conditionsLabel; }
    QToolButton& sbtExpand() const noexcept { return *m_expand; }
    QSplitter& Splitter1() const noexcept { return *m_splitter; }
    QFrame& pnlMaster() const noexcept { return *m_master; }
    QLabel& LblResult() const noexcept { return *m_result; }
    platform::DataGrid& dgeMaster() const noexcept { return *m_grid; }
    QPushButton& mbtQuery() const noexcept { return *m_query; }
    QPushButton& mbtAll() const noexcept { return *m_all; }
    QPushButton& mbtNext() const noexcept { return *m_next; }
    QPushButton& mbtPrevious() const noexcept { return *m_previous; }
    QPushButton& mbtReset() const noexcept { return *m_reset; }
    QPushButton& mbtFoo() const noexcept { return *m_foo; }
    QPushButton& mbtPrint() const noexcept { return *m_print; }

    bool conditionsCollapsed() const noexcept { return m_collapsed; }
    int rememberedConditionHeight() const noexcept { return m_conditionHeight; }

    // Operations added, in slot order.
    /// Ticks the valid status (StatusID), the last year of TCheckAccount (DateHistory) and
    /// DateRange where the panel has them.
    virtual void PresetConditions();
    /// Binds the result grid to TMaster with the dictionary's captions.
    virtual void ShowResultGrid();

    /// The ticked conditions, then the owner clause.
    void BuildWhere() override;

    enum class QueryStep { First, All, Next, Previous };
    /// One of the four query buttons: the result grid does not repaint meanwhile (also after
    /// an error), then ShowResultGrid.
    void RunQueryStep(QueryStep step);
    /// Collapses the condition panel to its caption line, or expands it again.
    void ToggleConditions();
    /// Prints the result; an empty result shows "对不起，打印操作因没有数据而取消" instead.
    virtual void PrintCollated();
    /// "Excel(&E)" and a double click: a picking dialog closes with OK; in the main window
    /// nothing happens.
    void ConfirmPick();
    /// "Excel(&E)": in the main window the shown results go to an .xlsx file the user
    /// chooses; a picking dialog closes with OK as with a double click.
    void ExcelClicked();
    /// The shown results into the file (the result grid; the master/detail form adds its
    /// lines as a second sheet). Throws "导出Excel文件失败：..." when it cannot be written.
    virtual void ExportResults(const std::string& path);

protected:
    /// On the first show: the condition panel, the presets, a client table's cached rows, the
    /// result grid. Later shows lay the conditions out again.
    virtual void FormShow();
    /// The paging operation of a step; the master/detail form takes its own.
    virtual void RunPagingOperation(QueryStep step);
    /// Around a query step: grids off, then on again.
    virtual void BeginQueryStep();
    virtual void EndQueryStep();
    /// The name of the queried table: TMaster's first field.
    std::string masterTable();
    /// Without rows: "对不起，打印操作因没有数据而取消" on the message line, and true.
    bool refusePrintWithoutRows();
    /// Runs a button's operation; an error goes to the message line.
    void guarded(const std::function<void()>& operation);

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildScreen();
    QPushButton* button(QWidget* parent, const char* name, const char* caption);
    void applyConditionHeight(int height);
    void relayoutConditions();

    QSplitter* m_splitter = nullptr;
    QFrame* m_conditions = nullptr;
    QLabel* m_conditionsLabel = nullptr;
    QToolButton* m_expand = nullptr;
    QFrame* m_master = nullptr;
    QLabel* m_result = nullptr;
    platform::DataGrid* m_grid = nullptr;
    QPushButton* m_query = nullptr;
    QPushButton* m_all = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_foo = nullptr;
    QPushButton* m_print = nullptr;

    bool m_shown = false;
    bool m_layoutReady = false;
    int m_conditionHeight = 193;
    int m_conditionWidth = 0;
    bool m_collapsed = false;
};

} // namespace corvo::forms
