#pragma once

#include "TFrmCustomUpdateMD.h"
#include "forms/rules/SizeAmounts.h"

#include <memory>

namespace corvo::forms {

namespace internal {
class DetailWalk;
}

/// Changing a size document still in its first status: the generic update form's list and
/// change sets, with totals that move by each committed change of a line (a line counts as
/// changed when its quantity or price differs from what was last committed), products added
/// from TFrmEditSize and sizes typed with F2 or a double click on a size cell.
///
/// TDetailQuery records each line's last committed values; it and the lines are restored
/// from the snapshot taken at the last query or save whenever a document is picked, so
/// changes left unsaved on another document are forgotten.
class TFrmUpdateSize : public TFrmUpdateMD {
    Q_OBJECT
public:
    explicit TFrmUpdateSize(QWidget* owner = nullptr);
    ~TFrmUpdateSize() override;

    QPushButton& mbtSum() const noexcept { return *m_sum; }

    /// The update form's conditions and only documents in their first status.
    void BuildWhere() override;
    /// The snapshot restored, then the picked document's lines; editing enabled.
    void PrepareDetail(TCustomEntity& master) override;
    /// The current line's commit check, the line check, then the update form's.
    bool BeforeSubmit() override;
    /// The update form's, then editing off until a document is picked again; a new snapshot.
    bool AfterSubmit() override;
    /// "查询": the update form's query, then a new snapshot.
    void QueryClicked() override;

    /// The commit check of the current line, recorded as changed when it changed.
    bool CommitCurrentLine();
    /// "重新计算": every line's amounts and the totals.
    void Recalculate();
    /// "新清单": the picker; the chosen products become lines of the picked document.
    void SizeDetailAddClicked();
    /// "删除": the current line removed from the totals and recorded.
    void SizeDetailDelClicked();
    /// F2 or a double click on a size cell: the current line's sizes typed.
    void EnterSizes();
    void AddProducts(TClientDataSet& products, const std::string& typeId);

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setEditing(bool on);
    void lineEdited(int column);

    QPushButton* m_sum = nullptr;
    std::unique_ptr<internal::DetailWalk> m_walk;
    Variant m_snapshot;
    bool m_handlers = false;
};

} // namespace corvo::forms
