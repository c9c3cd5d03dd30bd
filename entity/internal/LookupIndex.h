#pragma once

#include <cstdint>
#include <vector>

namespace corvo::internal {

class Column;

/// The hash a lookup index files a stored value under (texts folded to upper case when
/// `caseInsensitive`); equal values hash equally.
uint64_t lookupHashOfRow(const Column& column, uint32_t row, bool caseInsensitive);
/// The hash of a GUID's 16 bytes, as lookupHashOfRow gives it for a GUID column.
uint64_t lookupHashOfGuid(const uint8_t* guid);

/// Hash index from a field's value (by the high 32 bits of its 64-bit hash) to the stored rows
/// holding it: open addressing with linear probing over one slot per distinct hash, the rows of
/// a hash chained behind their slot (detail keys repeat, and repeated keys in a probed table
/// would cluster). The table keeps it current as rows change, so a walk that locates once per
/// row stays linear.
class LookupIndex {
public:
    LookupIndex(int field, bool caseInsensitive)
        : m_field(field), m_caseInsensitive(caseInsensitive)
    {
    }

    int field() const noexcept { return m_field; }
    bool caseInsensitive() const noexcept { return m_caseInsensitive; }

    void reserve(std::size_t rows);
    void insert(uint64_t hash, uint32_t row);
    void erase(uint64_t hash, uint32_t row) noexcept;

    /// Calls visit(row) for every row stored under that hash, until visit returns false.
    template <typename Visit> void forEach(uint64_t hash, Visit visit) const
    {
        if (m_slots.empty()) return;
        std::size_t mask = m_slots.size() - 1;
        auto tag = static_cast<uint32_t>(hash >> 32);
        for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
            const Slot& s = m_slots[i];
            if (s.row == Empty) return;
            if (s.row == Tombstone || s.tag != tag) continue;
            for (uint32_t r = s.row; r != End; r = m_next[r])
                if (!visit(r)) return;
            return;
        }
    }

    std::size_t memoryBytes() const noexcept
    {
        return m_slots.capacity() * sizeof(Slot) + m_next.capacity() * sizeof(uint32_t);
    }

private:
    struct Slot {
        uint32_t row; ///< first row of the chain
        uint32_t tag;
    };
    static constexpr uint32_t Empty = UINT32_MAX;
    static constexpr uint32_t Tombstone = UINT32_MAX - 1;
    static constexpr uint32_t End = UINT32_MAX;

    void grow(std::size_t slots);

    int m_field;
    bool m_caseInsensitive;
    std::vector<Slot> m_slots;
    std::vector<uint32_t> m_next; ///< per row: the next row of its chain
    std::size_t m_used = 0;       ///< slots holding a chain or a tombstone
    std::size_t m_live = 0;       ///< slots holding a chain
};

} // namespace corvo::internal
