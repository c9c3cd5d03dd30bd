#pragma once

#include "forms/documents/TFrmCustomUpdate.h"
#include "forms/framework/TFrmQuery.h"

class QTextEdit;

namespace corvo::forms {

/// The operating manual, read only: the help text of the first row of the local copy of
/// THelp. Without the local file the page stays empty.
class TFrmHelp : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmHelp(QWidget* owner = nullptr);
    ~TFrmHelp() override;

    QTextEdit& dreHelp() const noexcept { return *m_help; }

protected:
    void showEvent(QShowEvent* event) override;
    virtual void FormShow();

private:
    QTextEdit* m_help = nullptr;
    bool m_shown = false;
};

/// The manual's chapters changed one at a time on the single update form: the list of
/// chapters, the chapter's code and title in the entry panel and its text in a rich-text
/// editor below them. The editor shows the picked chapter, and what it holds is the text
/// "保存" stores.
class TFrmUpdateHelp : public TFrmUpdate {
    Q_OBJECT
public:
    explicit TFrmUpdateHelp(QWidget* owner = nullptr);
    ~TFrmUpdateHelp() override;

    QTextEdit& dreHelp() const noexcept { return *m_help; }

    /// The panel collected as the update form does, then the editor's text as HelpText.
    bool BeforeSubmit() override;

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPickedText();
    void placeEditor();

    QTextEdit* m_help = nullptr;
    bool m_richText = false;
};

} // namespace corvo::forms
