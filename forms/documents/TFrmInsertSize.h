#pragma once

#include "TFrmCustomInsertMD.h"
#include "forms/rules/SizeAmounts.h"

#include <memory>
#include <string>

namespace corvo::forms {

namespace internal {
class DetailWalk;
}

/// Entering a size document (a store's daily report, a delivery, a receipt): products of one
/// type picked with TFrmEditSize become lines with the price the module's caption decides,
/// the cursor stops only in Quantity and UnitPrice, the totals follow every change, and F2
/// or a double click on a size cell types the line's sizes. A daily report is booked to the
/// store coded "LS".
class TFrmInsertSize : public TFrmInsertMD {
    Q_OBJECT
public:
    explicit TFrmInsertSize(QWidget* owner = nullptr);
    ~TFrmInsertSize() override;

    QPushButton& mbtSum() const noexcept { return *m_sum; }

    /// The line check, the entry form's collection, a daily report's store "LS", and the
    /// organisation and owner exchanged for a module of TypeNo 2.
    bool BeforeSubmit() override;

    /// "重新计算": every line's amounts and the totals.
    void Recalculate();
    /// "新清单": the picker, and the chosen products as lines.
    void SizeDetailAddClicked();
    /// "删除": the current line goes; the totals follow.
    void SizeDetailDelClicked();
    /// "新单据": the entry form's, then a grid without lines cannot be typed in.
    void SizeNewClicked();
    /// F2 or a double click on a size cell: the current line's sizes typed.
    void EnterSizes();
    /// Products chosen in the picker become lines (in order), sized by their type.
    void AddProducts(TClientDataSet& products, const std::string& typeId);

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void lockGridWithoutProduct();
    void hideSizeColumns();
    /// The ObjID of the store coded "LS", or the empty GUID when there is none.
    std::string dailyStore();

    QPushButton* m_sum = nullptr;
    std::unique_ptr<internal::DetailWalk> m_walk;
    bool m_handlers = false;
};

} // namespace corvo::forms
