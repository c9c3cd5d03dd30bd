#pragma once

#include <optional>

class QKeyEvent;

namespace corvo::controls::internal {

/// The character a key press types, as the numeric edits judge it: backspace is 8, Enter
/// is 13. Nothing for keys that type no character (arrows, Delete, Escape, Tab) and for
/// shortcuts, which go their normal way; a paste is judged afterwards by the edit's change.
std::optional<char16_t> typedCharacter(const QKeyEvent& event);

} // namespace corvo::controls::internal
