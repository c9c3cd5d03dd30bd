#include "Placement.h"

#include <QWidget>

namespace corvo::controls::internal {

QPoint editorPosition(const QRect& caption, const QSize& editor, Side side, bool centre)
{
    const int besideTop =
        centre ? caption.top() + (caption.height() - editor.height()) / 2 : caption.top();
    switch (side) {
    case Side::Above:
        return {caption.left(), caption.top() - editor.height() - CaptionGap};
    case Side::Below:
        return {caption.left(), caption.top() + caption.height() + CaptionGap};
    case Side::Left:
        return {caption.left() - editor.width() - CaptionGap, besideTop};
    case Side::Right:
        break;
    }
    return {caption.left() + caption.width() + CaptionGap, besideTop};
}

bool ownVisible(const QWidget& widget)
{
    return !(widget.testAttribute(Qt::WA_WState_ExplicitShowHide) &&
             widget.testAttribute(Qt::WA_WState_Hidden));
}

bool ownEnabled(const QWidget& widget)
{
    // WA_Disabled is also set while a parent is disabled; only ForceDisabled is the widget's own.
    return !widget.testAttribute(Qt::WA_ForceDisabled);
}

void followParent(QWidget& companion, QWidget* parent, bool visible)
{
    if (companion.parentWidget() != parent) companion.setParent(parent);
    if (parent)
        companion.setVisible(visible);
    else
        companion.hide();
}

QString accessibleCaption(const QString& caption)
{
    QString name;
    name.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && ++i == caption.size()) break;
        name += caption[i];
    }
    return name;
}

} // namespace corvo::controls::internal
