#include "forms/rules/BottomBand.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

TEST(BottomBand, TheCloseButtonsPartGivesWayLast)
{
    struct Case {
        int band, leftNeed, middleNeed;
        BottomBandParts parts;
    };
    // Seven 75-pixel buttons need 575 in the middle; the left part holds nothing or one button.
    for (const Case& c : {
             Case{900, 0, 575, {158, 649, 93}},   // room to spare: the middle part takes it
             Case{826, 0, 575, {158, 575, 93}},   // the design widths, the middle part at its need
             Case{798, 0, 575, {130, 575, 93}},   // then the left part gives way
             Case{668, 0, 575, {0, 575, 93}},     // down to nothing
             Case{600, 0, 575, {0, 507, 93}},     // then the middle part's buttons
             Case{798, 91, 575, {130, 575, 93}},  // above the left part's need
             Case{700, 91, 575, {91, 516, 93}},   // the left part's button stays, the middle gives
             Case{150, 91, 575, {57, 0, 93}},     // the left part's button goes last
             Case{80, 91, 575, {0, 0, 80}},       // a band narrower than the close button's part
             Case{250, 0, 91, {66, 91, 93}},      // the narrow list dialog
             Case{900, 171, 575, {171, 636, 93}}, // two buttons on the left widen it
             Case{800, 171, 575, {171, 536, 93}}, // its buttons stay, the middle gives
             Case{-5, 0, 0, {0, 0, 0}},
         }) {
        const BottomBandParts got = splitBottomBand(c.band, c.leftNeed, c.middleNeed);
        EXPECT_EQ(got.left, c.parts.left) << c.band << " " << c.leftNeed << " " << c.middleNeed;
        EXPECT_EQ(got.middle, c.parts.middle) << c.band << " " << c.leftNeed;
        EXPECT_EQ(got.right, c.parts.right) << c.band << " " << c.leftNeed;
    }
}

} // namespace
} // namespace corvo::forms
