// Entity operations that add up amounts.
#include "Error.h"
#include "Gbk.h"
#include "TCustomEntity.h"
#include "internal/Column.h"
#include "internal/FilterExpr.h"
#include "internal/KeyGroups.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace corvo {

namespace {

std::string generalText(double value)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

bool isNegativeAmount(double value)
{
    return value < 0 && !(std::fabs(value) <= 0.01);
}

} // namespace

std::vector<int> TCustomEntity::decimalFields(bool exceptUnitPrice) const
{
    std::vector<int> fields;
    for (int i = 0; i < FieldCount(); ++i) {
        const TField& f = Fields(i);
        if (f.DataType() != FieldType::BCD) continue;
        if (exceptUnitPrice && gbk::equalsIgnoreCase(f.FieldName(), "UnitPrice")) continue;
        fields.push_back(i);
    }
    return fields;
}

// The sums read the stored values directly and leave the cursor where a walk from the first
// row to Eof leaves it.

double TCustomEntity::SumField(std::string_view field)
{
    checkActive();
    MergeChangeLog();
    TField& f = FieldByName(field);
    double sum = 0;
    for (uint32_t row : viewRows())
        sum += rowDouble(row, f.Index());
    endWalk();
    return sum;
}

double TCustomEntity::SumTwoFields(std::string_view field1, std::string_view field2)
{
    double second = 0;
    double first = SumFieldPair(field1, field2, second);
    return first + second;
}

double TCustomEntity::SumFieldPair(std::string_view field1, std::string_view field2, double& sum2)
{
    int a = FieldByName(field1).Index();
    int b = FieldByName(field2).Index();
    MergeChangeLog();
    double sum1 = 0;
    sum2 = 0;
    for (uint32_t row : viewRows()) {
        sum1 += rowDouble(row, a);
        sum2 += rowDouble(row, b);
    }
    endWalk();
    return sum1;
}

double TCustomEntity::SumFieldAndPair(std::string_view field1, std::string_view field2,
                                      double& sum23, std::string_view field3)
{
    double sum2 = 0;
    double sum1 = SumFieldPair(field1, field2, sum2);
    sum23 = sum2 + SumField(field3);
    return sum1;
}

std::string TCustomEntity::SumFieldText(std::string_view field)
{
    return generalText(SumField(field));
}

std::string TCustomEntity::SumFieldPairText(std::string_view field1, std::string_view field2,
                                            std::string& sum2)
{
    double second = 0;
    double first = SumFieldPair(field1, field2, second);
    sum2 = generalText(second);
    return generalText(first);
}

std::string TCustomEntity::SumFieldAndPairText(std::string_view field1, std::string_view field2,
                                               std::string& sum23, std::string_view field3)
{
    double rest = 0;
    double first = SumFieldAndPair(field1, field2, rest, field3);
    sum23 = generalText(rest);
    return generalText(first);
}

double TCustomEntity::FillProduct(std::string_view target, std::string_view field1,
                                  std::string_view field2)
{
    TField& t = FieldByName(target);
    TField& a = FieldByName(field1);
    TField& b = FieldByName(field2);
    double sum = 0;
    First();
    while (!Eof()) {
        Edit();
        t.SetAsFloat(a.AsFloat() * b.AsFloat());
        Post();
        sum += t.AsFloat();
        Next();
    }
    return sum;
}

bool TCustomEntity::addAmounts(TClientDataSet& other, int sign)
{
    Edit();
    for (int i : decimalFields(true)) {
        TField& mine = Fields(i);
        TField* theirs = other.FindField(mine.FieldName());
        if (!theirs) continue;
        Variant a = mine.AsVariant(), b = theirs->AsVariant();
        if (a.type() == Variant::Type::Decimal && b.type() == Variant::Type::Decimal) {
            auto rb = b.asDecimal().rescaled(a.asDecimal().scale);
            if (rb) {
                mine.SetAsVariant(
                    Decimal{a.asDecimal().units + sign * rb->units, a.asDecimal().scale});
                continue;
            }
        }
        mine.SetAsFloat(mine.AsFloat() + sign * theirs->AsFloat());
    }
    Post();
    return true;
}

bool TCustomEntity::AddAmounts(TClientDataSet& other)
{
    return addAmounts(other, 1);
}

bool TCustomEntity::SubtractAmounts(TClientDataSet& other)
{
    return addAmounts(other, -1);
}

int TCustomEntity::FirstNegativeAmountField()
{
    for (int i : decimalFields(false))
        if (isNegativeAmount(Fields(i).AsFloat())) return i;
    return -1;
}

bool TCustomEntity::CheckAmountsNonNegative()
{
    FirstNegativeAmountField();
    return true;
}

void TCustomEntity::collapseGroups(int keyField, const std::vector<int>& amounts)
{
    // In the key order the first row of each group of equal keys is the group's first row in
    // natural order (ties keep natural order), so the groups are found by hashing in one
    // sequential pass instead of by sorting.
    std::vector<internal::GroupAmount> columns;
    for (int a : amounts)
        columns.push_back({&column(a), Fields(a).Size()});
    const internal::KeyGroups groups =
        internal::groupByKey(column(keyField), rowsLeftOut(), columns);
    std::optional<uint32_t> last; // the walk in key order ends on the greatest key
    for (std::size_t g = 0; g < groups.count(); ++g) {
        const uint32_t head = groups.head(g);
        if (groups.size(g) > 1)
            for (std::size_t a = 0; a < amounts.size(); ++a)
                writeRowValue(head, amounts[a], groups.total(g, a));
        if (!last || compareRows(keyField, head, *last) > 0) last = head;
    }
    removeRowsUnordered(groups.absorbed(), last);
}

bool TCustomEntity::SumByKey(std::string_view keyField, std::string_view amountField)
{
    int key = FieldByName(keyField).Index();
    int amount = FieldByName(amountField).Index();
    checkWritable();
    MergeChangeLog();
    // Sorting by the key, collapsing and clearing the sort again ends in natural order.
    collapseGroups(key, {amount});
    return true;
}

bool TCustomEntity::MergeDuplicateKeys(std::string_view keyField)
{
    int key = FieldByName(keyField).Index();
    checkWritable();
    ClearFilter();
    MergeChangeLog();
    collapseGroups(key, decimalFields(true));
    First();
    return true;
}

} // namespace corvo
