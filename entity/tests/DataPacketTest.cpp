#include "TestTables.h"
#include "entity/Error.h"
#include "entity/Guid.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <sstream>

using namespace corvo;
using namespace corvo::test;
using ::testing::HasSubstr;

namespace {

// ---------------------------------------------------------------------------------------
// The packet layout written out by hand, independent of the codec under test.

template <typename T> void put(Bytes& out, T value)
{
    uint8_t raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    out.insert(out.end(), raw, raw + sizeof(T)); // the test machine is little-endian
}

template <typename T> Bytes values(std::initializer_list<T> list)
{
    Bytes out;
    for (T v : list)
        put(out, v);
    return out;
}

/// A variable-length column body: one u32 length per row, then the values back to back.
Bytes texts(std::initializer_list<std::string> list)
{
    Bytes out;
    for (const std::string& t : list)
        put(out, static_cast<uint32_t>(t.size()));
    for (const std::string& t : list)
        out.insert(out.end(), t.begin(), t.end());
    return out;
}

Bytes lengthsThen(std::initializer_list<uint32_t> lengths, std::string data)
{
    Bytes out;
    for (uint32_t n : lengths)
        put(out, n);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

struct ColumnSpec {
    std::string name;
    uint8_t type;
    int32_t size;
    Bytes bitmap; ///< bit i set: row i is Null
    Bytes body;
    uint8_t required = 0;
};

struct PacketSpec {
    std::string magic = "CVDP";
    uint16_t version = 1;
    uint16_t flags = 0;
    std::optional<uint32_t> fieldCount; ///< defaults to the number of columns
    uint32_t rows = 0;
    std::vector<ColumnSpec> columns;
    Bytes trailing;
};

Bytes layout(const PacketSpec& p)
{
    Bytes out(p.magic.begin(), p.magic.end());
    put(out, p.version);
    put(out, p.flags);
    put(out, p.fieldCount.value_or(static_cast<uint32_t>(p.columns.size())));
    put(out, p.rows);
    for (const ColumnSpec& c : p.columns) {
        put(out, static_cast<uint8_t>(c.name.size()));
        out.insert(out.end(), c.name.begin(), c.name.end());
        put(out, c.type);
        put(out, c.size);
        put(out, c.required);
    }
    for (const ColumnSpec& c : p.columns) {
        out.insert(out.end(), c.bitmap.begin(), c.bitmap.end());
        out.insert(out.end(), c.body.begin(), c.body.end());
    }
    out.insert(out.end(), p.trailing.begin(), p.trailing.end());
    return out;
}

/// Two rows, one column per kind of check the decoder makes.
PacketSpec smallPacket()
{
    PacketSpec p;
    p.rows = 2;
    p.columns = {
        {"Code", 1, 10, {0x00}, texts({"A1", "B"})},
        {"Qty", 5, 0, {0x02}, values<int32_t>({3, 0})},
        {"Flag", 7, 0, {0x00}, values<uint8_t>({1, 0})},
        {"Rate", 8, 0, {0x00}, values<double>({0.5, 2})},
        {"Day", 10, 0, {0x00}, values<double>({45293, 0})},
    };
    return p;
}

Bytes bytesOf(const Variant& v)
{
    return v.asBytes();
}

const std::string Guid00ToFF = "{00112233-4455-6677-8899-AABBCCDDEEFF}";

/// The table of the golden file: every fixed-width type, text and binary, with Nulls.
void buildGolden(TClientDataSet& ds)
{
    build(ds, {{"Code", FieldType::String, 4},
               {"Qty", FieldType::Integer},
               {"Small", FieldType::Smallint},
               {"Big", FieldType::Largeint},
               {"OK", FieldType::Boolean},
               {"Rate", FieldType::Float},
               {"Price", FieldType::BCD, 2},
               {"Day", FieldType::DateTime},
               {"ID", FieldType::Guid, 38},
               {"Note", FieldType::Blob}});
    addRow(ds, {"A1", "7", "-2", "5000000000", "1", "0.5", "1.5", "2024-01-02", Guid00ToFF,
                std::string("\x00\xff", 2)});
    addRow(ds, {G("张"), "-1", std::nullopt, std::nullopt, "0", std::nullopt, std::nullopt,
                std::nullopt, std::nullopt, std::nullopt});
    ds.Append();
    ds.FieldByName("Small").SetAsInteger(32767);
    ds.FieldByName("Big").SetAsInteger(-1);
    ds.FieldByName("Rate").SetAsFloat(-0.25);
    ds.FieldByName("Price").SetAsString("-0.01");
    ds.FieldByName("Day").SetAsFloat(0.5);
    ds.FieldByName("Note").SetAsVariant(Bytes{}); // empty, not Null
    ds.Post();
}

/// The golden table's packet, item by item.
Bytes goldenLayout()
{
    Bytes guid;
    for (int i = 0; i < 16; ++i)
        guid.push_back(static_cast<uint8_t>(i * 0x11));
    guid.resize(48, 0); // two Null rows: zero slots
    PacketSpec p;
    p.rows = 3;
    p.columns = {
        {"Code", 1, 4, {0x04}, lengthsThen({2, 2, 0}, "A1\xd5\xc5")},
        {"Qty", 5, 0, {0x04}, values<int32_t>({7, -1, 0})},
        {"Small", 4, 0, {0x02}, values<int16_t>({-2, 0, 32767})},
        {"Big", 6, 0, {0x02}, values<int64_t>({5000000000, 0, -1})},
        {"OK", 7, 0, {0x04}, values<uint8_t>({1, 0, 0})},
        {"Rate", 8, 0, {0x02}, values<double>({0.5, 0, -0.25})},
        {"Price", 9, 2, {0x02}, values<int64_t>({150, 0, -1})},
        {"Day", 10, 0, {0x02}, values<double>({45293, 0, 0.5})},
        {"ID", 14, 38, {0x06}, guid},
        {"Note", 13, 0, {0x02}, lengthsThen({2, 0, 0}, std::string("\x00\xff", 2))},
    };
    return layout(p);
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Everything a reader of the table can see, for "left exactly as it was".
struct Snapshot {
    bool active;
    DataSetState state;
    std::vector<std::string> names;
    Variant packet;
    int recNo;
    int recordCount;
    std::string filter;

    static Snapshot of(TClientDataSet& ds)
    {
        Snapshot s{ds.Active(), ds.State(), {}, {}, ds.RecNo(), ds.RecordCount(), ds.Filter()};
        for (int i = 0; i < ds.FieldCount(); ++i)
            s.names.push_back(ds.Fields(i).FieldName());
        s.packet = ds.Data();
        return s;
    }
    bool operator==(const Snapshot& o) const
    {
        return active == o.active && state == o.state && names == o.names && packet == o.packet &&
               recNo == o.recNo && recordCount == o.recordCount && filter == o.filter;
    }
};

void buildVictim(TClientDataSet& ds)
{
    build(ds, {{"Old", FieldType::String, 10}, {"N", FieldType::Integer}});
    addRow(ds, {"x", "1"});
    addRow(ds, {"y", "2"});
    addRow(ds, {"z", "3"});
    ds.SetFilter("N>='2'");
    ds.SetFiltered(true);
    ds.Last();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Golden file

TEST(DataPacketGolden, EncodesExactlyTheDocumentedBytes)
{
    const Bytes golden = readFile(CORVO_ENTITY_GOLDEN_DIR "/packet_v1.bin");
    ASSERT_FALSE(golden.empty()) << "missing golden file";
    EXPECT_EQ(golden, goldenLayout()) << "the file is the layout written out by hand";

    TClientDataSet ds;
    buildGolden(ds);
    EXPECT_EQ(bytesOf(ds.Data()), golden);
}

TEST(DataPacketGolden, DecodesTheDocumentedBytes)
{
    TClientDataSet ds;
    ds.SetData(Variant(readFile(CORVO_ENTITY_GOLDEN_DIR "/packet_v1.bin")));
    ASSERT_EQ(ds.FieldCount(), 10);
    EXPECT_EQ(ds.Fields(0).Size(), 4);
    EXPECT_EQ(ds.Fields(6).DataType(), FieldType::BCD);
    EXPECT_EQ(ds.Fields(6).Size(), 2);
    EXPECT_EQ(ds.Fields(8).DataType(), FieldType::Guid);
    ASSERT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.RecNo(), 1);

    using Row = std::vector<std::string>;
    const std::vector<Row> expected{
        {"A1", "7", "-2", "5000000000", "True", "0.5", "1.5", "2024-01-02", Guid00ToFF,
         std::string("\x00\xff", 2)},
        {G("张"), "-1", "", "", "False", "", "", "", "", ""},
        {"", "", "32767", "-1", "", "-0.25", "-0.01", "1899-12-30 12:00:00", "", ""},
    };
    std::vector<Row> rows;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        Row row;
        for (int f = 0; f < ds.FieldCount(); ++f)
            row.push_back(ds.Fields(f).AsString());
        rows.push_back(row);
    }
    EXPECT_EQ(rows, expected);
    ds.Last();
    EXPECT_FALSE(ds.FieldByName("Note").IsNull()) << "an empty Blob is not Null";
    EXPECT_TRUE(ds.FieldByName("ID").IsNull());
}

// ---------------------------------------------------------------------------------------
// Round trips

TEST(DataPacket, RoundTripKeepsStructureAndEveryRowOfEveryType)
{
    TClientDataSet source;
    build(source, {{"S", FieldType::String, 6},
                   {"W", FieldType::WideString, 3},
                   {"M", FieldType::Memo},
                   {"I16", FieldType::Smallint},
                   {"I32", FieldType::Integer},
                   {"I64", FieldType::Largeint},
                   {"B", FieldType::Boolean},
                   {"F", FieldType::Float},
                   {"D", FieldType::BCD, 4},
                   {"T", FieldType::DateTime},
                   {"Fix", FieldType::Bytes, 4},
                   {"Var", FieldType::VarBytes, 8},
                   {"Blob", FieldType::Blob},
                   {"G", FieldType::Guid, 38}});
    const std::string memo = G("备注") + std::string(70000, 'm');
    addRow(source, {G("张三"), G("李四五"), memo, "-32768", "2147483647", "-9223372036854775808",
                    "1", "3.14159", "-12.3456", "2024-02-29 23:59:59", "ab", "abc",
                    std::string("\0\1\2", 3), Guid00ToFF});
    addRow(source, {});
    addRow(source, {"shown", "x", "y", "1", "2", "3", "0", "-0", "0", "1900-01-01", "z", "z", "z",
                    std::string(EmptyGuidText)});
    source.AddIndex("Desc", "I32", IndexOrder::Descending);
    source.SetIndexName("Desc");
    source.SetFilter("B='0'");
    source.SetFiltered(true);
    ASSERT_EQ(source.RecordCount(), 1);

    const Variant packet = source.Data();
    TClientDataSet copy;
    copy.SetData(packet);

    ASSERT_EQ(copy.FieldCount(), source.FieldCount());
    for (int f = 0; f < source.FieldCount(); ++f) {
        SCOPED_TRACE(source.Fields(f).FieldName());
        EXPECT_EQ(copy.Fields(f).FieldName(), source.Fields(f).FieldName());
        EXPECT_EQ(copy.Fields(f).DataType(), source.Fields(f).DataType());
        EXPECT_EQ(copy.Fields(f).Size(), source.Fields(f).Size());
    }
    ASSERT_EQ(copy.RecordCount(), 3) << "rows hidden by the filter travel too";

    source.SetFiltered(false);
    source.SetIndexName("");
    source.First();
    for (copy.First(); !copy.Eof(); copy.Next(), source.Next()) {
        for (int f = 0; f < source.FieldCount(); ++f) {
            SCOPED_TRACE("row " + std::to_string(copy.RecNo()) + " " +
                         source.Fields(f).FieldName());
            EXPECT_EQ(copy.Fields(f).IsNull(), source.Fields(f).IsNull());
            EXPECT_EQ(copy.Fields(f).AsString(), source.Fields(f).AsString());
            EXPECT_TRUE(copy.Fields(f).AsVariant() == source.Fields(f).AsVariant());
        }
    }
    EXPECT_EQ(copy.Data(), packet) << "the copy writes back the same packet";
}

TEST(DataPacket, RoundTripAcrossManyRowsAndDeletedOnes)
{
    // Null bitmaps span several bytes and words; deleted rows leave gaps in the storage.
    TClientDataSet source;
    build(source, {{"N", FieldType::Integer}, {"S", FieldType::String, 8}});
    std::vector<std::string> expectN, expectS;
    for (int i = 0; i < 150; ++i) {
        const std::string n = i % 3 ? std::to_string(i) : "";
        const std::string s = i % 5 ? "s" + std::to_string(i) : "";
        addRow(source, {n, s});
        if (i % 7 == 0) continue; // deleted below
        expectN.push_back(n);
        expectS.push_back(s);
    }
    TClientDataSet copy;
    copy.SetData(source.Data());
    EXPECT_EQ(copy.RecordCount(), 150);

    source.First();
    for (int i = 0; i < 150; ++i)
        if (i % 7 == 0)
            source.Delete();
        else
            source.Next();
    copy.SetData(source.Data());
    EXPECT_EQ(column(copy, "N"), expectN);
    EXPECT_EQ(column(copy, "S"), expectS);
    EXPECT_EQ(copy.Data(), source.Data());
}

TEST(DataPacket, CopyingATableGivesWhatItsPacketGives)
{
    // Rewritten texts leave old bytes in the storage, deleted rows leave gaps, a pending edit
    // is part of the table: the copy must equal the packet's table in each case.
    TClientDataSet source;
    build(source, {{"N", FieldType::Integer}, {"S", FieldType::String, 8}});
    for (int i = 0; i < 40; ++i)
        addRow(source, {std::to_string(i), i % 4 ? "s" + std::to_string(i) : ""});
    source.First();
    source.Edit();
    source.FieldByName("S").SetAsString("rewrite");
    for (bool withDeleted : {false, true}) {
        if (withDeleted) {
            source.SetRecNo(5);
            source.Delete();
        }
        TClientDataSet viaPacket, direct;
        viaPacket.SetData(source.Data());
        source.Edit();
        source.FieldByName("N").SetAsString("99");
        direct.CopyDataFrom(source);
        viaPacket.SetData(source.Data());
        EXPECT_EQ(direct.Data(), viaPacket.Data()) << withDeleted;
        EXPECT_EQ(direct.RecordCount(), source.RecordCount());
        EXPECT_EQ(direct.RecNo(), 1);
    }
    TClientDataSet closed;
    TClientDataSet target;
    target.CopyDataFrom(source);
    target.CopyDataFrom(closed);
    EXPECT_FALSE(target.Active());
}

TEST(DataPacket, WritingDataOpensOnTheFirstRow)
{
    TClientDataSet source;
    buildNumbered(source, 3);
    TClientDataSet target;
    buildNumbered(target, 5);
    target.Last();
    target.Edit();
    target.SetData(source.Data());
    EXPECT_EQ(target.State(), DataSetState::Browse);
    EXPECT_EQ(target.RecNo(), 1);
    EXPECT_TRUE(target.Bof());
    EXPECT_EQ(current(target, "Key"), "1");
    EXPECT_EQ(column(target, "Key"), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(DataPacket, ReadingDataEndsThePendingEdit)
{
    TClientDataSet ds;
    buildNumbered(ds, 1);
    ds.Append();
    ds.FieldByName("Key").SetAsString("2");
    const Variant packet = ds.Data();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    TClientDataSet copy;
    copy.SetData(packet);
    EXPECT_EQ(column(copy, "Key"), (std::vector<std::string>{"1", "2"}));
}

TEST(DataPacket, NullStandsForATableWithoutStructure)
{
    TClientDataSet never;
    EXPECT_TRUE(never.Data().isNull());

    TClientDataSet other;
    other.SetData(never.Data());
    EXPECT_FALSE(other.Active());
    EXPECT_EQ(other.State(), DataSetState::Inactive);

    TClientDataSet open;
    buildNumbered(open, 2);
    open.SetData(Variant());
    EXPECT_FALSE(open.Active());
    EXPECT_EQ(open.FieldCount(), 0);
    EXPECT_EQ(open.RecordCount(), 0);
    EXPECT_TRUE(open.Data().isNull());
}

TEST(DataPacket, NestsByteExactlyAsABlobValue)
{
    TClientDataSet inner;
    buildGolden(inner);
    const Bytes innerPacket = bytesOf(inner.Data());

    TClientDataSet outer;
    build(outer, {{"Name", FieldType::String, 30}, {"Data", FieldType::Blob}});
    outer.Append();
    outer.FieldByName("Name").SetAsString("TMaster");
    std::istringstream stream(std::string(innerPacket.begin(), innerPacket.end()));
    outer.FieldByName("Data").LoadFromStream(stream);
    outer.Post();

    TClientDataSet received;
    received.SetData(outer.Data());
    std::ostringstream out;
    received.FieldByName("Data").SaveToStream(out);
    const std::string nested = out.str();
    EXPECT_EQ(Bytes(nested.begin(), nested.end()), innerPacket);

    TClientDataSet unpacked;
    unpacked.SetData(received.FieldByName("Data").AsVariant());
    EXPECT_EQ(bytesOf(unpacked.Data()), innerPacket);
}

TEST(DataPacket, StreamsHoldExactlyThePacket)
{
    TClientDataSet ds;
    buildGolden(ds);
    std::stringstream stream;
    ds.SaveToStream(stream);
    const std::string written = stream.str();
    EXPECT_EQ(Bytes(written.begin(), written.end()), bytesOf(ds.Data()));

    TClientDataSet loaded;
    buildNumbered(loaded, 2);
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.Data(), ds.Data());
    EXPECT_EQ(loaded.RecNo(), 1);

    // A table without structure writes nothing, and reading nothing closes a table.
    TClientDataSet closed;
    std::stringstream none;
    closed.SaveToStream(none);
    EXPECT_TRUE(none.str().empty());
    loaded.LoadFromStream(none);
    EXPECT_FALSE(loaded.Active());
}

// ---------------------------------------------------------------------------------------
// Malformed packets

TEST(DataPacketMalformed, TheSmallPacketItselfIsValid)
{
    TClientDataSet ds;
    ds.SetData(Variant(layout(smallPacket())));
    EXPECT_EQ(column(ds, "Code"), (std::vector<std::string>{"A1", "B"}));
    EXPECT_EQ(column(ds, "Qty"), (std::vector<std::string>{"3", ""}));
    EXPECT_EQ(column(ds, "Day"), (std::vector<std::string>{"2024-01-02", "1899-12-30"}));
    EXPECT_EQ(bytesOf(ds.Data()), layout(smallPacket()));
}

struct BadPacket {
    const char* what;
    std::function<void(PacketSpec&)> spoil;
};

class DataPacketMalformed : public ::testing::TestWithParam<BadPacket> {};

TEST_P(DataPacketMalformed, IsRefusedAndLeavesTheTableAsItWas)
{
    PacketSpec packet = smallPacket();
    GetParam().spoil(packet);
    const Bytes bad = layout(packet);

    TClientDataSet ds;
    buildVictim(ds);
    const Snapshot before = Snapshot::of(ds);
    try {
        ds.SetData(Variant(bad));
        ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("数据包损坏"));
    }
    EXPECT_TRUE(Snapshot::of(ds) == before);
    EXPECT_EQ(column(ds, "Old"), (std::vector<std::string>{"y", "z"}));
}

const double NaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Cases, DataPacketMalformed,
    ::
        testing::
            Values(
                BadPacket{"WrongMagic", [](PacketSpec& p) { p.magic = "CVDQ"; }},
                BadPacket{"Version2", [](PacketSpec& p) { p.version = 2; }},
                BadPacket{"FlagsSet", [](PacketSpec& p) { p.flags = 1; }},
                BadPacket{"NoFields", [](PacketSpec& p) { p.fieldCount = 0; }},
                BadPacket{"MoreFieldsThanDefined", [](PacketSpec& p) { p.fieldCount = 6; }},
                BadPacket{"TypeCode0", [](PacketSpec& p) { p.columns[1].type = 0; }},
                BadPacket{"TypeCode15", [](PacketSpec& p) { p.columns[1].type = 15; }},
                BadPacket{"TypeCode255", [](PacketSpec& p) { p.columns[1].type = 255; }},
                BadPacket{"EmptyFieldName", [](PacketSpec& p) { p.columns[0].name = ""; }},
                BadPacket{"FieldNameNotGbk", [](PacketSpec& p) { p.columns[0].name = "\x81"; }},
                BadPacket{"DuplicateFieldNames", [](PacketSpec& p) { p.columns[1].name = "CODE"; }},
                BadPacket{"NegativeSize", [](PacketSpec& p) { p.columns[0].size = -1; }},
                BadPacket{"BcdScale19",
                          [](PacketSpec& p) {
                              p.columns[3].type = 9;
                              p.columns[3].size = 19;
                          }},
                BadPacket{"RequiredFlag2", [](PacketSpec& p) { p.columns[0].required = 2; }},
                BadPacket{"RowCountBeyondTheBytes", [](PacketSpec& p) { p.rows = 100000; }},
                BadPacket{"OneRowMoreThanTheValues", [](PacketSpec& p) { p.rows = 3; }},
                BadPacket{"LengthPastTheEnd",
                          [](PacketSpec& p) {
                              p.columns[0].body = lengthsThen({2, 1000}, "A1B");
                          }},
                BadPacket{"LengthFFFFFFFF",
                          [](PacketSpec& p) {
                              p.columns[0].body = lengthsThen({2, 0xFFFFFFFF}, "A1B");
                          }},
                BadPacket{"TextNotGbk",
                          [](PacketSpec& p) {
                              p.columns[0].body = texts({"A1", "\x81"});
                          }},
                BadPacket{"TextCutInsideACharacter",
                          [](PacketSpec& p) {
                              p.columns[0].body = texts({"A1", "B\xd5"});
                          }},
                BadPacket{"StringLongerThanSize", [](PacketSpec& p) { p.columns[0].size = 1; }},
                BadPacket{"NullTextWithALength",
                          [](PacketSpec& p) { p.columns[0].bitmap = {0x01}; }},
                BadPacket{"NullNumberWithAValue",
                          [](PacketSpec& p) { p.columns[1].bitmap = {0x03}; }},
                BadPacket{"BitmapBitsPastTheLastRow",
                          [](PacketSpec& p) { p.columns[1].bitmap = {0x06}; }},
                BadPacket{
                    "Boolean2",
                    [](PacketSpec& p) {
                        p.columns[2].body = values<uint8_t>({2, 0});
                    }},
                BadPacket{"FloatNaN",
                          [](PacketSpec& p) { p.columns[3].body = values<double>({NaN, 2}); }},
                BadPacket{"DateBeyondYear9999",
                          [](PacketSpec& p) { p.columns[4].body = values<double>({1e9, 0}); }},
                BadPacket{"TrailingByte", [](PacketSpec& p) { p.trailing = {0}; }}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(DataPacketMalformedTruncated, EveryShorterPrefixIsRefused)
{
    const Bytes whole = goldenLayout();
    TClientDataSet ds;
    buildVictim(ds);
    const Snapshot before = Snapshot::of(ds);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        SCOPED_TRACE("first " + std::to_string(n) + " of " + std::to_string(whole.size()));
        try {
            ds.SetData(Variant(Bytes(whole.begin(), whole.begin() + static_cast<long>(n))));
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            ASSERT_THAT(e.what(), HasSubstr("数据包损坏"));
        }
        ASSERT_TRUE(Snapshot::of(ds) == before);
    }
}

TEST(DataPacketMalformedTruncated, AValueThatIsNoByteArrayIsRefused)
{
    TClientDataSet ds;
    buildVictim(ds);
    const Snapshot before = Snapshot::of(ds);
    for (const Variant& v : {Variant("CVDP"), Variant(1), Variant(true)}) {
        EXPECT_THAT([&] { ds.SetData(v); },
                    ::testing::ThrowsMessage<Error>(HasSubstr("数据包损坏")));
    }
    EXPECT_TRUE(Snapshot::of(ds) == before);
}
