#include "LookupIndex.h"

namespace corvo::internal {

void LookupIndex::reserve(std::size_t rows)
{
    std::size_t want = 16;
    while (want < rows * 2)
        want <<= 1;
    if (want > m_slots.size()) grow(want);
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
    if ((m_used + 1) * 2 > m_slots.size())
        grow(m_slots.empty()
                 ? 16
                 : ((m_live + 1) * 4 > m_slots.size() ? m_slots.size() * 2 : m_slots.size()));
    std::size_t mask = m_slots.size() - 1;
    auto tag = static_cast<uint32_t>(hash >> 32);
    std::size_t i = tag & mask;
    while (m_slots[i].row != Empty && m_slots[i].row != Tombstone)
        i = (i + 1) & mask;
    if (m_slots[i].row == Empty) ++m_used;
    m_slots[i] = Slot{row, tag};
    ++m_live;
}

void LookupIndex::erase(uint64_t hash, uint32_t row) noexcept
{
    if (m_slots.empty()) return;
    std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = static_cast<uint32_t>(hash >> 32) & mask;; i = (i + 1) & mask) {
        Slot& s = m_slots[i];
        if (s.row == Empty) return;
        if (s.row == row) {
            s.row = Tombstone;
            --m_live;
            return;
        }
    }
}

} // namespace corvo::internal
