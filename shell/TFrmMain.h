#pragma once

#include "TFrmBase.h"

#include <array>
#include <string>

class QLabel;
class QStatusBar;

namespace corvo::shell {

/// The main window: takes over the login context and shows who is logged in and the
/// accounting period in its status bar. The module screens come with the navigation.
class TFrmMain : public TFrmBase {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* owner = nullptr);

    /// Writes one of the four status-bar panels (0 to 3). UTF-8.
    void setPanelText(int panel, const std::string& text);
    std::string panelText(int panel) const;
    QStatusBar& statusBar() const noexcept { return *m_statusBar; }

private:
    QStatusBar* m_statusBar;
    std::array<QLabel*, 4> m_panels{};
};

} // namespace corvo::shell
