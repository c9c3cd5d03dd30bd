#pragma once

#include "TFrmSimpleUpdateMD.h"

namespace corvo::forms {

/// Verifies new master/detail documents: every marked document (the current one when none
/// is marked) moves to the status after the current document's, through the update server's
/// status change list; a sale order takes its lines along.
class TFrmVerifyMD : public TFrmSimpleUpdateMD {
    Q_OBJECT
public:
    explicit TFrmVerifyMD(QWidget* owner = nullptr);
    ~TFrmVerifyMD() override;

    /// Also only new documents.
    void BuildWhere() override;
    /// False, and nothing sent, without rows; otherwise the marked documents and the next
    /// status in the status change list.
    bool BeforeSubmit() override;
    /// A sale order also sends the lines of the current document.
    bool FillSubmitPacket() override;
    void ReportSubmitDone() override;

protected:
    /// Also registers TDetailUpdate and presets the order status condition to "New".
    void FormShow() override;
};

} // namespace corvo::forms
