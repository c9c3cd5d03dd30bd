#include "TestTables.h"
#include "entity/DateTime.h"
#include "entity/Decimal.h"
#include "entity/Error.h"
#include "entity/FieldType.h"
#include "entity/Guid.h"
#include "entity/Variant.h"

#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

using namespace corvo;
using namespace corvo::test;
using ::testing::HasSubstr;

namespace {

constexpr FieldType AllTypes[] = {FieldType::String,   FieldType::WideString, FieldType::Memo,
                                  FieldType::Smallint, FieldType::Integer,    FieldType::Largeint,
                                  FieldType::Boolean,  FieldType::Float,      FieldType::BCD,
                                  FieldType::DateTime, FieldType::Bytes,      FieldType::VarBytes,
                                  FieldType::Blob,     FieldType::Guid};

/// A one-field table named F with one row being inserted.
void insertInto(TClientDataSet& ds, FieldType type, int size)
{
    build(ds, {{"F", type, size}});
    ds.Append();
}

std::string typeLabel(FieldType type, int size)
{
    return std::string(fieldTypeName(type)) + "(" + std::to_string(size) + ")";
}

} // namespace

// ---------------------------------------------------------------------------------------
// Text in, text out

struct TextCase {
    FieldType type;
    int size;
    std::string in;
    std::string out;
};

TEST(FieldValues, TextIsConvertedToTheFieldType)
{
    const std::string longText(5000, 'x');
    const TextCase cases[] = {
        {FieldType::String, 10, "abc", "abc"},
        {FieldType::String, 10, " a b ", " a b "},
        {FieldType::String, 5, G("ab张三"), G("ab张")},
        {FieldType::String, 4, G("ab张三"), G("ab张")},
        {FieldType::String, 3, G("ab张三"), "ab"},
        {FieldType::String, 3, G("张三"), G("张")},
        {FieldType::String, 1, G("张"), ""},
        {FieldType::String, 0, "no declared limit", "no declared limit"},
        {FieldType::WideString, 3, G("张三李四"), G("张三李")},
        {FieldType::WideString, 2, G("a张b"), G("a张")},
        {FieldType::Memo, 0, longText, longText},
        {FieldType::Smallint, 0, "-32768", "-32768"},
        {FieldType::Smallint, 0, " 42 ", "42"},
        {FieldType::Smallint, 0, "+7", "7"},
        {FieldType::Integer, 0, "2147483647", "2147483647"},
        {FieldType::Integer, 0, "-2147483648", "-2147483648"},
        {FieldType::Largeint, 0, "-9223372036854775808", "-9223372036854775808"},
        {FieldType::Boolean, 0, "1", "True"},
        {FieldType::Boolean, 0, "0", "False"},
        {FieldType::Boolean, 0, "true", "True"},
        {FieldType::Boolean, 0, "FALSE", "False"},
        {FieldType::Float, 0, "1.5", "1.5"},
        {FieldType::Float, 0, "-0.25", "-0.25"},
        {FieldType::Float, 0, "0.1", "0.1"},
        {FieldType::BCD, 2, "1.005", "1.01"},
        {FieldType::BCD, 2, "-1.005", "-1.01"},
        {FieldType::BCD, 2, "1.004", "1"},
        {FieldType::BCD, 2, "-0.004", "0"},
        {FieldType::BCD, 2, ".5", "0.5"},
        {FieldType::BCD, 2, "7", "7"},
        {FieldType::BCD, 0, "2.5", "3"},
        {FieldType::BCD, 4, "0.00005", "0.0001"},
        {FieldType::BCD, 4, "123456.7891", "123456.7891"},
        {FieldType::DateTime, 0, "2024-03-05", "2024-03-05"},
        {FieldType::DateTime, 0, "2024-3-5", "2024-03-05"},
        {FieldType::DateTime, 0, "2024-01-02 13:45", "2024-01-02 13:45:00"},
        {FieldType::DateTime, 0, "2024-01-02 00:00:00", "2024-01-02"},
        {FieldType::DateTime, 0, "1899-12-30", "1899-12-30"},
        {FieldType::Guid, 38, "{00112233-4455-6677-8899-aabbccddeeff}",
         "{00112233-4455-6677-8899-AABBCCDDEEFF}"},
        {FieldType::Guid, 38, std::string(EmptyGuidText), std::string(EmptyGuidText)},
        {FieldType::Bytes, 4, "abcdef", "abcd"},
        {FieldType::VarBytes, 3, "abcdef", "abc"},
        {FieldType::Blob, 0, longText, longText},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(typeLabel(c.type, c.size) + " <- \"" + gbk::display(c.in) + "\"");
        TClientDataSet ds;
        insertInto(ds, c.type, c.size);
        ds.FieldByName("F").SetAsString(c.in);
        ds.Post();
        EXPECT_EQ(ds.FieldByName("F").AsString(), c.out);
        EXPECT_EQ(ds.FieldByName("F").IsNull(), c.out.empty());
    }
}

