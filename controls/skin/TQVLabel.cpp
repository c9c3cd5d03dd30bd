#include "TQVLabel.h"

#include <QPainter>

namespace corvo::skin {

TQVLabel::TQVLabel(QWidget* parent) : QLabel(parent) {}

TQVLabel::TQVLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {}

void TQVLabel::setTransparent(bool on)
{
    m_transparent = on;
    update();
}

void TQVLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_transparent) painter.fillRect(rect(), palette().color(backgroundRole()));
    painter.setFont(font());
    int flags = static_cast<int>(alignment()) | Qt::TextShowMnemonic;
    if (wordWrap()) flags |= Qt::TextWordWrap;
    const QRect area = contentsRect();
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawText(area.translated(1, 1), flags, text());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawText(area.translated(-1, -1), flags, text());
    painter.setPen(isEnabled() ? palette().color(QPalette::WindowText)
                               : palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, flags, text());
}

} // namespace corvo::skin
