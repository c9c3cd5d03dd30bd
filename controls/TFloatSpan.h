#pragma once

#include "TFloatEdit.h"
#include "internal/RangeSpan.h"

#include <string>

namespace corvo::controls {

/// A range of numbers: this edit is the lower bound; beside it stand the label "到" and
/// `UpperEdit`. Both bounds start at 0; the upper edit and the label start disabled.
class TFloatSpan : public internal::RangeSpan<TFloatEdit> {
public:
    explicit TFloatSpan(QWidget* parent = nullptr);

    TFloatEdit* UpperEdit() const noexcept;

    /// " between 'low' and 'high'" with the texts as the edits show them. Throws corvo::Error
    /// "数值上限应该比数值下限大，请改正。" when the upper number is the smaller.
    std::string GetRangeCondition() const;
};

} // namespace corvo::controls
