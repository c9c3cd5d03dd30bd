#pragma once

#include "TFrmBase.h"

class QPlainTextEdit;
class QPushButton;

namespace corvo::shell {

/// The message dialog: a read-only memo over a bar with "继续" (result 1) and "关闭"
/// (result 0). The default button is "继续" when it is shown, otherwise "关闭".
class TFrmQVDialog : public TFrmBase {
    Q_OBJECT
public:
    explicit TFrmQVDialog(QWidget* owner = nullptr);

    /// Shows the text modally under the caption; returns the result (1 continue, 0 close).
    int showMessage(const std::string& caption, const std::string& text, bool withContinue);

    QPlainTextEdit& memo() const noexcept { return *m_memo; }
    QPushButton& continueButton() const noexcept { return *m_continue; }
    QPushButton& closeButton() const noexcept { return *m_close; }

private:
    QPlainTextEdit* m_memo;
    QPushButton* m_continue;
    QPushButton* m_close;
};

} // namespace corvo::shell
