#include "TFloatEdit.h"

#include "ConditionText.h"
#include "entity/Error.h"
#include "internal/KeyFilter.h"

#include <QKeyEvent>
#include <cmath>

namespace corvo::controls {

TFloatEdit::TFloatEdit(QWidget* parent) : QLineEdit(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(this, &QLineEdit::textChanged, this, &TFloatEdit::onTextChanged);
    setText(QStringLiteral("0"));
}

void TFloatEdit::SetValue(double value)
{
    if (!std::isfinite(value)) throw Error("数值无效，不能显示在编辑框中。");
    m_value = value;
    setText(QString::fromStdString(condition::shortestNumberText(value)));
}

void TFloatEdit::keyPressEvent(QKeyEvent* event)
{
    const auto c = internal::typedCharacter(*event);
    if (c) {
        const bool secondPoint = *c == u'.' && text().contains(QLatin1Char('.'));
        const bool refused = (*c < u'0' && *c != u'\b' && *c != u'.' && *c != u'\r') || *c > u'9';
        if (secondPoint || refused) {
            event->accept();
            return;
        }
        if (text() == QLatin1String("0")) selectAll();
    }
    QLineEdit::keyPressEvent(event);
}

void TFloatEdit::onTextChanged(const QString& text)
{
    if (text.isEmpty()) {
        setText(QStringLiteral("0"));
        return;
    }
    if (const auto number = condition::readNumber(text.toStdString())) {
        m_value = *number;
        emit changed();
        return;
    }
    setText(QString::fromStdString(condition::shortestNumberText(m_value)));
}

} // namespace corvo::controls
