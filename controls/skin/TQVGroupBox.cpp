#include "TQVGroupBox.h"

#include "controls/skin/rules/SkinGeometry.h"

#include <QMouseEvent>
#include <QPainter>

namespace corvo::skin {
namespace {

QColor colour(uint32_t number)
{
    const Rgb rgb = colourFromNumber(number);
    return {rgb.red, rgb.green, rgb.blue};
}

} // namespace

TQVGroupBox::TQVGroupBox(QWidget* parent) : TQVGroupBox(QString(), parent) {}

TQVGroupBox::TQVGroupBox(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), m_borderColor(colour(12570832)), m_captionColor(colour(13583874)),
      m_color(colour(15136504))
{
}

void TQVGroupBox::setBorderColor(const QColor& colour)
{
    m_borderColor = colour;
    update();
}

void TQVGroupBox::setCaptionColor(const QColor& colour)
{
    m_captionColor = colour;
    update();
}

void TQVGroupBox::setColor(const QColor& colour)
{
    m_color = colour;
    update();
}

void TQVGroupBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
    painter.setFont(font());
    const QFontMetrics metrics = painter.fontMetrics();
    const int top = metrics.height() / 2;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(m_borderColor);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(0.5, top + 0.5, width() - 1, height() - top - 1), 4, 4);
    if (title().isEmpty()) return;
    const QString shown = QString(title()).remove(QLatin1Char('&'));
    const QRect captionRect(10, 0, 6 + metrics.horizontalAdvance(shown), metrics.height());
    painter.fillRect(captionRect, m_color);
    painter.setPen(isEnabled() ? m_captionColor : QColor(128, 128, 128));
    painter.drawText(captionRect, Qt::AlignCenter | Qt::TextShowMnemonic, title());
}

void TQVGroupBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit doubleClicked();
    QGroupBox::mouseDoubleClickEvent(event);
}

} // namespace corvo::skin
