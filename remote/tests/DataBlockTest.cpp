#include "RemoteTestSupport.h"
#include "entity/Error.h"

#include <gtest/gtest.h>
#include <ostream>

using namespace corvo;
using namespace corvo::remote;
using namespace corvo::remote::test;

namespace {

const ObjectId GoldenId = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
                           0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F};

TEST(DataBlock, InvokeRequestMatchesGolden)
{
    TvelDataBlock block;
    writeObjectId(block, GoldenId);
    writeValue(block, RemoteValue::int32(7));      // DispID
    writeValue(block, RemoteValue::int32(1));      // invoke flags: method
    writeValue(block, RemoteValue::boolean(true)); // result wanted
    writeValue(block, RemoteValue::int32(1));      // arguments
    writeValue(block, RemoteValue::int32(0));      // named arguments
    writeValue(block, RemoteValue::byteArray({0x50, 0x4B, 0x01}).byRef());
    block.SetSignature(RequestBlock | action::Invoke);
    EXPECT_EQ(block.Memory(), readGolden("invoke_request.bin"));
}

TEST(DataBlock, InvokeReplyReadsInOrder)
{
    const Bytes golden = readGolden("invoke_reply.bin");
    TvelDataBlock block;
    EXPECT_EQ(block.LoadBytes(golden.data(), golden.size(), CheckLength::Yes), golden.size() - 8);
    EXPECT_EQ(block.Signature(), ReplyBlock | action::Invoke);
    EXPECT_EQ(readValue(block).toInt64(), 0); // status
    const RemoteValue packet = readValue(block);
    EXPECT_EQ(packet.reference(), Reference::Variant);
    EXPECT_EQ(packet.toVariant().asBytes(), (Bytes{0x50, 0x4B, 0x02, 0x03}));
    const RemoteValue result = readValue(block);
    EXPECT_EQ(result.type(), vt::Boolean);
    EXPECT_TRUE(result.toBool());
    EXPECT_EQ(block.ReadRemaining(), 0u);
    EXPECT_EQ(block.Memory(), golden);
}

TEST(DataBlock, HeaderTracksThePayload)
{
    TvelDataBlock block;
    EXPECT_EQ(block.HeaderSize(), 8);
    EXPECT_EQ(block.PayloadSize(), 0u);
    writeUInt32(block, 0xA1B2C3D4);
    block.SetSignature(ReplyBlock | action::FreeObject);
    EXPECT_EQ(block.Memory(), words({0xDB05, 4, 0xA1B2C3D4}));
    EXPECT_EQ(block.Signature(), 0xDB05u);

    block.SetPayloadSize(12);
    EXPECT_EQ(block.Memory().size(), 20u);
    EXPECT_EQ(readUInt32(block), 0xA1B2C3D4u);

    block.Clear();
    EXPECT_EQ(block.PayloadSize(), 0u);
    EXPECT_EQ(block.ReadPosition(), 8u);
    EXPECT_EQ(block.WritePosition(), 8u);
    EXPECT_EQ(block.Signature(), 0xDB05u) << "Clear keeps the signature";
}

TEST(DataBlock, ReadPastTheEndRaisesAndReadsNothing)
{
    TvelDataBlock block;
    writeUInt32(block, 5);
    uint8_t buffer[8] = {};
    EXPECT_THROW(block.Read(buffer, 5), Error);
    EXPECT_EQ(block.ReadPosition(), 8u);
    EXPECT_EQ(readUInt32(block), 5u);
}

TEST(DataBlock, TakeStreamMovesTheBlockOutAndLeavesItEmpty)
{
    TvelDataBlock block;
    block.SetSignature(RequestBlock | action::CreateObject);
    writeValue(block, RemoteValue::string(u"{X}"));
    const Bytes sent = block.TakeStream();
    EXPECT_EQ(sent.size(), 8u + 4 + 4 + 6);
    EXPECT_EQ(sent[4], 14);
    EXPECT_EQ(block.Memory(), Bytes(8, 0));
}

TEST(DataBlock, LoadBytesAcceptsABareReply)
{
    const Bytes bare = words({0xDB05, 0});
    TvelDataBlock block;
    EXPECT_EQ(block.LoadBytes(bare.data(), bare.size(), CheckLength::Yes), 0u);
    EXPECT_EQ(block.Signature(), 0xDB05u);
    EXPECT_EQ(block.ReadRemaining(), 0u);
}

struct Refusal {
    const char* name;
    Bytes bytes;
};

void PrintTo(const Refusal& c, std::ostream* os)
{
    *os << c.name;
}

class LoadBytesRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(LoadBytesRefusal, RaisesInvalidDataPacketAndKeepsTheBlock)
{
    for (CheckLength check : {CheckLength::Yes, CheckLength::No}) {
        TvelDataBlock block;
        block.SetSignature(RequestBlock | action::GetDispID);
        writeUInt32(block, 77);
        const Bytes before = block.Memory();
        try {
            block.LoadBytes(GetParam().bytes.data(), GetParam().bytes.size(), check);
            FAIL() << "accepted";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Invalid data packet");
        }
        EXPECT_EQ(block.Memory(), before);
        EXPECT_EQ(readUInt32(block), 77u);
    }
}

INSTANTIATE_TEST_SUITE_P(Received, LoadBytesRefusal,
                         ::testing::Values(Refusal{"Empty", {}}, Refusal{"SevenBytes", Bytes(7, 0)},
                                           Refusal{"WrongSignature", words({0x1205, 0})},
                                           Refusal{"HalfTheKindBits",
                                                   words({0xDA00 & ~0x0800u, 0})},
                                           Refusal{"SizeOneLess", words({0xDB02, 3, 0})},
                                           Refusal{"SizeOneMore", words({0xDB02, 5, 0})},
                                           Refusal{"SizeHuge", words({0xDB02, 0xFFFFFFF0, 0})}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DataBlock, LoadBytesRefusesAPayloadOverTheLimit)
{
    const Bytes block16 = words({0xDB02, 8, 1, 2});
    TvelDataBlock block(4);
    EXPECT_THROW(block.LoadBytes(block16.data(), block16.size(), CheckLength::Yes), Error);
}

} // namespace
