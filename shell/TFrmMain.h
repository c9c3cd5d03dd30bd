#pragma once

#include "TControlList.h"
#include "TFrmBase.h"

#include <QLabel>
#include <array>
#include <memory>
#include <string>
#include <vector>

class QPushButton;
class QStackedWidget;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvo::skin {
class TQVForm;
}

namespace corvo::shell {

class ModuleForms;

/// The message line at the top of the main window: it tells the window when a form wrote a
/// new text into it.
class MessageLine : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void textWritten();

protected:
    bool event(QEvent* event) override;
};

/// The main window: the navigation tree of the modules the user may open, the home and group
/// pages with the operation buttons, one tab page per open module (nine at most), the message
/// line the module forms write to (it flashes on a new text and returns to the organisation's
/// standing message after 30 s), and the hidden status bar start-up writes into. Module forms
/// come from the program (`ModuleForms`); without them no module opens. Captions are GBK.
class TFrmMain : public TFrmBase {
    Q_OBJECT
public:
    static constexpr int MaxOpenModules = 9;

    explicit TFrmMain(QWidget* owner = nullptr, ModuleForms* forms = nullptr);
    ~TFrmMain() override;

    /// Writes one of the first four status-bar panels (0 to 3). UTF-8.
    void setPanelText(int panel, const std::string& text);
    std::string panelText(int panel) const;
    QStatusBar& statusBar() const noexcept { return *m_statusBar; }
    /// The painted window frame (luna style) that holds the window's content.
    skin::TQVForm& frame() const noexcept { return *m_frame; }

    void OpenModule(const std::string& caption);
    void SelectModuleOrGroup(const std::string& caption);
    bool IsModuleOpen(const std::string& caption) const;
    void ActivateModule(const std::string& caption);
    void CloseModule(const std::string& caption);
    /// Message 1124: the module of the active page closes.
    void CloseActiveModule();
    void ToggleNavigation();

    QTreeWidget& trvMain() const noexcept { return *m_tree; }
    QTabWidget& pgcMain() const noexcept { return *m_pages; }
    MessageLine& memMsg() const noexcept { return *m_message; }
    QLabel& lblStatus() const noexcept { return *m_status; }
    QLabel& lblOrganName() const noexcept { return *m_organName; }
    QLabel& mlbCustomTitle() const noexcept { return *m_groupTitle; }
    QPushButton& navigationToggle() const noexcept { return *m_toggle; }
    QWidget& navigationPanel() const noexcept { return *m_navigation; }
    QWidget& groupPage() const noexcept { return *m_groupPage; }
    QWidget& homePage() const noexcept { return *m_homePage; }
    QStackedWidget& rootPages() const noexcept { return *m_rootPages; }
    /// The operation buttons and pictures by component name ("sbtCustomNew", "imgCustomQuery").
    QWidget* control(const char* objectName) const;
    /// The open module forms by caption, in their pages' order.
    std::vector<std::string> openModules() const;
    TFrmBase* moduleForm(const std::string& caption) const;
    const std::string& standingMessage() const noexcept { return m_standing; }
    QTimer& tmrMsg() const noexcept { return *m_msgTimer; }
    QTimer& tmrMsgFlash() const noexcept { return *m_flashTimer; }

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    void collectButtons();
    void firstShow();
    void buildTree();
    QTreeWidgetItem* nodeOf(const std::string& caption) const;
    void applyGroupRights();
    bool createModule(TCustomEntity& module, const std::string& caption);
    bool askToClose();
    void messageWritten();
    void flashTick();
    void applyMessageFont();
    std::string captionOf(TCustomEntity& module);
    bool enterKey(QKeyEvent& key);

    ModuleForms* m_forms;
    std::unique_ptr<TCustomEntity> m_groups; ///< TModuleGroup
    std::unique_ptr<TCustomEntity> m_rights; ///< the user's TUserModule rows
    struct Open {
        std::string caption;
        TFrmBase* form = nullptr; ///< owned; nullptr once closed
        QWidget* page = nullptr;
    };
    std::vector<Open> m_open;
    TControlList m_panels;
    TControlList m_buttons;
    bool m_shown = false;
    std::string m_standing;
    QColor m_remembered;
    int m_flashes = 0;
    int m_navigationWidth = 200;

    skin::TQVForm* m_frame = nullptr;
    MessageLine* m_message = nullptr;
    QWidget* m_navigation = nullptr;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_toggle = nullptr;
    QPushButton* m_help = nullptr;
    QTabWidget* m_pages = nullptr;
    QStackedWidget* m_rootPages = nullptr;
    QWidget* m_homePage = nullptr;
    QWidget* m_groupPage = nullptr;
    QLabel* m_organName = nullptr;
    QLabel* m_groupTitle = nullptr;
    QLabel* m_status = nullptr;
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 5> m_panelsText{};
    QTimer* m_msgTimer = nullptr;
    QTimer* m_flashTimer = nullptr;
    QTimer* m_treeTimer = nullptr;
};

} // namespace corvo::shell
