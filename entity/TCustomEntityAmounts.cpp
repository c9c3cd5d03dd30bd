// Entity operations that add up amounts.
#include "Error.h"
#include "Gbk.h"
#include "TCustomEntity.h"
#include "internal/Column.h"
#include "internal/FilterExpr.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
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
    // Fixed-width keys are kept in the group itself, so a row finds its group without reading
    // the group's first row again (a cache miss per row on large tables).
    const bool exactKeys = !isVariableLength(keys.type());
    auto keyOf = [&](uint32_t row) -> std::array<uint64_t, 2> {
        if (!exactKeys) return {0, 0};
        if (keys.isNull(row)) return {0, 1};
        if (keys.type() == FieldType::Guid) {
            std::array<uint64_t, 2> k;
            std::memcpy(k.data(), keys.guidBytesAt(row), 16);
            return k;
        }
        if (keys.type() == FieldType::Float || keys.type() == FieldType::DateTime) {
            double d = keys.floatAt(row);
            if (d == 0) d = 0;
            uint64_t bits;
            std::memcpy(&bits, &d, 8);
            return {bits, 2};
        }
        return {static_cast<uint64_t>(keys.intAt(row)), 2};
    };
    struct Group {
        std::array<uint64_t, 2> key;
        uint32_t head;
        uint32_t size;
    };
    struct Slot {
        uint32_t group; ///< group number + 1; 0 = empty
        uint32_t tag;   ///< high half of the key's hash
    };
    const std::size_t width = amounts.size();
    std::vector<uint8_t> isDecimal;
    for (int a : amounts)
        isDecimal.push_back(Fields(a).DataType() == FieldType::BCD);
    std::vector<Group> groups;
    std::vector<RunTotal> totals; // width per group, beside each other
    std::vector<uint8_t> removed(stored, 0);
    std::vector<Slot> slots(1024, Slot{0, 0});
    auto insertSlot = [&](uint32_t tag, uint32_t group) {
        std::size_t mask = slots.size() - 1;
        std::size_t i = tag & mask;
        while (slots[i].group)
            i = (i + 1) & mask;
        slots[i] = Slot{group + 1, tag};
    };
    std::vector<uint32_t> tags;
    for (uint32_t row = 0; row < stored; ++row) {
        if (m_deleted[row] || !passesFilter(row)) continue;
        const auto tag = static_cast<uint32_t>(lookupHashOfRow(keys, row, false) >> 32);
        const std::array<uint64_t, 2> key = keyOf(row);
        std::size_t mask = slots.size() - 1;
        std::size_t group = 0;
        for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
            const Slot slot = slots[i];
            if (!slot.group) {
                group = groups.size();
                groups.push_back(Group{key, row, 0});
                tags.push_back(tag);
                for (int a : amounts)
                    totals.emplace_back(Fields(a));
                slots[i] = Slot{static_cast<uint32_t>(group + 1), tag};
                break;
            }
            if (slot.tag != tag) continue;
            group = slot.group - 1;
            if (exactKeys ? groups[group].key == key
                          : compareRows(keyField, groups[group].head, row) == 0) {
                removed[row] = 1;
                break;
            }
        }
        ++groups[group].size;
        RunTotal* t = &totals[group * width];
        for (std::size_t a = 0; a < width; ++a) {
            const int f = amounts[a];
            const int64_t units = isDecimal[a] && !rowIsNull(row, f)
                                      ? m_columns[static_cast<std::size_t>(f)].intAt(row)
                                      : 0;
            t[a].add(units, rowDouble(row, f));
        }
        if (groups.size() * 2 > slots.size()) {
            slots.assign(slots.size() * 2, Slot{0, 0});
            for (std::size_t g = 0; g < groups.size(); ++g)
                insertSlot(tags[g], static_cast<uint32_t>(g));
        }
    }
    std::optional<uint32_t> last; // the walk in key order ends on the greatest key
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].size > 1)
            for (std::size_t a = 0; a < width; ++a)
                writeRowValue(groups[g].head, amounts[a], totals[g * width + a].value());
        if (!last || compareRows(keyField, groups[g].head, *last) > 0) last = groups[g].head;
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
