#pragma once

#include "Placement.h"

#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <type_traits>

namespace corvo::controls::internal {

/// The side a control's position enum names; the controls' enums share their values' names.
template <typename Position> Side sideOf(Position position)
{
    switch (position) {
    case Position::lpAbove:
        return Side::Above;
    case Position::lpBelow:
        return Side::Below;
    case Position::lpLeft:
        return Side::Left;
    case Position::lpRight:
        break;
    }
    return Side::Right;
}

/// A captioned widget that owns one editor standing on the caption's parent beside it. The
/// editor follows the caption's parent, Visible, own Enabled and layout direction, and is
/// placed again when the caption moves or resizes while shown (Qt holds back those events
/// of hidden widgets until they show). The control decides the side and the fitting.
/// The editor carries the caption as its accessible name (a label caption is also its
/// buddy), so screen readers and other assistive tools read every editor by its field.
template <typename Caption> class EditorHost : public Caption {
public:
    /// `centred`: beside the caption, the editor is centred vertically on it rather than
    /// sharing its top.
    EditorHost(QWidget* parent, bool centred) : Caption(parent), m_centred(centred) {}

    ~EditorHost() override
    {
        // Cleared first: the control's hooks are gone by now and must not be reached.
        QWidget* editor = m_editor;
        m_editor = nullptr;
        delete editor;
    }

    /// The editor, or nullptr when it was destroyed from outside.
    QWidget* Editor() const noexcept { return m_editor; }

    /// Explicit show and hide also apply to the editor.
    void setVisible(bool visible) override
    {
        Caption::setVisible(visible);
        if (m_editor && m_editor->parentWidget()) m_editor->setVisible(visible);
    }

protected:
    bool event(QEvent* event) override
    {
        const bool result = Caption::event(event);
        switch (event->type()) {
        case QEvent::ParentChange:
            adoptParent();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            placeEditor();
            break;
        case QEvent::FontChange:
            this->adjustSize();
            break;
        case QEvent::EnabledChange:
            // Only the caption's own Enabled is copied; a parent's change reaches the editor
            // by itself and must not undo what the form set on the editor.
            if (ownEnabled(*this) != m_ownEnabled) {
                m_ownEnabled = ownEnabled(*this);
                if (m_editor) m_editor->setEnabled(editorEnabled(m_ownEnabled));
            }
            break;
        case QEvent::LayoutDirectionChange:
            if (m_editor) m_editor->setLayoutDirection(this->layoutDirection());
            break;
        case QEvent::Paint:
            // A caption rewritten through setText (a translation) sends no event of its own;
            // it is painted before anyone can read it.
            if (m_editor) nameEditor();
            break;
        default:
            break;
        }
        return result;
    }

    /// Takes the new editor; the control deletes any old one before.
    void setEditor(QWidget* editor) { m_editor = editor; }

    /// Deletes the editor and makes the one of the current kind; a remade editor joins the
    /// caption's parent at once, like the first one did.
    void remakeEditor()
    {
        delete m_editor.data();
        makeEditor();
        if (this->parentWidget()) adoptParent();
        placeEditor();
    }

    /// Puts the editor on the caption's parent; a caption given a parent shows at once
    /// unless it was hidden on purpose.
    void adoptParent()
    {
        QWidget* parent = this->parentWidget();
        if (parent && ownVisible(*this)) Caption::setVisible(true);
        if (!m_editor) return;
        followParent(*m_editor, parent, true);
        editorAdopted(*m_editor, parent);
        placeEditor();
    }

    /// Also names the editor after the caption as it reads now.
    void placeEditor()
    {
        if (!m_editor) return;
        m_editor->move(editorPosition(this->geometry(), m_editor->size(), editorSide(), m_centred));
        nameEditor();
        editorPlaced(*m_editor);
    }

private:
    void nameEditor()
    {
        const QString name = accessibleCaption(this->text());
        if (m_editor->accessibleName() != name) m_editor->setAccessibleName(name);
        if constexpr (std::is_base_of_v<QLabel, Caption>) {
            if (this->buddy() != m_editor) this->setBuddy(m_editor);
        }
        editorNamed(*m_editor, name);
    }

    /// Makes the editor of the current kind and hands it to `setEditor`.
    virtual void makeEditor() = 0;
    virtual Side editorSide() const = 0;
    /// The editor's Enabled once the caption's own Enabled changed to `ownEnabled`.
    virtual bool editorEnabled(bool ownEnabled) const { return ownEnabled; }
    /// Fits the editor that just joined `parent` (nullptr when it left one).
    virtual void editorAdopted(QWidget& editor, QWidget* parent) = 0;
    virtual void editorPlaced(QWidget& /*editor*/) {}
    /// The editor was given `name`; a control with more parts names them here.
    virtual void editorNamed(QWidget& /*editor*/, const QString& /*name*/) {}

    QPointer<QWidget> m_editor;
    bool m_ownEnabled = true;
    bool m_centred;
};

} // namespace corvo::controls::internal
