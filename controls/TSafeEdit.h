#pragma once

#include <QLineEdit>

namespace corvo::controls {

/// A single-line edit that never holds a single quote: texts end up inside SQL literals, so
/// every ' becomes " (typed or pasted). The caret stays where the typing or the paste left
/// it. `changed` follows every change, after the replacement.
class TSafeEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TSafeEdit(QWidget* parent = nullptr);

    /// Letters typed or pasted are turned to upper case (the organisation code of the login).
    void setUpperCase(bool on);
    bool upperCase() const noexcept { return m_upperCase; }
    /// Shows "*" for every character.
    void setMasked(bool on);

signals:
    void changed();

private:
    void onTextChanged(const QString& text);
    void applyStyle();

    bool m_upperCase = false;
    bool m_rewriting = false;
    bool m_masked = false;
    QStyle* m_maskStyle = nullptr;
};

} // namespace corvo::controls