TEST(FieldValues, EmptyTextGivesNullForEveryType)
{
    for (FieldType type : AllTypes) {
        SCOPED_TRACE(fieldTypeName(type));
        TClientDataSet ds;
        insertInto(ds, type, 10);
        ds.FieldByName("F").SetAsString(type == FieldType::Guid       ? std::string(EmptyGuidText)
                                        : type == FieldType::DateTime ? "2024-01-02"
                                                                      : "1");
        ds.FieldByName("F").SetAsString("");
        ds.Post();
        EXPECT_TRUE(ds.FieldByName("F").IsNull());
        EXPECT_TRUE(ds.FieldByName("F").AsVariant().isNull());
    }
}

TEST(FieldValues, NullReadsAsEmptyAndZeroForEveryType)
{
    for (FieldType type : AllTypes) {
        SCOPED_TRACE(fieldTypeName(type));
        TClientDataSet ds;
        insertInto(ds, type, 10);
        ds.Post();
        const TField& f = ds.FieldByName("F");
        EXPECT_TRUE(f.IsNull());
        EXPECT_EQ(f.AsString(), "");
        EXPECT_EQ(f.AsInteger(), 0);
        EXPECT_EQ(f.AsFloat(), 0.0);
        EXPECT_EQ(f.AsDateTime(), DateTime{});
        EXPECT_TRUE(f.AsVariant().isNull());
    }
}

struct BadText {
    FieldType type;
    int size;
    std::string in;
};

TEST(FieldValues, TextThatDoesNotConvertIsRefusedNamingTheField)
{
    const BadText cases[] = {
        {FieldType::String, 10, "\x81"},
        {FieldType::String, 10, "a\x81\x7f"},
        {FieldType::Memo, 0, "\xff\xff"},
        {FieldType::WideString, 10, "\x80"},
        {FieldType::Smallint, 0, "32768"},
        {FieldType::Smallint, 0, "-32769"},
        {FieldType::Smallint, 0, "1.5"},
        {FieldType::Integer, 0, "2147483648"},
        {FieldType::Integer, 0, "-2147483649"},
        {FieldType::Integer, 0, "12abc"},
        {FieldType::Largeint, 0, "9223372036854775808"},
        {FieldType::Boolean, 0, "yes"},
        {FieldType::Float, 0, "abc"},
        {FieldType::Float, 0, "1,5"},
        {FieldType::Float, 0, "nan"},
        {FieldType::Float, 0, "inf"},
        {FieldType::BCD, 2, "abc"},
        {FieldType::BCD, 2, "1e3"},
        {FieldType::BCD, 2, "1.2.3"},
        {FieldType::BCD, 2, "99999999999999999999"},
        {FieldType::BCD, 18, "10"},
        {FieldType::DateTime, 0, "2024-02-30"},
        {FieldType::DateTime, 0, "2023-02-29"},
        {FieldType::DateTime, 0, "2024-13-01"},
        {FieldType::DateTime, 0, "24-01-02"},
        {FieldType::DateTime, 0, "2024-01-02 24:00"},
        {FieldType::DateTime, 0, "02.01.2024"},
        {FieldType::Guid, 38, "{00112233-4455-6677-8899-AABBCCDDEEF}"},
        {FieldType::Guid, 38, "00112233-4455-6677-8899-AABBCCDDEEFF"},
        {FieldType::Guid, 38, "{00112233-4455-6677-8899-AABBCCDDEEFG}"},
        {FieldType::Guid, 38, "{001122334-455-6677-8899-AABBCCDDEEFF}"},
        {FieldType::Guid, 38, "(00112233-4455-6677-8899-AABBCCDDEEFF)"},
        {FieldType::Guid, 38, "{00112233-4455-6677-8899-AABBCCDDEEFF} "},
    };
    for (const BadText& c : cases) {
        SCOPED_TRACE(typeLabel(c.type, c.size) + " <- \"" + gbk::display(c.in) + "\"");
        TClientDataSet ds;
        build(ds, {{"Amount", c.type, c.size}});
        ds.Append();
        try {
            ds.FieldByName("Amount").SetAsString(c.in);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("“Amount”"));
        }
        EXPECT_TRUE(ds.FieldByName("Amount").IsNull()) << "the refused value was not stored";
        EXPECT_EQ(ds.State(), DataSetState::Insert) << "the row stays in Insert";
    }
}

