#pragma once

#include "TFrmQuery.h"

class QPushButton;

namespace corvo::forms {

/// A modal list of the rows of a data packet in a multi-select grid, for the user to mark
/// rows. Result 1 with "确定" or a double click, 0 with "关闭"; the caller then reads the marked
/// rows of dgeMaster (or its focused row when none is marked).
class TFrmList : public TFrmQuery {
    Q_OBJECT
public:
    explicit TFrmList(QWidget* owner = nullptr);

    platform::DataGrid& dgeMaster() const noexcept { return *m_grid; }
    QPushButton& mbtConfirm() const noexcept { return *m_confirm; }

    /// TMaster takes the packet; the grid shows it with the master table's captions, sized.
    void LoadRows(const Variant& packet);
    /// Every field of TMaster hidden but the one of that name.
    void ShowOnlyField(std::string_view fieldName);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void confirm();

    platform::DataGrid* m_grid = nullptr;
    QPushButton* m_confirm = nullptr;
};

/// The narrow list the main window offers for choosing pages to close: 250 × 484 pixels,
/// with a vertical scroll bar.
class TFrmFormList : public TFrmList {
    Q_OBJECT
public:
    explicit TFrmFormList(QWidget* owner = nullptr);
};

} // namespace corvo::forms
