#include "TQVForm.h"

#include "SkinArt.h"

#include <QApplication>
#include <QBitmap>
#include <QFontDatabase>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>

namespace corvo::skin {
namespace {

constexpr int MinimumExtent = 100;
const QColor InactiveText(212, 208, 200);

QColor colour(uint32_t number)
{
    const Rgb rgb = colourFromNumber(number);
    return {rgb.red, rgb.green, rgb.blue};
}

Qt::Edges qtEdges(Edge edge)
{
    switch (edge) {
    case Edge::Left:
        return Qt::LeftEdge;
    case Edge::Right:
        return Qt::RightEdge;
    case Edge::Top:
        return Qt::TopEdge;
    case Edge::Bottom:
        return Qt::BottomEdge;
    case Edge::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case Edge::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case Edge::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case Edge::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    case Edge::None:
        break;
    }
    return {};
}

Qt::CursorShape cursorFor(Edge edge)
{
    switch (edge) {
    case Edge::Left:
    case Edge::Right:
        return Qt::SizeHorCursor;
    case Edge::Top:
    case Edge::Bottom:
        return Qt::SizeVerCursor;
    case Edge::TopLeft:
    case Edge::BottomRight:
        return Qt::SizeFDiagCursor;
    case Edge::TopRight:
    case Edge::BottomLeft:
        return Qt::SizeBDiagCursor;
    case Edge::None:
        break;
    }
    return Qt::ArrowCursor;
}

int reservedTaskBar(const QScreen* screen)
{
    if (!screen) return 0;
    return taskBarHeight(screen->geometry().height() - screen->availableGeometry().height());
}

} // namespace

TQVForm::TQVForm(QWidget* owner)
    : QWidget(owner), m_owner(owner), m_captionFont(owner->font()), m_color(colour(15136504))
{
    Q_ASSERT_X(owner, "TQVForm", "a frame needs the window it decorates");
    setObjectName(QStringLiteral("QVForm"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_owner->setWindowFlag(Qt::FramelessWindowHint, true);
    m_owner->setMinimumSize(std::max(MinimumExtent, m_owner->minimumWidth()),
                            std::max(MinimumExtent, m_owner->minimumHeight()));
    if (const QScreen* screen = m_owner->screen()) {
        const int highest = screen->geometry().height() - reservedTaskBar(screen);
        if (m_owner->maximumHeight() == 0 || m_owner->maximumHeight() > highest)
            m_owner->setMaximumHeight(highest);
    }
    m_snapTimer = new QTimer(this);
    m_snapTimer->setSingleShot(true);
    m_snapTimer->setInterval(200);
    connect(m_snapTimer, &QTimer::timeout, this, &TQVForm::snap);
    m_owner->installEventFilter(this);
    measure();
    relayout();
    lower();
}

TQVForm::~TQVForm()
{
    if (m_owner) m_owner->removeEventFilter(this);
}

// ---- properties ---------------------------------------------------------------------------

void TQVForm::setSkinStyle(TXPStyle style)
{
    m_style = style;
    measure();
    relayout();
}

QString TQVForm::caption() const
{
    return m_owner->windowTitle();
}

void TQVForm::setCaption(const QString& caption)
{
    m_owner->setWindowTitle(caption);
    update();
}

void TQVForm::setBtnClose(bool on)
{
    m_buttons.close = on;
    update();
}

void TQVForm::setBtnMax(bool on)
{
    m_buttons.max = on;
    update();
}

void TQVForm::setBtnMin(bool on)
{
    m_buttons.min = on;
    update();
}

void TQVForm::setBtnHelp(bool on)
{
    m_buttons.help = on;
    update();
}

void TQVForm::setIconOffSet(int offset)
{
    m_iconOffset = offset;
    update();
}

void TQVForm::setCaptionOffSet(int offset)
{
    m_captionOffset = offset;
    update();
}

void TQVForm::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    update();
}

void TQVForm::setBorderStyle(TFormBorderStyle border)
{
    m_border = border;
    measure();
    relayout();
}

void TQVForm::setTopMost(bool on)
{
    if (m_topMost == on) return;
    m_topMost = on;
    const bool visible = m_owner->isVisible();
    m_owner->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) m_owner->show();
}

void TQVForm::setBoldCaption(bool on)
{
    m_boldCaption = on;
    update();
}

void TQVForm::setClientPanel(QWidget* panel)
{
    m_client = panel;
    if (panel && panel->parentWidget() != m_owner) panel->setParent(m_owner);
    relayout();
    if (panel) {
        panel->show();
        panel->raise();
    }
}

void TQVForm::setUseSystemFont(bool on)
{
    m_useSystemFont = on;
    update();
}

void TQVForm::setCaptionShadow(bool on)
{
    m_captionShadow = on;
    update();
}

void TQVForm::setPictureTrans(bool on)
{
    m_pictureTrans = on;
    update();
}

void TQVForm::setPictureTransColor(const QColor& colour)
{
    m_pictureTransColor = colour;
    update();
}

void TQVForm::setDrawIcon(bool on)
{
    m_drawIcon = on;
    update();
}

void TQVForm::setCaptionFont(const QFont& font)
{
    m_captionFont = font;
    update();
}

void TQVForm::setColor(const QColor& colour)
{
    m_color = colour;
    update();
}

// ---- geometry -----------------------------------------------------------------------------

QString TQVForm::prefix() const
{
    return m_style == xsLuna ? QStringLiteral("luna_") : QStringLiteral("xpform_");
}

FrameStyle TQVForm::frameStyle() const noexcept
{
    return m_style == xsLuna ? FrameStyle::Luna : FrameStyle::Default;
}

BorderStyle TQVForm::border() const noexcept
{
    return static_cast<BorderStyle>(m_border);
}

bool TQVForm::maximised() const
{
    return m_owner->isMaximized();
}

void TQVForm::measure()
{
    const QString p = prefix();
    m_captionHeight = SkinArt::frameSize(p + QStringLiteral("caption")).height();
    m_leftWidth = SkinArt::frameSize(p + QStringLiteral("left")).width();
    m_rightWidth = SkinArt::frameSize(p + QStringLiteral("right")).width();
    m_bottomHeight = SkinArt::frameSize(p + QStringLiteral("bottom")).height();
    m_buttonSize = SkinArt::frameSize(p + QStringLiteral("close"));
}

QRect TQVForm::clientArea() const
{
    return toQRect(clientRect(border(), width(), height(), m_leftWidth, m_captionHeight,
                              m_rightWidth, m_bottomHeight));
}

CaptionButtons TQVForm::captionButtons() const
{
    return layoutCaptionButtons(frameStyle(), border(), m_buttons, width(), m_captionHeight,
                                m_buttonSize.width(), m_buttonSize.height());
}

QRect TQVForm::iconArea() const
{
    return toQRect(captionStart(border(), m_captionHeight, m_picture.width(), m_picture.height(),
                                m_iconOffset, m_captionOffset, m_drawIcon)
                       .iconArea);
}

void TQVForm::relayout()
{
    setGeometry(m_owner->rect());
    if (m_client) m_client->setGeometry(clientArea());
    updateOutline();
    update();
}

void TQVForm::updateOutline()
{
    const int w = m_owner->width();
    const int h = m_owner->height();
    if (w <= 0 || h <= 0) return;
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, w + 1, h + 1), 6.5, 6.5);
    QRegion region(outline.toFillPolygon().toPolygon());
    region += QRegion(QPolygon({{0, h - 13}, {0, h}, {20, h}}));
    region += QRegion(QPolygon({{w, h - 13}, {w, h}, {w - 20, h}}));
    region &= QRegion(0, 0, w, h);
    m_owner->setMask(region);
}

