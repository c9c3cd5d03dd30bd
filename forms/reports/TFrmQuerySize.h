#pragma once

#include "TFrmQueryMDCollate.h"

namespace corvo::forms {

/// Querying size documents with their lines: the size columns titled from the type of the
/// current line's product, the sale date preset to yesterday, and no older documents than
/// the query window of "Set.dll" allows.
class TFrmQuerySize : public TFrmQueryMDCollate {
    Q_OBJECT
public:
    explicit TFrmQuerySize(QWidget* owner = nullptr);
    ~TFrmQuerySize() override;

    /// The ticked conditions (no owner clause), a store's own documents for a module of
    /// TypeNo 2, and the query window.
    void BuildWhere() override;
    void QueryDetailOfMaster(TCustomEntity& master) override;
    void ShowResultGrid() override;

protected:
    void FormShow() override;
};

} // namespace corvo::forms