// ---------------------------------------------------------------------------------------
// Typed accessors

struct SetCase {
    const char* what;
    FieldType type;
    int size;
    std::function<void(TField&)> set;
    std::string text; ///< expected AsString
};

TEST(FieldValues, TypedSettersConvert)
{
    const DateTime jan2 = *DateTime::fromDate(2024, 1, 2);
    const SetCase cases[] = {
        {"integer into float", FieldType::Float, 0, [](TField& f) { f.SetAsInteger(3); }, "3"},
        {"float into BCD rounds", FieldType::BCD, 2, [](TField& f) { f.SetAsFloat(0.125); },
         "0.13"},
        {"integer into BCD", FieldType::BCD, 2, [](TField& f) { f.SetAsInteger(7); }, "7"},
        {"decimal rescaled", FieldType::BCD, 2,
         [](TField& f) {
             f.SetAsVariant(Decimal{-12345, 3});
         },
         "-12.35"},
        {"boolean into integer", FieldType::Integer, 0, [](TField& f) { f.SetAsVariant(true); },
         "1"},
        {"float into integer", FieldType::Integer, 0, [](TField& f) { f.SetAsFloat(2.6); }, "3"},
        {"integer into boolean", FieldType::Boolean, 0, [](TField& f) { f.SetAsInteger(5); },
         "True"},
        {"integer into text is cut", FieldType::String, 3, [](TField& f) { f.SetAsInteger(12345); },
         "123"},
        {"date", FieldType::DateTime, 0, [&](TField& f) { f.SetAsDateTime(jan2); }, "2024-01-02"},
        {"days with a time", FieldType::DateTime, 0, [](TField& f) { f.SetAsFloat(45293.5); },
         "2024-01-02 12:00:00"},
        {"date into text", FieldType::String, 20, [&](TField& f) { f.SetAsDateTime(jan2); },
         "2024-01-02"},
        {"bytes into blob", FieldType::Blob, 0,
         [](TField& f) {
             f.SetAsVariant(Bytes{'a', 0, 'b'});
         },
         std::string("a\0b", 3)},
        {"null clears", FieldType::Integer, 0, [](TField& f) { f.SetAsVariant(Variant()); }, ""},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.what);
        TClientDataSet ds;
        insertInto(ds, c.type, c.size);
        ds.FieldByName("F").SetAsString(c.type == FieldType::Integer ? "9" : "");
        c.set(ds.FieldByName("F"));
        ds.Post();
        EXPECT_EQ(ds.FieldByName("F").AsString(), c.text);
    }
}

TEST(FieldValues, TypedSettersRefuseOutOfRangeNumbers)
{
    const SetCase cases[] = {
        {"smallint", FieldType::Smallint, 0, [](TField& f) { f.SetAsInteger(40000); }, ""},
        {"integer", FieldType::Integer, 0, [](TField& f) { f.SetAsInteger(int64_t{1} << 31); }, ""},
        {"largeint from float", FieldType::Largeint, 0, [](TField& f) { f.SetAsFloat(1e19); }, ""},
        {"BCD overflow", FieldType::BCD, 4, [](TField& f) { f.SetAsFloat(1e16); }, ""},
        {"float not finite", FieldType::Float, 0,
         [](TField& f) { f.SetAsFloat(std::numeric_limits<double>::infinity()); }, ""},
        {"days out of range", FieldType::DateTime, 0, [](TField& f) { f.SetAsFloat(1e7); }, ""},
        {"number into GUID", FieldType::Guid, 38, [](TField& f) { f.SetAsInteger(5); }, ""},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.what);
        TClientDataSet ds;
        insertInto(ds, c.type, c.size);
        try {
            c.set(ds.FieldByName("F"));
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("“F”"));
        }
        EXPECT_TRUE(ds.FieldByName("F").IsNull());
    }
}

