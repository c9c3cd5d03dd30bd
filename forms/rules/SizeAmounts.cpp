#include "SizeAmounts.h"

#include "SizeTitles.h"
#include "entity/TCustomEntity.h"
#include "entity/TField.h"

namespace corvo::forms {
namespace {

double number(TClientDataSet& rows, const char* name)
{
    TField* field = rows.FindField(name);
    return field && !field->IsNull() ? field->AsFloat() : 0;
}

void writeAmounts(TClientDataSet& rows, TField* subTotal, TField* profit, LineAmounts amounts)
{
    if (!subTotal && !profit) return;
    rows.Edit();
    if (subTotal) subTotal->SetAsFloat(amounts.subTotal);
    if (profit) profit->SetAsFloat(amounts.profit);
    rows.Post();
}

LineAmounts currentAmounts(TClientDataSet& lines)
{
    return LineAmountsOf(number(lines, "Quantity"), number(lines, "UnitPrice"),
                         number(lines, "InPrice"));
}

} // namespace

LineAmounts LineAmountsOf(double quantity, double price, double cost)
{
    return {price * quantity, (price - cost) * quantity};
}

SizeTotals RecalculateLines(TClientDataSet& lines)
{
    SizeTotals totals;
    if (!lines.Active() || lines.IsEmpty()) return totals;
    const int at = lines.RecNo();
    TField* quantity = lines.FindField("Quantity");
    TField* price = lines.FindField("UnitPrice");
    TField* cost = lines.FindField("InPrice");
    TField* subTotal = lines.FindField("SubTotal");
    TField* profit = lines.FindField("Profit");
    const auto read = [](TField* f) { return f && !f->IsNull() ? f->AsFloat() : 0.0; };
    for (lines.First(); !lines.Eof(); lines.Next()) {
        const double q = read(quantity);
        const LineAmounts amounts = LineAmountsOf(q, read(price), read(cost));
        writeAmounts(lines, subTotal, profit, amounts);
        totals.quantity += q;
        totals.amount += amounts.subTotal;
        totals.profit += amounts.profit;
    }
    if (at > 0) lines.SetRecNo(at);
    return totals;
}

void AddCommittedLine(TClientDataSet& lines, TCustomEntity& committed, SizeTotals& totals)
{
    const LineAmounts amounts = currentAmounts(lines);
    writeAmounts(lines, lines.FindField("SubTotal"), lines.FindField("Profit"), amounts);
    committed.UpsertRecord(lines);
    totals.quantity += number(lines, "Quantity");
    totals.amount += amounts.subTotal;
    totals.profit += amounts.profit;
}

bool CommitLineCheck(TClientDataSet& lines, TCustomEntity& committed, SizeTotals& totals)
{
    if (!lines.Active() || lines.IsEmpty()) return false;
    double oldQ = 0, oldP = 0;
    if (committed.Active() && committed.FindByObjID(lines)) {
        oldQ = number(committed, "Quantity");
        oldP = number(committed, "UnitPrice");
    }
    const double newQ = number(lines, "Quantity");
    const double newP = number(lines, "UnitPrice");
    if (oldQ == newQ && oldP == newP) return false;
    const double oldSub = number(lines, "SubTotal");
    const double oldProfit = number(lines, "Profit");
    const LineAmounts amounts = LineAmountsOf(newQ, newP, number(lines, "InPrice"));
    writeAmounts(lines, lines.FindField("SubTotal"), lines.FindField("Profit"), amounts);
    totals.quantity = newQ + (totals.quantity - oldQ);
    totals.amount = totals.amount - oldSub + amounts.subTotal;
    totals.profit = totals.profit - oldProfit + amounts.profit;
    committed.UpsertRecord(lines);
    return true;
}

void RemoveCommittedLine(TClientDataSet& lines, TCustomEntity& committed, SizeTotals& totals)
{
    if (!lines.Active() || lines.IsEmpty()) return;
    totals.quantity -= number(lines, "Quantity");
    totals.amount -= number(lines, "SubTotal");
    totals.profit -= number(lines, "Profit");
    if (committed.Active()) committed.DeleteByObjID(lines);
}

std::optional<double> SizeSum(TClientDataSet& lines)
{
    std::optional<double> sum;
    if (!lines.Active() || lines.IsEmpty()) return sum;
    for (int n = 1; n <= SizeCount; ++n) {
        TField* field = lines.FindField(SizeFieldName(n));
        if (!field || field->IsNull()) continue;
        sum = sum.value_or(0) + field->AsFloat();
    }
    return sum;
}

} // namespace corvo::forms
