#pragma once

#include "forms/reports/TFrmQueryMDCollate.h"

namespace corvo::forms {

/// Changes the status of master/detail documents picked in a collated query: the query lists
/// only valid documents, the operation button sends the current document (the verify form
/// every marked one) with the status change list to the update server, and the documents
/// sent leave the result. The base of the master/detail verify and invalidate forms.
class TFrmSimpleUpdateMD : public TFrmQueryMDCollate {
    Q_OBJECT
public:
    explicit TFrmSimpleUpdateMD(QWidget* owner = nullptr);
    ~TFrmSimpleUpdateMD() override;

    // Operations added, in slot order.
    /// "请稍候，正在提交单据……" behind the hourglass, then the steps of the single form.
    virtual bool RunStatusSubmit();
    /// Update server, method 2.
    virtual bool CallStatusServer();

    /// The collated presets (the valid status ticked), then the status condition disabled.
    void PresetConditions() override;
    void BuildWhere() override;
    /// TMasterUpdate := the current document; throws "请查询出单据后再进行修改。" without rows.
    bool BeforeSubmit() override;
    bool FillSubmitPacket() override;
    void ReportSubmitDone() override;
    /// Every document sent leaves the result.
    bool AfterSubmit() override;

protected:
    void FormShow() override;
};

} // namespace corvo::forms
