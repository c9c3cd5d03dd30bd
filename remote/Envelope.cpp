#include "Envelope.h"

#include "TvelDataBlock.h"
#include "entity/Error.h"

#include <algorithm>
#include <libdeflate.h>
#include <memory>
#include <zlib.h>

namespace corvo::remote::envelope {

namespace {

constexpr std::size_t LengthWord = 4;
constexpr std::size_t InflateStep = std::size_t{64} << 10;

[[noreturn]] void invalid()
{
    throw Error(InvalidDataPacket);
}

// One stream of each kind per thread, reset between uses: setting a stream up (a few hundred
// KB of tables) costs more than compressing a small block.
class Inflater {
public:
    Inflater()
    {
        if (inflateInit(&m_stream) != Z_OK) invalid();
    }
    ~Inflater() { inflateEnd(&m_stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    z_stream* reset()
    {
        if (inflateReset(&m_stream) != Z_OK) invalid();
        return &m_stream;
    }

private:
    z_stream m_stream{};
};

// libdeflate writes the same zlib stream zlib's deflate does, in a fraction of the time:
// whole-buffer compression needs none of the stream's bookkeeping. Every peer's inflate reads it.
// One compressor per thread; the plain pointer and flag outlive the owner, so a block sent from
// a destructor at exit (a connection freeing its objects) gets a compressor of its own.
constexpr int DefaultLevel = 6; ///< zlib's default
thread_local libdeflate_compressor* t_compressor = nullptr;
thread_local bool t_compressorGone = false;

struct CompressorOwner {
    ~CompressorOwner()
    {
        libdeflate_free_compressor(t_compressor);
        t_compressor = nullptr;
        t_compressorGone = true;
    }
};

using OwnCompressor = std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>;

libdeflate_compressor* threadCompressor(OwnCompressor& oneOff)
{
    if (t_compressorGone) {
        oneOff.reset(libdeflate_alloc_compressor(DefaultLevel));
        return oneOff.get();
    }
    if (!t_compressor) {
        thread_local CompressorOwner owner;
        t_compressor = libdeflate_alloc_compressor(DefaultLevel);
    }
    return t_compressor;
}

} // namespace

Bytes pack(std::span<const uint8_t> block)
{
    if (block.size() > 0xFFFFFFFFu) throw Error("The data block is too large to send");
    OwnCompressor oneOff(nullptr, &libdeflate_free_compressor);
    libdeflate_compressor* compressor = threadCompressor(oneOff);
    if (!compressor) throw Error("The data block could not be compressed");
    const std::size_t bound = libdeflate_zlib_compress_bound(compressor, block.size());
    Bytes out(LengthWord + bound);
    const auto length = static_cast<uint32_t>(block.size());
    for (std::size_t i = 0; i < LengthWord; ++i)
        out[i] = static_cast<uint8_t>(length >> (8 * i));
    // The bound leaves room for everything, so 0 (no room) cannot happen.
    const std::size_t written = libdeflate_zlib_compress(compressor, block.data(), block.size(),
                                                         out.data() + LengthWord, bound);
    if (written == 0) throw Error("The data block could not be compressed");
    out.resize(LengthWord + written);
    return out;
}

Bytes unpack(std::span<const uint8_t> body, std::size_t maxLength)
{
    if (body.size() < LengthWord) invalid();
    const std::size_t declared = uint32_t{body[0]} | uint32_t{body[1]} << 8 |
                                 uint32_t{body[2]} << 16 | uint32_t{body[3]} << 24;
    if (declared > maxLength) invalid();

    thread_local Inflater inflater;
    z_stream* z = inflater.reset();
    const auto input = body.subspan(LengthWord);
    z->next_in = const_cast<Bytef*>(input.data());
    z->avail_in = static_cast<uInt>(std::min<std::size_t>(input.size(), 0xFFFFFFFFu));
    if (z->avail_in != input.size()) invalid();

    Bytes out(std::min(declared, InflateStep));
    std::size_t produced = 0;
    for (;;) {
        if (produced == out.size()) {
            if (out.size() == declared) break;
            out.resize(std::min(declared, out.size() * 2));
        }
        z->next_out = out.data() + produced;
        z->avail_out = static_cast<uInt>(out.size() - produced);
        const int rc = inflate(z, Z_NO_FLUSH);
        produced = out.size() - z->avail_out;
        if (rc == Z_STREAM_END) {
            if (produced != declared || z->avail_in != 0) invalid();
            return out;
        }
        if (rc != Z_OK) invalid(); // corrupt, or the input ended before the stream did
    }
    // All declared bytes are out: the stream must end here without one byte more.
    uint8_t extra = 0;
    z->next_out = &extra;
    z->avail_out = 1;
    const int rc = inflate(z, Z_NO_FLUSH);
    if (rc != Z_STREAM_END || z->avail_out != 1 || z->avail_in != 0) invalid();
    return out;
}

} // namespace corvo::remote::envelope
