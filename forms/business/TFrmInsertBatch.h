#pragma once

#include "forms/documents/TFrmCustomInsert.h"

namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

/// Many records of one table entered in a row: "连续录入" checks the record in the panel and
/// holds it in the batch below (at most 100, none repeating another in every unique
/// column), "保存" sends the whole batch to the insert server in one request.
class TFrmInsertBatch : public TFrmInsert {
    Q_OBJECT
public:
    explicit TFrmInsertBatch(QWidget* owner = nullptr);
    ~TFrmInsertBatch() override;

    platform::DataGrid& dgeMaster() const noexcept { return *m_grid; }
    QPushButton& mbtBatch() const noexcept { return *m_batch; }
    QPushButton& mbtClear() const noexcept { return *m_clear; }
    QPushButton& mbtDelete() const noexcept { return *m_delete; }

    /// Only the wait text: the panel is not read, the batch is sent.
    bool BeforeSubmit() override;
    /// "AppName" and every batch record as "TMaster"; "主单据数据为空！" without records.
    bool FillSubmitPacket() override;
    /// A client table's local copy takes the batch records.
    bool UpdateLocalCopy() override;
    /// The panel and the batch buttons off; "数据批量新增完成。".
    bool AfterSubmit() override;

    /// "连续录入": the record in the panel joins the batch when the checks allow it.
    void BatchClicked();
    void DeleteClicked();
    void ClearClicked();
    void BatchRowClicked();

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setPanelEnabled(bool enabled);
    void placeGrid();
    bool hasBatch();

    platform::DataGrid* m_grid = nullptr;
    QPushButton* m_batch = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_delete = nullptr;
    bool m_saved = false;
};

} // namespace corvo::forms
