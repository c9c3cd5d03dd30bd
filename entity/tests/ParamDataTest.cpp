// The parameter packet: kinds, named rows, nested packets and the lookup errors.
#include "EntityFixture.h"
#include "TestTables.h"
#include "entity/Error.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tuple>

using namespace corvo;
using namespace corvo::test;

namespace {

struct KindCase {
    const char* kind;
    Texts fields;
};

TEST(ParamDataKind, DeclaresTheFieldsOfTheKindIgnoringCase)
{
    const Texts nameValue = {"Name String 30", "Value String 200"};
    const Texts intValue = {"Name String 30", "Value Integer 0"};
    auto plus = [](Texts base, const Texts& more) {
        base.insert(base.end(), more.begin(), more.end());
        return base;
    };
    const Texts query = plus(intValue, {"AllPage Integer 0", "AllCount Integer 0",
                                        "MinID String 50", "MaxID String 50"});
    const Texts link =
        plus(nameValue, {"QueryOrder Integer 0", "LinkTable String 30", "LinkField String 30"});
    const std::vector<KindCase> cases = {
        {"Int", intValue},
        {"int", intValue},
        {"Query", query},
        {"Data", plus(nameValue, {"Data Blob 0"})},
        {"DATA", plus(nameValue, {"Data Blob 0"})},
        {"Field", plus(nameValue, {"Field String 30"})},
        {"Link", link},
        {"link", link},
        {"", nameValue},
        {"Other", nameValue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("kind \"") + c.kind + "\"");
        TParamData p(c.kind);
        EXPECT_TRUE(p.Active());
        EXPECT_TRUE(p.IsEmpty());
        EXPECT_EQ(describeFields(p), c.fields);
    }
}

struct OrderCase {
    const char* kind;
    Texts names; ///< the row names in the packet's order
};

// Rows b=2, a=10, c=1 and, for Link, QueryOrder 3, 1, 2: the order shows which field the
// kind sorts on (its exact spelling decides, not the one the fields were declared by).
TEST(ParamDataKind, OrdersRowsByTheFieldItsExactSpellingChooses)
{
    const std::vector<OrderCase> cases = {
        {"Data", {"a", "b", "c"}},  // Name
        {"", {"c", "a", "b"}},      // Value as text: "1" < "10" < "2"
        {"data", {"c", "a", "b"}},  // Value
        {"Field", {"c", "a", "b"}}, // Value
        {"Int", {"c", "b", "a"}},   // Value as a number
        {"Link", {"a", "c", "b"}},  // QueryOrder
        {"LINK", {"c", "a", "b"}},  // Value
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("kind \"") + c.kind + "\"");
        TParamData p(c.kind);
        const bool hasLink = p.FindField("QueryOrder") != nullptr;
        const std::vector<std::tuple<const char*, int, int>> rows = {
            {"b", 2, 3}, {"a", 10, 1}, {"c", 1, 2}};
        for (const auto& [name, value, order] : rows) {
            p.SetParamValue(name, value);
            if (hasLink) {
                p.ParamExists(name);
                p.Edit();
                p.FieldByName("QueryOrder").SetAsInteger(order);
                p.Post();
            }
        }
        EXPECT_EQ(column(p, "Name"), c.names);
    }
}

TEST(ParamDataValue, SameNameTwiceKeepsOneRowWithTheSecondValue)
{
    TParamData p(paramkind::Data);
    p.SetParamValue(param::AppName, param::AppNameValue);
    p.SetParamValue(param::TOwnerID, "{X}");
    p.SetParamValue(param::AppName, "Other");
    EXPECT_EQ(p.RecordCount(), 2);
    EXPECT_EQ(p.GetParamValue(param::AppName).toText(), "Other");
}

TEST(ParamDataValue, NameInAnotherCaseUpdatesTheRowAndTakesTheNewSpelling)
{
    TParamData p(paramkind::Data);
    p.SetParamValue("AppName", "Corvo");
    p.SetParamValue("TOwnerID", "{X}"); // the current row is no longer AppName
    p.SetParamValue("appname", "Again");
    EXPECT_EQ(p.RecordCount(), 2);
    EXPECT_EQ(p.GetParamValue("APPNAME").toText(), "Again");
    EXPECT_EQ(current(p, "Name"), "appname");
}

TEST(ParamDataValue, ResultIsTheRowNumberInThePacketsOrder)
{
    TParamData p(paramkind::Data);
    EXPECT_EQ(p.SetParamValue("m", 1), 1);
    EXPECT_EQ(p.SetParamValue("a", 1), 1);
    EXPECT_EQ(p.SetParamValue("z", 1), 3);
    EXPECT_EQ(p.SetParamValue("m", 2), 2);
}

