#pragma once

#include "TFrmSimpleUpdate.h"

namespace corvo::forms {

/// Verifies the document picked in the result: the verify-and-account server moves it to its
/// next status and posts it; the document then leaves the result.
class TFrmVerify : public TFrmSimpleUpdate {
    Q_OBJECT
public:
    explicit TFrmVerify(QWidget* owner = nullptr);
    ~TFrmVerify() override;

    /// Verify-and-account server, method 1.
    bool CallStatusServer() override;
    void ReportSubmitDone() override;
    bool AfterSubmit() override;
};

} // namespace corvo::forms
