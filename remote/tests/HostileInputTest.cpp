// Received bytes a broken or hostile peer could send: each is refused with the specified
// message, and no declared length sizes an allocation before the bytes are there.
#include "RemoteTestSupport.h"
#include "entity/Error.h"
#include "remote/Envelope.h"

#include <gtest/gtest.h>
#include <ostream>

using namespace corvo;
using namespace corvo::remote;
using namespace corvo::remote::test;

namespace {

struct HostileValue {
    const char* name;
    Bytes payload;
};

void PrintTo(const HostileValue& c, std::ostream* os)
{
    *os << c.name;
}

class HostileValueTest : public ::testing::TestWithParam<HostileValue> {};

TEST_P(HostileValueTest, RaisesInvalidDataPacket)
{
    try {
        decode(GetParam().payload);
        FAIL() << "decoded";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data packet");
    }
}

Bytes deepReferences(int depth)
{
    Bytes out;
    for (int i = 0; i < depth; ++i)
        out = out + words({0x4000});
    return out + words({3, 1});
}

INSTANTIATE_TEST_SUITE_P(
    Values, HostileValueTest,
    ::testing::Values(
        HostileValue{"NoTypeWord", {1, 0}},
        HostileValue{"StringLengthFFFFFFF0", words({8, 0xFFFFFFF0, 0x00620061})},
        HostileValue{"StringLongerThanTheRest", words({8, 3, 0x00620061})},
        HostileValue{"Int32Cut", words({3}) + Bytes{1, 2}},
        HostileValue{"DispatchCut", words({9, 1, 2, 3})},
        HostileValue{"DimensionsFFFFFFFF", words({0x2011, 0xFFFFFFFF, 0, 0})},
        HostileValue{"NoDimensions", words({0x2011, 0, 0})},
        HostileValue{"BoundsCut", words({0x2011, 2, 0, 0, 0})},
        HostileValue{"HugeBoundsRaw", words({0x2011, 1, 0, 0x7FFFFFFF, 0x80000000})},
        HostileValue{"HugeBoundsTwoDims", words({0x2003, 2, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFC})},
        HostileValue{"InvertedBounds", words({0x2011, 1, 5, 3, 0})},
        HostileValue{"ByteCountMismatch", words({0x2011, 1, 0, 3, 5, 0, 0})},
        HostileValue{"ByteCountPastTheEnd", words({0x2011, 1, 0, 15, 16, 0})},
        HostileValue{"HugeElementWiseCount", words({0x200C, 1, 0, 0x3FFFFFFF, 1, 1})},
        HostileValue{"ElementWiseCut", words({0x2008, 1, 0, 1, 8, 0})},
        HostileValue{"StringArrayHoldingAnInteger", words({0x2008, 1, 0, 0, 3, 1})},
        HostileValue{"ReferencesNestedTooDeep", deepReferences(MaxValueNesting + 1)},
        HostileValue{
            "ArraysNestedTooDeep",
            [] {
                Bytes out;
                for (int i = 0; i <= MaxValueNesting; ++i)
                    out = out + words({0x200C, 1, 0, 0});
                return out + words({1});
            }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostileInput, ReferencesWithinTheNestingLimitAreRead)
{
    EXPECT_EQ(decode(deepReferences(MaxValueNesting)).toInt64(), 1);
}

TEST(HostileInput, LimitsAreConfigurable)
{
    CodecLimits tight;
    tight.maxStringUnits = 1;
    tight.maxElements = 2;
    tight.maxDimensions = 1;
    EXPECT_THROW(decode(encode(RemoteValue::string(u"ab")), tight), Error);
    EXPECT_THROW(decode(encode(RemoteValue::byteArray({1, 2, 3})), tight), Error);
    EXPECT_THROW(decode(encode(RemoteValue::rawArray(vt::Byte, {{0, 0}, {0, 0}}, {1})), tight),
                 Error);
    EXPECT_EQ(decode(encode(RemoteValue::byteArray({1, 2})), tight),
              RemoteValue::byteArray({1, 2}));
}

// Each four-byte empty value decodes into far more memory: the count is kept over every read
// of one block, so neither one huge array nor many small reads can flood the memory.
TEST(HostileInput, DecodedValuesAreBoundedOverTheWholeBlock)
{
    CodecLimits tight;
    tight.maxValues = 4;
    EXPECT_EQ(decode(words({0x200C, 1, 0, 2, 0, 0, 0}), tight).elements().size(), 3u);
    EXPECT_THROW(decode(words({0x200C, 1, 0, 3, 0, 0, 0, 0}), tight), Error);

    const Bytes empties = words({0, 0, 0, 0, 0});
    TvelDataBlock block = received(empties);
    for (int i = 0; i < 4; ++i)
        readValue(block, tight);
    EXPECT_THROW(readValue(block, tight), Error);
    // A block loaded anew starts its count afresh.
    block = received(empties);
    EXPECT_NO_THROW(readValue(block, tight));
}

// Every prefix of a valid request: refused whole by LoadBytes, and, with its header mended to
// the bytes that are there, its values refused where the cut falls.
TEST(HostileInput, TruncatedAtEveryLength)
{
    const Bytes golden = readGolden("invoke_request.bin");
    for (std::size_t length = 0; length < golden.size(); ++length) {
        SCOPED_TRACE(length);
        TvelDataBlock block;
        EXPECT_THROW(block.LoadBytes(golden.data(), length, CheckLength::Yes), Error);
        if (length < 8) continue;

        Bytes mended(golden.begin(), golden.begin() + length);
        const Bytes size = words({uint32_t(length - 8)});
        std::copy(size.begin(), size.end(), mended.begin() + 4);
        block.LoadBytes(mended.data(), mended.size(), CheckLength::Yes);
        try {
            readObjectId(block);
            for (int i = 0; i < 6; ++i)
                readValue(block);
            FAIL() << "a cut block read in full";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Invalid data packet");
        }
    }
}

struct HostileBody {
    const char* name;
    Bytes body;
};

void PrintTo(const HostileBody& c, std::ostream* os)
{
    *os << c.name;
}

class HostileEnvelope : public ::testing::TestWithParam<HostileBody> {};

TEST_P(HostileEnvelope, RaisesInvalidDataPacket)
{
    try {
        envelope::unpack(GetParam().body);
        FAIL() << "unpacked";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data packet");
    }
}

Bytes withLength(Bytes body, uint32_t length)
{
    const Bytes word = words({length});
    std::copy(word.begin(), word.end(), body.begin());
    return body;
}

const Bytes SomeBlock = words({0xDB02, 8, 0x3, 0});
const Bytes Packed = envelope::pack(SomeBlock);

INSTANTIATE_TEST_SUITE_P(
    Bodies, HostileEnvelope,
    ::testing::Values(HostileBody{"Empty", {}}, HostileBody{"LengthCut", {16, 0, 0}},
                      HostileBody{"NoStream", words({16})},
                      HostileBody{"Declares4GiB", withLength(Packed, 0xFFFFFFFF)},
                      HostileBody{"DeclaresFFFFFFF0", withLength(Packed, 0xFFFFFFF0)},
                      HostileBody{"DeclaresMoreThanInflates", withLength(Packed, 17)},
                      HostileBody{"DeclaresWithinLimitButFarMore", withLength(Packed, 200u << 20)},
                      HostileBody{"InflatesMoreThanDeclared", withLength(Packed, 15)},
                      HostileBody{"DeclaresZero", withLength(Packed, 0)},
                      HostileBody{"StreamCut", Bytes(Packed.begin(), Packed.end() - 3)},
                      HostileBody{"TrailingBytes", Packed + Bytes{0}},
                      HostileBody{"Garbage", words({16, 0xDEADBEEF, 0x12345678, 0x9ABCDEF0})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostileInput, EnvelopeLimitIsConfigurable)
{
    EXPECT_THROW(envelope::unpack(Packed, 15), Error);
    EXPECT_EQ(envelope::unpack(Packed, 16), SomeBlock);
}

} // namespace
