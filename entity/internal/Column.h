#pragma once

#include "../FieldType.h"
#include "../Guid.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::internal {

/// The values of one field for every stored row, packed by type: fixed-width values in one
/// byte array, variable-length values as references into a byte heap.
class Column {
public:
    Column(FieldType type, int size);

    /// Bytes of one fixed-width value (variable-length values keep an 8-byte reference);
    /// the data packet packs values with the same widths.
    static int widthOf(FieldType type) noexcept;

    FieldType type() const noexcept { return m_type; }
    std::size_t rowCount() const noexcept { return m_rows; }
    void reserve(std::size_t rows);
    void clear();

    /// Adds a row holding Null.
    void appendNull();

    bool isNull(uint32_t row) const noexcept { return (m_nullBits[row >> 6] >> (row & 63)) & 1; }
    void setNull(uint32_t row) noexcept;

    /// Smallint, Integer, Largeint, Boolean and BCD (its units).
    int64_t intAt(uint32_t row) const noexcept;
    /// Float and DateTime.
    double floatAt(uint32_t row) const noexcept
    {
        double v;
        std::memcpy(&v, &m_fixed[static_cast<std::size_t>(row) * 8], 8);
        return v;
    }
    Guid guidAt(uint32_t row) const noexcept
    {
        Guid g;
        std::memcpy(g.bytes.data(), &m_fixed[static_cast<std::size_t>(row) * 16], 16);
        return g;
    }
    const uint8_t* guidBytesAt(uint32_t row) const noexcept
    {
        return &m_fixed[static_cast<std::size_t>(row) * 16];
    }
    /// Texts and binaries.
    std::string_view bytesAt(uint32_t row) const noexcept;
    /// Appends to `out` the rows, in order, that are not `deleted` and whose text starts with
    /// `prefix` (Null counts as the empty text): one tight pass for a prefix filter.
    void rowsWithPrefix(std::string_view prefix, const std::vector<uint8_t>& deleted,
                        std::vector<uint32_t>& out) const;

    void setInt(uint32_t row, int64_t value) noexcept;
    void setFloat(uint32_t row, double value) noexcept;
    void setGuid(uint32_t row, const Guid& value) noexcept;
    void setBytes(uint32_t row, std::string_view value);

    // Bulk access for data packets: null bits as little-endian bytes, fixed values packed.
    void appendRaw(std::size_t rows, const uint8_t* nullBits, const uint8_t* fixed);
    /// lengths: one little-endian 32-bit length per row; data: the values back to back.
    void appendVariable(std::size_t rows, const uint8_t* nullBits, const uint8_t* lengths,
                        const char* data, std::size_t dataBytes);
    const uint8_t* fixedData() const noexcept { return m_fixed.data(); }
    const uint8_t* nullBitBytes() const noexcept
    {
        return reinterpret_cast<const uint8_t*>(m_nullBits.data());
    }

    /// Copies one value from a column of the same type and representation.
    void copyFrom(const Column& source, uint32_t sourceRow, uint32_t row);

    /// Bytes held, for the memory counters.
    std::size_t memoryBytes() const noexcept;
    int width() const noexcept { return m_width; }

private:
    void markNotNull(uint32_t row) noexcept
    {
        m_nullBits[row >> 6] &= ~(uint64_t{1} << (row & 63));
    }
    uint64_t refAt(uint32_t row) const noexcept
    {
        uint64_t r;
        std::memcpy(&r, &m_fixed[static_cast<std::size_t>(row) * 8], 8);
        return r;
    }
    void compactHeap();

    FieldType m_type;
    int m_width;
    std::size_t m_rows = 0;
    std::vector<uint64_t> m_nullBits;
    std::vector<uint8_t> m_fixed;
    std::string m_heap;
    std::size_t m_garbage = 0;
};

} // namespace corvo::internal
