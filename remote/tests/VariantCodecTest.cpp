#include "RemoteTestSupport.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "remote/RemoteValue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>

using namespace corvo;
using namespace corvo::remote;
using namespace corvo::remote::test;

namespace {

const ObjectId SomeId = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

TEST(VariantCodec, StringMatchesGolden)
{
    const RemoteValue ab = RemoteValue::string(u"ab");
    EXPECT_EQ(encode(ab), readGolden("string_ab.bin"));
    EXPECT_EQ(decode(readGolden("string_ab.bin")), ab);
}

TEST(VariantCodec, PacketByReferenceMatchesGolden)
{
    const Bytes packet = {0x50, 0x4B, 0x01};
    const RemoteValue value = RemoteValue::fromVariant(Variant(packet)).byRef();
    EXPECT_EQ(encode(value), readGolden("packet_byref.bin"));

    const RemoteValue back = decode(readGolden("packet_byref.bin"));
    EXPECT_EQ(back.reference(), Reference::Variant);
    ASSERT_TRUE(back.isByteArray());
    EXPECT_EQ(back.toVariant().asBytes(), packet);
}

struct ScalarCase {
    const char* name;
    RemoteValue value;
    Bytes expected; ///< after the type word
};

void PrintTo(const ScalarCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScalarRoundTrip : public ::testing::TestWithParam<ScalarCase> {};

TEST_P(ScalarRoundTrip, EncodesExactlyAndReadsBack)
{
    const ScalarCase& c = GetParam();
    EXPECT_EQ(encode(c.value), words({c.value.type()}) + c.expected);
    TvelDataBlock block = received(encode(c.value));
    EXPECT_EQ(readValue(block), c.value);
    EXPECT_EQ(block.ReadRemaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryTypeCode, ScalarRoundTrip,
    ::testing::Values(
        ScalarCase{"Empty", RemoteValue(), {}}, ScalarCase{"Null", RemoteValue::null(), {}},
        ScalarCase{"Int16", RemoteValue::int16(-2), {0xFE, 0xFF}},
        ScalarCase{"Int32", RemoteValue::int32(0x01020304), {4, 3, 2, 1}},
        ScalarCase{"Single", RemoteValue::single(1.0f), {0, 0, 0x80, 0x3F}},
        ScalarCase{"Double", RemoteValue::real(2.0), {0, 0, 0, 0, 0, 0, 0, 0x40}},
        ScalarCase{"Currency", RemoteValue::currency(12345), {0x39, 0x30, 0, 0, 0, 0, 0, 0}},
        ScalarCase{"Date", RemoteValue::date(1.5), {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
        ScalarCase{"String", RemoteValue::string(u"张"), {1, 0, 0, 0, 0x20, 0x5F}},
        ScalarCase{"EmptyString", RemoteValue::string(u""), {0, 0, 0, 0}},
        ScalarCase{"Dispatch", RemoteValue::dispatch(SomeId), Bytes(SomeId.begin(), SomeId.end())},
        ScalarCase{"Error", RemoteValue::errorCode(int32_t(0x80020009)), {9, 0, 2, 0x80}},
        ScalarCase{"True", RemoteValue::boolean(true), {0xFF, 0xFF}},
        ScalarCase{"False", RemoteValue::boolean(false), {0, 0}},
        ScalarCase{"Int8", RemoteValue::int8(-1), {0xFF}},
        ScalarCase{"Byte", RemoteValue::byte(200), {200}},
        ScalarCase{"UInt16", RemoteValue::uint16(0xABCD), {0xCD, 0xAB}},
        ScalarCase{"UInt32", RemoteValue::uint32(0xDEADBEEF), {0xEF, 0xBE, 0xAD, 0xDE}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ArrayCase {
    const char* name;
    RemoteValue value;
};

void PrintTo(const ArrayCase& c, std::ostream* os)
{
    *os << c.name;
}

class ArrayRoundTrip : public ::testing::TestWithParam<ArrayCase> {};

TEST_P(ArrayRoundTrip, ReadsBackEqual)
{
    const RemoteValue& value = GetParam().value;
    TvelDataBlock block = received(encode(value));
    const RemoteValue back = readValue(block);
    EXPECT_EQ(back, value);
    EXPECT_EQ(back.typeWord(), vt::ArrayFlag | value.type());
    EXPECT_EQ(block.ReadRemaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    RawAndElementWise, ArrayRoundTrip,
    ::testing::Values(
        ArrayCase{"Int32OneDim", RemoteValue::rawArray(vt::Int32, {{1, 2}}, words({7, 8}))},
        ArrayCase{"Int16TwoDims",
                  RemoteValue::rawArray(vt::Int16, {{0, 1}, {-1, 1}}, Bytes(12, 0x5A))},
        ArrayCase{"EmptyBytes", RemoteValue::byteArray({})},
        ArrayCase{"BooleanRaw", RemoteValue::rawArray(vt::Boolean, {{0, 0}}, {0xFF, 0xFF})},
        ArrayCase{"Strings",
                  RemoteValue::valueArray(vt::String, {{0, 1}},
                                          {RemoteValue::string(u"甲"), RemoteValue::string(u"")})},
        ArrayCase{"VariantsTwoDims",
                  RemoteValue::valueArray(vt::Variant, {{0, 1}, {0, 1}},
                                          {RemoteValue::null(), RemoteValue::int32(5),
                                           RemoteValue::string(u"x"),
                                           RemoteValue::byteArray({1, 2, 3})})},
        ArrayCase{"ErrorCodesValueByValue",
                  RemoteValue::valueArray(vt::Error, {{0, 0}}, {RemoteValue::errorCode(-1)})},
        ArrayCase{"Dispatches", RemoteValue::valueArray(vt::Dispatch, {{0, 0}},
                                                        {RemoteValue::dispatch(SomeId)})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VariantCodec, ElementWiseArrayWritesHeaderThenEachValueInOrder)
{
    const RemoteValue strings = RemoteValue::valueArray(
        vt::String, {{0, 0}, {3, 4}}, {RemoteValue::string(u"a"), RemoteValue::string(u"b")});
    EXPECT_EQ(encode(strings), words({0x2008, 2, 0, 3, 0, 4}) + encode(strings.elements()[0]) +
                                   encode(strings.elements()[1]));
}

TEST(VariantCodec, DirectReferenceKeepsTheBitInTheTypeWord)
{
    const RemoteValue value = RemoteValue::int32(9).byRef(Reference::Direct);
    EXPECT_EQ(encode(value), words({0x4003, 9}));
    const RemoteValue back = decode(words({0x4003, 9}));
    EXPECT_EQ(back.reference(), Reference::Direct);
    EXPECT_EQ(back.toInt64(), 9);
}

TEST(VariantCodec, VariantReferenceWrapsTheFullValue)
{
    const RemoteValue value = RemoteValue::dispatch(SomeId).byRef(Reference::Variant);
    const Bytes bytes = encode(value);
    EXPECT_EQ(bytes, words({0x4000, 9}) + Bytes(SomeId.begin(), SomeId.end()));
    EXPECT_EQ(decode(bytes), value);
}

struct UnsupportedCase {
    const char* name;
    RemoteValue value;
    const char* message;
};

void PrintTo(const UnsupportedCase& c, std::ostream* os)
{
    *os << c.name;
}

class UnsupportedWrite : public ::testing::TestWithParam<UnsupportedCase> {};

TEST_P(UnsupportedWrite, RaisesWithTheTypeWordAndWritesNothing)
{
    TvelDataBlock block;
    writeValue(block, RemoteValue::int32(1));
    const std::size_t before = block.WritePosition();
    try {
        writeValue(block, GetParam().value);
        FAIL() << "written";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
    EXPECT_EQ(block.WritePosition(), before);
    EXPECT_EQ(block.PayloadSize(), before - TvelDataBlock::ReservedHeaderSize);
}

INSTANTIATE_TEST_SUITE_P(
    Refused, UnsupportedWrite,
    ::testing::Values(
        UnsupportedCase{"Interface", RemoteValue::opaque(vt::Unknown),
                        "Unsupported variant type: 000D"},
        UnsupportedCase{"DispatchByReference",
                        RemoteValue::dispatch(SomeId).byRef(Reference::Direct),
                        "Unsupported variant type: 4009"},
        UnsupportedCase{"VariantNotByReference", RemoteValue::opaque(vt::Variant),
                        "Unsupported variant type: 000C"},
        UnsupportedCase{"Int64", RemoteValue::opaque(vt::Int64), "Unsupported variant type: 0014"},
        UnsupportedCase{"InterfaceInsideAReference",
                        RemoteValue::opaque(vt::Unknown).byRef(Reference::Variant),
                        "Unsupported variant type: 000D"},
        UnsupportedCase{
            "InterfaceInsideAnArray",
            RemoteValue::valueArray(vt::Variant, {{0, 1}},
                                    {RemoteValue::int32(1), RemoteValue::opaque(vt::Unknown)}),
            "Unsupported variant type: 000D"},
        UnsupportedCase{"ArrayOfInterfaces", RemoteValue::valueArray(vt::Unknown, {{0, -1}}, {}),
                        "Unsupported variant type: 200D"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VariantCodec, ReadingRefusesInterfacesAndUnknownTypes)
{
    for (const auto& [word, message] : {std::pair{0x000Du, "Unsupported variant type: 000D"},
                                        std::pair{0x200Du, "Unsupported variant type: 200D"},
                                        std::pair{0x400Du, "Unsupported variant type: 400D"},
                                        std::pair{0x0014u, "Unsupported variant type: 0014"},
                                        std::pair{0x1003u, "Unsupported variant type: 1003"}}) {
        SCOPED_TRACE(message);
        try {
            decode(words({word, 0, 0, 0, 0}));
            FAIL() << "read";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST(RemoteValue, ToVariant)
{
    EXPECT_TRUE(RemoteValue().toVariant().isNull());
    EXPECT_TRUE(RemoteValue::null().toVariant().isNull());
    EXPECT_EQ(RemoteValue::int16(-3).toVariant().asInteger(), -3);
    EXPECT_EQ(RemoteValue::uint32(0xFFFFFFFF).toVariant().asInteger(), 0xFFFFFFFFll);
    EXPECT_TRUE(RemoteValue::boolean(true).toVariant().asBool());
    EXPECT_DOUBLE_EQ(RemoteValue::single(0.5f).toVariant().asFloat(), 0.5);
    const Decimal money = RemoteValue::currency(-12345).toVariant().asDecimal();
    EXPECT_EQ(money.toString(), "-1.2345");
    EXPECT_EQ(RemoteValue::date(45000.25).toVariant().asDateTime().days, 45000.25);
    EXPECT_EQ(RemoteValue::string(u"张三").toVariant().asString(), gbk::fromUtf8("张三"));
    EXPECT_THROW(RemoteValue::dispatch(SomeId).toVariant(), Error);
    EXPECT_THROW(RemoteValue::rawArray(vt::Int32, {{0, 0}}, words({1})).toVariant(), Error);
}

TEST(RemoteValue, FromVariant)
{
    EXPECT_EQ(RemoteValue::fromVariant(Variant()), RemoteValue::null());
    EXPECT_EQ(RemoteValue::fromVariant(Variant(true)), RemoteValue::boolean(true));
    EXPECT_EQ(RemoteValue::fromVariant(Variant(-7)), RemoteValue::int32(-7));
    EXPECT_EQ(RemoteValue::fromVariant(Variant(1.25)), RemoteValue::real(1.25));
    EXPECT_EQ(RemoteValue::fromVariant(Variant(Decimal{125, 2})), RemoteValue::currency(12500));
    EXPECT_EQ(RemoteValue::fromVariant(Variant(Decimal{1, 6})), RemoteValue::real(0.000001));
    EXPECT_EQ(RemoteValue::fromVariant(Variant(DateTime{3.5})), RemoteValue::date(3.5));
    EXPECT_EQ(RemoteValue::fromVariant(Variant(gbk::fromUtf8("张三"))),
              RemoteValue::string(u"张三"));
    EXPECT_EQ(RemoteValue::fromVariant(Variant(Bytes{1, 2})), RemoteValue::byteArray({1, 2}));
    try {
        RemoteValue::fromVariant(Variant(int64_t{1} << 40));
        FAIL() << "converted";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Unsupported variant type: 0014");
    }
}

TEST(RemoteValue, ArraysRefuseBoundsThatDoNotFitTheirElements)
{
    EXPECT_THROW(RemoteValue::rawArray(vt::Int32, {{0, 1}}, words({1})), Error);
    EXPECT_THROW(RemoteValue::valueArray(vt::String, {{0, 1}}, {}), Error);
    EXPECT_THROW(RemoteValue::rawArray(vt::String, {{0, 0}}, {}), Error);
}

} // namespace