TEST(FieldValues, TypedGettersReadEveryNumericForm)
{
    struct Case {
        FieldType type;
        int size;
        std::string stored;
        std::optional<int64_t> asInteger; ///< nothing: reading it is an error
        double asFloat;
        Variant::Type variantType;
    };
    const Case cases[] = {
        {FieldType::Smallint, 0, "-7", -7, -7.0, Variant::Type::Integer},
        {FieldType::Integer, 0, "42", 42, 42.0, Variant::Type::Integer},
        {FieldType::Largeint, 0, "9007199254740993", 9007199254740993, 9007199254740992.0,
         Variant::Type::Integer},
        {FieldType::Boolean, 0, "1", 1, 1.0, Variant::Type::Boolean},
        {FieldType::Float, 0, "2.6", 3, 2.6, Variant::Type::Float},
        {FieldType::BCD, 2, "1.25", 1, 1.25, Variant::Type::Decimal},
        {FieldType::DateTime, 0, "2024-01-02 06:00", 45293, 45293.25, Variant::Type::DateTime},
        {FieldType::String, 10, "42", 42, 42.0, Variant::Type::String},
        {FieldType::String, 10, " -1.5 ", std::nullopt, -1.5, Variant::Type::String},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(typeLabel(c.type, c.size) + " " + c.stored);
        TClientDataSet ds;
        insertInto(ds, c.type, c.size);
        ds.FieldByName("F").SetAsString(c.stored);
        ds.Post();
        const TField& f = ds.FieldByName("F");
        if (c.asInteger) {
            EXPECT_EQ(f.AsInteger(), *c.asInteger);
        } else {
            EXPECT_THROW(f.AsInteger(), Error);
        }
        EXPECT_DOUBLE_EQ(f.AsFloat(), c.asFloat);
        EXPECT_EQ(f.AsVariant().type(), c.variantType);
    }
}

TEST(FieldValues, TextThatIsNoNumberOrDateFailsToReadNamingTheField)
{
    TClientDataSet ds;
    build(ds, {{"Remark", FieldType::String, 20}});
    addRow(ds, {"abc"});
    const TField& f = ds.FieldByName("Remark");
    const std::pair<const char*, std::function<void()>> reads[] = {
        {"AsInteger", [&] { f.AsInteger(); }},
        {"AsFloat", [&] { f.AsFloat(); }},
        {"AsDateTime", [&] { f.AsDateTime(); }},
    };
    for (const auto& [name, read] : reads) {
        try {
            read();
            ADD_FAILURE() << name << " accepted";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("“Remark”")) << name;
        }
    }
}

TEST(FieldValues, DatesAsTextAndAsDays)
{
    TClientDataSet ds;
    build(ds, {{"Day", FieldType::DateTime}, {"Text", FieldType::String, 20}});
    addRow(ds, {"2024-01-02", "2024-01-02"});
    EXPECT_EQ(ds.FieldByName("Day").AsDateTime(), *DateTime::fromDate(2024, 1, 2));
    EXPECT_EQ(ds.FieldByName("Day").AsDateTime().days, 45293);
    EXPECT_EQ(ds.FieldByName("Text").AsDateTime(), *DateTime::fromDate(2024, 1, 2));
    EXPECT_EQ(ds.FieldByName("Day").AsDateTime().toDateString(), "2024-01-02");
}

TEST(FieldValues, ClearMakesTheFieldNull)
{
    TClientDataSet ds;
    build(ds, {{"Qty", FieldType::Integer}});
    addRow(ds, {"5"});
    ds.Edit();
    ds.FieldByName("Qty").Clear();
    ds.Post();
    EXPECT_TRUE(ds.FieldByName("Qty").IsNull());
}

TEST(FieldValues, BlobStreamsCopyTheWholeValue)
{
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes.push_back(static_cast<char>(i));
    TClientDataSet ds;
    build(ds, {{"Data", FieldType::Blob}, {"Note", FieldType::String, 4}});
    ds.Append();
    std::istringstream in(bytes);
    ds.FieldByName("Data").LoadFromStream(in);
    std::istringstream text(G("ab张三"));
    ds.FieldByName("Note").LoadFromStream(text);
    ds.Post();

    std::ostringstream out;
    ds.FieldByName("Data").SaveToStream(out);
    EXPECT_EQ(out.str(), bytes);
    EXPECT_EQ(ds.FieldByName("Note").AsString(), G("ab张")) << "text streams are cut like text";

    ds.Edit();
    std::istringstream invalid("\x81");
    EXPECT_THROW(ds.FieldByName("Note").LoadFromStream(invalid), Error)
        << "text from a stream is checked as GBK";
}

// ---------------------------------------------------------------------------------------
// SQL type map

struct SqlCase {
    const char* name;
    FieldType type;
    int size; ///< with Prec 12 and Scale 3
};

