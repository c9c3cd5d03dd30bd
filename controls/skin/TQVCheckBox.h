#pragma once

#include <QCheckBox>
#include <QColor>

namespace corvo::skin {

/// Paints a check or radio glyph from its strip and the caption beside it. The states: 0
/// unchecked, 1 checked, 2 and 3 the same disabled, 4 and 5 the same under the mouse; the
/// frame drawn is state + 1.
class CheckPainter {
public:
    static void paint(QAbstractButton& button, const QString& strip, bool hot,
                      const QColor& background);
    static QSize sizeHint(const QAbstractButton& button, const QString& strip);
    static int frameNumber(const QAbstractButton& button, bool hot);
};

/// A check box painted from the "XPCHECKBOX" strip on its `Color`. Being a QCheckBox it keeps
/// Qt's toggling by mouse, Space and mnemonic, focus and accessibility behaviour; the whole box
/// (glyph and caption) takes the click.
class TQVCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TQVCheckBox(QWidget* parent = nullptr);
    explicit TQVCheckBox(const QString& caption, QWidget* parent = nullptr);

    QColor color() const noexcept { return m_color; }
    void setColor(const QColor& colour);
    /// The strip frame the box paints now.
    int frameNumber() const noexcept;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor m_color;
    bool m_hot = false;
};

} // namespace corvo::skin
