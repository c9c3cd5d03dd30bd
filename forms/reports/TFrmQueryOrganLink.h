#pragma once

#include "TFrmQueryCollate.h"

namespace corvo::forms {

/// The links between organisations with up to ten discount columns, titled by the sale types
/// in their order; the columns past the last sale type are hidden.
class TFrmQueryOrganLink : public TFrmQueryCollate {
    Q_OBJECT
public:
    explicit TFrmQueryOrganLink(QWidget* owner = nullptr);
    ~TFrmQueryOrganLink() override;

    /// The grid; with rows, the discount titles and the column widths again.
    void ShowResultGrid() override;
};

} // namespace corvo::forms
