#pragma once

#include "TFrmQueryCollate.h"

namespace corvo::forms {

/// The stock per warehouse and product with up to twenty size columns, titled with the size
/// labels of every size type stacked in title lines ("S|36"), and a result line that values
/// the stock at purchase price. The query always fetches every row (no paging buttons); the
/// first warehouse is preset; negative stock (a delivery verified before its receipt) shows
/// in red.
class TFrmQueryStock : public TFrmQueryCollate {
    Q_OBJECT
public:
    explicit TFrmQueryStock(QWidget* owner = nullptr);
    ~TFrmQueryStock() override;

    /// The grid, then the size titles and the column widths.
    void ShowResultGrid() override;
    /// "查询结果：共n条数据" and the sums, the amount at purchase price.
    void UpdatePageKeys() override;
    /// The rows with the result line under them.
    void PrintCollated() override;
    /// Size1 … Size20 titled from TProductTypeSize; columns without a size hidden.
    void ApplySizeTitles();

protected:
    void FormShow() override;
};

} // namespace corvo::forms
