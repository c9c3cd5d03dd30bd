// The change sets of a document's lines: what reaches the server after a series of additions,
// changes and removals.
#include "forms/rules/DetailChanges.h"

#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace corvo::forms::test {
namespace {

using Rows = std::map<std::string, int>; // ObjID -> Quantity

void makeLines(TCustomEntity& lines)
{
    lines.FieldDefs().Clear();
    lines.FieldDefs().Add("ObjID", FieldType::String, 38);
    lines.FieldDefs().Add("ParentID", FieldType::String, 38);
    lines.FieldDefs().Add("Quantity", FieldType::Integer);
    lines.CreateDataSet();
}

void appendLine(TCustomEntity& lines, const std::string& id, int quantity)
{
    lines.Append();
    lines.FieldByName("ObjID").SetAsString(id);
    lines.FieldByName("ParentID").SetAsString("D1");
    lines.FieldByName("Quantity").SetAsInteger(quantity);
    lines.Post();
}

Rows rowsOf(TCustomEntity& set)
{
    Rows rows;
    if (!set.Active()) return rows;
    for (set.First(); !set.Eof(); set.Next())
        rows[set.FieldByName("ObjID").AsString()] =
            static_cast<int>(set.FieldByName("Quantity").AsInteger());
    return rows;
}

struct Step {
    char op; // 'a' add, 'c' change, 'd' delete
    std::string id;
    int quantity = 0;
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    Rows inserts, updates, deletes;
};

class DetailChangesTest : public ::testing::TestWithParam<LineLevel> {
protected:
    void SetUp() override { reset(); }
    void reset()
    {
        names = LineSetNamesOf(GetParam());
        registry.AddEntity(names.lines);
        TCustomEntity& lines = registry.EntityByName(names.lines);
        makeLines(lines);
        appendLine(lines, "L1", 2);
        appendLine(lines, "L2", 4);
        PrepareLineChanges(registry, GetParam());
    }
    void run(const Step& step)
    {
        TCustomEntity& lines = registry.EntityByName(names.lines);
        if (step.op == 'a') {
            appendLine(lines, step.id, step.quantity);
            RecordLineInsert(registry, GetParam());
            return;
        }
        ASSERT_TRUE(lines.FindRecord("ObjID", step.id)) << step.id;
        if (step.op == 'c') {
            const bool added = IsRecordedInsert(registry, GetParam());
            EXPECT_EQ(added, step.id[0] == 'N') << step.id;
            lines.Edit();
            lines.FieldByName("Quantity").SetAsInteger(step.quantity);
            lines.Post();
            RecordLineChange(registry, GetParam());
        } else {
            RecordLineDelete(registry, GetParam());
        }
    }
    TCustomEntity& set(std::string_view name) { return registry.EntityByName(name); }

    TCustomEntityList registry;
    LineSetNames names;
};

TEST_P(DetailChangesTest, EachLineEndsInTheSetItsHistoryCallsFor)
{
    const std::vector<Case> cases = {
        {"changed", {{'c', "L1", 5}}, {}, {{"L1", 5}}, {}},
        {"changed twice: once, last values", {{'c', "L1", 5}, {'c', "L1", 7}}, {}, {{"L1", 7}}, {}},
        {"added", {{'a', "N1", 1}}, {{"N1", 1}}, {}, {}},
        {"added then changed: an insertion", {{'a', "N1", 1}, {'c', "N1", 3}}, {{"N1", 3}}, {}, {}},
        {"added then deleted: nowhere", {{'a', "N1", 1}, {'d', "N1"}}, {}, {}, {}},
        {"changed then deleted: a removal", {{'c', "L1", 5}, {'d', "L1"}}, {}, {}, {{"L1", 5}}},
        {"deleted", {{'d', "L2"}}, {}, {}, {{"L2", 4}}},
        {"one of each",
         {{'a', "N1", 1}, {'c', "L1", 9}, {'d', "L2"}, {'a', "N2", 6}, {'d', "N2"}},
         {{"N1", 1}},
         {{"L1", 9}},
         {{"L2", 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        for (const Step& step : c.steps)
            run(step);
        EXPECT_EQ(rowsOf(set(names.inserts)), c.inserts);
        EXPECT_EQ(rowsOf(set(names.updates)), c.updates);
        EXPECT_EQ(rowsOf(set(names.deletes)), c.deletes);
        // The lines left are the document as it will be stored.
        Rows expected = {{"L1", 2}, {"L2", 4}};
        for (const Step& step : c.steps)
            if (step.op == 'd')
                expected.erase(step.id);
            else
                expected[step.id] = step.quantity;
        EXPECT_EQ(rowsOf(set(names.lines)), expected);
        // The stored lines with the changes applied are the lines as edited.
        TCustomEntity stored;
        makeLines(stored);
        appendLine(stored, "L1", 2);
        appendLine(stored, "L2", 4);
        ApplyLineChanges(stored, registry, GetParam());
        EXPECT_EQ(rowsOf(stored), expected);
    }
}

TEST_P(DetailChangesTest, OnlySetsHoldingRowsTravel)
{
    TParamData packet(paramkind::Data);
    AddLineChanges(packet, registry, GetParam());
    EXPECT_EQ(packet.RecordCount(), 0) << "nothing changed, nothing sent";

    run({'d', "L2"});
    run({'a', "N1", 1});
    AddLineChanges(packet, registry, GetParam());
    std::set<std::string> rows;
    for (packet.First(); !packet.Eof(); packet.Next())
        rows.insert(packet.FieldByName("Name").AsString());
    EXPECT_EQ(rows,
              (std::set<std::string>{std::string(names.inserts), std::string(names.deletes)}));
    TCustomEntity sent;
    sent.SetData(packet.GetParamData(names.deletes));
    EXPECT_EQ(rowsOf(sent), (Rows{{"L2", 4}}));

    ClearLineChanges(registry, GetParam());
    TParamData after(paramkind::Data);
    AddLineChanges(after, registry, GetParam());
    EXPECT_EQ(after.RecordCount(), 0);
}

TEST_P(DetailChangesTest, DeletingFromNoLinesFailsAndRecordsNothing)
{
    TCustomEntity& lines = registry.EntityByName(names.lines);
    lines.EmptyDataSet();
    EXPECT_THROW(RecordLineDelete(registry, GetParam()), Error);
    EXPECT_TRUE(set(names.deletes).IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothLevels, DetailChangesTest,
                         ::testing::Values(LineLevel::Detail, LineLevel::List));

} // namespace
} // namespace corvo::forms::test
