#pragma once

#include <QLineEdit>
#include <cstdint>

namespace corvo::controls {

/// A single-line edit for non-negative whole numbers. Typing is filtered to digits,
/// backspace and Enter; a digit typed over the lone "0" replaces it. Whatever reaches the
/// text otherwise (a paste) must read as a whole number or the edit shows `Number` again;
/// an emptied edit shows "0".
class TIntegerEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TIntegerEdit(QWidget* parent = nullptr);

    /// The last accepted value; starts at 0.
    int32_t Number() const noexcept { return m_number; }
    /// Shows the value; `Number` follows through the change.
    void SetNumber(int32_t value);

signals:
    /// Raised after every accepted text, once `Number` holds it.
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onTextChanged(const QString& text);

    int32_t m_number = 0;
};

} // namespace corvo::controls
