// Deleting, copying, merging and adding up rows of the entity dataset.
#include "EntityFixture.h"
#include "entity/Error.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace corvo;
using namespace corvo::test;

namespace {

class EntityRows : public ::testing::Test {
protected:
    void SetUp() override
    {
        declareDetail(e);
        addLines(e, {{"A01", "n1", Id(100), 1, "10.50", "2"},
                     {"B02", "n2", Id(100), 2, "20", "3"},
                     {"C03", "n3", Id(200), 3, "30.25", "4"},
                     {"D04", "n4", Id(200), 4, "-0.005", "5"}});
    }
    TCustomEntity e;
};

TEST_F(EntityRows, RemoveDuplicatesKeepsTheFirstOfEachValueAndDropsEmptyOnes)
{
    TCustomEntity t;
    declareDetail(t);
    addLines(t, {{"b", "1"}, {"a", "2"}, {"a", "3"}, {"", "4"}, {"b", "5"}});
    t.RemoveDuplicates("Code", "");
    EXPECT_EQ(column(t, "Code"), (Texts{"b", "a"})); // natural order again after ClearSort
    EXPECT_EQ(column(t, "Name"), (Texts{"1", "2"}));
    EXPECT_EQ(t.IndexDefs().Count(), 0);
}

TEST_F(EntityRows, DeleteAndKeepByValue)
{
    TCustomEntity t;
    t.CopyFrom(e);
    t.FilterEqual("Code", "A01");
    t.DeleteEqual("ParentID", Id(100));
    EXPECT_FALSE(t.Filtered());
    EXPECT_EQ(column(t, "Code"), (Texts{"C03", "D04"}));

    t.CopyFrom(e);
    t.KeepEqual("ParentID", Id(200));
    EXPECT_EQ(column(t, "Code"), (Texts{"C03", "D04"}));

    t.CopyFrom(e);
    t.First();
    t.Next();
    t.KeepOnlyValue("", ""); // ObjID of the current row
    EXPECT_EQ(column(t, "Code"), (Texts{"B02"}));

    t.CopyFrom(e);
    t.FilterEqual("Code", "A01");
    t.KeepEqualVariant("Qty", Variant(3));
    EXPECT_FALSE(t.Filtered());
    EXPECT_EQ(t.Filter(), "(Code='A01')");
    EXPECT_EQ(column(t, "Code"), (Texts{"C03"}));

    t.CopyFrom(e);
    t.DeleteEqualVariant("Amount", Variant(20.0));
    EXPECT_EQ(column(t, "Code"), (Texts{"A01", "C03", "D04"}));
}

TEST_F(EntityRows, DeleteInAndNotInLookUpFieldOneCaseInsensitively)
{
    TCustomEntity other;
    declareDetail(other);
    addLines(other, {{"x", ""}}, 2);
    addLines(other, {{"y", ""}}, 3);
    TCustomEntity t;
    t.CopyFrom(e);
    t.DeleteIn(other);
    EXPECT_EQ(column(t, "Code"), (Texts{"A01", "D04"}));
    t.CopyFrom(e);
    t.DeleteNotIn(other);
    EXPECT_EQ(column(t, "Code"), (Texts{"B02", "C03"}));

    TCustomEntity codes;
    codes.FieldDefs().Add("Item", FieldType::String, 10);
    codes.CreateDataSet();
    codes.AppendFirstField("c03");
    t.CopyFrom(e);
    t.DeleteInBy(codes, "Code", "Item");
    EXPECT_EQ(column(t, "Code"), (Texts{"A01", "B02", "D04"}));
    t.CopyFrom(e);
    t.DeleteNotInBy(codes, "Code", "Item");
    EXPECT_EQ(column(t, "Code"), (Texts{"C03"}));
}

TEST_F(EntityRows, MoveInAndNotInCarryRowsToTheTarget)
{
    TCustomEntity codes;
    codes.FieldDefs().Add("Item", FieldType::String, 10);
    codes.CreateDataSet();
    codes.AppendFirstField("b02");
    codes.AppendFirstField("D04");
    codes.FilterEqual("Item", "none"); // MoveIn clears the other table's filter

    TCustomEntity source, target;
    source.CopyFrom(e);
    source.MoveIn(codes, target, "Code", "Item");
    EXPECT_EQ(column(source, "Code"), (Texts{"A01", "C03"}));
    EXPECT_EQ(column(target, "Code"), (Texts{"B02", "D04"}));
    EXPECT_EQ(column(target, "Amount"), (Texts{"20", "-0.01"}));

    TCustomEntity rest;
    source.MoveNotIn(codes, rest, "Code", "Item");
    EXPECT_EQ(source.RecordCount(), 0);
    EXPECT_EQ(column(rest, "Code"), (Texts{"A01", "C03"}));
    // MoveIn empties an existing target first; MoveNotIn adds to it.
    source.CopyFrom(e);
    source.MoveIn(codes, target, "Code", "Item");
    EXPECT_EQ(target.RecordCount(), 2);
}

TEST_F(EntityRows, UpsertRecordChangesAKnownRowAndAppendsAnUnknownOne)
{
    TCustomEntity incoming;
    declareDetail(incoming);
    addLines(incoming, {{"B02", "renamed", Id(100), 9, "1"}}, 2);
    addLines(incoming, {{"E05", "new", Id(300), 5, "5"}}, 5);
    incoming.First();
    EXPECT_TRUE(e.UpsertRecord(incoming));
    EXPECT_EQ(e.RecordCount(), 4);
    EXPECT_TRUE(e.FindRecord("Code", "B02"));
    EXPECT_EQ(e.FieldByName("Name").AsString(), "renamed");
    incoming.Next();
    e.UpsertRecord(incoming);
    EXPECT_EQ(e.RecordCount(), 5);
    EXPECT_EQ(e.FieldByName("Code").AsString(), "E05");
    EXPECT_EQ(e.FieldByName("ObjID").AsString(), Id(5));
    EXPECT_EQ(e.FieldByName("Qty").AsString(), "5");
    EXPECT_EQ(e.State(), DataSetState::Browse);

    incoming.First();
    incoming.EditField("Name", "again");
    e.UpsertAll(incoming);
    EXPECT_EQ(e.RecordCount(), 5);
    EXPECT_EQ(column(e, "Name"), (Texts{"n1", "again", "n3", "n4", "new"}));
}

TEST_F(EntityRows, UpsertRecordIntoATableWithoutObjIDAlwaysAppends)
{
    TCustomEntity names;
    names.FieldDefs().Add("Name", FieldType::String, 20);
    names.CreateDataSet();
    e.First();
    names.UpsertRecord(e);
    names.UpsertRecord(e);
    EXPECT_EQ(column(names, "Name"), (Texts{"n1", "n1"}));
}

TEST_F(EntityRows, MergeRecordAddsDecimalsOfKnownKeys)
{
    TCustomEntity incoming;
    declareDetail(incoming);
    addLines(incoming, {{"C03", "m", Id(200), 7, "0.75", "1"}, {"Z09", "z", Id(300), 1, "1"}}, 50);
    e.MergeAll(incoming, "Code");
    EXPECT_EQ(e.RecordCount(), 5);
    ASSERT_TRUE(e.FindRecord("Code", "C03"));
    EXPECT_EQ(e.FieldByName("Amount").AsString(), "31");
    EXPECT_EQ(e.FieldByName("UnitPrice").AsString(), "5");
    EXPECT_EQ(e.FieldByName("Qty").AsString(), "7"); // not decimal: overwritten
    EXPECT_EQ(e.FieldByName("Name").AsString(), "m");
}

TEST_F(EntityRows, AssignRecordOverwritesTheCurrentRowOrAppendsIntoAnEmptyTable)
{
    TCustomEntity single;
    declareDetail(single);
    e.First();
    single.AssignRecord(e);
    e.Next();
    single.AssignRecord(e);
    EXPECT_EQ(single.RecordCount(), 1);
    EXPECT_EQ(single.FieldByName("Code").AsString(), "B02");
}

TEST_F(EntityRows, AssignRecordCopiesBlobsThroughAStream)
{
    TCustomEntity a, b;
    for (auto* t : {&a, &b}) {
        t->FieldDefs().Add("Name", FieldType::String, 30);
        t->FieldDefs().Add("Data", FieldType::Blob);
        t->CreateDataSet();
    }
    std::string payload("\x00\x01\xff packet", 10);
    std::istringstream in(payload);
    a.AppendFirstField("p");
    a.LoadDataBlob(in);
    b.AssignRecord(a);
    std::ostringstream out;
    b.FieldByName("Data").SaveToStream(out);
    EXPECT_EQ(out.str(), payload);
}

TEST_F(EntityRows, SumsWalkTheVisibleRows)
{
    EXPECT_DOUBLE_EQ(e.SumField("Amount"), 10.5 + 20 + 30.25 - 0.01);
    EXPECT_TRUE(e.Eof());
    double sum2 = 0, sum23 = 0;
    EXPECT_DOUBLE_EQ(e.SumFieldPair("Qty", "UnitPrice", sum2), 10);
    EXPECT_DOUBLE_EQ(sum2, 14);
    EXPECT_DOUBLE_EQ(e.SumTwoFields("Qty", "UnitPrice"), 24);
    EXPECT_DOUBLE_EQ(e.SumFieldAndPair("Qty", "UnitPrice", sum23, "Amount"), 10);
    EXPECT_DOUBLE_EQ(sum23, 14 + 60.74);
    std::string text2;
    EXPECT_EQ(e.SumFieldPairText("Amount", "Qty", text2), "60.74");
    EXPECT_EQ(text2, "10");
    e.FilterEqual("ParentID", Id(100));
    EXPECT_EQ(e.SumFieldText("Amount"), "30.5");
    TCustomEntity empty;
    declareDetail(empty);
    EXPECT_EQ(empty.SumField("Amount"), 0);
}

TEST_F(EntityRows, FillProductSumsTheRoundedTargets)
{
    // Amount := Qty × UnitPrice, stored at two decimals.
    e.First();
    e.EditField("UnitPrice", "0.335");
    EXPECT_NEAR(e.FillProduct("Amount", "Qty", "UnitPrice"), 0.34 + 6 + 12 + 20, 1e-9);
    e.First();
    EXPECT_EQ(e.FieldByName("Amount").AsString(), "0.34");
}

TEST_F(EntityRows, AddAndSubtractAmountsSkipUnitPrice)
{
    TCustomEntity delta;
    declareDetail(delta);
    addLines(delta, {{"x", "", "", 9, "1.25", "100"}});
    e.First();
    e.AddAmounts(delta);
    EXPECT_EQ(e.FieldByName("Amount").AsString(), "11.75");
    EXPECT_EQ(e.FieldByName("UnitPrice").AsString(), "2");
    EXPECT_EQ(e.FieldByName("Qty").AsString(), "1");
    e.SubtractAmounts(delta);
    e.SubtractAmounts(delta);
    EXPECT_EQ(e.FieldByName("Amount").AsString(), "9.25");
}

TEST_F(EntityRows, FirstNegativeAmountFieldIgnoresTinyNegatives)
{
    // D04 holds -0.005 rounded to -0.01, within 0.01 of zero.
    e.Last();
    EXPECT_EQ(e.FirstNegativeAmountField(), -1);
    e.EditField("UnitPrice", "-0.02");
    EXPECT_EQ(e.FirstNegativeAmountField(), 7);
    EXPECT_TRUE(e.CheckAmountsNonNegative());
}

TEST_F(EntityRows, SumByKeyCollapsesEachKeyIntoItsFirstRow)
{
    e.SumByKey("ParentID", "Amount");
    EXPECT_EQ(e.IndexDefs().Count(), 0);
    EXPECT_EQ(column(e, "Code"), (Texts{"A01", "C03"}));
    EXPECT_EQ(column(e, "Amount"), (Texts{"30.5", "30.24"}));
}

TEST_F(EntityRows, MergeDuplicateKeysSumsEveryDecimalButUnitPrice)
{
    e.FilterEqual("Code", "A01"); // cleared by the merge
    e.MergeDuplicateKeys("ParentID");
    EXPECT_FALSE(e.Filtered());
    EXPECT_EQ(column(e, "Code"), (Texts{"A01", "C03"}));
    EXPECT_EQ(column(e, "Amount"), (Texts{"30.5", "30.24"}));
    EXPECT_EQ(column(e, "UnitPrice"), (Texts{"2", "4"}));
    EXPECT_EQ(column(e, "Qty"), (Texts{"1", "3"}));
}

TEST_F(EntityRows, WritingOperations)
{
    e.SetFieldForAll("Name", "same");
    EXPECT_EQ(column(e, "Name"), (Texts{"same", "same", "same", "same"}));
    e.NumberRows("Qty");
    EXPECT_EQ(column(e, "Qty"), (Texts{"1", "2", "3", "4"}));
    e.AppendFromStrings({"T", Id(9), "F06"});
    EXPECT_EQ(e.FieldByName("Code").AsString(), "F06");
    e.AppendBlankRows(2);
    EXPECT_EQ(e.RecordCount(), 7);
    e.EditFieldByIndex(2, "G07");
    EXPECT_EQ(e.FieldByName("Code").AsString(), "G07");

    TCustomEntity status;
    status.FieldDefs().Add("Name", FieldType::String, 30);
    status.FieldDefs().Add("Value", FieldType::String, 200);
    status.FieldDefs().Add("Field", FieldType::String, 30);
    status.CreateDataSet();
    status.AppendFromStrings({"TDetail", "done", "Name"});
    e.ApplyParamRow(status);
    EXPECT_EQ(column(e, "Name"), Texts(7, "done"));
}

TEST_F(EntityRows, DeleteByObjIDAndCopyStructure)
{
    TCustomEntity gone;
    declareDetail(gone);
    addLines(gone, {{"x", ""}}, 2);
    addLines(gone, {{"y", ""}}, 4);
    addLines(gone, {{"z", ""}}, 77);
    e.DeleteAllByObjID(gone);
    EXPECT_EQ(column(e, "Code"), (Texts{"A01", "C03"}));
    e.First();
    e.DeleteCurrent();
    EXPECT_EQ(column(e, "Code"), (Texts{"C03"}));

    TCustomEntity shape;
    shape.CopyStructure(e);
    EXPECT_EQ(shape.FieldCount(), 8);
    EXPECT_EQ(shape.RecordCount(), 0);
    EXPECT_EQ(shape.Fields(6).DataType(), FieldType::BCD);
}

TEST_F(EntityRows, LargeTablesKeepTheSameResults)
{
    // Beyond the size where searches are hashed; the results must not change.
    TCustomEntity big, keys;
    declareDetail(big);
    keys.FieldDefs().Add("Code", FieldType::String, 10);
    keys.CreateDataSet();
    big.DisableControls();
    for (int i = 0; i < 3000; ++i) {
        big.Append();
        big.FieldByName("ObjID").SetAsString(Id(i + 1));
        big.FieldByName("Code").SetAsString("K" + std::to_string(i));
        big.FieldByName("ParentID").SetAsString(Id(i % 7));
        big.FieldByName("Amount").SetAsString("1.5");
        big.Post();
        if (i % 3 == 0) keys.AppendFirstField("k" + std::to_string(i));
    }
    big.EnableControls();
    TCustomEntity copy;
    copy.CopyFrom(big);
    copy.DeleteNotInBy(keys, "Code", "Code");
    EXPECT_EQ(copy.RecordCount(), 1000);
    EXPECT_TRUE(copy.FindRecord("Code", "K2997"));
    EXPECT_FALSE(copy.FindRecord("Code", "K2998"));
    copy.UpsertAll(big);
    EXPECT_EQ(copy.RecordCount(), 3000);
    big.SumByKey("ParentID", "Amount");
    EXPECT_EQ(big.RecordCount(), 7);
    EXPECT_DOUBLE_EQ(big.SumField("Amount"), 4500);
}

} // namespace