TEST(SqlTypeMap, EveryListedNameInAnyLetterCase)
{
    const SqlCase cases[] = {
        {"varchar", FieldType::String, 12},
        {"uniqueidentifier", FieldType::Guid, 38},
        {"datetime", FieldType::DateTime, 0},
        {"smallint", FieldType::Smallint, 0},
        {"decimal", FieldType::BCD, 3},
        {"numeric", FieldType::BCD, 3},
        {"binary", FieldType::Bytes, 0},
        {"bit", FieldType::Boolean, 0},
        {"bigint", FieldType::Largeint, 0},
        {"char", FieldType::String, 12},
        {"float", FieldType::Float, 3},
        {"image", FieldType::Blob, 0},
        {"int", FieldType::Integer, 0},
        {"money", FieldType::BCD, 3},
        {"nchar", FieldType::WideString, 12},
        {"ntext", FieldType::Memo, 12},
        {"nvarchar", FieldType::WideString, 12},
        {"real", FieldType::Float, 3},
        {"smalldatetime", FieldType::DateTime, 0},
        {"smallmoney", FieldType::BCD, 3},
        {"text", FieldType::Memo, 12},
        {"timestamp", FieldType::Bytes, 0},
        {"tinyint", FieldType::Smallint, 0},
        {"varbinary", FieldType::VarBytes, 0},
    };
    for (const SqlCase& c : cases) {
        std::string upper = gbk::upper(c.name);
        std::string mixed = c.name;
        for (std::size_t i = 0; i < mixed.size(); i += 2)
            mixed[i] = upper[i];
        for (const std::string& name : {std::string(c.name), upper, mixed}) {
            SCOPED_TRACE(name);
            EXPECT_EQ(SQLTypeToFieldType(name), c.type);
            EXPECT_EQ(sqlTypeFieldSize(name, 12, 3), c.size);
        }
    }
}

TEST(SqlTypeMap, OtherNamesAreRefusedNamingTheType)
{
    for (const char* name : {"xml", "", "varchar2", " int", "int ", "datetime2", "sql_variant"}) {
        SCOPED_TRACE(name);
        try {
            SQLTypeToFieldType(name);
            ADD_FAILURE() << "accepted";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr(std::string("“") + name + "”"));
            EXPECT_THAT(e.what(), HasSubstr("不能转换为客户端字段类型"));
        }
    }
}

TEST(FieldTypeKinds, NumericTypesAndIntegerRanges)
{
    struct Case {
        FieldType type;
        bool numeric;
        int64_t lowest, highest;
    };
    for (const Case& c :
         {Case{FieldType::Smallint, true, -32768, 32767},
          Case{FieldType::Integer, true, -2147483648LL, 2147483647},
          Case{FieldType::Largeint, true, INT64_MIN, INT64_MAX},
          Case{FieldType::Boolean, false, 0, 1}, Case{FieldType::Float, true, INT64_MIN, INT64_MAX},
          Case{FieldType::BCD, true, INT64_MIN, INT64_MAX},
          Case{FieldType::String, false, INT64_MIN, INT64_MAX},
          Case{FieldType::DateTime, false, INT64_MIN, INT64_MAX},
          Case{FieldType::Guid, false, INT64_MIN, INT64_MAX}}) {
        SCOPED_TRACE(std::string(fieldTypeName(c.type)));
        EXPECT_EQ(isNumericType(c.type), c.numeric);
        EXPECT_EQ(integerRange(c.type), std::make_pair(c.lowest, c.highest));
    }
}

// ---------------------------------------------------------------------------------------
// Value types