TEST(ParamDataValue, LongNameIsCutAndALaterLookupWithTheFullNameAppends)
{
    TParamData p(paramkind::Data);
    const std::string name31(31, 'n');
    p.SetParamValue(name31, "first");
    EXPECT_EQ(column(p, "Name"), Texts{std::string(30, 'n')});
    p.SetParamValue(name31, "second");
    EXPECT_EQ(column(p, "Name"), (Texts{std::string(30, 'n'), std::string(30, 'n')}));
    EXPECT_THAT(column(p, "Value"), ::testing::UnorderedElementsAre("first", "second"));
}

TEST(ParamDataValue, NameAndValueAreCutInBytesOnACharacterBoundary)
{
    struct Case {
        const char* what;
        std::string name, value, storedName, storedValue;
    };
    const std::string zhang = G("张"); // two bytes
    const std::vector<Case> cases = {
        {"value of 201 bytes", "a", std::string(201, 'v'), "a", std::string(200, 'v')},
        {"character straddling byte 200", "b", std::string(199, 'v') + zhang, "b",
         std::string(199, 'v')},
        {"value of 100 characters", "c",
         [&] {
             std::string s;
             for (int i = 0; i < 101; ++i)
                 s += zhang;
             return s;
         }(),
         "c",
         [&] {
             std::string s;
             for (int i = 0; i < 100; ++i)
                 s += zhang;
             return s;
         }()},
        {"character straddling byte 30", std::string(29, 'n') + zhang, "x", std::string(29, 'n'),
         "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TParamData p(paramkind::Map);
        p.SetParamValue(c.name, c.value);
        p.First();
        EXPECT_EQ(current(p, "Name"), c.storedName);
        EXPECT_EQ(current(p, "Value"), c.storedValue);
    }
}

TEST(ParamDataValue, IntegerValuesAreStoredAsTextOrNumberByKind)
{
    TParamData text(paramkind::Map);
    text.SetParamValue("k", 12);
    EXPECT_EQ(text.GetParamValue("k"), Variant("12"));
    EXPECT_EQ(text.GetParamValue("k").type(), Variant::Type::String);

    TParamData number(paramkind::Int);
    number.SetParamValue("k", 12);
    EXPECT_EQ(number.GetParamValue("k").type(), Variant::Type::Integer);
    EXPECT_EQ(number.ParamNameOf(12), "k");
}

TEST(ParamDataValue, FieldTextGoesIntoTheSameRow)
{
    TParamData p(paramkind::Field);
    p.SetParamValueField(param::TMaster, "{S}", "StatusID");
    p.SetParamValueField("tmaster", "{T}", "OtherID");
    ASSERT_EQ(p.RecordCount(), 1);
    p.First();
    EXPECT_EQ(current(p, "Name"), "tmaster");
    EXPECT_EQ(current(p, "Value"), "{T}");
    EXPECT_EQ(current(p, "Field"), "OtherID");
}

TEST(ParamDataErrors, AbsentRowsRaiseTheirMessages)
{
    TParamData p(paramkind::Data);
    p.SetParamValue("AppName", "Corvo");
    const std::string zhangsan = G("张三");
    EXPECT_EQ(errorOf([&] { p.GetParamValue(zhangsan); }),
              "名称为[张三]的参数不存在，请确定所使用的参数的合法性!");
    EXPECT_EQ(errorOf([&] { p.GetParamData("TMaster"); }),
              "参数[TMaster]不存在,请确定该参数已经在参数对象中!");
    EXPECT_EQ(errorOf([&] { p.ParamNameOf(42); }),
              "值为[42]的参数不存在，请确定所使用的参数的合法性!");
}

TEST(ParamDataErrors, FieldTheKindLacksRaisesWithoutAddingARow)
{
    TParamData p(paramkind::Map);
    p.SetParamValue("a", "1");
    EXPECT_THROW(p.SetParamData("b", Variant(Bytes{1, 2})), Error);
    EXPECT_THROW(p.SetParamValueField("b", "2", "F"), Error);
    EXPECT_THROW(p.GetParamData("a"), Error);
    EXPECT_EQ(p.State(), DataSetState::Browse);
    EXPECT_EQ(column(p, "Name"), Texts{"a"});
}

TEST(ParamDataData, NonByteArrayIsRefusedBeforeAnyRowIsTouched)
{
    TParamData p(paramkind::Data);
    p.SetParamData("TMaster", Variant(Bytes{7}));
    p.SetParamValue("AppName", "Corvo");
    for (const Variant& v : {Variant(), Variant("text"), Variant(5)}) {
        SCOPED_TRACE(v.toText());
        p.ParamExists("AppName");
        EXPECT_THROW(p.SetParamData("TMaster", v), Error);
        EXPECT_EQ(p.State(), DataSetState::Browse);
        EXPECT_EQ(current(p, "Name"), "AppName");
        EXPECT_EQ(p.GetParamData("TMaster"), Variant(Bytes{7}));
    }
    EXPECT_EQ(p.RecordCount(), 2);
}

TEST(ParamDataData, UnsetDataReadsAsAnEmptyByteArray)
{
    TParamData p(paramkind::Data);
    p.SetParamValue("AppName", "Corvo");
    const Variant data = p.GetParamData("appname");
    ASSERT_EQ(data.type(), Variant::Type::Bytes);
    EXPECT_TRUE(data.asBytes().empty());
}

TEST(ParamDataData, NewDataRowHasAnEmptyValueAndAnExistingOneKeepsItsValue)
{
    TParamData p(paramkind::Data);
    p.SetParamValue("Kept", "v");
    p.SetParamData("kept", Variant(Bytes{1}));
    p.SetParamData("New", Variant(Bytes{2}));
    EXPECT_EQ(p.GetParamValue("Kept").toText(), "v");
    EXPECT_TRUE(p.GetParamValue("New").isNull());
    EXPECT_EQ(p.GetParamData("KEPT"), Variant(Bytes{1}));
}

TEST(ParamDataData, NestedPacketsTravelByteForByte)
{
    TClientDataSet detail;
    build(detail, {{"Code", FieldType::String, 10},
                   {"Name", FieldType::String, 20},
                   {"Picture", FieldType::Blob}});
    addRow(detail, {"A01", G("张三"), std::nullopt});
    detail.Append();
    detail.FieldByName("Code").SetAsString("A02");
    detail.FieldByName("Picture").SetAsVariant(Variant(Bytes{0, 0xFF, 0x80, 0}));
    detail.Post();
    const Variant detailPacket = detail.Data();

    TParamData inner(paramkind::Data);
    inner.SetParamData(param::TDetail, detailPacket);
    const Variant innerPacket = inner.Data();

    TParamData outer(paramkind::Data);
    outer.SetParamValue(param::AppName, param::AppNameValue);
    outer.SetParamData(param::TMaster, innerPacket);

    TParamData received(paramkind::Data);
    received.SetData(outer.Data());
    EXPECT_EQ(received.GetParamData(param::TMaster), innerPacket);

    TParamData unpacked(paramkind::Data);
    unpacked.SetData(received.GetParamData(param::TMaster));
    EXPECT_EQ(unpacked.GetParamData(param::TDetail), detailPacket);
    TClientDataSet copy;
    copy.SetData(unpacked.GetParamData(param::TDetail));
    EXPECT_EQ(column(copy, "Name"), (Texts{G("张三"), ""}));
}

TEST(ParamDataData, CurrentParamDataFollowsTheWalk)
{
    TParamData p(paramkind::Data);
    p.SetParamData("B", Variant(Bytes{2}));
    p.SetParamData("A", Variant(Bytes{1}));
    p.SetParamValue("C", "no data");
    std::vector<Variant> seen;
    for (p.First(); !p.Eof(); p.Next())
        seen.push_back(p.CurrentParamData());
    EXPECT_EQ(seen, (std::vector<Variant>{Variant(Bytes{1}), Variant(Bytes{2}), Variant(Bytes{})}));
}

TEST(ParamDataRows, ExistsIgnoresCaseAndPositionsTheCursor)
{
    TParamData p(paramkind::Data);
    p.SetParamValue("BeginDate", "2024-01-01");
    p.SetParamValue("EndDate", "2024-12-31");
    EXPECT_TRUE(p.ParamExists("begindate"));
    EXPECT_EQ(current(p, "Value"), "2024-01-01");
    EXPECT_FALSE(p.ParamExists("Begin"));
}

TEST(ParamDataRows, DeleteParamRemovesTheNamedRowOrReportsAbsence)
{
    struct Case {
        const char* what;
        const char* current; ///< the row the cursor stands on
        const char* name;
        bool deleted;
        Texts left;
    };
    const std::vector<Case> cases = {
        {"current row, exact name", "EndDate", "EndDate", true, {"AppName", "BeginDate"}},
        {"other row, another case", "EndDate", "BEGINDATE", true, {"AppName", "EndDate"}},
        {"current row, another case", "EndDate", "enddate", true, {"AppName", "BeginDate"}},
        {"absent", "AppName", "TUser", false, {"AppName", "BeginDate", "EndDate"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TParamData p(paramkind::Data);
        for (const char* n : {"AppName", "BeginDate", "EndDate"})
            p.SetParamValue(n, n);
        p.ParamExists(c.current);
        EXPECT_EQ(p.DeleteParam(c.name), c.deleted);
        EXPECT_EQ(column(p, "Name"), c.left);
    }
}

TEST(ParamDataRows, NameOfAValueReadsItsText)
{
    TParamData map(paramkind::Map);
    map.SetParamValue("TMaster", 0);
    map.SetParamValue("TDetail", 1);
    EXPECT_EQ(map.ParamNameOf(Variant(1)), "TDetail");
    EXPECT_EQ(map.ParamNameOf(Variant("0")), "TMaster");
}

} // namespace
