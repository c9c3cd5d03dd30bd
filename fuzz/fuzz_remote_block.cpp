// Any bytes as a received block: LoadBytes either refuses them or the values are read until the
// payload ends, each refused with corvo::Error or read. A value read and written again reads
// back equal.
#include "entity/Error.h"
#include "remote/TvelDataBlock.h"
#include "remote/VariantCodec.h"

#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_remote_block: %s\n", what);
    std::abort();
}

void checkRewrite(const corvo::remote::RemoteValue& value)
{
    using namespace corvo::remote;
    TvelDataBlock again;
    try {
        writeValue(again, value);
    } catch (const corvo::Error&) {
        return; // readable yet not writable: a dispatch passed directly by reference
    }
    const corvo::Bytes& bytes = again.Memory();
    TvelDataBlock reread;
    reread.SetSignature(ReplyBlock);
    reread.Write(bytes.data() + 8, bytes.size() - 8);
    if (!(readValue(reread) == value)) fail("a rewritten value reads back different");
    if (reread.ReadRemaining() != 0) fail("a rewritten value left bytes behind");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace corvo::remote;
    TvelDataBlock block;
    std::size_t payload = 0;
    try {
        payload = block.LoadBytes(data, size, CheckLength::Yes);
    } catch (const corvo::Error&) {
        if (block.PayloadSize() != 0) fail("a refused block changed the block");
        return 0;
    }
    if (payload + 8 != size) fail("accepted a block whose size disagrees");
    try {
        while (block.ReadRemaining() > 0) {
            const std::size_t before = block.ReadRemaining();
            const RemoteValue value = readValue(block);
            if (block.ReadRemaining() >= before) fail("a value consumed nothing");
            checkRewrite(value);
            try {
                (void)value.toVariant();
            } catch (const corvo::Error&) {
            }
        }
    } catch (const corvo::Error&) {
    }
    return 0;
}
