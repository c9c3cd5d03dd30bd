#pragma once

// What the size documents' entry and update forms share: the stocked-products query, adding
// picked products as lines, the totals controls, the sale discount, the line check, the
// walk of the cursor through the lines' grid and the size entry of a line.
#include "entity/Variant.h"
#include "forms/rules/SizeAmounts.h"
#include "forms/rules/SizeDocuments.h"
#include "forms/rules/SizeTitles.h"

#include <QDialog>
#include <QObject>
#include <array>
#include <functional>
#include <string>

class QPushButton;
class QWidget;
class QTableWidget;

namespace corvo {
class TClientDataSet;
class TCustomEntity;
} // namespace corvo
namespace corvo::platform {
class DataGrid;
}
namespace corvo::forms {
class TFrmApp;
class TFrmQuery;
} // namespace corvo::forms

namespace corvo::forms::internal {

/// Whether the current line names a product.
bool hasProduct(TClientDataSet& lines);
/// Size1 ... Size20, by name.
bool isSizeField(const std::string& field);
/// "重新计算" placed in the bottom band after the line buttons' "删除", between them in the tab
/// order.
QPushButton* addSumButton(QWidget& band, QPushButton& detailAdd, QPushButton& detailDel);

/// The products stocked in a warehouse, through the query server (method 1): the reply's
/// TMaster, or Null when the server refuses. Leaves the form's packet emptied.
Variant StockedProducts(TFrmQuery& form, const std::string& warehouseId);

/// The chosen entry of the TWarehouseID box (empty when none is chosen). Throws the control
/// list's error when the panel has no such box.
std::string ChosenWarehouse(TFrmApp& form);

/// One picked product P as a new line: its same-named fields, its own ObjID, ParentID (when
/// given), TProductID/Code/Name from P and the price and cost the rule gives.
void AddProductLine(TCustomEntity& lines, TClientDataSet& product, PriceRule rule,
                    const std::string* parentId);

/// The totals shown in TotalQuantity, TotalAmount and TotalProfit (0 for an absent or empty
/// control), and written back into those present.
SizeTotals ShownTotals(TFrmApp& form);
void ShowTotals(TFrmApp& form, const SizeTotals& totals);
/// The three totals cannot be typed.
void MakeTotalsReadOnly(TFrmApp& form);

/// With TSaleTypeID, TOrganID and SaleDiscount on the panel, a change of either box sets the
/// discount: the organisation's TOrganLink row's "Discount" + the sale type's column 1, or
/// "100" with a box empty or no link row; then `changed` runs. A panel without the TOrganID
/// control takes the organisation from `documentOrgan` (none given: no wiring).
void WireSaleDiscount(TFrmApp& form, const std::function<void()>& changed,
                      const std::function<std::string()>& documentOrgan = {});

/// Every line has a quantity and a price: otherwise "请输入商品“…”的数量" or "…的价格" is raised
/// with that line current.
void CheckLines(TCustomEntity& lines);

/// The field of the lines' grid column (empty outside).
std::string ColumnField(platform::DataGrid& grid, int column);
int ColumnOf(platform::DataGrid& grid, std::string_view field);

/// The cursor's walk through the lines' grid: it stops only in Quantity and UnitPrice (the
/// amounts are then worked out), passes over every other column, and stays in Quantity on a
/// line without a product. Inactive while `active()` is false.
class DetailWalk : public QObject {
    Q_OBJECT
public:
    DetailWalk(platform::DataGrid& grid, TClientDataSet& lines, std::function<bool()> active,
               std::function<void()> priced);
    /// Moves the cursor to Quantity on the current line.
    void SelectQuantity();

private:
    void entered(int row, int column);

    platform::DataGrid& m_grid;
    TClientDataSet& m_lines;
    std::function<bool()> m_active;
    std::function<void()> m_priced;
    bool m_walking = false;
};

/// The sizes of one line typed in a row of cells captioned with the type's size names.
/// Accepting writes Size1 … SizeN back and Quantity as their sum (a line whose sizes are all
/// left empty keeps its Quantity).
class TFrmSizeEntry : public QDialog {
    Q_OBJECT
public:
    TFrmSizeEntry(QWidget* parent, TClientDataSet& lines,
                  const std::array<std::string, SizeCount>& titles);
    QTableWidget& grdSizes() const noexcept { return *m_cells; }
    /// Writes the typed sizes into the line; true when a value changed.
    bool WriteBack();

private:
    TClientDataSet& m_lines;
    QTableWidget* m_cells = nullptr;
    std::array<int, SizeCount> m_sizeOfColumn{};
};

/// Opens the size entry for the current line when it has a product and its type has sizes;
/// true when the line's values changed.
bool EnterLineSizes(QWidget* parent, TClientDataSet& lines,
                    const std::array<std::string, SizeCount>& titles);

} // namespace corvo::forms::internal
