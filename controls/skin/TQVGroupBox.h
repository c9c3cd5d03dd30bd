#pragma once

#include <QColor>
#include <QGroupBox>

namespace corvo::skin {

/// A group box drawn as a rounded outline in `BorderColor` with its caption in `CaptionColor`
/// on a patch of `Color` near the top left.
class TQVGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TQVGroupBox(QWidget* parent = nullptr);
    explicit TQVGroupBox(const QString& caption, QWidget* parent = nullptr);

    QColor borderColor() const noexcept { return m_borderColor; }
    void setBorderColor(const QColor& colour);
    QColor captionColor() const noexcept { return m_captionColor; }
    void setCaptionColor(const QColor& colour);
    QColor color() const noexcept { return m_color; }
    void setColor(const QColor& colour);

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QColor m_borderColor;
    QColor m_captionColor;
    QColor m_color;
};

} // namespace corvo::skin
