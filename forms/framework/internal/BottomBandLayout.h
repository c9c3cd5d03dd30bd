#pragma once

#include <QLayout>
#include <array>

namespace corvo::forms::internal {

/// Lays out a form's bottom band by splitBottomBand: the right part keeps the close button at
/// the right edge, the left and middle parts shrink first. A part's need is its layout's least
/// width, or for buttons placed by hand their extent plus the margin left of the first.
/// The band asks for no more than the right part, so a form never widens its window.
class BottomBandLayout : public QLayout {
public:
    BottomBandLayout(QWidget& band, QWidget& left, QWidget& middle, QWidget& right);
    ~BottomBandLayout() override;

    /// The band has its three parts only; other items are refused.
    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override;
    void setGeometry(const QRect& rect) override;

    /// The width the buttons of a part need.
    static int need(const QWidget& part);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Part { Left, Middle, Right };
    /// nullptr once the part was taken out of the band.
    QWidget* part(Part which) const;
    int needOf(Part which) const;

    std::array<QLayoutItem*, 3> m_items{};
};

} // namespace corvo::forms::internal
