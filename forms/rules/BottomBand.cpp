#include "BottomBand.h"

#include <algorithm>

namespace corvo::forms {

BottomBandParts splitBottomBand(int bandWidth, int leftNeed, int middleNeed)
{
    const int width = std::max(bandWidth, 0);
    BottomBandParts parts;
    parts.right = std::min(bottomband::RightWidth, width);
    const int rest = width - parts.right;
    const int leftFloor = std::max(leftNeed, 0);
    const int leftWidth = std::max(bottomband::LeftWidth, leftFloor);
    const int middleFloor = std::max(middleNeed, 0);
    if (rest >= leftWidth + middleFloor)
        parts.left = leftWidth;
    else if (rest >= leftFloor + middleFloor)
        parts.left = rest - middleFloor;
    else
        parts.left = std::min(leftFloor, rest);
    parts.middle = rest - parts.left;
    return parts;
}

} // namespace corvo::forms
