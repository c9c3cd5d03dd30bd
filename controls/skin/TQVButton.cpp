#include "TQVButton.h"

#include "SkinArt.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>

namespace corvo::skin {
namespace {

const QColor DisabledText(128, 128, 128);
const QString Strip = QStringLiteral("XPBUTTON");

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TQVButton::TQVButton(QWidget* parent) : QPushButton(parent)
{
    init();
}

TQVButton::TQVButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    init();
}

TQVButton::~TQVButton() = default;

void TQVButton::init()
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    resize(75, 24);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_modalResult == 0) return;
        for (QWidget* w = parentWidget(); w; w = w->parentWidget())
            if (auto* dialog = qobject_cast<QDialog*>(w)) {
                dialog->done(m_modalResult);
                return;
            }
    });
}

void TQVButton::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    updateGeometry();
    update();
}

void TQVButton::setPicPos(TPicPos pos)
{
    m_picPos = pos;
    update();
}

void TQVButton::setPicTrans(bool on)
{
    m_picTrans = on;
    update();
}

void TQVButton::setPicTransColor(const QColor& colour)
{
    m_picTransColor = colour;
    update();
}

void TQVButton::setPicOffSet(int offset)
{
    m_picOffset = offset;
    update();
}

int TQVButton::requestedState() const noexcept
{
    if (isDown() || m_keyDown) return 1;
    return m_hot ? 3 : 0;
}

int TQVButton::frameNumber() const noexcept
{
    return buttonFrame(requestedState(), isEnabled(), hasFocus());
}

QSize TQVButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const QString shown = QString(text()).remove(QLatin1Char('&'));
    int w = metrics.horizontalAdvance(shown) + 16;
    int h = std::max(24, metrics.height() + 8);
    if (!m_picture.isNull()) {
        if (m_picPos == pTop) {
            w = std::max(w, m_picture.width() + 16);
            h += m_picture.height() + m_picOffset;
        } else {
            w += m_picture.width() + m_picOffset;
            h = std::max(h, m_picture.height() + 8);
        }
    }
    return {std::max(75, w), h};
}

QSize TQVButton::minimumSizeHint() const
{
    return {std::min(sizeHint().width(), 40), 24};
}

QPixmap TQVButton::shownPicture() const
{
    if (m_picture.isNull()) return {};
    QPixmap picture = m_picture;
    if (m_picTrans) picture.setMask(picture.createMaskFromColor(m_picTransColor, Qt::MaskInColor));
    if (isEnabled()) return picture;
    // Flat: every pixel unlike the bottom-left one becomes the button face.
    QImage image = m_picture.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb ground = image.pixel(0, image.height() - 1);
    const QRgb face = palette().color(QPalette::Button).rgba();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, image.pixel(x, y) == ground ? qRgba(0, 0, 0, 0) : face);
    return QPixmap::fromImage(image);
}

void TQVButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    SkinArt::drawStretched(painter, Strip, frameNumber(), rect());
    painter.setFont(font());
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : DisabledText);
    const int flags = Qt::TextShowMnemonic | Qt::TextSingleLine;
    const QPixmap picture = shownPicture();
    if (picture.isNull()) {
        painter.drawText(rect(), Qt::AlignCenter | flags, text());
        return;
    }
    const QFontMetrics metrics = painter.fontMetrics();
    const QSize pic = picture.deviceIndependentSize().toSize();
    if (m_picPos == pTop) {
        const int block = pic.height() + m_picOffset + metrics.height();
        const int top = (height() - block) / 2;
        painter.drawPixmap((width() - pic.width()) / 2, top, picture);
        const QRect line(0, top + pic.height() + m_picOffset, width(), metrics.height());
        painter.drawText(line, Qt::AlignCenter | flags, text());
    } else {
        const QString shown = QString(text()).remove(QLatin1Char('&'));
        const int block = pic.width() + m_picOffset + metrics.horizontalAdvance(shown);
        const int left = (width() - block) / 2;
        painter.drawPixmap(left, (height() - pic.height()) / 2, picture);
        const QRect line(left + pic.width() + m_picOffset, 0,
                         width() - left - pic.width() - m_picOffset, height());
        painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter | flags, text());
    }
}

void TQVButton::enterEvent(QEnterEvent* event)
{
    m_hot = true;
    update();
    QPushButton::enterEvent(event);
}

void TQVButton::leaveEvent(QEvent* event)
{
    m_hot = false;
    update();
    QPushButton::leaveEvent(event);
}

void TQVButton::keyPressEvent(QKeyEvent* event)
{
    if (isEnterKey(event->key()) && event->modifiers() == Qt::NoModifier) {
        if (!event->isAutoRepeat()) {
            m_keyDown = true;
            update();
        }
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TQVButton::keyReleaseEvent(QKeyEvent* event)
{
    if (isEnterKey(event->key()) && m_keyDown) {
        m_keyDown = false;
        update();
        if (!event->isAutoRepeat()) click();
        event->accept();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

bool TQVButton::canTakeFocus() const
{
    return isVisible() && isEnabled() && focusPolicy() != Qt::NoFocus;
}

// Enter and Escape that no control took reach the window; the default and cancel buttons
// answer them there.
bool TQVButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
            return false;
        const bool enter = isEnterKey(key->key());
        const bool escape = key->key() == Qt::Key_Escape;
        if ((enter && isDefault() && !qobject_cast<QPushButton*>(QApplication::focusWidget())) ||
            (escape && m_cancel)) {
            if (!canTakeFocus()) return false;
            click();
            return true;
        }
    }
    return QPushButton::eventFilter(watched, event);
}

void TQVButton::showEvent(QShowEvent* event)
{
    QPushButton::showEvent(event);
    QWidget* top = window();
    if (top == m_watched) return;
    if (m_watched) m_watched->removeEventFilter(this);
    m_watched = top;
    if (m_watched && m_watched != this) m_watched->installEventFilter(this);
}

void TQVButton::hideEvent(QHideEvent* event)
{
    m_hot = false;
    QPushButton::hideEvent(event);
}

} // namespace corvo::skin
