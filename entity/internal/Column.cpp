#include "Column.h"

#include "../Error.h"

#include <algorithm>
#include <bit>

namespace corvo::internal {
namespace {

// A heap reference: offset in the low 40 bits, length in the high 24. Longer values keep
// their length as 8 bytes in front of the data and store LongLength in the reference.
constexpr uint64_t LongLength = 0xFFFFFF;
constexpr uint64_t MaxOffset = (uint64_t{1} << 40) - 1;

} // namespace

int Column::widthOf(FieldType type) noexcept
{
    switch (type) {
    case FieldType::Boolean:
        return 1;
    case FieldType::Smallint:
        return 2;
    case FieldType::Integer:
        return 4;
    case FieldType::Guid:
        return 16;
    default:
        return 8;
    }
}

Column::Column(FieldType type, int /*size*/) : m_type(type), m_width(widthOf(type)) {}

void Column::reserve(std::size_t rows)
{
    m_fixed.reserve(rows * m_width);
    m_nullBits.reserve((rows + 63) / 64);
}

void Column::clear()
{
    m_rows = 0;
    m_nullBits.clear();
    m_fixed.clear();
    m_heap.clear();
    m_garbage = 0;
}

void Column::appendNull()
{
    if ((m_rows & 63) == 0) m_nullBits.push_back(0);
    m_nullBits.back() |= uint64_t{1} << (m_rows & 63);
    m_fixed.resize(m_fixed.size() + m_width, 0);
    ++m_rows;
}

void Column::setNull(uint32_t row) noexcept
{
    if (isVariableLength(m_type) && !isNull(row)) {
        uint64_t r = refAt(row);
        uint64_t len = r >> 40;
        m_garbage += len == LongLength ? 8 : len;
    }
    // A Null keeps zero bytes, so a table's packet does not depend on its edit history.
    std::memset(&m_fixed[static_cast<std::size_t>(row) * m_width], 0,
                static_cast<std::size_t>(m_width));
    m_nullBits[row >> 6] |= uint64_t{1} << (row & 63);
}

int64_t Column::intAt(uint32_t row) const noexcept
{
    const uint8_t* p = &m_fixed[static_cast<std::size_t>(row) * m_width];
    switch (m_width) {
    case 1:
        return static_cast<int8_t>(*p);
    case 2: {
        int16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    case 4: {
        int32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    default: {
        int64_t v;
        std::memcpy(&v, p, 8);
        return v;
    }
    }
}

std::string_view Column::bytesAt(uint32_t row) const noexcept
{
    if (isNull(row)) return {};
    uint64_t r = refAt(row);
    uint64_t offset = r & MaxOffset, len = r >> 40;
    if (len == LongLength) {
        std::memcpy(&len, &m_heap[offset], 8);
        offset += 8;
    }
    return std::string_view(m_heap.data() + offset, len);
}

void Column::rowsWithPrefix(std::string_view prefix, const std::vector<uint8_t>& deleted,
                            std::vector<uint32_t>& out) const
{
    const auto rows = static_cast<uint32_t>(std::min(deleted.size(), m_rows));
    const std::size_t n = prefix.size();
    const char* heap = m_heap.data();
    for (uint32_t row = 0; row < rows; ++row) {
        if (deleted[row]) continue;
        if (isNull(row)) {
            if (n == 0) out.push_back(row);
            continue;
        }
        const uint64_t r = refAt(row);
        uint64_t offset = r & MaxOffset, len = r >> 40;
        if (len == LongLength) {
            std::memcpy(&len, heap + offset, 8);
            offset += 8;
        }
        // The first byte decides most rows without a call.
        if (len >= n && (n == 0 || (heap[offset] == prefix[0] &&
                                    std::memcmp(heap + offset, prefix.data(), n) == 0)))
            out.push_back(row);
    }
}

void Column::setInt(uint32_t row, int64_t value) noexcept
{
    uint8_t* p = &m_fixed[static_cast<std::size_t>(row) * m_width];
    switch (m_width) {
    case 1:
        *p = static_cast<uint8_t>(value);
        break;
    case 2: {
        auto v = static_cast<int16_t>(value);
        std::memcpy(p, &v, 2);
        break;
    }
    case 4: {
        auto v = static_cast<int32_t>(value);
        std::memcpy(p, &v, 4);
        break;
    }
    default:
        std::memcpy(p, &value, 8);
    }
    markNotNull(row);
}

void Column::setFloat(uint32_t row, double value) noexcept
{
    std::memcpy(&m_fixed[static_cast<std::size_t>(row) * 8], &value, 8);
    markNotNull(row);
}

void Column::setGuid(uint32_t row, const Guid& value) noexcept
{
    std::memcpy(&m_fixed[static_cast<std::size_t>(row) * 16], value.bytes.data(), 16);
    markNotNull(row);
}

void Column::setBytes(uint32_t row, std::string_view value)
{
    if (!isNull(row)) {
        uint64_t len = refAt(row) >> 40;
        m_garbage += len == LongLength ? bytesAt(row).size() + 8 : len;
    }
    if (m_garbage > (std::size_t{1} << 20) && m_garbage > m_heap.size() / 2) compactHeap();
    uint64_t offset = m_heap.size();
    if (offset + value.size() + 8 > MaxOffset) throw Error("字段值的总长度超出了数据集的容量");
    uint64_t ref;
    if (value.size() >= LongLength) {
        uint64_t len = value.size();
        m_heap.append(reinterpret_cast<const char*>(&len), 8);
        ref = offset | (LongLength << 40);
    } else {
        ref = offset | (static_cast<uint64_t>(value.size()) << 40);
    }
    m_heap.append(value);
    std::memcpy(&m_fixed[static_cast<std::size_t>(row) * 8], &ref, 8);
    markNotNull(row);
}

void Column::compactHeap()
{
    std::string heap;
    heap.reserve(m_heap.size() - m_garbage);
    for (uint32_t row = 0; row < m_rows; ++row) {
        if (isNull(row)) continue;
        std::string_view v = bytesAt(row);
        uint64_t offset = heap.size();
        uint64_t ref;
        if (v.size() >= LongLength) {
            uint64_t len = v.size();
            heap.append(reinterpret_cast<const char*>(&len), 8);
            ref = offset | (LongLength << 40);
        } else {
            ref = offset | (static_cast<uint64_t>(v.size()) << 40);
        }
        heap.append(v);
        std::memcpy(&m_fixed[static_cast<std::size_t>(row) * 8], &ref, 8);
    }
    m_heap = std::move(heap);
    m_garbage = 0;
}

void Column::appendRaw(std::size_t rows, const uint8_t* nullBits, const uint8_t* fixed)
{
    static_assert(std::endian::native == std::endian::little);
    if (rows == 0) return; // an empty column has no bit words to copy into
    if (m_rows % 64 != 0) {
        for (std::size_t i = 0; i < rows; ++i) {
            auto row = static_cast<uint32_t>(m_rows);
            appendNull();
            std::memcpy(&m_fixed[row * static_cast<std::size_t>(m_width)], fixed + i * m_width,
                        static_cast<std::size_t>(m_width));
            if (!((nullBits[i >> 3] >> (i & 7)) & 1)) markNotNull(row);
        }
        return;
    }
    std::size_t words = (m_rows + rows + 63) / 64;
    std::size_t first = m_nullBits.size();
    m_nullBits.resize(words, 0);
    std::memcpy(reinterpret_cast<uint8_t*>(m_nullBits.data() + first), nullBits, (rows + 7) / 8);
    m_fixed.insert(m_fixed.end(), fixed, fixed + rows * static_cast<std::size_t>(m_width));
    m_rows += rows;
}

void Column::appendVariable(std::size_t rows, const uint8_t* nullBits, const uint8_t* lengths,
                            const char* data, std::size_t dataBytes)
{
    m_heap.reserve(m_heap.size() + dataBytes);
    reserve(m_rows + rows);
    bool allShort = m_rows % 64 == 0;
    for (std::size_t i = 0; i < rows && allShort; ++i) {
        uint32_t len;
        std::memcpy(&len, lengths + 4 * i, 4);
        allShort = len < LongLength;
    }
    if (allShort) {
        // The values go into the heap in one copy, back to back as the packet holds them.
        uint64_t offset = m_heap.size();
        m_heap.append(data, dataBytes);
        std::size_t first = m_nullBits.size();
        m_nullBits.resize((m_rows + rows + 63) / 64, 0);
        if (rows > 0)
            std::memcpy(reinterpret_cast<uint8_t*>(m_nullBits.data() + first), nullBits,
                        (rows + 7) / 8);
        std::size_t base = m_fixed.size();
        m_fixed.resize(base + rows * 8);
        for (std::size_t i = 0; i < rows; ++i) {
            uint32_t len;
            std::memcpy(&len, lengths + 4 * i, 4);
            uint64_t ref = len == 0 ? 0 : (offset | (static_cast<uint64_t>(len) << 40));
            std::memcpy(&m_fixed[base + i * 8], &ref, 8);
            offset += len;
        }
        m_rows += rows;
        return;
    }
    for (std::size_t i = 0; i < rows; ++i) {
        auto row = static_cast<uint32_t>(m_rows);
        appendNull();
        uint32_t len;
        std::memcpy(&len, lengths + 4 * i, 4);
        if (!((nullBits[i >> 3] >> (i & 7)) & 1)) setBytes(row, std::string_view(data, len));
        data += len;
    }
}

void Column::copyFrom(const Column& source, uint32_t sourceRow, uint32_t row)
{
    if (source.isNull(sourceRow)) {
        setNull(row);
        return;
    }
    if (isVariableLength(m_type)) {
        setBytes(row, source.bytesAt(sourceRow));
        return;
    }
    std::memcpy(&m_fixed[static_cast<std::size_t>(row) * m_width],
                &source.m_fixed[static_cast<std::size_t>(sourceRow) * m_width],
                static_cast<std::size_t>(m_width));
    markNotNull(row);
}

std::size_t Column::memoryBytes() const noexcept
{
    return m_fixed.capacity() + m_nullBits.capacity() * 8 + m_heap.capacity();
}

} // namespace corvo::internal
