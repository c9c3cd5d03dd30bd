#include "SkinGeometry.h"

#include <algorithm>
#include <cmath>

namespace corvo::skin {
namespace {

constexpr int EdgeZone = 5;
constexpr int ButtonRightMargin = 8;

struct Segment {
    int source = 0;
    int sourceLength = 0;
    int target = 0;
    int targetLength = 0;
};

// One axis of the nine-part stretching, clipped to [0, length).
std::vector<Segment> stretchAxis(int frame, int length)
{
    std::vector<Segment> out;
    const int half = frame / 2;
    const int rest = frame - half;
    const int head = std::min(half, length);
    if (head > 0) out.push_back({0, head, 0, head});
    const int middle = length - frame;
    if (middle > 0 && frame > 0) out.push_back({half, 1, half, middle});
    int tailTarget = length - rest;
    int tailSource = half;
    int tailLength = rest;
    if (tailTarget < 0) {
        tailSource -= tailTarget;
        tailLength += tailTarget;
        tailTarget = 0;
    }
    if (tailLength > 0) out.push_back({tailSource, tailLength, tailTarget, tailLength});
    return out;
}

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

Rgb colourFromNumber(uint32_t number) noexcept
{
    return Rgb{static_cast<uint8_t>(number & 0xFF), static_cast<uint8_t>((number >> 8) & 0xFF),
               static_cast<uint8_t>((number >> 16) & 0xFF)};
}

StripLayout stripLayout(std::string_view name) noexcept
{
    struct Entry {
        std::string_view name;
        StripLayout layout;
    };
    static constexpr Entry Strips[] = {
        {"luna_caption", {2, true}},
        {"xpform_caption", {2, true}},
        {"luna_bottom", {2, true}},
        {"xpform_bottom", {2, true}},
        {"luna_left", {2, true}},
        {"luna_right", {2, true}},
        {"xpform_left", {2, false}},
        {"xpform_right", {2, false}},
        {"luna_close", {4, false}},
        {"luna_max", {4, false}},
        {"luna_restore", {4, false}},
        {"luna_min", {4, false}},
        {"luna_help", {4, false}},
        {"xpform_close", {3, false}},
        {"xpform_max", {3, false}},
        {"xpform_Restore", {3, false}},
        {"xpform_min", {3, false}},
        {"xpform_help", {3, false}},
        {"XPFORM_RESIZEGRIP", {2, false}},
        {"XPBUTTON", {5, false}},
        {"XPCHECKBOX", {6, false}},
        {"XPRADIOBOX", {6, false}},
        {"XPPROGRESSBAR_GRAY", {1, false}},
        {"XPPROGRESSBAR_COLOR", {1, false}},
        {"XPPROGRESSBAR_GRAY_VERT", {1, false}},
        {"XPPROGRESSBAR_COLOR_VERT", {1, false}},
    };
    for (const Entry& e : Strips)
        if (e.name == name) return e.layout;
    return {};
}

Rect stripFrame(StripLayout layout, int stripWidth, int stripHeight, int n) noexcept
{
    const int frames = std::max(1, layout.frames);
    const int index = std::clamp(n, 1, frames) - 1;
    if (layout.stacked) {
        const int h = stripHeight / frames;
        return {0, index * h, stripWidth, h};
    }
    const int w = stripWidth / frames;
    return {index * w, 0, w, stripHeight};
}

std::vector<Piece> ninePart(int frameWidth, int frameHeight, int width, int height)
{
    std::vector<Piece> pieces;
    if (frameWidth <= 0 || frameHeight <= 0 || width <= 0 || height <= 0) return pieces;
    const std::vector<Segment> columns = stretchAxis(frameWidth, width);
    const std::vector<Segment> lines = stretchAxis(frameHeight, height);
    pieces.reserve(columns.size() * lines.size());
    for (const Segment& line : lines)
        for (const Segment& column : columns)
            pieces.push_back(
                {{column.source, line.source, column.sourceLength, line.sourceLength},
                 {column.target, line.target, column.targetLength, line.targetLength}});
    return pieces;
}

CaptionButtonSet drawnButtons(BorderStyle border, CaptionButtonSet wanted) noexcept
{
    const bool framed = border != BorderStyle::None;
    return {wanted.close && framed,
            wanted.max && framed && border != BorderStyle::Dialog &&
                border != BorderStyle::ToolWindow,
            wanted.min && framed && border != BorderStyle::Dialog, wanted.help && framed};
}

CaptionButtons layoutCaptionButtons(FrameStyle style, BorderStyle border, CaptionButtonSet wanted,
                                    int frameWidth, int captionHeight, int buttonWidth,
                                    int buttonHeight) noexcept
{
    const CaptionButtonSet drawn = drawnButtons(border, wanted);
    const int gap = style == FrameStyle::Luna ? 2 : 0;
    const int top = (captionHeight - buttonHeight) / 2 + 1;
    int right = frameWidth - ButtonRightMargin;
    CaptionButtons out;
    const auto place = [&](bool exists, Rect& rect) {
        if (!exists) return;
        rect = {right - buttonWidth, top, buttonWidth, buttonHeight};
        right = rect.x - gap;
    };
    place(drawn.close, out.close);
    place(drawn.max, out.max);
    place(drawn.min, out.min);
    place(drawn.help, out.help);
    return out;
}

int captionButtonFrame(FrameStyle style, bool windowActive, bool underMouse, bool pressed,
                       bool anyPressed) noexcept
{
    if (!windowActive && style == FrameStyle::Luna) return 4;
    if (underMouse && !anyPressed) return 3;
    if (pressed) return 2;
    return 1;
}

Edge resizeZone(BorderStyle border, bool maximised, int x, int y, int width, int height) noexcept
{
    if (maximised || (border != BorderStyle::Sizeable && border != BorderStyle::SizeToolWin))
        return Edge::None;
    const bool left = x < EdgeZone;
    const bool right = x > width - EdgeZone;
    const bool top = y < EdgeZone;
    const bool bottom = y > height - EdgeZone;
    if (top && left) return Edge::TopLeft;
    if (top && right) return Edge::TopRight;
    if (bottom && right) return Edge::BottomRight;
    if (bottom && left) return Edge::BottomLeft;
    if (left) return Edge::Left;
    if (top) return Edge::Top;
    if (bottom) return Edge::Bottom;
    if (right) return Edge::Right;
    return Edge::None;
}

Rect clientRect(BorderStyle border, int width, int height, int leftWidth, int captionHeight,
                int rightWidth, int bottomHeight) noexcept
{
    if (border == BorderStyle::None) return {0, 0, width, height};
    return {leftWidth, captionHeight, width - leftWidth - rightWidth,
            height - captionHeight - bottomHeight};
}

Rect gripRect(FrameStyle style, BorderStyle border, bool maximised, int width, int height,
              int gripWidth, int gripHeight) noexcept
{
    if (border != BorderStyle::Sizeable || maximised) return {};
    const bool luna = style == FrameStyle::Luna;
    const int right = width - (luna ? 6 : 4);
    const int bottom = height - (luna ? 4 : 3);
    return {right - gripWidth, bottom - gripHeight, gripWidth, gripHeight};
}

CaptionStart captionStart(BorderStyle border, int captionHeight, int pictureWidth,
                          int pictureHeight, int iconOffset, int captionOffset,
                          bool drawIcon) noexcept
{
    CaptionStart out;
    if (pictureWidth > 0 && pictureHeight > 0) {
        out.picture = {8, (captionHeight - pictureHeight) / 2 + iconOffset, pictureWidth,
                       pictureHeight};
        out.iconArea = out.picture;
        out.textLeft = pictureWidth + captionOffset + 10;
    } else if (drawIcon && border != BorderStyle::None && border != BorderStyle::Dialog) {
        out.picture = {8, (captionHeight - 16) / 2, 16, 16};
        out.iconArea = {8, 0, 16, captionHeight};
        out.textLeft = captionOffset + 28;
    }
    return out;
}

CaptionPart captionPartAt(const CaptionButtons& buttons, const Rect& iconArea, int frameWidth,
                          int captionHeight, int x, int y) noexcept
{
    if (buttons.close.contains(x, y)) return CaptionPart::Close;
    if (buttons.max.contains(x, y)) return CaptionPart::Max;
    if (buttons.min.contains(x, y)) return CaptionPart::Min;
    if (buttons.help.contains(x, y)) return CaptionPart::Help;
    if (iconArea.contains(x, y)) return CaptionPart::Icon;
    if (Rect{0, 0, frameWidth, captionHeight}.contains(x, y)) return CaptionPart::Band;
    return CaptionPart::Nothing;
}

CaptionAction doubleClickAction(CaptionPart part, bool maxButtonDrawn) noexcept
{
    if (part == CaptionPart::Icon) return CaptionAction::Close;
    if (part == CaptionPart::Band && maxButtonDrawn) return CaptionAction::ToggleMaximised;
    return CaptionAction::Nothing;
}

int taskBarHeight(int reservedHeight) noexcept
{
    return reservedHeight <= 4 ? 0 : reservedHeight - 2;
}

Point snapToScreen(int magnet, const Rect& window, int screenWidth, int screenHeight,
                   int taskBar) noexcept
{
    Point at{window.x, window.y};
    if (magnet <= 0) return at;
    if (at.y <= magnet) at.y = 0;
    if (at.x <= magnet) at.x = 0;
    if (screenHeight - at.y - window.height - taskBar <= magnet)
        at.y = screenHeight - window.height - taskBar;
    if (screenWidth - at.x - window.width <= magnet) at.x = screenWidth - window.width;
    return at;
}

int buttonFrame(int requestedState, bool enabled, bool focused) noexcept
{
    int state = requestedState;
    if (!enabled)
        state = 2;
    else if (focused && state != 1 && state != 3)
        state = 4;
    return state + 1;
}

int checkFrame(int requestedState, bool enabled, bool checked) noexcept
{
    int state = requestedState;
    if (!enabled)
        state = checked ? 3 : 2;
    else if (checked && state != 5)
        state = 1;
    return state + 1;
}

std::vector<Rect> progressTiles(Orientation orientation, int width, int height, int min, int max,
                                int position, int tileWidth, int tileHeight)
{
    std::vector<Rect> tiles;
    if (max <= min || tileWidth <= 0 || tileHeight <= 0) return tiles;
    const int at = std::clamp(position, min, max);
    if (at <= min) return tiles;
    const double share = static_cast<double>(at - min);
    const double span = static_cast<double>(max - min);
    if (orientation == Orientation::Horizontal) {
        const int end = roundHalfEven((width - 4) / span * share) + 3;
        for (int x = 3; x < end; x += tileWidth)
            tiles.push_back({x, 3, std::min(x + tileWidth, width - 1) - x, height - 2 - 3});
    } else {
        const int top = height - roundHalfEven((height - 3) / span * share) - 2;
        for (int y = height - 2; y > top; y -= tileHeight) {
            const int from = std::max(1, y - tileHeight);
            tiles.push_back({3, from, width - 2 - 3, y - from});
        }
    }
    return tiles;
}

} // namespace corvo::skin
