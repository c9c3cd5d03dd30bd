// Entity operations that add up amounts.
#include "Error.h"
#include "Gbk.h"
#include "TCustomEntity.h"
#include "internal/Column.h"

#include <cmath>
#include <cstdio>
#include <unordered_map>

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
        if (!rowIsNull(row, f.Index())) sum += rowValue(row, f.Index()).toDouble();
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
        if (!rowIsNull(row, a)) sum1 += rowValue(row, a).toDouble();
        if (!rowIsNull(row, b)) sum2 += rowValue(row, b).toDouble();
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

bool TCustomEntity::SumByKey(std::string_view keyField, std::string_view amountField)
{
    SortAsc(keyField, "Clear");
    int key = FieldByName(keyField).Index();
    int amount = FieldByName(amountField).Index();
    checkWritable();
    MergeChangeLog();
    // Runs of equal keys are adjacent in the sorted order; each collapses into its first row.
    const std::vector<uint32_t> rows = viewRows();
    std::vector<uint8_t> remove(rows.size(), 0);
    std::size_t runStart = 0;
    std::string runKey;
    double runSum = 0;
    auto closeRun = [&](std::size_t end) {
        if (end - runStart > 1) writeRowValue(rows[runStart], amount, Variant(runSum));
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::string k = rowText(rows[i], key);
        double v = rowIsNull(rows[i], amount) ? 0 : rowValue(rows[i], amount).toDouble();
        if (i > 0 && k == runKey) {
            runSum += v;
            remove[i] = 1;
            continue;
        }
        if (i > 0) closeRun(i);
        runStart = i;
        runKey = std::move(k);
        runSum = v;
    }
    if (!rows.empty()) closeRun(rows.size());
    deleteRowsByFlag(remove);
    ClearSort();
    return true;
}

bool TCustomEntity::MergeDuplicateKeys(std::string_view keyField)
{
    SortAsc(keyField, "Clear");
    ClearFilter();
    int key = FieldByName(keyField).Index();
    checkWritable();
    const std::vector<int> amounts = decimalFields(true);
    const std::vector<uint32_t> rows = viewRows();
    // Groups are all rows with equal key text, kept in the first row of the sorted order.
    std::unordered_map<std::string, std::size_t> firstOf;
    std::vector<std::size_t> groupOf(rows.size());
    std::vector<std::vector<double>> sums;
    std::vector<std::size_t> groupFirst, groupSize;
    std::vector<uint8_t> remove(rows.size(), 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto [it, fresh] = firstOf.try_emplace(rowText(rows[i], key), sums.size());
        std::size_t g = it->second;
        if (fresh) {
            sums.emplace_back(amounts.size(), 0.0);
            groupFirst.push_back(i);
            groupSize.push_back(0);
        } else {
            remove[i] = 1;
        }
        ++groupSize[g];
        for (std::size_t a = 0; a < amounts.size(); ++a)
            if (!rowIsNull(rows[i], amounts[a]))
                sums[g][a] += rowValue(rows[i], amounts[a]).toDouble();
    }
    for (std::size_t g = 0; g < sums.size(); ++g) {
        if (groupSize[g] < 2) continue;
        for (std::size_t a = 0; a < amounts.size(); ++a)
            writeRowValue(rows[groupFirst[g]], amounts[a], Variant(sums[g][a]));
    }
    deleteRowsByFlag(remove);
    MergeChangeLog();
    ClearSort();
    First();
    return true;
}

} // namespace corvo
