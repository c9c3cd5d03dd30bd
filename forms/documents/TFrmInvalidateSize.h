#pragma once

#include "TFrmInvalidateMD.h"

namespace corvo::forms {

/// Invalidating size documents still in their first status, within the query window.
class TFrmInvalidateSize : public TFrmInvalidateMD {
    Q_OBJECT
public:
    explicit TFrmInvalidateSize(QWidget* owner = nullptr);
    ~TFrmInvalidateSize() override;

    /// The invalidate form's conditions, the first status and the query window.
    void BuildWhere() override;
    void QueryDetailOfMaster(TCustomEntity& master) override;
    void ShowResultGrid() override;

protected:
    void FormShow() override;
};

} // namespace corvo::forms
