#pragma once

#include <QProgressBar>

namespace corvo::skin {

/// A progress bar painted from the "XPPROGRESSBAR_" strips: the gray frame stretched over the
/// bar, then colour tiles from the start up to the position. Minimum, maximum, value and
/// orientation are QProgressBar's; a value below the minimum draws no fill.
class TQVProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit TQVProgressBar(QWidget* parent = nullptr);

    int borderWidth() const noexcept { return m_borderWidth; }
    void setBorderWidth(int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_borderWidth = 0;
};

} // namespace corvo::skin
