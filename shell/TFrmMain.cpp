#include "TFrmMain.h"

#include "platform/Desktop.h"
#include "platform/QtText.h"

#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

namespace corvo::shell {

TFrmMain::TFrmMain(QWidget* owner) : TFrmBase(owner)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Corvo"));
    setWindowFlags(Qt::Window);
    resize(1024, 700);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* workspace = new QWidget(this);
    workspace->setObjectName(QStringLiteral("pnlWorkspace"));
    layout->addWidget(workspace, 1);
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("stbMain"));
    m_statusBar->setSizeGripEnabled(false);
    const int widths[] = {220, 80, 100, 100};
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i] = new QLabel(m_statusBar);
        m_panels[i]->setObjectName(QStringLiteral("panel%1").arg(i));
        m_panels[i]->setMinimumWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_statusBar->addWidget(m_panels[i]);
    }
    layout->addWidget(m_statusBar);
    platform::centreOnScreen(*this);
}

void TFrmMain::setPanelText(int panel, const std::string& text)
{
    m_panels.at(static_cast<std::size_t>(panel))->setText(platform::fromUtf8(text));
}

std::string TFrmMain::panelText(int panel) const
{
    return m_panels.at(static_cast<std::size_t>(panel))->text().toStdString();
}

} // namespace corvo::shell
