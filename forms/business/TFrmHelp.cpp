#include "TFrmHelp.h"

#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "internal/BusinessKit.h"
#include "platform/DataGrid.h"
#include "platform/QtText.h"

#include <QFont>
#include <QTextEdit>
#include <QVBoxLayout>

namespace corvo::forms {
namespace {

constexpr const char* HelpText = "HelpText";

QTextEdit* makeEditor(QWidget* parent, bool readOnly)
{
    auto* editor = new QTextEdit(parent);
    editor->setObjectName(QStringLiteral("dreHelp"));
    editor->setReadOnly(readOnly);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font(QStringLiteral("SimSun"));
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")});
    font.setPixelSize(14);
    editor->setFont(font);
    return editor;
}

/// Shows a stored help text: rich text as such, anything else as plain text. Returns
/// whether it was rich text.
bool showText(QTextEdit& editor, const std::string& gbkText)
{
    const QString text = platform::fromGbk(gbkText);
    const bool rich = Qt::mightBeRichText(text);
    if (rich)
        editor.setHtml(text);
    else
        editor.setPlainText(text);
    return rich;
}

} // namespace

TFrmHelp::TFrmHelp(QWidget* owner) : TFrmQuery(owner)
{
    setObjectName(QStringLiteral("FrmHelp"));
    auto* layout = new QVBoxLayout(&pnlClient());
    layout->setContentsMargins(0, 0, 0, 0);
    m_help = makeEditor(&pnlClient(), true);
    layout->addWidget(m_help);
}

TFrmHelp::~TFrmHelp() = default;

void TFrmHelp::showEvent(QShowEvent* event)
{
    TFrmQuery::showEvent(event);
    business::showFirstTime(*this, m_shown, [this] { FormShow(); });
}

void TFrmHelp::FormShow()
{
    registry().AddEntity("THelp");
    TCustomEntity& help = registry().EntityByName("THelp");
    m_help->clear();
    if (!LoadLocalFile("THelp", help) || !help.Active() || help.IsEmpty() ||
        !help.FindField(HelpText))
        return;
    help.First();
    showText(*m_help, GetFieldString(help, HelpText));
}

// ---------------------------------------------------------------------------------------

TFrmUpdateHelp::TFrmUpdateHelp(QWidget* owner) : TFrmUpdate(owner)
{
    setObjectName(QStringLiteral("FrmUpdateHelp"));
    setWindowTitle(QStringLiteral("修改帮助"));
    m_help = makeEditor(&pnlUpdate(), false);
    connect(&dgeMasterQuery(), &QAbstractItemView::clicked, this, [this] { showPickedText(); });
}

TFrmUpdateHelp::~TFrmUpdateHelp() = default;

void TFrmUpdateHelp::FormShow()
{
    TFrmUpdate::FormShow();
    // The editor stands for the text's own input: one editor per value.
    if (inputControls() && inputControls()->HasControl(HelpText)) {
        controls::TInputControl& input = inputControls()->ControlByName(HelpText);
        input.setVisible(false);
    }
    registry().AddEntity("THelp");
    TCustomEntity& help = registry().EntityByName("THelp");
    if (LoadLocalFile("THelp", help) && help.Active() && !help.IsEmpty() &&
        help.FindField(HelpText)) {
        help.First();
        m_richText = showText(*m_help, GetFieldString(help, HelpText));
    }
    placeEditor();
}

void TFrmUpdateHelp::showPickedText()
{
    TCustomEntity& list = registry().EntityByName("TMasterQuery");
    if (!list.Active() || list.IsEmpty() || !list.FindField(HelpText)) return;
    m_richText = showText(*m_help, GetFieldString(list, HelpText));
}

bool TFrmUpdateHelp::BeforeSubmit()
{
    TFrmUpdate::BeforeSubmit();
    TCustomEntity& master = registry().EntityByName(param::TMaster);
    if (master.FindField(HelpText) && !master.IsEmpty()) {
        master.First();
        const QString text = m_richText ? m_help->toHtml() : m_help->toPlainText();
        SetFieldString(master, HelpText, platform::toGbk(text));
    }
    return true;
}

void TFrmUpdateHelp::resizeEvent(QResizeEvent* event)
{
    TFrmUpdate::resizeEvent(event);
    placeEditor();
}

void TFrmUpdateHelp::placeEditor()
{
    // Below the lowest visible input of the panel, filling the rest of it.
    int top = 6;
    for (QWidget* child : pnlUpdate().findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != m_help && child->isVisibleTo(&pnlUpdate()))
            top = std::max(top, child->geometry().bottom() + 6);
    m_help->setGeometry(6, top, std::max(40, pnlUpdate().width() - 12),
                        std::max(40, pnlUpdate().height() - top - 6));
}

} // namespace corvo::forms
