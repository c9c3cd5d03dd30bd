#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

/// The skinned frame's and controls' geometry as pure functions over integers: strip frames,
/// nine-part stretching, caption button layout, resize zones, frame choice by state, and the
/// progress bar's tiles. All coordinates are logical pixels; a rectangle is left, top, width,
/// height, and is empty when either extent is not positive.
namespace corvo::skin {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool empty() const noexcept { return width <= 0 || height <= 0; }
    int right() const noexcept { return x + width; }   ///< one past the last column
    int bottom() const noexcept { return y + height; } ///< one past the last line
    bool contains(int px, int py) const noexcept
    {
        return !empty() && px >= x && px < right() && py >= y && py < bottom();
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

/// A colour number whose low byte is red, then green, then blue.
Rgb colourFromNumber(uint32_t number) noexcept;

// ---- strips ---------------------------------------------------------------------------------

/// How a strip resource is cut into frames of equal size.
struct StripLayout {
    int frames = 1;
    bool stacked = false; ///< frames one above the other; side by side otherwise
};

/// The layout of a named strip resource (the names are case-sensitive as listed); frames 1
/// and side by side for a name that is not one of the strips.
StripLayout stripLayout(std::string_view name) noexcept;

/// Frame `n` (counted from 1, clamped to the strip's frames) of a strip of the given size.
Rect stripFrame(StripLayout layout, int stripWidth, int stripHeight, int n) noexcept;

// ---- nine-part stretching -------------------------------------------------------------------

/// One copy of the stretching: `source` (inside the frame) drawn scaled into `target`.
struct Piece {
    Rect source;
    Rect target;
    friend bool operator==(const Piece&, const Piece&) = default;
};

/// A frame of w × h drawn into a rectangle W × H at (0, 0): the frame's left w/2 columns at the
/// left, its remaining columns at the right, the middle column w/2 stretched between; then the
/// same with lines over the height. Pieces with an empty target are left out; when the target
/// is narrower than the frame the right half is drawn last and wins.
std::vector<Piece> ninePart(int frameWidth, int frameHeight, int width, int height);

// ---- the frame ------------------------------------------------------------------------------

enum class FrameStyle : uint8_t { Default, Luna };
enum class BorderStyle : uint8_t { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };

struct CaptionButtonSet {
    bool close = true;
    bool max = true;
    bool min = true;
    bool help = false;
};

/// The rectangles of the caption buttons; a button that is not drawn has an empty one.
struct CaptionButtons {
    Rect close;
    Rect max;
    Rect min;
    Rect help;
    friend bool operator==(const CaptionButtons&, const CaptionButtons&) = default;
};

/// Which caption buttons a border style draws: close and help need a border; maximise
/// needs a sizeable or single border; minimise anything but none and dialog.
CaptionButtonSet drawnButtons(BorderStyle border, CaptionButtonSet wanted) noexcept;

/// The caption buttons laid out from the right: the first drawn one ends 8 pixels before the
/// frame's right edge, each next one to the left of the previous with a gap of 2 (luna) or 0.
/// A button's top is (caption height − button height) / 2 + 1.
CaptionButtons layoutCaptionButtons(FrameStyle style, BorderStyle border, CaptionButtonSet wanted,
                                    int frameWidth, int captionHeight, int buttonWidth,
                                    int buttonHeight) noexcept;

/// Frame (1 normal, 2 pressed, 3 hot, 4 inactive window) of one caption button. Only the luna
/// set has frame 4; the mouse over the button counts only while no button is pressed.
int captionButtonFrame(FrameStyle style, bool windowActive, bool underMouse, bool pressed,
                       bool anyPressed) noexcept;

enum class Edge : uint8_t {
    None,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight
};

/// The resize zone at (x, y) of a frame W × H: 5 pixels along each edge, corners first; none
/// unless the border is sizeable (or a sizeable tool window) and the window is not maximised.
Edge resizeZone(BorderStyle border, bool maximised, int x, int y, int width, int height) noexcept;

/// The frame's client rectangle inside the measured edges; the whole frame without a border.
Rect clientRect(BorderStyle border, int width, int height, int leftWidth, int captionHeight,
                int rightWidth, int bottomHeight) noexcept;

/// Where the resize grip goes (its bottom-right corner 6 from the right and 4 from the bottom
/// in luna, 4 and 3 otherwise); empty unless sizeable and not maximised.
Rect gripRect(FrameStyle style, BorderStyle border, bool maximised, int width, int height,
              int gripWidth, int gripHeight) noexcept;

/// The picture or icon at the caption's left and where the caption text starts.
struct CaptionStart {
    Rect iconArea; ///< the menu's hot area; empty without picture and icon
    Rect picture;  ///< where the picture or the 16 × 16 icon is drawn; empty for none
    int textLeft = 8;
    friend bool operator==(const CaptionStart&, const CaptionStart&) = default;
};

/// `pictureWidth` and `pictureHeight` 0: no picture. `drawIcon` counts only without a picture
/// and not for the border styles none and dialog.
CaptionStart captionStart(BorderStyle border, int captionHeight, int pictureWidth,
                          int pictureHeight, int iconOffset, int captionOffset,
                          bool drawIcon) noexcept;

/// What a point of the caption band is.
enum class CaptionPart : uint8_t { Nothing, Icon, Band, Close, Max, Min, Help };

CaptionPart captionPartAt(const CaptionButtons& buttons, const Rect& iconArea, int frameWidth,
                          int captionHeight, int x, int y) noexcept;

enum class CaptionAction : uint8_t { Nothing, ToggleMaximised, Close };

/// A double click: on the icon area closes; on the band (not a button) toggles maximised when
/// the maximise button is drawn.
CaptionAction doubleClickAction(CaptionPart part, bool maxButtonDrawn) noexcept;

/// The task bar height the frame keeps free: the reserved height minus 2, or 0 for a hidden
/// bar (4 pixels or less reserved).
int taskBarHeight(int reservedHeight) noexcept;

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

/// Where a dragged window lands with the magnet: each edge within `magnet` pixels of the
/// screen's (the bottom above the task bar) snaps to it. `magnet` ≤ 0 keeps the position.
Point snapToScreen(int magnet, const Rect& window, int screenWidth, int screenHeight,
                   int taskBar) noexcept;

// ---- buttons, check boxes -------------------------------------------------------------------

/// Button states: 0 normal, 1 pressed, 2 disabled, 3 hot, 4 focused; the frame is state + 1.
int buttonFrame(int requestedState, bool enabled, bool focused) noexcept;

/// Check and radio states: 0 unchecked, 1 checked, 2 and 3 the same disabled, 4 and 5 the same
/// under the mouse; the frame is state + 1. `requestedState` is 0, or 4/5 under the mouse.
int checkFrame(int requestedState, bool enabled, bool checked) noexcept;

// ---- progress bar ---------------------------------------------------------------------------

enum class Orientation : uint8_t { Horizontal, Vertical };

/// The fill tiles of a bar W × H between `min` and `max` at `position` (clamped into the
/// range), each a tile of the colour bitmap stretched into its rectangle: horizontal from x 3
/// rightwards to the fill end, vertical from y H − 2 upwards to the fill top. None when the
/// position is at the minimum or the range is empty.
std::vector<Rect> progressTiles(Orientation orientation, int width, int height, int min, int max,
                                int position, int tileWidth, int tileHeight);

} // namespace corvo::skin