// ---- events -------------------------------------------------------------------------------

bool TQVForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner) {
        switch (event->type()) {
        case QEvent::Resize:
            relayout();
            break;
        case QEvent::WindowStateChange:
            relayout();
            break;
        case QEvent::WindowActivate:
            setActive(true);
            break;
        case QEvent::WindowDeactivate:
            setActive(false);
            break;
        case QEvent::WindowTitleChange:
            update();
            break;
        case QEvent::Move:
            if (m_drag == Drag::None && m_magnet > 0 && m_snapTimer->isActive())
                m_snapTimer->start();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TQVForm::setActive(bool active)
{
    if (m_active == active) return;
    m_active = active;
    update();
    if (active)
        emit OnActive();
    else
        emit OnDeActive();
}

void TQVForm::setHot(CaptionPart part)
{
    if (m_hot == part) return;
    m_hot = part;
    update(QRect(0, 0, width(), m_captionHeight));
}

CaptionPart TQVForm::partAt(const QPoint& point) const
{
    if (m_border == bsNone) return CaptionPart::Nothing;
    const Rect icon{iconArea().x(), iconArea().y(), iconArea().width(), iconArea().height()};
    return captionPartAt(captionButtons(), icon, width(), m_captionHeight, point.x(), point.y());
}

void TQVForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    const Edge edge = resizeZone(border(), maximised(), at.x(), at.y(), width(), height());
    if (edge != Edge::None) {
        QWindow* window = m_owner->windowHandle();
        if (!window || !window->startSystemResize(qtEdges(edge))) {
            m_drag = Drag::Resize;
            m_dragEdge = edge;
            m_dragStart = event->globalPosition().toPoint();
            m_dragGeometry = m_owner->geometry();
        }
        return;
    }
    const CaptionPart part = partAt(at);
    switch (part) {
    case CaptionPart::Close:
    case CaptionPart::Max:
    case CaptionPart::Min:
    case CaptionPart::Help:
        m_pressed = part;
        update(QRect(0, 0, width(), m_captionHeight));
        break;
    case CaptionPart::Icon:
        if (m_menu) m_menu->popup(event->globalPosition().toPoint());
        break;
    case CaptionPart::Band:
        if (maximised()) break;
        if (QWindow* window = m_owner->windowHandle(); window && window->startSystemMove()) {
            if (m_magnet > 0) m_snapTimer->start();
        } else {
            m_drag = Drag::Move;
            m_dragStart = event->globalPosition().toPoint();
            m_dragGeometry = m_owner->geometry();
        }
        break;
    case CaptionPart::Nothing:
        break;
    }
}

void TQVForm::dragTo(const QPoint& global)
{
    const QPoint delta = global - m_dragStart;
    if (m_drag == Drag::Move) {
        m_owner->move(m_dragGeometry.topLeft() + delta);
        return;
    }
    QRect g = m_dragGeometry;
    const Qt::Edges edges = qtEdges(m_dragEdge);
    if (edges & Qt::LeftEdge) g.setLeft(std::min(g.left() + delta.x(), g.right() - MinimumExtent));
    if (edges & Qt::RightEdge) g.setRight(g.right() + delta.x());
    if (edges & Qt::TopEdge) g.setTop(std::min(g.top() + delta.y(), g.bottom() - MinimumExtent));
    if (edges & Qt::BottomEdge) g.setBottom(g.bottom() + delta.y());
    m_owner->setGeometry(g);
}

void TQVForm::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag != Drag::None) {
        dragTo(event->globalPosition().toPoint());
        return;
    }
    const QPoint at = event->position().toPoint();
    const Edge edge = resizeZone(border(), maximised(), at.x(), at.y(), width(), height());
    if (edge != Edge::None)
        setCursor(cursorFor(edge));
    else
        unsetCursor();
    if (m_active) {
        const CaptionPart part = partAt(at);
        const bool button = part == CaptionPart::Close || part == CaptionPart::Max ||
                            part == CaptionPart::Min || part == CaptionPart::Help;
        setHot(button ? part : CaptionPart::Nothing);
    }
}

