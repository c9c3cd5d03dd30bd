#include "SkinArt.h"

#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <QtMath>

static void initSkinArt()
{
    Q_INIT_RESOURCE(skin_art);
}

namespace corvo::skin {
namespace {

QString resourcePath(const QString& name)
{
    return QStringLiteral(":/skin/") + name + QStringLiteral(".svg");
}

qreal ratioOf(const QPainter& painter)
{
    return painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
}

// The strip frame in the pixmap's own (device) pixels.
QRectF deviceFrame(const QString& name, const QPixmap& pixmap, int n)
{
    const qreal dpr = pixmap.devicePixelRatio();
    const QSizeF logical = pixmap.deviceIndependentSize();
    const Rect frame = stripFrame(stripLayout(name.toStdString()), qRound(logical.width()),
                                  qRound(logical.height()), n);
    return {frame.x * dpr, frame.y * dpr, frame.width * dpr, frame.height * dpr};
}

} // namespace

QPixmap SkinArt::strip(const QString& name, qreal dpr)
{
    const QString key = QStringLiteral("corvo-skin:%1@%2").arg(name).arg(dpr);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) return pixmap;
    static const bool initialised = [] {
        initSkinArt();
        return true;
    }();
    Q_UNUSED(initialised);
    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid()) return {};
    const QSize logical = renderer.defaultSize();
    pixmap = QPixmap(QSize(qCeil(logical.width() * dpr), qCeil(logical.height() * dpr)));
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QSize SkinArt::frameSize(const QString& name)
{
    const QPixmap pixmap = strip(name, 1.0);
    const Rect frame =
        stripFrame(stripLayout(name.toStdString()), pixmap.width(), pixmap.height(), 1);
    return {frame.width, frame.height};
}

QImage SkinArt::frameImage(const QString& name, int n, qreal dpr)
{
    const QPixmap pixmap = strip(name, dpr);
    return pixmap.copy(deviceFrame(name, pixmap, n).toRect())
        .toImage()
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void SkinArt::drawStretched(QPainter& painter, const QString& name, int n, const QRect& target)
{
    const QPixmap pixmap = strip(name, ratioOf(painter));
    if (pixmap.isNull() || target.isEmpty()) return;
    const qreal dpr = pixmap.devicePixelRatio();
    const QRectF frame = deviceFrame(name, pixmap, n);
    const int w = qRound(frame.width() / dpr);
    const int h = qRound(frame.height() / dpr);
    for (const Piece& piece : ninePart(w, h, target.width(), target.height())) {
        const QRectF source(frame.x() + piece.source.x * dpr, frame.y() + piece.source.y * dpr,
                            piece.source.width * dpr, piece.source.height * dpr);
        const QRectF to(target.x() + piece.target.x, target.y() + piece.target.y,
                        piece.target.width, piece.target.height);
        painter.drawPixmap(to, pixmap, source);
    }
}

void SkinArt::drawScaled(QPainter& painter, const QString& name, int n, const QRect& target)
{
    const QPixmap pixmap = strip(name, ratioOf(painter));
    if (pixmap.isNull() || target.isEmpty()) return;
    painter.drawPixmap(QRectF(target), pixmap, deviceFrame(name, pixmap, n));
}

} // namespace corvo::skin