namespace {

TEST_F(EntityRows, UpsertAllEndsAsRowByRowUpsertsDo)
{
    TCustomEntity incoming;
    declareDetail(incoming);
    addLines(incoming, {{"Z02", "moved", Id(100), 9, "1"}}, 2); // known, its sort key changes
    addLines(incoming, {{"A00", "new", Id(300), 5, "5"}}, 40);
    addLines(incoming, {{"C03", "same key", Id(200), 3, "7"}}, 3);
    for (const char* mode : {"", "index"}) {
        SCOPED_TRACE(mode);
        TCustomEntity bulk, single;
        bulk.CopyFrom(e);
        single.CopyFrom(e);
        if (*mode) {
            bulk.SortAsc("Code", "");
            single.SortAsc("Code", "");
        }
        bulk.UpsertAll(incoming);
        incoming.First();
        while (!incoming.Eof()) {
            single.UpsertRecord(incoming);
            incoming.Next();
        }
        EXPECT_EQ(bulk.FieldByName("Code").AsString(), single.FieldByName("Code").AsString());
        EXPECT_EQ(bulk.RecNo(), single.RecNo());
        EXPECT_EQ(column(bulk, "Code"), column(single, "Code"));
        EXPECT_EQ(column(bulk, "Amount"), column(single, "Amount"));
        EXPECT_EQ(bulk.Data().asBytes(), single.Data().asBytes());
    }
}

} // namespace

namespace {

TEST_F(EntityRows, SumsBeyondTheDecimalRangeAreAnErrorAndDeleteNothing)
{
    TCustomEntity t;
    declareDetail(t);
    addLines(t,
             {{"A", "", Id(1), 0, "90000000000000000"}, {"B", "", Id(1), 0, "90000000000000000"}});
    EXPECT_THROW(t.SumByKey("ParentID", "Amount"), Error);
    EXPECT_EQ(t.RecordCount(), 2);
}

} // namespace
