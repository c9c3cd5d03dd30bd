#include "TQVCheckBox.h"

#include "SkinArt.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace corvo::skin {
namespace {

const QColor DisabledText(128, 128, 128);
constexpr int TextGap = 4;
constexpr int FocusGap = 3;

QColor defaultColour()
{
    const Rgb rgb = colourFromNumber(15136504);
    return {rgb.red, rgb.green, rgb.blue};
}

} // namespace

int CheckPainter::frameNumber(const QAbstractButton& button, bool hot)
{
    const bool checked = button.isChecked();
    const int requested = hot ? (checked ? 5 : 4) : 0;
    return checkFrame(requested, button.isEnabled(), checked);
}

void CheckPainter::paint(QAbstractButton& button, const QString& strip, bool hot,
                         const QColor& background)
{
    QPainter painter(&button);
    painter.fillRect(button.rect(), background);
    const QSize glyph = SkinArt::frameSize(strip);
    const QRect glyphAt(0, (button.height() - glyph.height()) / 2, glyph.width(), glyph.height());
    SkinArt::drawScaled(painter, strip, frameNumber(button, hot), glyphAt);
    painter.setFont(button.font());
    painter.setPen(button.isEnabled() ? button.palette().color(QPalette::WindowText)
                                      : DisabledText);
    const QRect textRect(glyph.width() + TextGap, 0, button.width() - glyph.width() - TextGap,
                         button.height());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                     button.text());
    if (button.hasFocus() && button.isEnabled()) {
        const QString shown = QString(button.text()).remove(QLatin1Char('&'));
        const QFontMetrics metrics = painter.fontMetrics();
        QStyleOptionFocusRect option;
        option.initFrom(&button);
        option.rect =
            QRect(glyph.width() + FocusGap, (button.height() - metrics.height()) / 2,
                  metrics.horizontalAdvance(shown) + 2 * (TextGap - FocusGap), metrics.height());
        button.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &button);
    }
}

QSize CheckPainter::sizeHint(const QAbstractButton& button, const QString& strip)
{
    const QSize glyph = SkinArt::frameSize(strip);
    const QFontMetrics metrics = button.fontMetrics();
    const QString shown = QString(button.text()).remove(QLatin1Char('&'));
    return {glyph.width() + TextGap + metrics.horizontalAdvance(shown) + 4,
            std::max({17, glyph.height(), metrics.height() + 2})};
}

TQVCheckBox::TQVCheckBox(QWidget* parent) : TQVCheckBox(QString(), parent) {}

TQVCheckBox::TQVCheckBox(const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent), m_color(defaultColour())
{
    setFocusPolicy(Qt::StrongFocus);
}

void TQVCheckBox::setColor(const QColor& colour)
{
    m_color = colour;
    update();
}

int TQVCheckBox::frameNumber() const noexcept
{
    return CheckPainter::frameNumber(*this, m_hot);
}

QSize TQVCheckBox::sizeHint() const
{
    return CheckPainter::sizeHint(*this, QStringLiteral("XPCHECKBOX"));
}

void TQVCheckBox::paintEvent(QPaintEvent*)
{
    CheckPainter::paint(*this, QStringLiteral("XPCHECKBOX"), m_hot, m_color);
}

void TQVCheckBox::enterEvent(QEnterEvent* event)
{
    m_hot = true;
    update();
    QCheckBox::enterEvent(event);
}

void TQVCheckBox::leaveEvent(QEvent* event)
{
    m_hot = false;
    update();
    QCheckBox::leaveEvent(event);
}

bool TQVCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void TQVCheckBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QCheckBox::keyPressEvent(event);
}

} // namespace corvo::skin
