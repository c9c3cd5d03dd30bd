#pragma once

#include "entity/Variant.h"

#include <cstddef>
#include <cstdint>

namespace corvo::remote {

/// Block kinds (bits 8 to 15 of the signature).
inline constexpr uint32_t RequestBlock = 0xDA00;
inline constexpr uint32_t ReplyBlock = 0xDB00;
inline constexpr uint32_t KindMask = 0xFF00;

/// Actions (bits 0 to 7 of the signature).
namespace action {
inline constexpr uint32_t Error = 0x01;
inline constexpr uint32_t Invoke = 0x02;
inline constexpr uint32_t GetDispID = 0x03;
inline constexpr uint32_t CreateObject = 0x04;
inline constexpr uint32_t FreeObject = 0x05;
inline constexpr uint32_t GetServerList = 0x10;
inline constexpr uint32_t GetAppServerList = 0x12;
inline constexpr uint32_t Mask = 0xFF;
} // namespace action

/// The message every refused received block and every length that does not fit raises.
inline constexpr const char* InvalidDataPacket = "Invalid data packet";

/// Whether LoadBytes checks the header's payload size against the length before copying.
enum class CheckLength : uint8_t { No, Yes };

/// One request or reply: an 8-byte header (signature, payload size) and a payload that is
/// written and read strictly in order, each from its own position.
class IDataBlock {
public:
    virtual ~IDataBlock() = default;

    virtual int HeaderSize() const = 0;
    /// The whole block with the payload size filled into the header.
    virtual const Bytes& Memory() = 0;
    virtual std::size_t PayloadSize() const = 0;
    virtual void SetPayloadSize(std::size_t n) = 0;
    /// The whole block for sending (header filled); the read position is not disturbed.
    virtual const Bytes& Stream() = 0;
    /// The whole block moved out (header filled), for a sender that outlives the block;
    /// the block is left cleared.
    virtual Bytes TakeStream() = 0;
    virtual uint32_t Signature() const = 0;
    virtual void SetSignature(uint32_t signature) = 0;
    /// Back to a bare header; read and write positions at its end.
    virtual void Clear() = 0;
    /// Appends at the write position.
    virtual void Write(const void* data, std::size_t count) = 0;
    /// Reads at the read position; throws corvo::Error ("Invalid data packet") when fewer
    /// than count bytes remain, reading nothing.
    virtual void Read(void* data, std::size_t count) = 0;
    /// Bytes between the read position and the end of the block.
    virtual std::size_t ReadRemaining() const = 0;
    /// Takes a received block: at least a header, a signature with every bit of the request
    /// kind, and a payload size equal to the bytes after the header; otherwise throws
    /// corvo::Error ("Invalid data packet") and leaves the block as it was. With
    /// CheckLength::Yes the size is checked before anything is copied. Returns the payload size.
    virtual std::size_t LoadBytes(const uint8_t* data, std::size_t length, CheckLength check) = 0;
    /// Values decoded from this block since it was loaded or cleared; the value reader keeps
    /// their sum bounded, since each costs far more memory than its bytes on the wire.
    virtual uint64_t& DecodedValues() noexcept = 0;
};

class TvelDataBlock final : public IDataBlock {
public:
    static constexpr std::size_t ReservedHeaderSize = 8;
    /// Payloads beyond this are refused on receipt; far above any real exchange.
    static constexpr std::size_t DefaultMaxPayload = std::size_t{256} << 20;

    explicit TvelDataBlock(std::size_t maxPayload = DefaultMaxPayload);

    int HeaderSize() const override { return ReservedHeaderSize; }
    const Bytes& Memory() override;
    std::size_t PayloadSize() const override { return m_bytes.size() - ReservedHeaderSize; }
    void SetPayloadSize(std::size_t n) override;
    const Bytes& Stream() override { return Memory(); }
    Bytes TakeStream() override;
    uint32_t Signature() const override;
    void SetSignature(uint32_t signature) override;
    void Clear() override;
    void Write(const void* data, std::size_t count) override;
    void Read(void* data, std::size_t count) override;
    std::size_t ReadRemaining() const override;
    std::size_t LoadBytes(const uint8_t* data, std::size_t length, CheckLength check) override;
    uint64_t& DecodedValues() noexcept override { return m_decodedValues; }

    std::size_t ReadPosition() const noexcept { return m_readPos; }
    std::size_t WritePosition() const noexcept { return m_writePos; }

private:
    void fillHeader();

    Bytes m_bytes;
    std::size_t m_readPos = ReservedHeaderSize;
    std::size_t m_writePos = ReservedHeaderSize;
    std::size_t m_maxPayload;
    uint64_t m_decodedValues = 0;
};

} // namespace corvo::remote
