#pragma once

#include <optional>

namespace corvo {
class TClientDataSet;
class TCustomEntity;
} // namespace corvo

namespace corvo::forms {

/// The totals a size document shows in TotalQuantity, TotalAmount and TotalProfit.
struct SizeTotals {
    double quantity = 0;
    double amount = 0;
    double profit = 0;
    friend bool operator==(const SizeTotals&, const SizeTotals&) = default;
};

/// A line's amounts in double precision: SubTotal = price × quantity, Profit =
/// (price − cost) × quantity.
struct LineAmounts {
    double subTotal = 0;
    double profit = 0;
};
LineAmounts LineAmountsOf(double quantity, double price, double cost);

// The lines below are the rows of TDetail. Quantity, UnitPrice, InPrice, SubTotal and Profit
// are each used only when the field exists: a missing number reads as 0, a missing field is
// not written.

/// Full recalculation: every line's SubTotal and Profit written from its quantity, price and
/// cost; the sums returned. The cursor stays on the line it was on.
SizeTotals RecalculateLines(TClientDataSet& lines);

/// A new line of the update form: its amounts written, its values recorded in `committed`
/// (by ObjID) and added to the totals.
void AddCommittedLine(TClientDataSet& lines, TCustomEntity& committed, SizeTotals& totals);

/// The update form's commit check of the current line against its last committed values in
/// `committed` (found by ObjID; a line not there counts as quantity 0, price 0). Unchanged
/// (exact comparison of quantity and price): false, nothing written. Changed: the line's
/// amounts rewritten, the totals moved by the difference to the amounts the line stored
/// before, the line recorded in `committed`; true. The cost of one check does not depend on
/// the number of lines.
bool CommitLineCheck(TClientDataSet& lines, TCustomEntity& committed, SizeTotals& totals);

/// Removal of the current line from the totals (by its stored Quantity, SubTotal, Profit) and
/// from `committed`. The line itself stays; the caller deletes it.
void RemoveCommittedLine(TClientDataSet& lines, TCustomEntity& committed, SizeTotals& totals);

/// The sum of the current line's Size1 … Size20 (missing fields skipped); nothing when every
/// size is empty, so a typed Quantity stands.
std::optional<double> SizeSum(TClientDataSet& lines);

} // namespace corvo::forms
