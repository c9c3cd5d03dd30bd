// Any bytes as a received HTTP body: unpack refuses them with corvo::Error or yields exactly the
// declared length, which packs and unpacks again to the same bytes.
#include "entity/Error.h"
#include "remote/Envelope.h"

#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_envelope: %s\n", what);
    std::abort();
}

// Small enough that a hostile declaration cannot reach the RSS limit either way.
constexpr std::size_t MaxLength = std::size_t{4} << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    namespace envelope = corvo::remote::envelope;
    corvo::Bytes block;
    try {
        block = envelope::unpack({data, size}, MaxLength);
    } catch (const corvo::Error&) {
        return 0;
    }
    const std::size_t declared = uint32_t{data[0]} | uint32_t{data[1]} << 8 |
                                 uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24;
    if (block.size() != declared) fail("unpacked length differs from the declared one");
    if (envelope::unpack(envelope::pack(block), MaxLength) != block)
        fail("a repacked block unpacks differently");
    return 0;
}