TEST(GuidValue, CreateGivesTheUpperCaseTextFormAndDiffersEveryCall)
{
    const std::regex form(
        "\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string text = Guid::create().toString();
        ASSERT_EQ(text.size(), 38u);
        EXPECT_TRUE(std::regex_match(text, form)) << text;
        EXPECT_EQ(Guid::parse(text)->toString(), text);
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(GuidValue, ParseKeepsByteOrderOfTheText)
{
    auto g = Guid::parse("{00112233-4455-6677-8899-aAbBcCdDeEfF}");
    ASSERT_TRUE(g.has_value());
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(g->bytes[static_cast<std::size_t>(i)], i * 0x11) << i;
    EXPECT_TRUE(Guid::parse(EmptyGuidText)->isNull());
    EXPECT_FALSE(g->isNull());
}

TEST(GuidValue, ParseRefusesEveryMalformedText)
{
    for (const char* text :
         {"", "{00112233-4455-6677-8899-AABBCCDDEEFF", // no closing brace
          "(00112233-4455-6677-8899-AABBCCDDEEFF)",
          "{00112233-4455-6677-8899-AABBCCDDEEF}", // one digit short
          "{00112233-4455-6677-8899-AABBCCDDEEFF0}",
          "{001122334-455-6677-8899-AABBCCDDEEFF}", // dash moved
          "{00112233-4455-6677-8899_AABBCCDDEEFF}",
          "{G0112233-4455-6677-8899-AABBCCDDEEFF}", // a non-digit per group
          "{00112233-44g5-6677-8899-AABBCCDDEEFF}", "{00112233-4455-66 7-8899-AABBCCDDEEFF}",
          "{00112233-4455-6677-88-9-AABBCCDDEEFF}", "{00112233-4455-6677-8899-AABBCCDDEEF\xC4}"})
        EXPECT_FALSE(Guid::parse(text).has_value()) << text;
}

TEST(DateTimeValue, DaysCountFrom18991230)
{
    struct Case {
        int y, m, d;
        double days;
    };
    for (const Case& c : {Case{1899, 12, 30, 0}, Case{1900, 1, 1, 2}, Case{1899, 12, 29, -1},
                          Case{2000, 2, 29, 36585}, Case{2024, 1, 2, 45293}}) {
        auto dt = DateTime::fromDate(c.y, c.m, c.d);
        ASSERT_TRUE(dt.has_value());
        EXPECT_EQ(dt->days, c.days);
        char text[16];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", c.y, c.m, c.d);
        EXPECT_EQ(dt->toString(), text);
        EXPECT_EQ(DateTime::parse(text), dt);
    }
    EXPECT_FALSE(DateTime::fromDate(2023, 2, 29));
    EXPECT_FALSE(DateTime::fromDate(2024, 4, 31));
    EXPECT_EQ(DateTime::parse(" 2024-01-02 07:08:09 ")->toString(), "2024-01-02 07:08:09");
}

TEST(DecimalValue, ParsesRoundsAndPrintsExactly)
{
    struct Case {
        const char* text;
        int scale;
        std::optional<int64_t> units;
    };
    const Case cases[] = {
        {"0.5", 0, 1},
        {"-0.5", 0, -1},
        {"0.49999", 0, 0},
        {"1.995", 2, 200},
        {"9223372036854775807", 0, INT64_MAX},
        {"9223372036854775808", 0, std::nullopt},
        {"1", 18, 1000000000000000000},
        {"10", 18, std::nullopt},
        {"", 2, std::nullopt},
        {"-", 2, std::nullopt},
        {".", 2, std::nullopt},
        {"1e3", 2, std::nullopt},
        {"0x10", 2, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " @" + std::to_string(c.scale));
        auto d = Decimal::parse(c.text, c.scale);
        ASSERT_EQ(d.has_value(), c.units.has_value());
        if (d) {
            EXPECT_EQ(d->units, *c.units);
        }
    }
    EXPECT_EQ((Decimal{-5, 3}.toString()), "-0.005");
    EXPECT_EQ((Decimal{1200, 2}.toString()), "12");
    EXPECT_EQ((Decimal{INT64_MIN, 0}.toString()), "-9223372036854775808");
    EXPECT_EQ((Decimal{-15, 1}.rescaled(0)->units), -2);
    EXPECT_FALSE((Decimal{INT64_MAX, 0}.rescaled(1)));
}

TEST(VariantValue, ComparesNumbersByValueAndTextsExactly)
{
    struct Case {
        Variant a, b;
        bool equal;
    };
    const Case cases[] = {
        {Variant(1), Variant(1.0), true},
        {Variant("1"), Variant(1), true},
        {Variant(" 1.50"), Variant(Decimal{15, 1}), true},
        {Variant(Decimal{150, 2}), Variant(Decimal{15, 1}), true},
        {Variant(true), Variant(1), true},
        {Variant("abc"), Variant("ABC"), false},
        {Variant("x"), Variant(1), false},
        {Variant(), Variant(), true},
        {Variant(), Variant(""), false},
        {Variant(), Variant(0), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a.toText() + " vs " + c.b.toText());
        EXPECT_EQ(c.a == c.b, c.equal);
        EXPECT_EQ(c.b == c.a, c.equal);
    }
    EXPECT_EQ(Variant(0.1 + 0.2).toText(), "0.3");
    EXPECT_EQ(Variant(false).toText(), "False");
    EXPECT_THROW(Variant("1,5").toDouble(), Error);
}