void TQVForm::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    if (m_drag != Drag::None) {
        const bool moved = m_drag == Drag::Move;
        m_drag = Drag::None;
        if (moved) snap();
        return;
    }
    const CaptionPart pressed = m_pressed;
    m_pressed = CaptionPart::Nothing;
    update(QRect(0, 0, width(), m_captionHeight));
    if (pressed != CaptionPart::Nothing && partAt(event->position().toPoint()) == pressed)
        release(pressed);
}

void TQVForm::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const CaptionPart part = partAt(event->position().toPoint());
    if (resizeZone(border(), maximised(), event->position().toPoint().x(),
                   event->position().toPoint().y(), width(), height()) != Edge::None)
        return;
    switch (doubleClickAction(part, !captionButtons().max.empty())) {
    case CaptionAction::ToggleMaximised:
        toggleMaximised();
        break;
    case CaptionAction::Close:
        m_owner->close();
        break;
    case CaptionAction::Nothing:
        break;
    }
}

void TQVForm::leaveEvent(QEvent* event)
{
    setHot(CaptionPart::Nothing);
    QWidget::leaveEvent(event);
}

void TQVForm::release(CaptionPart part)
{
    switch (part) {
    case CaptionPart::Close:
        m_owner->close();
        QCoreApplication::processEvents();
        break;
    case CaptionPart::Max:
        toggleMaximised();
        break;
    case CaptionPart::Min:
        if (m_minimizeType == minApplication) {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible()) top->showMinimized();
        } else {
            m_owner->showMinimized();
        }
        break;
    case CaptionPart::Help:
        emit OnHelp();
        break;
    default:
        break;
    }
}

void TQVForm::toggleMaximised()
{
    if (maximised())
        m_owner->showNormal();
    else
        m_owner->showMaximized();
}

void TQVForm::snap()
{
    const QScreen* screen = m_owner->screen();
    if (m_magnet <= 0 || !screen || maximised()) return;
    const QRect g = m_owner->frameGeometry();
    const QRect s = screen->geometry();
    const Point at = snapToScreen(m_magnet, {g.x() - s.x(), g.y() - s.y(), g.width(), g.height()},
                                  s.width(), s.height(), reservedTaskBar(screen));
    const QPoint target(at.x + s.x(), at.y + s.y());
    if (target != g.topLeft()) m_owner->move(target);
}

