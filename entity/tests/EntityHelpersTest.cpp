#include "EntityFixture.h"
#include "entity/Error.h"
#include "entity/Guid.h"

#include <gtest/gtest.h>
#include <set>

using namespace corvo;
using namespace corvo::test;

namespace {

class Registry : public EntityRegistry {
public:
    std::string TableObjID(std::string_view code) override
    {
        if (code == "TDetail") return Id(42);
        throw Error("unknown table " + std::string(code));
    }
};

TEST(EntityHelpers, SetFieldStringPostsWithoutASecondEditAndAppendsOnAnEmptyTable)
{
    TCustomEntity t;
    declareDetail(t);
    SetFieldString(t, "Code", "A1"); // empty table: a new row with only that field
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_EQ(t.State(), DataSetState::Browse);
    t.Append();
    SetFieldString(t, "Code", "B2");
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(GetCode(t), "B2");
    SetFieldDate(t, "Name", *DateTime::fromDate(2005, 3, 1));
    EXPECT_EQ(GetName(t), "2005-03-01");
    SetFieldInt(t, "Qty", 7);
    SetFieldFloat(t, "Amount", 1.239);
    EXPECT_EQ(GetFieldInt(t, "Qty"), 7);
    EXPECT_DOUBLE_EQ(GetFieldFloat(t, "Amount"), 1.24);
    EXPECT_EQ(GetFirstFieldName(t), "TDetail");
    EXPECT_EQ(GetFirstFieldValue(t), "");
}

TEST(EntityHelpers, DeleteRowsEqualVisitsEveryRowOnce)
{
    struct Case {
        Texts codes;
        const char* value;
        Texts left;
    };
    const std::vector<Case> cases = {
        {{"a", "x", "x", "b", "x"}, "x", {"a", "b"}},
        {{"x", "x"}, "x", {}},
        {{"a", "b"}, "x", {"a", "b"}},
        {{"X", "x"}, "x", {"X"}},
    };
    for (const auto& c : cases) {
        TCustomEntity t;
        declareDetail(t);
        for (const auto& code : c.codes)
            t.AppendWithField("Code", code);
        DeleteRowsEqual(t, "Code", c.value);
        EXPECT_EQ(column(t, "Code"), c.left);
    }
    TCustomEntity t;
    declareDetail(t);
    for (const char* code : {"AB1", "C", "AB2", "ab3"})
        t.AppendWithField("Code", code);
    DeleteRowsWithPrefix(t, "Code", "AB");
    EXPECT_EQ(column(t, "Code"), (Texts{"C", "ab3"}));
}

TEST(EntityHelpers, NewGuidStringsAreUpperCaseAndDifferent)
{
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        std::string g = NewGUIDString();
        ASSERT_EQ(g.size(), 38u);
        EXPECT_EQ(g.front(), '{');
        EXPECT_EQ(g.back(), '}');
        EXPECT_EQ(g, gbk::upper(g));
        EXPECT_TRUE(corvo::Guid::parse(g).has_value());
        seen.insert(g);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(EntityHelpers, NewCodesComeFromTheRegistry)
{
    Registry registry;
    TCustomEntity t(&registry);
    declareDetail(t);
    AppendNewRecord(t);
    AppendNewRecord(t);
    EXPECT_EQ(GetFirstFieldValue(t), Id(42));
    EXPECT_EQ(GetObjID(t).size(), 38u);
    t.First();
    t.EditField("TDetail", "");
    AssignNewCodes(t);
    EXPECT_EQ(column(t, "TDetail"), (Texts{Id(42), Id(42)}));

    TCustomEntity orphan;
    declareDetail(orphan);
    EXPECT_THROW(AppendNewRecord(orphan), Error);

    TCustomEntity unknown(&registry);
    unknown.FieldDefs().Add("TNope", FieldType::String, 38);
    unknown.CreateDataSet();
    unknown.Append();
    EXPECT_THROW(AssignNewCode(unknown), Error);
}

} // namespace
