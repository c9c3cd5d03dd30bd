#pragma once

#include <QLineEdit>

namespace corvo::controls {

/// A single-line edit for decimal numbers ("." as separator). Typing is filtered to digits,
/// one ".", backspace and Enter; a key typed over the lone "0" replaces it. A text that
/// does not read as a number is replaced by `Value` in its shortest form; an emptied edit
/// shows "0".
class TFloatEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TFloatEdit(QWidget* parent = nullptr);

    /// The last accepted value; starts at 0.
    double Value() const noexcept { return m_value; }
    /// Shows the value in its shortest decimal form. Throws corvo::Error for a value that is
    /// not finite, which no edit can show.
    void SetValue(double value);

signals:
    /// Raised after every accepted text, once `Value` holds it.
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onTextChanged(const QString& text);

    double m_value = 0;
};

} // namespace corvo::controls
