#pragma once

#include "TFrmQueryMDCollate.h"

namespace corvo::forms {

/// The sales summary by product: the query server sums the chosen documents' lines per
/// product (and their sizes per size); every summary line shows whichever document is
/// current, with the size columns titled from the current line's product type.
class TFrmSummarySize : public TFrmQueryMDCollate {
    Q_OBJECT
public:
    explicit TFrmSummarySize(QWidget* owner = nullptr);
    ~TFrmSummarySize() override;

    /// Query server, method 5.
    bool CallQuery3() override;
    /// The documents, the summed lines, and "汇总完成！本次汇总单据数为[n]条。" (or
    /// "当前条件下没有数据。").
    void AfterQueryMD() override;
    /// The summed lines are not the current document's: they all stay; the size titles
    /// follow the current line.
    void QueryDetailOfMaster(TCustomEntity& master) override;
    void ShowResultGrid() override;

protected:
    void FormShow() override;
};

} // namespace corvo::forms
