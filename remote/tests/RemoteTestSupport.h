#pragma once

#include "entity/Variant.h"
#include "remote/TvelDataBlock.h"
#include "remote/VariantCodec.h"

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

namespace corvo::remote::test {

inline Bytes readGolden(const std::string& name)
{
    std::ifstream in(std::string(CORVO_REMOTE_GOLDEN_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

/// Little-endian 32-bit words, the unit in which the wire is easiest to spell.
inline Bytes words(std::initializer_list<uint32_t> values)
{
    Bytes out;
    for (uint32_t v : values)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return out;
}

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// The payload bytes the value encodes to.
inline Bytes encode(const RemoteValue& v)
{
    TvelDataBlock block;
    writeValue(block, v);
    const Bytes& all = block.Memory();
    return Bytes(all.begin() + TvelDataBlock::ReservedHeaderSize, all.end());
}

/// A request block around the payload, loaded as if received.
inline TvelDataBlock received(const Bytes& payload)
{
    TvelDataBlock block;
    const Bytes whole = words({RequestBlock | action::Invoke, uint32_t(payload.size())}) + payload;
    block.LoadBytes(whole.data(), whole.size(), CheckLength::Yes);
    return block;
}

inline RemoteValue decode(const Bytes& payload, const CodecLimits& limits = {})
{
    TvelDataBlock block = received(payload);
    return readValue(block, limits);
}

} // namespace corvo::remote::test
