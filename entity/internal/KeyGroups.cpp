#include "KeyGroups.h"

#include "LookupIndex.h"
#include "ValueText.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace corvo::internal {

Variant KeyGroups::total(std::size_t group, std::size_t amount) const
{
    const uint64_t word = m_words[group * m_stride + 3 + amount];
    if (m_exact[amount])
        return Decimal{static_cast<int64_t>(word), static_cast<uint8_t>(m_sizes[amount])};
    double total;
    std::memcpy(&total, &word, 8);
    return total;
}

KeyGroups groupByKey(const Column& keys, std::span<const uint8_t> leftOut,
                     std::span<const GroupAmount> amounts)
{
    const auto stored = static_cast<uint32_t>(leftOut.size());
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
    KeyGroups out;
    const std::size_t width = amounts.size();
    out.m_stride = 3 + width;
    const std::size_t stride = out.m_stride;
    for (const GroupAmount& a : amounts) {
        out.m_exact.push_back(a.column->type() == FieldType::BCD);
        out.m_sizes.push_back(a.size);
    }
    std::vector<uint64_t>& groups = out.m_words;
    std::size_t& groupCount = out.m_count;
    std::vector<uint8_t>& exact = out.m_exact;
    std::vector<uint8_t>& removed = out.m_absorbed;
    bool overflowed = false;
    auto headOf = [&](std::size_t g) { return static_cast<uint32_t>(groups[g * stride + 2]); };
    struct Slot {
        std::array<uint64_t, 2> key; ///< fixed-width keys, so probing reads no group record
        uint32_t group;              ///< group number + 1; 0 = empty
        uint32_t tag;                ///< high half of the key's hash
    };
    removed.assign(stored, 0);
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
                          : keys.bytesAt(headOf(slot.group - 1)) == keys.bytesAt(row)) {
                removed[row] = 1;
                return static_cast<std::size_t>(slot.group - 1);
            }
        }
    };
    auto accumulate = [&](uint32_t row, std::size_t group) {
        uint64_t* g = &groups[group * stride];
        g[2] += uint64_t{1} << 32;
        for (std::size_t a = 0; a < width; ++a) {
            const Column& column = *amounts[a].column;
            if (exact[a]) {
                // A Null holds zero units.
                auto units = static_cast<int64_t>(g[3 + a]);
                overflowed |= __builtin_add_overflow(units, column.intAt(row), &units);
                g[3 + a] = static_cast<uint64_t>(units);
                continue;
            }
            double total;
            std::memcpy(&total, &g[3 + a], 8);
            total += columnDouble(column, row, amounts[a].size);
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
            // The units of a decimal total would overflow: every amount again, as floats.
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
            if (leftOut[next]) continue;
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
    return out;
}

} // namespace corvo::internal
