#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

namespace corvo::skin {

/// A push button painted from the "XPBUTTON" strip: frame state + 1 with the states 0 normal,
/// 1 pressed, 2 disabled, 3 hot, 4 focused, nine-part stretched over the button; the caption
/// centred, or beside or below a picture. Being a QPushButton it keeps Qt's click, mnemonic
/// ("&" in the caption), focus and accessibility behaviour. Enter clicks the focused button,
/// or else the window's visible `Default` button; Escape clicks its `Cancel` button.
class TQVButton : public QPushButton {
    Q_OBJECT
public:
    enum TPicPos { pLeft, pTop };

    explicit TQVButton(QWidget* parent = nullptr);
    explicit TQVButton(const QString& caption, QWidget* parent = nullptr);
    ~TQVButton() override;

    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    TPicPos picPos() const noexcept { return m_picPos; }
    void setPicPos(TPicPos pos);
    bool picTrans() const noexcept { return m_picTrans; }
    void setPicTrans(bool on);
    QColor picTransColor() const noexcept { return m_picTransColor; }
    void setPicTransColor(const QColor& colour);
    int picOffSet() const noexcept { return m_picOffset; }
    void setPicOffSet(int offset);
    /// The result a click hands to the dialog that holds the button (0: none).
    int modalResult() const noexcept { return m_modalResult; }
    void setModalResult(int result) noexcept { m_modalResult = result; }
    /// Escape clicks this button.
    bool cancel() const noexcept { return m_cancel; }
    void setCancel(bool on) noexcept { m_cancel = on; }

    /// The state the button would paint now (before the disabled and focus rules).
    int requestedState() const noexcept;
    /// The strip frame the button paints now.
    int frameNumber() const noexcept;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void init();
    QPixmap shownPicture() const;
    bool canTakeFocus() const;

    QPixmap m_picture;
    TPicPos m_picPos = pTop;
    bool m_picTrans = false;
    QColor m_picTransColor;
    int m_picOffset = 2;
    int m_modalResult = 0;
    bool m_cancel = false;
    bool m_hot = false;
    bool m_keyDown = false;
    QPointer<QWidget> m_watched;
};

} // namespace corvo::skin
