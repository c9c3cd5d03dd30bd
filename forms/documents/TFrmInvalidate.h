#pragma once

#include "TFrmSimpleUpdate.h"

namespace corvo::forms {

/// Invalidates the document picked in the result (update server, method 3), which then
/// leaves the result. On products the print button becomes "自动作废": the server invalidates
/// every product without stock.
class TFrmInvalidate : public TFrmSimpleUpdate {
    Q_OBJECT
public:
    explicit TFrmInvalidate(QWidget* owner = nullptr);
    ~TFrmInvalidate() override;

    /// Also the fixed valid status.
    void BuildWhere() override;
    /// The query's report; for payments and collections the reminder of settled invoices.
    void AfterQuery() override;
    /// Update server, method 3.
    bool CallStatusServer() override;
    void ReportSubmitDone() override;
    bool AfterSubmit() override;
    /// On products the automatic invalidation, otherwise the collated print.
    void PrintCollated() override;
    /// Asks the server to invalidate every product without stock (update server, method 4).
    void AutoInvalidate();

protected:
    void FormShow() override;
};

} // namespace corvo::forms