// ---- painting -----------------------------------------------------------------------------

void TQVForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
    if (m_border == bsNone) return;
    const QString p = prefix();
    const int n = m_active ? 1 : 2;
    const int w = width();
    const int h = height();
    const bool luna = m_style == xsLuna;
    SkinArt::drawStretched(painter, p + QStringLiteral("right"), n,
                           QRect(w - m_rightWidth, 0, m_rightWidth, h));
    SkinArt::drawStretched(painter, p + QStringLiteral("left"), n, QRect(0, 0, m_leftWidth, h));
    const QRect band = luna
                           ? QRect(0, 0, w, m_captionHeight)
                           : QRect(m_leftWidth, 0, w - m_leftWidth - m_rightWidth, m_captionHeight);
    SkinArt::drawStretched(painter, p + QStringLiteral("caption"), n, band);
    const QRect bottom = luna ? QRect(0, h - m_bottomHeight, w, m_bottomHeight)
                              : QRect(m_leftWidth, h - m_bottomHeight,
                                      w - m_leftWidth - m_rightWidth, m_bottomHeight);
    if (luna)
        SkinArt::drawStretched(painter, p + QStringLiteral("bottom"), n, bottom);
    else
        SkinArt::drawScaled(painter, p + QStringLiteral("bottom"), n, bottom);
    paintCaptionButtons(painter);
    const QSize grip = SkinArt::frameSize(QStringLiteral("XPFORM_RESIZEGRIP"));
    const Rect gripAt =
        gripRect(frameStyle(), border(), maximised(), w, h, grip.width(), grip.height());
    if (!gripAt.empty())
        SkinArt::drawScaled(painter, QStringLiteral("XPFORM_RESIZEGRIP"), 1, toQRect(gripAt));

    CaptionStart start;
    paintCaptionStart(painter, start);

    QFont font =
        m_useSystemFont ? QFontDatabase::systemFont(QFontDatabase::TitleFont) : m_captionFont;
    font.setBold(m_boldCaption);
    painter.setFont(font);
    const CaptionButtons buttons = captionButtons();
    int textRight = w - 8;
    for (const Rect& r : {buttons.close, buttons.max, buttons.min, buttons.help})
        if (!r.empty()) textRight = std::min(textRight, r.x - 4);
    const QRect textRect(start.textLeft, 0, std::max(0, textRight - start.textLeft),
                         m_captionHeight);
    const QString text =
        painter.fontMetrics().elidedText(caption(), Qt::ElideRight, textRect.width());
    if (m_captionShadow) {
        painter.setPen(Qt::black);
        painter.drawText(textRect.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    painter.setPen(m_active ? QColor(Qt::white) : InactiveText);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
}

void TQVForm::paintCaptionButtons(QPainter& painter)
{
    const CaptionButtons buttons = captionButtons();
    const bool anyPressed = m_pressed != CaptionPart::Nothing;
    const QString p = prefix();
    const QString maxName = maximised() ? (m_style == xsLuna ? QStringLiteral("luna_restore")
                                                             : QStringLiteral("xpform_Restore"))
                                        : p + QStringLiteral("max");
    const struct {
        Rect rect;
        CaptionPart part;
        QString name;
    } drawn[] = {
        {buttons.close, CaptionPart::Close, p + QStringLiteral("close")},
        {buttons.max, CaptionPart::Max, maxName},
        {buttons.min, CaptionPart::Min, p + QStringLiteral("min")},
        {buttons.help, CaptionPart::Help, p + QStringLiteral("help")},
    };
    for (const auto& b : drawn) {
        if (b.rect.empty()) continue;
        const int frame = captionButtonFrame(frameStyle(), m_active, m_hot == b.part,
                                             m_pressed == b.part, anyPressed);
        SkinArt::drawScaled(painter, b.name, frame, toQRect(b.rect));
    }
}

void TQVForm::paintCaptionStart(QPainter& painter, CaptionStart& start)
{
    start = captionStart(border(), m_captionHeight, m_picture.width(), m_picture.height(),
                         m_iconOffset, m_captionOffset, m_drawIcon);
    if (start.picture.empty()) return;
    if (!m_picture.isNull()) {
        QPixmap picture = m_picture;
        if (m_pictureTrans)
            picture.setMask(picture.createMaskFromColor(m_pictureTransColor, Qt::MaskInColor));
        painter.drawPixmap(start.picture.x, start.picture.y, picture);
        return;
    }
    QIcon icon = m_owner->windowIcon();
    if (icon.isNull()) icon = QApplication::windowIcon();
    if (icon.isNull()) icon = m_owner->style()->standardIcon(QStyle::SP_DesktopIcon);
    icon.paint(&painter, toQRect(start.picture));
}

} // namespace corvo::skin
