#pragma once

#include <QEvent>
#include <QLabel>
#include <QPointer>

namespace corvo::controls::internal {

/// The parts a range editor adds beside itself: the label "到" and the second editor. Both
/// stand on the first editor's parent, follow its Visible, Enabled and layout direction, and
/// are destroyed with it.
class RangeParts {
public:
    static constexpr int SecondOffset =
        40; ///< first editor's right edge to the second, less the gap
    static constexpr int Spacing = 3;
    static constexpr int LabelWidth = 37;
    static constexpr int DefaultEditorWidth = 120;

    /// Takes the second editor; it starts disabled, and so does the label unless asked.
    RangeParts(QWidget& first, QWidget* second, bool labelEnabled);
    ~RangeParts();
    RangeParts(const RangeParts&) = delete;
    RangeParts& operator=(const RangeParts&) = delete;

    QLabel* label() const noexcept { return m_label; }
    QWidget* second() const noexcept { return m_second; }

    /// Both editors at a default width and their own height (parentless widgets start at
    /// window size); called once the editors are configured.
    void fitEditors();
    /// Each editor (width − 43) div 2 wide.
    void setCombinedWidth(int width);
    /// Called after the first editor handled an event of that type.
    void handle(QEvent::Type type);
    void copyVisible(bool visible);
    /// Label and second editor beside the first editor where it stands now.
    void place();
    /// The first editor is named `caption`, the second `caption` + " 到".
    void name(const QString& caption);

private:
    void followParent();

    QWidget& m_first;
    QPointer<QLabel> m_label;
    QPointer<QWidget> m_second;
    bool m_combinedWidthSet = false;
    bool m_ownEnabled = true;
};

} // namespace corvo::controls::internal
