#include "LookupIndex.h"

#include <algorithm>
#include <cstdint>

namespace corvo::internal {

void LookupIndex::reserve(std::size_t rows)
{
    std::size_t want = 16;
    while (want < rows * 2)
        want <<= 1;
    if (want > m_slots.size()) grow(want);
    if (m_next.size() < rows) m_next.resize(rows, End);
}

void LookupIndex::grow(std::size_t slots)
{
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(slots, Slot{Empty, 0});
    m_used = m_live = 0;
    std::size_t mask = slots - 1;
    for (const Slot& s : old) {
        if (s.row == Empty || s.row == Tombstone) continue;
        std::size_t i = s.tag & mask;
        while (m_slots[i].row != Empty)
            i = (i + 1) & mask;
        m_slots[i] = s;
        ++m_used;
        ++m_live;
    }
}

void LookupIndex::insert(uint64_t hash, uint32_t row)
{
    if (row >= m_next.size()) m_next.resize(std::max<std::size_t>(row + 1, m_next.size() * 2), End);
    if ((m_used + 1) * 2 > m_slots.size())
        grow(m_slots.empty()
                 ? 16
                 : ((m_live + 1) * 4 > m_slots.size() ? m_slots.size() * 2 : m_slots.size()));
    std::size_t mask = m_slots.size() - 1;
    auto tag = static_cast<uint32_t>(hash >> 32);
    std::size_t free = SIZE_MAX;
    for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
        Slot& s = m_slots[i];
        if (s.row == Empty) {
            if (free == SIZE_MAX) {
                free = i;
                ++m_used;
            }
            break;
        }
        if (s.row == Tombstone) {
            if (free == SIZE_MAX) free = i;
            continue;
        }
        if (s.tag == tag) {
            m_next[row] = s.row;
            s.row = row;
            return;
        }
    }
    m_slots[free] = Slot{row, tag};
    m_next[row] = End;
    ++m_live;
}

void LookupIndex::erase(uint64_t hash, uint32_t row) noexcept
{
    if (m_slots.empty() || row >= m_next.size()) return;
    std::size_t mask = m_slots.size() - 1;
    auto tag = static_cast<uint32_t>(hash >> 32);
    for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
        Slot& s = m_slots[i];
        if (s.row == Empty) return;
        if (s.row == Tombstone || s.tag != tag) continue;
        if (s.row == row) {
            s.row = m_next[row];
            if (s.row == End) {
                s.row = Tombstone;
                --m_live;
            }
        } else {
            uint32_t r = s.row;
            while (m_next[r] != End && m_next[r] != row)
                r = m_next[r];
            if (m_next[r] == row) m_next[r] = m_next[row];
        }
        m_next[row] = End;
        return;
    }
}

} // namespace corvo::internal
