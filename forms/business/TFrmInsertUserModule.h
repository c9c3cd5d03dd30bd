#pragma once

#include "forms/documents/TFrmCustomInsert.h"
#include "forms/rules/UserRights.h"

class QLabel;
class QRadioButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

/// The editor of user rights: the users as a tree with their rights under them, the modules
/// in a grid. Modules dragged from the grid onto a user (or Insert, or "授予") are granted,
/// rights dragged from the tree onto the grid (or Delete, or "收回") are revoked; "保存"
/// sends only the granted and the revoked rights, to the update server in one request, and
/// writes the rights' local copy.
class TFrmInsertUserModule : public TFrmCustomInsert {
    Q_OBJECT
public:
    /// What a drag carries: modules from the grid, a right from the tree.
    static constexpr const char* ModulesMime = "application/x-corvo-modules";
    static constexpr const char* RightMime = "application/x-corvo-right";

    explicit TFrmInsertUserModule(QWidget* owner = nullptr);
    ~TFrmInsertUserModule() override;

    QTreeWidget& tvwType() const noexcept { return *m_tree; }
    platform::DataGrid& dgeMaster() const noexcept { return *m_grid; }
    QLabel& lblCount() const noexcept { return *m_count; }
    QRadioButton& QVRadioBox1() const noexcept { return *m_all; }
    QRadioButton& QVRadioBox2() const noexcept { return *m_groups; }
    QRadioButton& QVRadioBox3() const noexcept { return *m_singles; }
    QPushButton& QVButton1() const noexcept { return *m_upper; }
    QPushButton& QVButton2() const noexcept { return *m_lower; }
    QPushButton& QVButton3() const noexcept { return *m_cancel; }
    QToolButton& SpeedButton4() const noexcept { return *m_expand; }
    QToolButton& SpeedButton5() const noexcept { return *m_collapse; }

    /// "AppName", the granted and the revoked rights; "因当前的数据没有更改，不需要保存。"
    /// when there are none.
    bool FillSubmitPacket() override;
    /// Update server, method 2.
    bool CallSubmitServer() override;
    /// The change sets emptied, the rights written to their local copy.
    bool AfterSubmit() override;
    /// The insert form's save, without carrying a first row's ObjID into the retry: the
    /// rights are whole rows of their own.
    bool RunSubmit() override;
    /// Every user's rights as the query server answers them.
    void AfterQuery() override;

    /// The grid's chosen modules (its marked rows, else its current row) granted to the
    /// user of the node (a right node stands for its user).
    void GrantTo(QTreeWidgetItem* node);
    /// The right of the node revoked; a user node is refused.
    void Revoke(QTreeWidgetItem* node);
    void LowerLevelClicked();
    void UpperLevelClicked();
    void CancelClicked();
    void RefreshCount();

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadTables();
    void buildTree();
    QTreeWidgetItem* addRightNode(QTreeWidgetItem* user, const std::string& moduleId,
                                  const std::string& moduleName);
    QTreeWidgetItem* userNodeOf(QTreeWidgetItem* node) const;
    void showHierarchy(const HierarchyView& view);
    void startDrag(const char* mime, QWidget* source);
    void gridMenu(const QPoint& at);
    void treeMenu(const QPoint& at);

    QTreeWidget* m_tree = nullptr;
    platform::DataGrid* m_grid = nullptr;
    QLabel* m_count = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_groups = nullptr;
    QRadioButton* m_singles = nullptr;
    QPushButton* m_upper = nullptr;
    QPushButton* m_lower = nullptr;
    QPushButton* m_cancel = nullptr;
    QToolButton* m_expand = nullptr;
    QToolButton* m_collapse = nullptr;
    QPoint m_pressAt;
    QWidget* m_pressedIn = nullptr;
    bool m_queried = false;
};

} // namespace corvo::forms
