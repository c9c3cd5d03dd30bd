#include "TSafeEdit.h"

#include <QProxyStyle>

namespace corvo::controls {

namespace {
// Masks show "*", as the login expects, whatever the platform style draws.
class MaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

TSafeEdit::TSafeEdit(QWidget* parent) : QLineEdit(parent)
{
    setFrame(true);
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
    m_masked = on;
    applyStyle();
}

void TSafeEdit::applyStyle()
{
    // A plain frame stands in for the soft bevel until the skin draws it.
    if (m_masked && !m_maskStyle) {
        m_maskStyle = new MaskStyle();
        m_maskStyle->setParent(this);
        setStyle(m_maskStyle);
    }
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
        // Same length: the caret stays where the typing left it, just after a replaced quote.
        if (safe.size() == text.size())
            setCursorPosition(caret);
        else
            setCursorPosition(static_cast<int>(safe.size()));
    }
    emit changed();
}

} // namespace corvo::controls
