#pragma once

#include "forms/framework/TFrmQuery.h"

class QFrame;
class QPushButton;
class QSplitter;

namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

/// Changing single records: the list of the master table on the left (a client table's
/// cached rows at once, others after "查询"), the picked record in the entry panel on the
/// right; "保存" sends the whole edited record to the update server. Rows owned by no
/// organisation are never offered.
class TFrmCustomUpdate : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmCustomUpdate(QWidget* owner = nullptr);
    ~TFrmCustomUpdate() override;

    QSplitter& Splitter1() const noexcept { return *m_splitter; }
    QFrame& pnlQueryResult() const noexcept { return *m_queryResult; }
    platform::DataGrid& dgeMasterQuery() const noexcept { return *m_grid; }
    QFrame& pnlUpdate() const noexcept { return *m_update; }
    QPushButton& mbtQuery() const noexcept { return *m_query; }
    QPushButton& mbtSubmit() const noexcept { return *m_submit; }
    bool layoutReady() const noexcept { return m_layoutReady; }

    // Operations added, in slot order.
    /// Before, fill, call; on true the local copy and the after step; the first input focused
    /// either way. "数据更新失败，请稍后重试。" on false; an error's message likewise.
    virtual bool RunSubmit();
    /// Each concrete form names its server; here nothing is sent.
    virtual bool CallSubmitServer();

protected:
    void setLayoutReady(bool ready) noexcept { m_layoutReady = ready; }
    /// A new list is in the query's order: no title shows an arrow, the next click sorts up.
    void resetListSort();
    virtual void FormShow();
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// A click on a title of the list: sorted by that column, up, then down on the next click.
    void sortList(int column);

    int m_sortColumn = -1;
    bool m_sortDown = false;
    QSplitter* m_splitter = nullptr;
    QFrame* m_queryResult = nullptr;
    platform::DataGrid* m_grid = nullptr;
    QFrame* m_update = nullptr;
    QPushButton* m_query = nullptr;
    QPushButton* m_submit = nullptr;
    bool m_layoutReady = false;
    bool m_shown = false;
};

/// The single-record update of a module table; on TUser a typed password is sent encoded.
class TFrmUpdate : public TFrmCustomUpdate {
    Q_OBJECT
public:
    explicit TFrmUpdate(QWidget* owner = nullptr);
    ~TFrmUpdate() override;

    std::string EncodeUserPassword(const std::string& userCode,
                                   const std::string& password) override;
    /// The picked record with the panel's values over it, checked, into TMaster.
    bool BeforeSubmit() override;
    /// The stored record replaces its list row; "代码为“…”的数据修改完成。".
    bool AfterSubmit() override;
    void BuildWhere() override;
    /// The answered rows, without those of no owner; "查询完成，本次查询到[n]条记录。".
    void AfterQuery() override;
    /// Update server, method 1.
    bool CallSubmitServer() override;

    /// "查询": the panel emptied, "保存" off, the list filled from the query server.
    void QueryClicked();
    /// A click in the list: the row into TMaster and the panel, "保存" on.
    void MasterRowClicked();
    /// "保存": off while saving; "请查询出单据后再进行修改。" without a list; on again when the
    /// save failed, so the user's edits can be sent again.
    void SubmitClicked();

protected:
    void FormShow() override;
};

} // namespace corvo::forms
