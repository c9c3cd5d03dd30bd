#pragma once

#include "forms/documents/TFrmCustomInsert.h"
#include "forms/rules/OtherParams.h"

class QLabel;
class QLineEdit;
class QToolButton;
class QTreeWidget;

namespace corvo::platform {
class DataGrid;
}

namespace corvo::forms {

/// The editor of the other parameters, the value lists every form offers: the types in a
/// tree (never the status types), the chosen type's values in a grid; "新增" adds values at
/// the end of the type, "修改" renames and reorders them; "保存" sends the additions to the
/// insert server or every value of the type to the update server. Locked values (AllowEdit
/// 0) keep their code, name and place.
class TFrmInsertOtherParam : public TFrmCustomInsert {
    Q_OBJECT
public:
    explicit TFrmInsertOtherParam(QWidget* owner = nullptr);
    ~TFrmInsertOtherParam() override;

    QTreeWidget& tvwType() const noexcept { return *m_tree; }
    platform::DataGrid& dgeMaster() const noexcept { return *m_grid; }
    QToolButton& SpeedButton4() const noexcept { return *m_expand; }
    QToolButton& SpeedButton5() const noexcept { return *m_collapse; }
    QToolButton& sbtPriorInOrder() const noexcept { return *m_prior; }
    QToolButton& sbtNextInOrder() const noexcept { return *m_next; }
    QLineEdit& sedCode() const noexcept { return *m_code; }
    QLineEdit& sedName() const noexcept { return *m_name; }
    QPushButton& mbtConfirm() const noexcept { return *m_confirm; }
    QPushButton& mbtUpdate() const noexcept { return *m_update; }
    QPushButton& mbtCancel() const noexcept { return *m_cancel; }
    ParamEditState state() const noexcept { return m_state; }
    const std::string& currentType() const noexcept { return m_currentType; }

    /// The wait text of the mode; in changing mode every row of the type is taken to send.
    bool BeforeSubmit() override;
    /// "AppName" and the rows to send as "TMaster"; refuses an empty save.
    bool FillSubmitPacket() override;
    /// The sent rows leave their set; "数据新增完成。" or "数据修改完成。".
    bool AfterSubmit() override;
    /// Adding: insert server, method 1; changing: update server, method 1. The browsing
    /// state follows either answer.
    bool RunSubmit() override;

    void TypeChosen();
    void AddClicked();
    void ChangeClicked();
    void ConfirmClicked();
    void MoveClicked(MoveDirection direction);
    void CancelClicked();
    /// A click in the grid: while changing, the strip shows the clicked row.
    void GridClicked();

protected:
    void FormShow() override;

private:
    void setState(ParamEditState state);
    void showCurrentRow();
    void addRow();
    void applyTypeFilter();

    QTreeWidget* m_tree = nullptr;
    platform::DataGrid* m_grid = nullptr;
    QToolButton* m_expand = nullptr;
    QToolButton* m_collapse = nullptr;
    QToolButton* m_prior = nullptr;
    QToolButton* m_next = nullptr;
    QLabel* m_codeLabel = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_name = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_cancel = nullptr;
    ParamEditState m_state = ParamEditState::Browsing;
    std::string m_currentType; ///< GBK
};

} // namespace corvo::forms
