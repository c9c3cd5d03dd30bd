#pragma once

#include "controls/skin/SkinArt.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

namespace corvo::skin::test {

/// What a widget shows, at device pixel ratio 1.
inline QImage shot(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

/// The largest difference of one colour channel over two images of the same size.
inline int distance(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return 256;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

/// Frame `n` of a strip laid over `ground` (a part of a shot), as it shows when drawn there.
inline QImage over(const QImage& ground, const QString& strip, int n)
{
    QImage out = ground.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&out);
    painter.drawImage(QRect(QPoint(0, 0), out.size()), SkinArt::frameImage(strip, n));
    return out;
}

} // namespace corvo::skin::test
