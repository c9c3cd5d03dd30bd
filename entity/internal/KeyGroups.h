#pragma once

#include "../Variant.h"
#include "Column.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvo::internal {

/// An amount added up per group: a BCD column exactly in units at its scale `size`, any
/// other column as floats. Null adds nothing.
struct GroupAmount {
    const Column* column;
    int size;
};

/// The stored rows grouped by equal keys, each amount added up per group.
class KeyGroups {
public:
    std::size_t count() const noexcept { return m_count; }
    /// The group's first row in natural order.
    uint32_t head(std::size_t group) const noexcept
    {
        return static_cast<uint32_t>(m_words[group * m_stride + 2]);
    }
    std::size_t size(std::size_t group) const noexcept
    {
        return static_cast<std::size_t>(m_words[group * m_stride + 2] >> 32);
    }
    /// The total of an amount over the group: a Decimal at the column's scale for BCD, a
    /// Float otherwise (for every amount once the units of one total would overflow).
    Variant total(std::size_t group, std::size_t amount) const;
    /// Per stored row: 1 for the rows after a group's first, which the group absorbs.
    const std::vector<uint8_t>& absorbed() const noexcept { return m_absorbed; }

private:
    friend KeyGroups groupByKey(const Column&, std::span<const uint8_t>,
                                std::span<const GroupAmount>);

    // A group is one record of words: its key (2), first row and size (1), then per amount
    // its total, in units for exact amounts and as the float bits otherwise.
    std::vector<uint64_t> m_words;
    std::size_t m_stride = 3;
    std::size_t m_count = 0;
    std::vector<uint8_t> m_exact; ///< per amount
    std::vector<int> m_sizes;     ///< per amount
    std::vector<uint8_t> m_absorbed;
};

/// Groups the stored rows of `keys` that are not `leftOut` (one flag per stored row) by
/// equal key: fixed-width keys by value (Null with Null), texts and binaries byte for byte
/// (Null with empty). One pass over the rows through a hash table, linear in their number;
/// the groups come in the order of their first rows.
KeyGroups groupByKey(const Column& keys, std::span<const uint8_t> leftOut,
                     std::span<const GroupAmount> amounts);

} // namespace corvo::internal
