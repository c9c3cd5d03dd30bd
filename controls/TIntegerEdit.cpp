#include "TIntegerEdit.h"

#include "ConditionText.h"
#include "internal/KeyFilter.h"

#include <QKeyEvent>

namespace corvo::controls {

TIntegerEdit::TIntegerEdit(QWidget* parent) : QLineEdit(parent)
{
    // Digits only: an input method would only deliver characters the filter refuses.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(this, &QLineEdit::textChanged, this, &TIntegerEdit::onTextChanged);
    setText(QStringLiteral("0"));
}

void TIntegerEdit::SetNumber(int32_t value)
{
    setText(QString::number(value));
}

void TIntegerEdit::keyPressEvent(QKeyEvent* event)
{
    const auto c = internal::typedCharacter(*event);
    if (c) {
        if ((*c < u'0' && *c != u'\b' && *c != u'\r') || *c > u'9') {
            event->accept();
            return;
        }
        if (text() == QLatin1String("0")) selectAll();
    }
    QLineEdit::keyPressEvent(event);
}

void TIntegerEdit::onTextChanged(const QString& text)
{
    // Each rewrite below raises the change again, which then accepts the new text.
    if (text.isEmpty()) {
        setText(QStringLiteral("0"));
        return;
    }
    if (const auto number = condition::readWholeNumber(text.toStdString())) {
        m_number = *number;
        emit changed();
        return;
    }
    setText(QString::number(m_number));
}

} // namespace corvo::controls
