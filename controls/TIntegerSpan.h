#pragma once

#include "TIntegerEdit.h"
#include "internal/RangeSpan.h"

#include <string>

namespace corvo::controls {

/// A range of whole numbers: this edit is the lower bound; beside it stand the label "到"
/// and `UpperEdit`. Both bounds start at 0; the upper edit and the label start disabled.
class TIntegerSpan : public internal::RangeSpan<TIntegerEdit> {
public:
    explicit TIntegerSpan(QWidget* parent = nullptr);

    TIntegerEdit* UpperEdit() const noexcept;

    /// " between 'low' and 'high'" from the texts the edits show. Throws corvo::Error
    /// "数值上限应该比数值下限大，请改正。" when the upper bound is the smaller.
    std::string GetRangeCondition() const;
};

} // namespace corvo::controls
