#include "KeyFilter.h"

#include <QKeyEvent>

namespace corvo::controls::internal {

std::optional<char16_t> typedCharacter(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    switch (event.key()) {
    case Qt::Key_Backspace:
        return u'\b';
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return u'\r';
    default:
        break;
    }
    const QString text = event.text();
    // Control characters (Escape, Tab, Delete) type nothing into an edit.
    if (text.size() != 1 || text.front().unicode() < 0x20 || text.front().unicode() == 0x7f)
        return std::nullopt;
    return text.front().unicode();
}

} // namespace corvo::controls::internal
