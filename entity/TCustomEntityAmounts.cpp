// Entity operations that add up amounts.
#include "Error.h"
#include "Gbk.h"
#include "TCustomEntity.h"
#include "internal/Column.h"
#include "internal/FilterExpr.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace corvo {

uint64_t lookupHashOfRow(const internal::Column& column, uint32_t row, bool caseInsensitive);

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

namespace {

/// A run total of one amount field: exact in the field's units for decimals, a float
/// otherwise (the same value once written back at the field's scale).
class RunTotal {
public:
    RunTotal(const TField& field)
        : m_decimal(field.DataType() == FieldType::BCD), m_scale(field.Size())
    {
    }
    void add(int64_t units, double value)
    {
        m_float += value;
        if (m_decimal && __builtin_add_overflow(m_units, units, &m_units)) m_decimal = false;
    }
    Variant value() const
    {
        if (m_decimal) return Decimal{m_units, static_cast<uint8_t>(m_scale)};
        return m_float;
    }
    void reset()
    {
        m_units = 0;
        m_float = 0;
    }

private:
    bool m_decimal;
    int m_scale;
    int64_t m_units = 0;
    double m_float = 0;
};

} // namespace

void TCustomEntity::collapseGroups(int keyField, const std::vector<int>& amounts)
{
    // In the key order the first row of each group of equal keys is the group's first row in
    // natural order (ties keep natural order), so the groups are found by hashing in one
    // sequential pass instead of by sorting.
    const internal::Column& keys = m_columns[static_cast<std::size_t>(keyField)];
    const auto stored = static_cast<uint32_t>(m_deleted.size());
    std::vector<uint32_t> heads, sizes;
    std::vector<uint64_t> hashes;
    std::vector<RunTotal> totals;
    std::vector<uint8_t> removed(stored, 0);
    std::vector<uint32_t> slots(1024, 0); // group number + 1
    auto place = [&](std::size_t group) {
        std::size_t mask = slots.size() - 1;
        std::size_t i = (hashes[group] >> 32) & mask;
        while (slots[i])
            i = (i + 1) & mask;
        slots[i] = static_cast<uint32_t>(group + 1);
    };
    for (uint32_t row = 0; row < stored; ++row) {
        if (m_deleted[row] || !passesFilter(row)) continue;
        const uint64_t hash = lookupHashOfRow(keys, row, false);
        std::size_t mask = slots.size() - 1;
        std::size_t i = (hash >> 32) & mask, group = 0;
        for (;; i = (i + 1) & mask) {
            if (!slots[i]) {
                group = heads.size();
                heads.push_back(row);
                sizes.push_back(0);
                hashes.push_back(hash);
                for (int a : amounts)
                    totals.emplace_back(Fields(a));
                slots[i] = static_cast<uint32_t>(group + 1);
                break;
            }
            group = slots[i] - 1;
            if (hashes[group] == hash && compareRows(keyField, heads[group], row) == 0) {
                removed[row] = 1;
                break;
            }
        }
        ++sizes[group];
        for (std::size_t a = 0; a < amounts.size(); ++a) {
            const int f = amounts[a];
            const int64_t units = Fields(f).DataType() == FieldType::BCD && !rowIsNull(row, f)
                                      ? m_columns[static_cast<std::size_t>(f)].intAt(row)
                                      : 0;
            totals[group * amounts.size() + a].add(units, rowDouble(row, f));
        }
        if (heads.size() * 2 > slots.size()) {
            slots.assign(slots.size() * 2, 0);
            for (std::size_t g = 0; g < heads.size(); ++g)
                place(g);
        }
    }
    std::optional<uint32_t> last; // the walk in key order ends on the greatest key
    for (std::size_t g = 0; g < heads.size(); ++g) {
        if (sizes[g] > 1)
            for (std::size_t a = 0; a < amounts.size(); ++a)
                writeRowValue(heads[g], amounts[a], totals[g * amounts.size() + a].value());
        if (!last || compareRows(keyField, heads[g], *last) > 0) last = heads[g];
    }
    for (uint32_t row = 0; row < stored; ++row)
        if (removed[row]) removeRow(row);
    m_indexDefs.Clear();
    m_indexName.clear();
    m_indexField = -1;
    rebuildView(last);
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
