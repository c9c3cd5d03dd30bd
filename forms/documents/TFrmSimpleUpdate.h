#pragma once

#include "forms/reports/TFrmQueryCollate.h"

namespace corvo::forms {

/// Changes the status of the document picked in a collated query of one table: the query
/// lists only valid documents (the status condition is fixed), the operation button sends the
/// current row to the update server and the result row shows what the server stored. The
/// base of the verify and invalidate forms.
class TFrmSimpleUpdate : public TFrmQueryCollate {
    Q_OBJECT
public:
    explicit TFrmSimpleUpdate(QWidget* owner = nullptr);
    ~TFrmSimpleUpdate() override;

    // Operations added, in slot order.
    /// Before, fill, call; on true the report and the after step. Errors and a false answer go
    /// to the message line; the result grid is then unchanged.
    virtual bool RunStatusSubmit();
    /// Update server, method 1.
    virtual bool CallStatusServer();

    /// Only disables the status condition; the collated presets are not applied.
    void PresetConditions() override;
    /// The collated conditions, then only valid documents.
    void BuildWhere() override;
    /// TMasterUpdate := the current row; throws "请查询出单据后再进行修改。" without rows.
    bool BeforeSubmit() override;
    bool FillSubmitPacket() override;
    void ReportSubmitDone() override;
    /// The answered TMaster is upserted into the result.
    bool AfterSubmit() override;

protected:
    /// Also registers TMasterUpdate with TMaster's structure.
    void FormShow() override;
    /// Removes the documents just sent from the result grid; the next row becomes current.
    void RemoveSentRows();
};

} // namespace corvo::forms
