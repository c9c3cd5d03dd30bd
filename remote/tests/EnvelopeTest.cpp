#include "remote/Envelope.h"

#include "RemoteTestSupport.h"
#include "entity/Error.h"

#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <zlib.h>

using namespace corvo;
using namespace corvo::remote;
using namespace corvo::remote::test;

namespace {

Bytes noise(std::size_t size, unsigned seed)
{
    std::mt19937 gen(seed);
    Bytes out(size);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(gen() % 7); // compressible, yet not trivially
    return out;
}

class EnvelopeRoundTrip : public ::testing::TestWithParam<std::size_t> {};

TEST_P(EnvelopeRoundTrip, UnpacksToTheSameBlock)
{
    const Bytes block = noise(GetParam(), 7);
    const Bytes body = envelope::pack(block);
    EXPECT_EQ(Bytes(body.begin(), body.begin() + 4), words({uint32_t(block.size())}));
    EXPECT_EQ(envelope::unpack(body), block);
}

// 8: a bare header; the larger ones cross the growth steps of the inflater.
INSTANTIATE_TEST_SUITE_P(Sizes, EnvelopeRoundTrip,
                         ::testing::Values(0u, 8u, 65536u, 65537u, 3u << 20));

TEST(Envelope, BodyIsAPlainZlibStream)
{
    TvelDataBlock block;
    block.SetSignature(RequestBlock | action::CreateObject);
    writeValue(block, RemoteValue::string(u"{B8A7A5A1-0000-4000-8000-000000000001}"));
    const Bytes& whole = block.Memory();
    const Bytes body = envelope::pack(whole);

    Bytes inflated(whole.size());
    uLongf size = inflated.size();
    ASSERT_EQ(uncompress(inflated.data(), &size, body.data() + 4, body.size() - 4), Z_OK);
    EXPECT_EQ(inflated, whole);
}

// A connection that frees its objects from a destructor at a thread's (or the program's) end
// sends after the thread's own compressor is gone.
TEST(Envelope, PacksFromADestructorRunAfterTheThreadsCompressorIsGone)
{
    struct PacksWhenDestroyed {
        Bytes* out;
        ~PacksWhenDestroyed() { *out = envelope::pack(noise(1000, 3)); }
    };
    Bytes packed;
    std::thread([&] {
        thread_local PacksWhenDestroyed late{&packed}; // made first, so destroyed last
        envelope::pack(noise(10, 1));
    }).join();
    EXPECT_EQ(envelope::unpack(packed), noise(1000, 3));
}

} // namespace
