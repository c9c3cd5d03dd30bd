#pragma once

#include "controls/skin/rules/SkinGeometry.h"

#include <QColor>
#include <QFont>
#include <QMenu>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QTimer;

namespace corvo::skin {

/// The painted frame that replaces a window's system frame: caption band, side and bottom
/// edges, caption buttons, picture or icon, caption text with shadow and the rounded outline.
/// It is a child of the window it decorates (its owner), fills it and stays behind the other
/// children; the window's content is `ClientPanel`, placed inside the edges. The owner becomes
/// a frameless window; moving and resizing go to the window system (startSystemMove and
/// startSystemResize), or are done by hand where it has none.
class TQVForm : public QWidget {
    Q_OBJECT
public:
    enum TXPStyle { xsDefault, xsLuna };
    enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
    enum TMinimizeType { minForm, minApplication };

    explicit TQVForm(QWidget* owner);
    ~TQVForm() override;

    TXPStyle skinStyle() const noexcept { return m_style; }
    void setSkinStyle(TXPStyle style);
    /// The owner's caption.
    QString caption() const;
    void setCaption(const QString& caption);
    QMenu* menu() const noexcept { return m_menu; }
    void setMenu(QMenu* menu) noexcept { m_menu = menu; }
    bool btnClose() const noexcept { return m_buttons.close; }
    bool btnMax() const noexcept { return m_buttons.max; }
    bool btnMin() const noexcept { return m_buttons.min; }
    bool btnHelp() const noexcept { return m_buttons.help; }
    void setBtnClose(bool on);
    void setBtnMax(bool on);
    void setBtnMin(bool on);
    void setBtnHelp(bool on);
    int iconOffSet() const noexcept { return m_iconOffset; }
    void setIconOffSet(int offset);
    int captionOffSet() const noexcept { return m_captionOffset; }
    void setCaptionOffSet(int offset);
    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    TFormBorderStyle borderStyle() const noexcept { return m_border; }
    void setBorderStyle(TFormBorderStyle border);
    int magnet() const noexcept { return m_magnet; }
    void setMagnet(int pixels) noexcept { m_magnet = pixels; }
    bool topMost() const noexcept { return m_topMost; }
    void setTopMost(bool on);
    bool boldCaption() const noexcept { return m_boldCaption; }
    void setBoldCaption(bool on);
    QWidget* clientPanel() const noexcept { return m_client; }
    /// Lays `panel` into the client area (it becomes a child of the owner).
    void setClientPanel(QWidget* panel);
    bool useSystemFont() const noexcept { return m_useSystemFont; }
    void setUseSystemFont(bool on);
    bool captionShadow() const noexcept { return m_captionShadow; }
    void setCaptionShadow(bool on);
    bool pictureTrans() const noexcept { return m_pictureTrans; }
    void setPictureTrans(bool on);
    QColor pictureTransColor() const noexcept { return m_pictureTransColor; }
    void setPictureTransColor(const QColor& colour);
    bool drawIcon() const noexcept { return m_drawIcon; }
    void setDrawIcon(bool on);
    TMinimizeType minimizeType() const noexcept { return m_minimizeType; }
    void setMinimizeType(TMinimizeType type) noexcept { m_minimizeType = type; }
    /// The caption font when the system font is not used.
    QFont captionFont() const { return m_captionFont; }
    void setCaptionFont(const QFont& font);
    QColor color() const noexcept { return m_color; }
    void setColor(const QColor& colour);

    /// Run-time state: whether the owner is the active window (true at creation).
    bool isActive() const noexcept { return m_active; }
    int captionHeight() const noexcept { return m_captionHeight; }
    int leftWidth() const noexcept { return m_leftWidth; }
    int rightWidth() const noexcept { return m_rightWidth; }
    int bottomHeight() const noexcept { return m_bottomHeight; }
    /// Where the client panel goes, in the owner's coordinates.
    QRect clientArea() const;
    /// The caption buttons as they are drawn now (empty rectangles for absent ones).
    CaptionButtons captionButtons() const;
    QRect iconArea() const;

signals:
    void OnHelp();
    void OnActive();
    void OnDeActive();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    enum class Drag { None, Move, Resize };

    QString prefix() const;
    FrameStyle frameStyle() const noexcept;
    BorderStyle border() const noexcept;
    bool maximised() const;
    void measure();
    void relayout();
    void updateOutline();
    void setActive(bool active);
    void setHot(CaptionPart part);
    CaptionPart partAt(const QPoint& point) const;
    void paintCaptionButtons(QPainter& painter);
    void paintCaptionStart(QPainter& painter, CaptionStart& start);
    void release(CaptionPart part);
    void toggleMaximised();
    void snap();
    void dragTo(const QPoint& global);

    QWidget* m_owner;
    QPointer<QWidget> m_client;
    QPointer<QMenu> m_menu;
    TXPStyle m_style = xsDefault;
    TFormBorderStyle m_border = bsSizeable;
    CaptionButtonSet m_buttons;
    int m_iconOffset = 0;
    int m_captionOffset = 0;
    QPixmap m_picture;
    int m_magnet = 0;
    bool m_topMost = false;
    bool m_boldCaption = true;
    bool m_useSystemFont = true;
    bool m_captionShadow = true;
    bool m_pictureTrans = false;
    QColor m_pictureTransColor;
    bool m_drawIcon = false;
    TMinimizeType m_minimizeType = minForm;
    QFont m_captionFont;
    QColor m_color;

    bool m_active = true;
    int m_captionHeight = 0;
    int m_leftWidth = 0;
    int m_rightWidth = 0;
    int m_bottomHeight = 0;
    QSize m_buttonSize;
    CaptionPart m_hot = CaptionPart::Nothing;
    CaptionPart m_pressed = CaptionPart::Nothing;
    Drag m_drag = Drag::None;
    Edge m_dragEdge = Edge::None;
    QPoint m_dragStart;
    QRect m_dragGeometry;
    QTimer* m_snapTimer = nullptr;
};

} // namespace corvo::skin
