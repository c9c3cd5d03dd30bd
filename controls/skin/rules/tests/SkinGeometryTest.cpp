#include "controls/skin/rules/SkinGeometry.h"

#include <gtest/gtest.h>

namespace corvo::skin {
namespace {

TEST(SkinColour, NumbersReadLowByteAsRed)
{
    EXPECT_EQ(colourFromNumber(15136504), (Rgb{248, 246, 230}));
    EXPECT_EQ(colourFromNumber(13160660), (Rgb{212, 208, 200}));
}

TEST(SkinStrip, FramesAreCutSideBySideOrStacked)
{
    struct Case {
        const char* name;
        int stripWidth, stripHeight, n;
        Rect frame;
    };
    const Case cases[] = {
        {"luna_caption", 40, 60, 1, {0, 0, 40, 30}},
        {"luna_caption", 40, 60, 2, {0, 30, 40, 30}},
        {"xpform_left", 10, 20, 2, {5, 0, 5, 20}},
        {"luna_left", 5, 40, 2, {0, 20, 5, 20}},
        {"luna_close", 84, 21, 4, {63, 0, 21, 21}},
        {"xpform_Restore", 63, 21, 3, {42, 0, 21, 21}},
        {"XPBUTTON", 80, 24, 3, {32, 0, 16, 24}},
        {"XPCHECKBOX", 78, 13, 6, {65, 0, 13, 13}},
        {"XPCHECKBOX", 78, 13, 9, {65, 0, 13, 13}}, // past the last frame: the last
        {"XPPROGRESSBAR_COLOR", 8, 10, 1, {0, 0, 8, 10}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stripFrame(stripLayout(c.name), c.stripWidth, c.stripHeight, c.n), c.frame)
            << c.name << " frame " << c.n;
}

TEST(SkinNinePart, HalvesStayAndTheMiddleStretches)
{
    // 16 × 24 into 75 × 24: no middle line, the middle column 8 stretched over 59 columns.
    const std::vector<Piece> button = ninePart(16, 24, 75, 24);
    const std::vector<Piece> expected = {
        {{0, 0, 8, 12}, {0, 0, 8, 12}},    {{8, 0, 1, 12}, {8, 0, 59, 12}},
        {{8, 0, 8, 12}, {67, 0, 8, 12}},   {{0, 12, 8, 12}, {0, 12, 8, 12}},
        {{8, 12, 1, 12}, {8, 12, 59, 12}}, {{8, 12, 8, 12}, {67, 12, 8, 12}},
    };
    EXPECT_EQ(button, expected);
}

TEST(SkinNinePart, OddFramesGiveTheRightPartTheExtraColumn)
{
    // 5 × 3 into 10 × 7: columns 0-1 | 2 stretched | 2-4; lines 0 | 1 stretched | 1-2.
    const std::vector<Piece> pieces = ninePart(5, 3, 10, 7);
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(pieces[0], (Piece{{0, 0, 2, 1}, {0, 0, 2, 1}}));
    EXPECT_EQ(pieces[4], (Piece{{2, 1, 1, 1}, {2, 1, 5, 4}}));
    EXPECT_EQ(pieces[8], (Piece{{2, 1, 3, 2}, {7, 5, 3, 2}}));
}

TEST(SkinNinePart, ATargetSmallerThanTheFrameKeepsTheRightHalfOnTop)
{
    const std::vector<Piece> pieces = ninePart(8, 2, 3, 2);
    // Left half clipped to 3 columns, then the right half's last 3 columns over it.
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].target, (Rect{0, 0, 3, 1}));
    EXPECT_EQ(pieces[1], (Piece{{5, 0, 3, 1}, {0, 0, 3, 1}}));
    EXPECT_TRUE(ninePart(8, 2, 0, 5).empty());
}

TEST(SkinCaption, ButtonsAreLaidOutFromTheRight)
{
    struct Case {
        FrameStyle style;
        BorderStyle border;
        CaptionButtonSet wanted;
        CaptionButtons expected;
    };
    const CaptionButtonSet standard{};
    const CaptionButtonSet all{true, true, true, true};
    const CaptionButtonSet noMax{true, false, true, false};
    const auto at = [](int x) { return Rect{x, 5, 21, 21}; };
    const Case cases[] = {
        {FrameStyle::Luna, BorderStyle::Sizeable, standard, {at(371), at(348), at(325), {}}},
        {FrameStyle::Default, BorderStyle::Sizeable, standard, {at(371), at(350), at(329), {}}},
        {FrameStyle::Luna, BorderStyle::Sizeable, all, {at(371), at(348), at(325), at(302)}},
        {FrameStyle::Luna, BorderStyle::Sizeable, noMax, {at(371), {}, at(348), {}}},
        {FrameStyle::Luna, BorderStyle::Single, standard, {at(371), at(348), at(325), {}}},
        {FrameStyle::Luna, BorderStyle::Dialog, all, {at(371), {}, {}, at(348)}},
        {FrameStyle::Luna, BorderStyle::ToolWindow, standard, {at(371), {}, at(348), {}}},
        {FrameStyle::Luna, BorderStyle::None, all, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(layoutCaptionButtons(c.style, c.border, c.wanted, 400, 30, 21, 21), c.expected)
            << static_cast<int>(c.style) << "/" << static_cast<int>(c.border);
}

TEST(SkinCaption, ButtonFrameFollowsWindowMouseAndPress)
{
    struct Case {
        FrameStyle style;
        bool active, under, pressed, anyPressed;
        int frame;
    };
    const Case cases[] = {
        {FrameStyle::Luna, true, false, false, false, 1},
        {FrameStyle::Luna, true, true, false, false, 3},
        {FrameStyle::Luna, true, true, true, true, 2},
        {FrameStyle::Luna, true, true, false, true, 1}, // another button is held
        {FrameStyle::Luna, false, true, true, true, 4},
        {FrameStyle::Default, false, false, false, false, 1},
        {FrameStyle::Default, false, true, false, false, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(captionButtonFrame(c.style, c.active, c.under, c.pressed, c.anyPressed), c.frame);
}

TEST(SkinCaption, PartsUnderThePointAndDoubleClicks)
{
    const CaptionButtons buttons =
        layoutCaptionButtons(FrameStyle::Luna, BorderStyle::Sizeable, {}, 400, 30, 21, 21);
    const Rect icon{8, 0, 16, 30};
    EXPECT_EQ(captionPartAt(buttons, icon, 400, 30, 380, 10), CaptionPart::Close);
    EXPECT_EQ(captionPartAt(buttons, icon, 400, 30, 350, 10), CaptionPart::Max);
    EXPECT_EQ(captionPartAt(buttons, icon, 400, 30, 10, 29), CaptionPart::Icon);
    EXPECT_EQ(captionPartAt(buttons, icon, 400, 30, 200, 29), CaptionPart::Band);
    EXPECT_EQ(captionPartAt(buttons, icon, 400, 30, 200, 30), CaptionPart::Nothing);
    EXPECT_EQ(doubleClickAction(CaptionPart::Band, true), CaptionAction::ToggleMaximised);
    EXPECT_EQ(doubleClickAction(CaptionPart::Band, false), CaptionAction::Nothing);
    EXPECT_EQ(doubleClickAction(CaptionPart::Icon, false), CaptionAction::Close);
    EXPECT_EQ(doubleClickAction(CaptionPart::Close, true), CaptionAction::Nothing);
}

TEST(SkinCaption, PictureOrIconMovesTheText)
{
    // A 20 × 16 picture, icon offset 2, caption offset 3, caption 30 high.
    EXPECT_EQ(captionStart(BorderStyle::Sizeable, 30, 20, 16, 2, 3, true),
              (CaptionStart{{8, 9, 20, 16}, {8, 9, 20, 16}, 33}));
    EXPECT_EQ(captionStart(BorderStyle::Sizeable, 30, 0, 0, 2, 3, true),
              (CaptionStart{{8, 0, 16, 30}, {8, 7, 16, 16}, 31}));
    EXPECT_EQ(captionStart(BorderStyle::Dialog, 30, 0, 0, 0, 3, true), (CaptionStart{{}, {}, 8}));
    EXPECT_EQ(captionStart(BorderStyle::Sizeable, 30, 0, 0, 0, 3, false),
              (CaptionStart{{}, {}, 8}));
}

TEST(SkinFrame, ResizeZonesAlongTheEdges)
{
    struct Case {
        BorderStyle border;
        bool maximised;
        int x, y;
        Edge edge;
    };
    const BorderStyle s = BorderStyle::Sizeable;
    const Case cases[] = {
        {s, false, 0, 0, Edge::TopLeft},
        {s, false, 399, 4, Edge::TopRight},
        {s, false, 396, 296, Edge::BottomRight},
        {s, false, 4, 299, Edge::BottomLeft},
        {s, false, 4, 150, Edge::Left},
        {s, false, 5, 150, Edge::None},
        {s, false, 200, 4, Edge::Top},
        {s, false, 200, 296, Edge::Bottom},
        {s, false, 200, 295, Edge::None},
        {s, false, 396, 150, Edge::Right},
        {s, false, 395, 150, Edge::None},
        {s, true, 0, 0, Edge::None},
        {BorderStyle::Single, false, 0, 150, Edge::None},
        {BorderStyle::Dialog, false, 0, 150, Edge::None},
        {BorderStyle::SizeToolWin, false, 0, 150, Edge::Left},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resizeZone(c.border, c.maximised, c.x, c.y, 400, 300), c.edge)
            << c.x << "," << c.y;
}

TEST(SkinFrame, ClientGripAndTaskBar)
{
    EXPECT_EQ(clientRect(BorderStyle::Sizeable, 400, 300, 5, 30, 5, 5), (Rect{5, 30, 390, 265}));
    EXPECT_EQ(clientRect(BorderStyle::None, 400, 300, 5, 30, 5, 5), (Rect{0, 0, 400, 300}));
    EXPECT_EQ(gripRect(FrameStyle::Luna, BorderStyle::Sizeable, false, 400, 300, 12, 12),
              (Rect{382, 284, 12, 12}));
    EXPECT_EQ(gripRect(FrameStyle::Default, BorderStyle::Sizeable, false, 400, 300, 12, 12),
              (Rect{384, 285, 12, 12}));
    EXPECT_TRUE(gripRect(FrameStyle::Luna, BorderStyle::Sizeable, true, 400, 300, 12, 12).empty());
    EXPECT_TRUE(gripRect(FrameStyle::Luna, BorderStyle::Single, false, 400, 300, 12, 12).empty());
    EXPECT_EQ(taskBarHeight(0), 0);
    EXPECT_EQ(taskBarHeight(4), 0);
    EXPECT_EQ(taskBarHeight(30), 28);
}

TEST(SkinFrame, MagnetSnapsNearEdges)
{
    struct Case {
        int magnet;
        Rect window;
        Point at;
    };
    const Case cases[] = {
        {10, {5, 7, 200, 100}, {0, 0}},
        {10, {820, 630, 200, 100}, {824, 638}}, // 4 right, 8 above the task bar
        {10, {400, 300, 200, 100}, {400, 300}},
        {0, {5, 7, 200, 100}, {5, 7}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(snapToScreen(c.magnet, c.window, 1024, 768, 30), c.at)
            << c.window.x << "," << c.window.y;
}

TEST(SkinStates, ButtonFrames)
{
    struct Case {
        int state;
        bool enabled, focused;
        int frame;
    };
    const Case cases[] = {
        {0, true, false, 1}, {1, true, false, 2}, {3, true, false, 4}, {0, true, true, 5},
        {1, true, true, 2},  {3, true, true, 4},  {0, false, true, 3}, {3, false, false, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(buttonFrame(c.state, c.enabled, c.focused), c.frame) << c.state;
}

TEST(SkinStates, CheckFrames)
{
    struct Case {
        int state;
        bool enabled, checked;
        int frame;
    };
    const Case cases[] = {
        {0, true, false, 1},  {0, true, true, 2},  {4, true, false, 5},  {5, true, true, 6},
        {0, false, false, 3}, {5, false, true, 4}, {4, false, false, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkFrame(c.state, c.enabled, c.checked), c.frame) << c.state;
}

TEST(SkinProgress, HorizontalTilesRunToTheFillEnd)
{
    // Width 100: the fill end at half is round(96 / 100 × 50) + 3 = 51; tiles of 10 from x 3.
    const std::vector<Rect> half =
        progressTiles(Orientation::Horizontal, 100, 16, 0, 100, 50, 10, 8);
    ASSERT_EQ(half.size(), 5u);
    EXPECT_EQ(half.front(), (Rect{3, 3, 10, 11}));
    EXPECT_EQ(half.back(), (Rect{43, 3, 10, 11}));
    // Full: the last tile stops one pixel before the right edge.
    const std::vector<Rect> full =
        progressTiles(Orientation::Horizontal, 100, 16, 0, 100, 100, 10, 8);
    EXPECT_EQ(full.back(), (Rect{93, 3, 6, 11}));
    EXPECT_EQ(progressTiles(Orientation::Horizontal, 100, 16, 0, 100, 150, 10, 8), full);
}

TEST(SkinProgress, VerticalTilesRiseToTheFillTop)
{
    // 97 × 0.5 = 48.5 rounds to the even 48: the fill top is 100 - 48 - 2 = 50.
    const std::vector<Rect> half = progressTiles(Orientation::Vertical, 16, 100, 0, 100, 50, 8, 10);
    ASSERT_EQ(half.size(), 5u);
    EXPECT_EQ(half.front(), (Rect{3, 88, 11, 10}));
    EXPECT_EQ(half.back(), (Rect{3, 48, 11, 10}));
    // The top tile never reaches above line 1.
    const std::vector<Rect> full = progressTiles(Orientation::Vertical, 16, 24, 0, 10, 10, 8, 10);
    EXPECT_EQ(full.back(), (Rect{3, 1, 11, 1}));
}

TEST(SkinProgress, NothingAtTheMinimumOrWithoutARange)
{
    EXPECT_TRUE(progressTiles(Orientation::Horizontal, 100, 16, 0, 100, 0, 10, 8).empty());
    EXPECT_TRUE(progressTiles(Orientation::Horizontal, 100, 16, 10, 100, -5, 10, 8).empty());
    EXPECT_TRUE(progressTiles(Orientation::Horizontal, 100, 16, 5, 5, 7, 10, 8).empty());
    EXPECT_TRUE(progressTiles(Orientation::Vertical, 16, 100, 0, 100, 0, 8, 10).empty());
}

} // namespace
} // namespace corvo::skin
