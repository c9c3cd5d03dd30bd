#pragma once

#include "TFrmSimpleUpdateMD.h"

namespace corvo::forms {

/// Invalidates the master/detail document picked in the result: every query prepares the
/// status change list (StatusID to its invalid value) that the saves until the next query
/// send.
class TFrmInvalidateMD : public TFrmSimpleUpdateMD {
    Q_OBJECT
public:
    explicit TFrmInvalidateMD(QWidget* owner = nullptr);
    ~TFrmInvalidateMD() override;

    /// Also the fixed valid status; then the status change list.
    void BuildWhere() override;
    void ReportSubmitDone() override;
};

} // namespace corvo::forms
