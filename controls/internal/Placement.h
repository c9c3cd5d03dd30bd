#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace corvo::controls::internal {

/// Where an editor stands beside its caption.
enum class Side { Above, Below, Left, Right };

/// Gap between a caption and its editor.
inline constexpr int CaptionGap = 3;

/// Top-left corner of an editor of that size on the given side of the caption. Beside the
/// caption (left or right) the editor's top is the caption's top, or, when `centre`, the
/// editor is centred vertically on the caption.
QPoint editorPosition(const QRect& caption, const QSize& editor, Side side, bool centre);

/// The widget's own Visible flag: true unless it was hidden explicitly, whether or not its
/// window is showing.
bool ownVisible(const QWidget& widget);
/// The widget's own Enabled flag, whatever its parent's.
bool ownEnabled(const QWidget& widget);

/// A caption as assistive tools read it: without the "&" that marks a shortcut letter.
QString accessibleCaption(const QString& caption);

/// Puts a companion widget (an editor, a range's label) on the parent of the widget it
/// belongs to; with no parent it is hidden rather than shown as a window of its own.
void followParent(QWidget& companion, QWidget* parent, bool visible);

} // namespace corvo::controls::internal
