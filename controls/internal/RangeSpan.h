#pragma once

#include "RangeParts.h"

#include <QWidget>

namespace corvo::controls::internal {

/// A range editor: the first editor itself, with the label and the second editor beside it.
template <typename First> class RangeSpan : public First {
public:
    /// Takes the second editor.
    RangeSpan(QWidget* parent, QWidget* second, bool labelEnabled)
        : First(parent), m_parts(*this, second, labelEnabled)
    {
    }

    /// Makes each editor (width − 43) div 2 wide.
    void SetCombinedWidth(int width) { m_parts.setCombinedWidth(width); }
    /// Places label and second editor beside this editor. Moves are followed by themselves
    /// while shown; Qt holds back the move events of hidden widgets until they show.
    void PlaceParts() { m_parts.place(); }
    /// The label "到" between the editors.
    QWidget* RangeLabel() const noexcept { return m_parts.label(); }
    /// Names both editors for assistive tools: the first by the caption, the second by the
    /// caption and the "到" before it.
    void NameParts(const QString& caption) { m_parts.name(caption); }

    void setVisible(bool visible) override
    {
        First::setVisible(visible);
        m_parts.copyVisible(visible);
    }

protected:
    bool event(QEvent* event) override
    {
        const QEvent::Type type = event->type();
        const bool result = First::event(event);
        m_parts.handle(type);
        return result;
    }

    QWidget* secondEditor() const noexcept { return m_parts.second(); }
    void fitEditors() { m_parts.fitEditors(); }

private:
    RangeParts m_parts;
};

} // namespace corvo::controls::internal
