#pragma once

namespace corvo::forms {

/// The widths of a form's bottom band: a left part, a middle part and a right part that holds
/// the close button.
namespace bottomband {
inline constexpr int LeftWidth = 158;
inline constexpr int RightWidth = 93;
} // namespace bottomband

struct BottomBandParts {
    int left = 0;
    int middle = 0;
    int right = 0;
};

/// Splits a bottom band of `bandWidth` pixels so that the right part keeps its width at the
/// right edge as long as the band has it. The left part is LeftWidth wide, or `leftNeed` when
/// its buttons need more; the middle part takes the rest. What the band lacks is taken first
/// from the middle part's room beyond `middleNeed` (the width its buttons need), then from the
/// left part's room beyond `leftNeed`, then from the middle part's buttons and last from the
/// left part's. Negative needs and widths count as zero.
BottomBandParts splitBottomBand(int bandWidth, int leftNeed, int middleNeed);

} // namespace corvo::forms
