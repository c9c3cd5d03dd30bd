#include "TvelDataBlock.h"

#include "entity/Error.h"

#include <algorithm>
#include <cstring>

namespace corvo::remote {

namespace {

uint32_t readLe32(const uint8_t* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void writeLe32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

TvelDataBlock::TvelDataBlock(std::size_t maxPayload)
    : m_bytes(ReservedHeaderSize, 0), m_maxPayload(maxPayload)
{
}

void TvelDataBlock::fillHeader()
{
    writeLe32(m_bytes.data() + 4, static_cast<uint32_t>(PayloadSize()));
}

const Bytes& TvelDataBlock::Memory()
{
    fillHeader();
    return m_bytes;
}

void TvelDataBlock::SetPayloadSize(std::size_t n)
{
    m_bytes.resize(n + ReservedHeaderSize);
    m_readPos = std::min(m_readPos, m_bytes.size());
    m_writePos = std::min(m_writePos, m_bytes.size());
}

Bytes TvelDataBlock::TakeStream()
{
    fillHeader();
    Bytes out = std::move(m_bytes);
    m_bytes.assign(ReservedHeaderSize, 0);
    Clear();
    return out;
}

uint32_t TvelDataBlock::Signature() const
{
    return readLe32(m_bytes.data());
}

void TvelDataBlock::SetSignature(uint32_t signature)
{
    writeLe32(m_bytes.data(), signature);
}

void TvelDataBlock::Clear()
{
    m_bytes.resize(ReservedHeaderSize);
    m_readPos = m_writePos = ReservedHeaderSize;
    m_decodedValues = 0;
}

void TvelDataBlock::Write(const void* data, std::size_t count)
{
    if (count == 0) return;
    if (m_writePos + count > m_bytes.size()) m_bytes.resize(m_writePos + count);
    std::memcpy(m_bytes.data() + m_writePos, data, count);
    m_writePos += count;
}

void TvelDataBlock::Read(void* data, std::size_t count)
{
    if (count > ReadRemaining()) throw Error(InvalidDataPacket);
    if (count == 0) return;
    std::memcpy(data, m_bytes.data() + m_readPos, count);
    m_readPos += count;
}

std::size_t TvelDataBlock::ReadRemaining() const
{
    return m_readPos < m_bytes.size() ? m_bytes.size() - m_readPos : 0;
}

std::size_t TvelDataBlock::LoadBytes(const uint8_t* data, std::size_t length, CheckLength check)
{
    if (data == nullptr || length < ReservedHeaderSize) throw Error(InvalidDataPacket);
    const uint32_t signature = readLe32(data);
    const std::size_t declared = readLe32(data + 4);
    if ((signature & RequestBlock) != RequestBlock) throw Error(InvalidDataPacket);
    // The declared size is compared with what arrived (whatever the flag) before the copy, so
    // a hostile header never sizes an allocation.
    (void)check;
    if (declared != length - ReservedHeaderSize || declared > m_maxPayload)
        throw Error(InvalidDataPacket);
    m_bytes.assign(data, data + length);
    m_readPos = ReservedHeaderSize;
    m_writePos = m_bytes.size();
    m_decodedValues = 0;
    return declared;
}

} // namespace corvo::remote
