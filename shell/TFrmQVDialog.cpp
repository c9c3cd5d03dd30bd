#include "TFrmQVDialog.h"

#include "controls/skin/TQVButton.h"
#include "platform/Modal.h"
#include "platform/QtText.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvo::shell {

namespace {
// The memo's background, 15136504 as the original colour number (blue, green, red bytes).
const QColor MemoBackground(248, 246, 230);
} // namespace

TFrmQVDialog::TFrmQVDialog(QWidget* owner) : TFrmBase(owner)
{
    setObjectName(QStringLiteral("FrmQVDialog"));
    setFixedSize(354, 175);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("memMessage"));
    m_memo->setReadOnly(true);
    // A message is read, not edited: the arrow, not the text cursor, even over the text.
    m_memo->viewport()->setCursor(Qt::ArrowCursor);
    m_memo->setFrameShape(QFrame::NoFrame);
    QPalette palette = m_memo->palette();
    palette.setColor(QPalette::Base, MemoBackground);
    palette.setColor(QPalette::Text, Qt::blue);
    m_memo->setPalette(palette);
    layout->addWidget(m_memo, 1);

    auto* bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("pnlBottom"));
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(8, 6, 8, 6);
    buttons->addStretch();
    m_continue = new skin::TQVButton(platform::fromUtf8("继续"), bar);
    m_continue->setObjectName(QStringLiteral("mbtContinue"));
    m_close = new skin::TQVButton(platform::fromUtf8("关闭"), bar);
    m_close->setObjectName(QStringLiteral("mbtClose"));
    buttons->addWidget(m_continue);
    buttons->addWidget(m_close);
    layout->addWidget(bar);

    connect(m_continue, &QPushButton::clicked, this, [this] { done(1); });
    connect(m_close, &QPushButton::clicked, this, [this] { done(0); });
}

int TFrmQVDialog::showMessage(const std::string& caption, const std::string& text,
                              bool withContinue)
{
    setWindowTitle(platform::fromUtf8(caption));
    m_memo->setPlainText(platform::fromUtf8(text));
    m_continue->setVisible(withContinue);
    QPushButton* byDefault = withContinue ? m_continue : m_close;
    m_continue->setDefault(byDefault == m_continue);
    m_close->setDefault(byDefault == m_close);
    byDefault->setFocus();
    return platform::execModal(*this);
}

} // namespace corvo::shell
