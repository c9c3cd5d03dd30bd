#pragma once

#include "RemoteValue.h"

#include <cstddef>
#include <cstdint>

namespace corvo::remote {

class IDataBlock;

/// Bounds on what a received value may declare. Every length is also checked against the
/// bytes that remain in the block before anything is allocated.
inline constexpr uint32_t MaxArrayDimensions = 16;
inline constexpr uint64_t MaxArrayElements = uint64_t{1} << 26;
inline constexpr uint32_t MaxStringUnits = uint32_t{1} << 27;
inline constexpr int MaxValueNesting = 32;
/// Values (array elements included) decoded from one block, over all reads.
inline constexpr uint64_t MaxDecodedValues = uint64_t{1} << 20;

struct CodecLimits {
    uint32_t maxDimensions = MaxArrayDimensions;
    uint64_t maxElements = MaxArrayElements;
    uint32_t maxStringUnits = MaxStringUnits;
    int maxNesting = MaxValueNesting;
    uint64_t maxValues = MaxDecodedValues;
};

/// Appends the value at the block's write position. Throws corvo::Error ("Unsupported variant
/// type: %s") for an interface (13), a dispatch passed directly by reference, a bare variant
/// (12) and any type outside the encoding, before writing anything of that value.
void writeValue(IDataBlock& block, const RemoteValue& value);

/// Reads one value at the block's read position. A value that arrived by reference is stored
/// plain with its Reference form. Throws corvo::Error: "Invalid data packet" for lengths that
/// do not fit the bytes left or the limits, "Unsupported variant type: %s" for type 13 and
/// types outside the encoding.
RemoteValue readValue(IDataBlock& block, const CodecLimits& limits = {});

/// Raw 32-bit little-endian fields and object IDs between values.
void writeUInt32(IDataBlock& block, uint32_t v);
uint32_t readUInt32(IDataBlock& block);
void writeObjectId(IDataBlock& block, const ObjectId& id);
ObjectId readObjectId(IDataBlock& block);

} // namespace corvo::remote
