#pragma once

#include "TFrmQuery.h"

class QPushButton;

namespace corvo::forms {

/// The custom query: the query panel of a table in pnlClient; "确定" turns the ticked
/// conditions into this dialog's "where" clauses (result 1), "清空" unticks them all, "关闭"
/// ends with result 0. A condition the control refuses is shown and the dialog stays open.
class TFrmQueryCondition : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmQueryCondition(QWidget* owner = nullptr);

    QPushButton& mbtClear() const noexcept { return *m_clear; }
    QPushButton& mbtOK() const noexcept { return *m_ok; }

    /// TMaster with the table's structure and the table's query panel, ready to be shown.
    void PrepareFor(std::string_view table);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void confirm();

    QPushButton* m_clear = nullptr;
    QPushButton* m_ok = nullptr;
    bool m_laidOut = false;
};

/// The caller's side of the custom query: shows the condition dialog for the table with the
/// caller's context and module, and copies its clauses into `into`. Throws
/// "查询操作被用户取消。" when the user closed the dialog. A caption (UTF-8) titles the dialog.
void ChooseQueryConditions(TFrmQuery& caller, std::string_view table, TSQLAdder& into,
                           std::string_view caption = {});

} // namespace corvo::forms
