#pragma once

#include "controls/skin/rules/SkinGeometry.h"

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

namespace corvo::skin {

/// The strip resources of the skin: each an SVG of our own drawn at the device pixel ratio it
/// is shown at, cut into frames by its layout (SkinGeometry's stripLayout). Rendered strips
/// are kept in QPixmapCache, so a control repainting reuses them.
class SkinArt {
public:
    /// The strip drawn at `dpr`; its device pixel ratio is set, so its logical size is the
    /// SVG's. A null pixmap for an unknown name.
    static QPixmap strip(const QString& name, qreal dpr);
    /// The logical size of one frame of the strip.
    static QSize frameSize(const QString& name);
    /// Frame `n` (from 1) as an image at `dpr`, for checking what a control painted.
    static QImage frameImage(const QString& name, int n, qreal dpr = 1.0);

    /// Frame `n` nine-part stretched into `target`.
    static void drawStretched(QPainter& painter, const QString& name, int n, const QRect& target);
    /// Frame `n` scaled into `target` as a whole.
    static void drawScaled(QPainter& painter, const QString& name, int n, const QRect& target);
};

/// Conversions between the rules' plain rectangles and Qt's.
inline QRect toQRect(const Rect& r)
{
    return {r.x, r.y, r.width, r.height};
}

} // namespace corvo::skin
