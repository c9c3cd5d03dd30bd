#include "TQVProgressBar.h"

#include "SkinArt.h"

#include <QPainter>

namespace corvo::skin {

TQVProgressBar::TQVProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
}

void TQVProgressBar::setBorderWidth(int width)
{
    m_borderWidth = width;
    update();
}

QSize TQVProgressBar::sizeHint() const
{
    return orientation() == Qt::Horizontal ? QSize(150, 16) : QSize(16, 150);
}

QSize TQVProgressBar::minimumSizeHint() const
{
    return {10, 10};
}

void TQVProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool horizontal = orientation() == Qt::Horizontal;
    const QString gray = horizontal ? QStringLiteral("XPPROGRESSBAR_GRAY")
                                    : QStringLiteral("XPPROGRESSBAR_GRAY_VERT");
    const QString tile = horizontal ? QStringLiteral("XPPROGRESSBAR_COLOR")
                                    : QStringLiteral("XPPROGRESSBAR_COLOR_VERT");
    SkinArt::drawStretched(painter, gray, 1, rect());
    const QSize tileSize = SkinArt::frameSize(tile);
    const auto tiles =
        progressTiles(horizontal ? Orientation::Horizontal : Orientation::Vertical, width(),
                      height(), minimum(), maximum(), value(), tileSize.width(), tileSize.height());
    for (const Rect& r : tiles)
        SkinArt::drawScaled(painter, tile, 1, toQRect(r));
}

} // namespace corvo::skin
