#include "TSafeEdit.h"

namespace corvo::controls {

TSafeEdit::TSafeEdit(QWidget* parent) : QLineEdit(parent)
{
    setFrame(false);
    // The soft bevel of the original: a thin sunken line instead of a full frame.
    setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid palette(mid); "
                                 "border-top-color: palette(dark); border-left-color: "
                                 "palette(dark); padding: 1px 2px; }"));
    connect(this, &QLineEdit::textChanged, this, &TSafeEdit::onTextChanged);
}

void TSafeEdit::setUpperCase(bool on)
{
    m_upperCase = on;
    if (on) onTextChanged(text());
}

void TSafeEdit::setMasked(bool on)
{
    setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
    if (on)
        setStyleSheet(styleSheet() +
                      QStringLiteral(" QLineEdit { lineedit-password-character: 42; }"));
}

void TSafeEdit::onTextChanged(const QString& text)
{
    if (m_rewriting) return;
    QString safe = text;
    safe.replace(QLatin1Char('\''), QLatin1Char('"'));
    if (m_upperCase) safe = safe.toUpper();
    if (safe != text) {
        const int caret = cursorPosition();
        m_rewriting = true;
        setText(safe);
        m_rewriting = false;
        // A replaced quote puts the caret at the end; upper-casing alone keeps it in place.
        if (safe.size() == text.size() && text.count(QLatin1Char('\'')) == 0)
            setCursorPosition(caret);
        else
            setCursorPosition(static_cast<int>(safe.size()));
    }
    emit changed();
}

} // namespace corvo::controls
