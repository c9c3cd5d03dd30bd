#pragma once

#include <QColor>
#include <QRadioButton>

namespace corvo::skin {

/// A radio box painted from the "XPRADIOBOX" strip on its `Color`. Its group is every radio
/// box with the same `GroupIndex` on the same parent (an exclusive QButtonGroup of that
/// parent): checking one, by the user or by setChecked(true), unchecks the others of the
/// group and gives one click.
class TQVRadioBox : public QRadioButton {
    Q_OBJECT
public:
    explicit TQVRadioBox(QWidget* parent = nullptr);
    explicit TQVRadioBox(const QString& caption, QWidget* parent = nullptr);

    QColor color() const noexcept { return m_color; }
    void setColor(const QColor& colour);
    int groupIndex() const noexcept { return m_groupIndex; }
    void setGroupIndex(int index);
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
    void nextCheckState() override;
    void checkStateSet() override;
    void changeEvent(QEvent* event) override;

private:
    void joinGroup();

    QColor m_color;
    int m_groupIndex = 0;
    bool m_hot = false;
    bool m_wasChecked = false;
    bool m_clickPending = false;
    QWidget* m_groupParent = nullptr;
};

} // namespace corvo::skin
