// Entity operations that add up amounts.
#include "Error.h"
#include "Gbk.h"
#include "TCustomEntity.h"
#include "internal/Column.h"
#include "internal/FilterExpr.h"

#include <algorithm>
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
    // A group is one record of words: key (2), first row and size (1), then per amount its
    // total: exact units for decimals (floats in the rare case that they overflow, after
    // which the grouping runs again), the float bits otherwise.
    const std::size_t width = amounts.size();
    const std::size_t stride = 3 + width;
    std::vector<uint8_t> exact; // per amount: added up in units
    for (int a : amounts)
        exact.push_back(Fields(a).DataType() == FieldType::BCD);
    bool overflowed = false;
    std::vector<uint64_t> groups;
    std::size_t groupCount = 0;
    auto headOf = [&](std::size_t g) { return static_cast<uint32_t>(groups[g * stride + 2]); };
    auto sizeOf = [&](std::size_t g) { return groups[g * stride + 2] >> 32; };
    struct Slot {
        std::array<uint64_t, 2> key; ///< fixed-width keys, so probing reads no group record
        uint32_t group;              ///< group number + 1; 0 = empty
        uint32_t tag;                ///< high half of the key's hash
    };
    std::vector<uint8_t> removed(stored, 0);
    std::vector<Slot> slots(1024, Slot{{0, 0}, 0, 0});
    auto resolve = [&](uint32_t row, uint32_t tag, const std::array<uint64_t, 2>& key) {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
            Slot& slot = slots[i];
            if (!slot.group) {
                const std::size_t group = groupCount++;
                groups.resize(groupCount * stride, 0);
                groups[group * stride] = key[0];
                groups[group * stride + 1] = key[1];
                groups[group * stride + 2] = row;
                slot = Slot{key, static_cast<uint32_t>(group + 1), tag};
                return group;
            }
            if (slot.tag != tag) continue;
            if (exactKeys ? slot.key == key
                          : compareRows(keyField, headOf(slot.group - 1), row) == 0) {
                removed[row] = 1;
                return static_cast<std::size_t>(slot.group - 1);
            }
        }
    };
    auto accumulate = [&](uint32_t row, std::size_t group) {
        uint64_t* g = &groups[group * stride];
        g[2] += uint64_t{1} << 32;
        for (std::size_t a = 0; a < width; ++a) {
            const int f = amounts[a];
            if (exact[a]) {
                // A Null holds zero units.
                auto units = static_cast<int64_t>(g[3 + a]);
                overflowed |= __builtin_add_overflow(
                    units, m_columns[static_cast<std::size_t>(f)].intAt(row), &units);
                g[3 + a] = static_cast<uint64_t>(units);
                continue;
            }
            double total;
            std::memcpy(&total, &g[3 + a], 8);
            total += rowDouble(row, f);
            std::memcpy(&g[3 + a], &total, 8);
        }
    };
    // Rows go in batches: the slots and group records a batch needs are fetched from memory
    // together, ahead of their use, instead of one stall per row on large tables.
    constexpr std::size_t Batch = 32;
    uint32_t batchRows[Batch], batchTags[Batch];
    std::array<uint64_t, 2> batchKeys[Batch];
    std::size_t batchGroups[Batch];
    for (uint32_t next = 0; next < stored || overflowed;) {
        if (overflowed) {
            std::fill(exact.begin(), exact.end(), 0);
            std::fill(removed.begin(), removed.end(), 0);
            std::fill(slots.begin(), slots.end(), Slot{{0, 0}, 0, 0});
            groups.clear();
            groupCount = 0;
            overflowed = false;
            next = 0;
        }
        std::size_t n = 0;
        for (; next < stored && n < Batch; ++next) {
            if (m_deleted[next] || !passesFilter(next)) continue;
            batchRows[n] = next;
            batchTags[n] = static_cast<uint32_t>(lookupHashOfRow(keys, next, false) >> 32);
            batchKeys[n] = keyOf(next);
            __builtin_prefetch(&slots[batchTags[n] & (slots.size() - 1)]);
            ++n;
        }
        if ((groupCount + n) * 2 > slots.size()) {
            std::vector<Slot> grown(slots.size() * 4, Slot{{0, 0}, 0, 0});
            const std::size_t mask = grown.size() - 1;
            for (const Slot& slot : slots) {
                if (!slot.group) continue;
                std::size_t i = slot.tag & mask;
                while (grown[i].group)
                    i = (i + 1) & mask;
                grown[i] = slot;
            }
            slots.swap(grown);
        }
        for (std::size_t k = 0; k < n; ++k) {
            batchGroups[k] = resolve(batchRows[k], batchTags[k], batchKeys[k]);
            __builtin_prefetch(&groups[batchGroups[k] * stride]);
        }
        for (std::size_t k = 0; k < n; ++k)
            accumulate(batchRows[k], batchGroups[k]);
    }
    std::optional<uint32_t> last; // the walk in key order ends on the greatest key
    for (std::size_t g = 0; g < groupCount; ++g) {
        const uint32_t head = headOf(g);
        if (sizeOf(g) > 1)
            for (std::size_t a = 0; a < width; ++a) {
                const uint64_t word = groups[g * stride + 3 + a];
                double total;
                std::memcpy(&total, &word, 8);
                writeRowValue(
                    head, amounts[a],
                    exact[a] ? Variant(Decimal{static_cast<int64_t>(word),
                                               static_cast<uint8_t>(Fields(amounts[a]).Size())})
                             : Variant(total));
            }
        if (!last || compareRows(keyField, head, *last) > 0) last = head;
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
