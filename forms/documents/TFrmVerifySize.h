#pragma once

#include "TFrmSimpleUpdateMD.h"

namespace corvo::forms {

/// Verifying size documents in their first status through the size verify server, which
/// books the stock per size; the verified document leaves the result.
class TFrmVerifySize : public TFrmSimpleUpdateMD {
    Q_OBJECT
public:
    explicit TFrmVerifySize(QWidget* owner = nullptr);
    ~TFrmVerifySize() override;

    /// Valid documents in their first status within the query window.
    void BuildWhere() override;
    /// "AppName" and the current document as TMaster.
    bool FillSubmitPacket() override;
    /// Size verify server, method 1.
    bool CallStatusServer() override;
    /// "单据“…”审核完成。"
    void ReportSubmitDone() override;
    void QueryDetailOfMaster(TCustomEntity& master) override;
    void ShowResultGrid() override;

protected:
    void FormShow() override;
};

} // namespace corvo::forms
