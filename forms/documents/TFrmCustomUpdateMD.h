#pragma once

#include "forms/framework/TFrmQuery.h"

class QFrame;
class QPushButton;
class QRadioButton;
class QSplitter;

namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

/// Changing master/detail documents: the valid documents of this month (or of conditions the
/// user chooses) on the left; the picked document's header and lines on the right. Changes to
/// the lines are tracked (TDetailInsert, TDetailUpdate, TDetailDelete, and the same for a
/// third level), and "保存" sends the header with only the lines added, changed or removed.
/// "保存" stays enabled after a failed save.
class TFrmCustomUpdateMD : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmCustomUpdateMD(QWidget* owner = nullptr);
    ~TFrmCustomUpdateMD() override;

    QSplitter& Splitter1() const noexcept { return *m_splitter; }
    QFrame& pnlMasterResult() const noexcept { return *m_masterResult; }
    platform::DataGrid& dgeMasterQuery() const noexcept { return *m_masterGrid; }
    QFrame& pnlCondition() const noexcept { return *m_condition; }
    QRadioButton& mrbDefault() const noexcept { return *m_thisMonth; }
    QRadioButton& mrbCustom() const noexcept { return *m_custom; }
    QFrame& pnlUpdateMD() const noexcept { return *m_updateMD; }
    QFrame& pnlMasterEdit() const noexcept { return *m_masterEdit; }
    QSplitter& Splitter2() const noexcept { return *m_detailSplitter; }
    QFrame& pnlDetail() const noexcept { return *m_detail; }
    platform::DataGrid& dgeDetail() const noexcept { return *m_detailGrid; }
    QPushButton& mbtQuery() const noexcept { return *m_query; }
    QPushButton& mbtDetailAdd() const noexcept { return *m_detailAdd; }
    QPushButton& mbtDetailDel() const noexcept { return *m_detailDel; }
    QPushButton& mbtSubmit() const noexcept { return *m_submit; }
    bool layoutReady() const noexcept { return m_layoutReady; }

    // Operations added, in slot order.
    /// Update server, method 2.
    virtual bool CallSubmitServer();
    /// Before, fill, call; on true the after step. "数据更新失败，请稍后重试。" on false (the
    /// packet keeps the request); an error's message likewise.
    virtual bool RunSubmit();

    /// The picked list row into TMaster and the header panel; the change sets start empty.
    void LoadSelectedMaster() override;
    /// The lines shown are the picked document's.
    void PrepareDetail(TCustomEntity& master) override;
    bool BeforeSubmit() override;
    /// "AppName", TMaster, then each change set that holds rows.
    bool FillSubmitPacket() override;
    bool ResetSubmitPacket() override;
    /// The stored header replaces its list row; the lines as saved become the query's lines
    /// of the document; "单据“…”修改完成。"; change sets emptied, "保存" off.
    bool AfterSubmit() override;
    bool RecordDetailChange() override;
    bool RecordDetailDelete() override;
    /// Valid documents only; this month (by HappenDate, else CreateDate) or the conditions
    /// chosen in the condition dialog.
    void BuildWhere() override;
    void AfterQueryMD() override;
    /// A picked product's line belongs to the shown document and is recorded as added.
    void DetailLinePicked() override;

    /// "查询": "保存" off, the header and the lines emptied (no document is picked), the
    /// documents listed; after a failed query the list and the lines of its documents stay.
    virtual void QueryClicked();
    /// A click in the list: the document picked, "保存" on.
    void MasterRowClicked();
    /// "保存": "请查询出单据后再进行修改。" without a list.
    void SubmitClicked();
    /// "新清单": lines from the product picker, recorded as added.
    void DetailAddClicked();
    /// "删除": the current line removed and recorded.
    void DetailDelClicked();

protected:
    virtual void FormShow();
    void showEvent(QShowEvent* event) override;

private:
    /// A typed value changed the current line.
    void lineEdited();
    /// A line of the shown document was added, changed or removed: "保存" on.
    void changeRecorded();
    /// The header panel's editors report the user's edits as changes of the document.
    void watchHeaderEdits();
    void headerEdited();

    QSplitter* m_splitter = nullptr;
    QFrame* m_masterResult = nullptr;
    platform::DataGrid* m_masterGrid = nullptr;
    QFrame* m_condition = nullptr;
    QRadioButton* m_thisMonth = nullptr;
    QRadioButton* m_custom = nullptr;
    QFrame* m_updateMD = nullptr;
    QFrame* m_masterEdit = nullptr;
    QSplitter* m_detailSplitter = nullptr;
    QFrame* m_detail = nullptr;
    platform::DataGrid* m_detailGrid = nullptr;
    QPushButton* m_query = nullptr;
    QPushButton* m_detailAdd = nullptr;
    QPushButton* m_detailDel = nullptr;
    QPushButton* m_submit = nullptr;
    bool m_layoutReady = false;
    bool m_shown = false;
    bool m_panelQuiet = true;
};

/// The master/detail update of a module: the picked document's lines come from the query's
/// lines and can be changed in the grid.
class TFrmUpdateMD : public TFrmCustomUpdateMD {
    Q_OBJECT
public:
    explicit TFrmUpdateMD(QWidget* owner = nullptr);
    ~TFrmUpdateMD() override;

    bool BeforeSubmit() override;
    /// The picked document's lines copied from the query's lines into TDetail.
    void PrepareDetail(TCustomEntity& master) override;
    /// Also binds the lines' grid.
    void QueryClicked() override;
};

} // namespace corvo::forms
