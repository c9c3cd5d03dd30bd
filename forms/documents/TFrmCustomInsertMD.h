#pragma once

#include "forms/framework/TFrmQuery.h"

class QFrame;
class QPushButton;
class QSplitter;

namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

/// Entering master/detail documents: the header's entry panel above an editable grid of
/// lines (TDetail, from the master table + "List"); "新清单" adds lines from the product
/// picker, "删除" removes the current line, "保存" sends header and lines to the insert server
/// in one request. The form key is the next document's ObjID and every line's ParentID; it
/// changes after a successful save and with "新单据", so a save retried after a refusal or a
/// timeout sends the same document (its clock stamps included) and a new one never takes the
/// key of the last.
class TFrmCustomInsertMD : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmCustomInsertMD(QWidget* owner = nullptr);
    ~TFrmCustomInsertMD() override;

    QFrame& pnlMasterEdit() const noexcept { return *m_masterEdit; }
    QSplitter& Splitter1() const noexcept { return *m_splitter; }
    QFrame& pnlDetail() const noexcept { return *m_detail; }
    platform::DataGrid& dgeDetail() const noexcept { return *m_grid; }
    QPushButton& mbtNew() const noexcept { return *m_new; }
    QPushButton& mbtDetailAdd() const noexcept { return *m_detailAdd; }
    QPushButton& mbtDetailDel() const noexcept { return *m_detailDel; }
    QPushButton& mbtSubmit() const noexcept { return *m_submit; }
    bool layoutReady() const noexcept { return m_layoutReady; }

    // Operations added, in slot order.
    /// Before and fill, the call; on true the after step and "保存" disabled; the first input
    /// focused either way. "数据新增失败，请稍后重试。" on false; an error's message likewise.
    virtual bool RunSubmit();
    /// Insert server, method 2.
    virtual bool CallSubmitServer();

    /// The header collected into TMaster with the form key as ObjID; every line gets the form
    /// key as ParentID and the detail table's identity.
    bool BeforeSubmit() override;
    /// "AppName", TMaster and every line as "TDetailInsert"; "请先输入明细项目。" without lines.
    bool FillSubmitPacket() override;
    bool ResetSubmitPacket() override;
    /// The stored header read back, a new form key, the server's code in the Code input,
    /// "保存" disabled and "单据新增完成，编号为“…”".
    bool AfterSubmit() override;

    /// "保存": the grid holds still meanwhile; the focus to "新单据".
    void SubmitClicked();
    /// "新单据": a new form key, header and lines emptied, "保存" enabled.
    void NewClicked();
    /// "新清单": lines from the product picker.
    void DetailAddClicked();
    /// "删除": the current line goes at once.
    void DetailDelClicked();

protected:
    virtual void FormShow();
    void showEvent(QShowEvent* event) override;

private:
    QSplitter* m_splitter = nullptr;
    QFrame* m_masterEdit = nullptr;
    QFrame* m_detail = nullptr;
    platform::DataGrid* m_grid = nullptr;
    QPushButton* m_new = nullptr;
    QPushButton* m_detailAdd = nullptr;
    QPushButton* m_detailDel = nullptr;
    QPushButton* m_submit = nullptr;
    bool m_layoutReady = false;
    bool m_shown = false;
};

/// The master/detail entry of a module: TFrmCustomInsertMD at a larger size.
class TFrmInsertMD : public TFrmCustomInsertMD {
    Q_OBJECT
public:
    explicit TFrmInsertMD(QWidget* owner = nullptr);
    ~TFrmInsertMD() override;
};

} // namespace corvo::forms
