#pragma once

#include <QLabel>

namespace corvo::skin {

/// A label whose caption is drawn embossed: once in the shadow colour one pixel right and
/// down, once in the light colour one pixel left and up, then in place. It fills its
/// background unless `Transparent`.
class TQVLabel : public QLabel {
    Q_OBJECT
public:
    explicit TQVLabel(QWidget* parent = nullptr);
    explicit TQVLabel(const QString& caption, QWidget* parent = nullptr);

    bool transparent() const noexcept { return m_transparent; }
    void setTransparent(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_transparent = false;
};

} // namespace corvo::skin
