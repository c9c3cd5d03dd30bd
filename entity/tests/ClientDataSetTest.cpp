#include "EntityFixture.h"
#include "TestTables.h"
#include "entity/Error.h"

#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvo;
using namespace corvo::test;
using ::testing::HasSubstr;

namespace {

} // namespace

// ---------------------------------------------------------------------------------------
// Structure

TEST(ClientDataSetStructure, DeclarationsTakeEffectAtCreateDataSet)
{
    TClientDataSet ds;
    EXPECT_EQ(ds.State(), DataSetState::Inactive);
    ds.FieldDefs().Add("Code", FieldType::String, 10);
    ds.FieldDefs().Add(G("数量"), FieldType::Integer);
    EXPECT_EQ(ds.FieldDefs().Count(), 2);
    EXPECT_EQ(ds.FieldCount(), 0);

    ds.CreateDataSet();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_TRUE(ds.IsEmpty());
    ASSERT_EQ(ds.FieldCount(), 2);
    EXPECT_EQ(ds.Fields(0).FieldName(), "Code");
    EXPECT_EQ(ds.Fields(0).DataType(), FieldType::String);
    EXPECT_EQ(ds.Fields(0).Size(), 10);
    EXPECT_EQ(ds.Fields(1).FieldName(), G("数量"));
    EXPECT_EQ(ds.Fields(1).Index(), 1);
    EXPECT_EQ(ds.Fields(1).DisplayLabel(), G("数量"));

    addRow(ds, {"a", "1"});
    ds.FieldDefs().Add("Late", FieldType::Integer);
    EXPECT_EQ(ds.FieldCount(), 2) << "a declaration waits for the next CreateDataSet";
    ds.CreateDataSet();
    EXPECT_EQ(ds.FieldCount(), 3);
    EXPECT_TRUE(ds.IsEmpty());
}

TEST(ClientDataSetStructure, FieldsAreFoundByNameIgnoringCase)
{
    TClientDataSet ds;
    build(ds, {{"Code", FieldType::String, 10}, {"ObjID", FieldType::Guid, 38}});
    EXPECT_EQ(&ds.FieldByName("OBJID"), &ds.Fields(1));
    EXPECT_EQ(ds.FindField("code"), &ds.Fields(0));
    EXPECT_EQ(ds.FindField("Name"), nullptr);
    EXPECT_EQ(ds.FieldIndexOf("objid"), 1);
    EXPECT_EQ(ds.FieldIndexOf("Name"), -1);
    EXPECT_EQ(ds.FieldDefs().IndexOf("CODE"), 0);
    EXPECT_EQ(ds.FieldDefs().IndexOf("Name"), -1);
}

TEST(ClientDataSetStructure, UnknownFieldErrorNamesTheField)
{
    TClientDataSet ds;
    build(ds, {{"Code", FieldType::String, 10}});
    EXPECT_THAT(errorOf([&] { ds.FieldByName("Missing"); }), HasSubstr("Missing"));
    EXPECT_THAT(errorOf([&] { ds.FieldByName(G("名称")); }), HasSubstr("名称"));
    EXPECT_THAT(errorOf([&] { ds.Fields(1); }), HasSubstr("1"));
}

TEST(ClientDataSetStructure, CreateDataSetRefusesBadDeclarations)
{
    struct Case {
        const char* what;
        std::vector<FieldDef> defs;
        const char* named;
    };
    const Case cases[] = {
        {"no fields", {}, ""},
        {"same name in another case",
         {{"Code", FieldType::String, 10}, {"CODE", FieldType::Integer}},
         "CODE"},
        {"negative size", {{"Code", FieldType::String, -1}}, "Code"},
        {"BCD scale above 18", {{"Amount", FieldType::BCD, 19}}, "Amount"},
    };
    for (const Case& c : cases) {
        TClientDataSet ds;
        ds.FieldDefs().assign(c.defs);
        std::string error = errorOf([&] { ds.CreateDataSet(); });
        EXPECT_NE(error, "(no error)") << c.what;
        EXPECT_THAT(error, HasSubstr(c.named)) << c.what;
        EXPECT_FALSE(ds.Active()) << c.what;
    }
}

TEST(ClientDataSetStructure, WritingAFieldOutsideEditIsAnErrorNamingIt)
{
    TClientDataSet ds;
    build(ds, {{"Code", FieldType::String, 10}});
    addRow(ds, {"a"});
    EXPECT_THAT(errorOf([&] { ds.FieldByName("Code").SetAsString("b"); }), HasSubstr("Code"));
    EXPECT_EQ(current(ds, "Code"), "a");
}

// ---------------------------------------------------------------------------------------
// Cursor

TEST(ClientDataSetCursor, MovesOverTheRowsWithBofAndEof)
{
    TClientDataSet ds;
    buildNumbered(ds, 3);

    ds.First();
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 1);
    ds.Prior();
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(current(ds, "Key"), "1");

    ds.Next();
    EXPECT_FALSE(ds.Bof());
    EXPECT_EQ(current(ds, "Key"), "2");
    ds.Next();
    EXPECT_FALSE(ds.Eof()) << "on the last row, not past it";
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(current(ds, "Key"), "3") << "Next on the last row stays on it";
    EXPECT_EQ(ds.RecNo(), 3);

    ds.Prior();
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(current(ds, "Key"), "2");

    ds.Last();
    EXPECT_EQ(current(ds, "Key"), "3");
    EXPECT_FALSE(ds.Bof());

    ds.SetRecNo(2);
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(current(ds, "Key"), "2");
    EXPECT_EQ(column(ds, "Key"), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(ClientDataSetCursor, EmptyTableIsBothBofAndEof)
{
    TClientDataSet ds;
    buildNumbered(ds, 0);
    ds.First();
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 0);
    EXPECT_EQ(ds.RecordCount(), 0);
    EXPECT_TRUE(ds.FieldByName("Key").IsNull());
    ds.Last();
    EXPECT_TRUE(ds.Eof());
}

struct DeleteCase {
    const char* what;
    int rows;
    int at;
    const char* nowCurrent; ///< "" when the table became empty
    int recNo;
};

class ClientDataSetDelete : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(ClientDataSetDelete, TheFollowingRowBecomesCurrent)
{
    const DeleteCase& c = GetParam();
    TClientDataSet ds;
    buildNumbered(ds, c.rows);
    ds.SetRecNo(c.at);
    if (c.at == c.rows) ds.Next(); // sets Eof, which Delete must clear

    ds.Delete();
    EXPECT_EQ(ds.RecordCount(), c.rows - 1);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(current(ds, "Key"), c.nowCurrent);
    EXPECT_EQ(ds.RecNo(), c.recNo);
    EXPECT_EQ(ds.Eof(), c.rows == 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClientDataSetDelete,
                         ::testing::Values(DeleteCase{"first of three", 3, 1, "2", 1},
                                           DeleteCase{"middle of three", 3, 2, "3", 2},
                                           DeleteCase{"last of three", 3, 3, "2", 2},
                                           DeleteCase{"only row", 1, 1, "", 0}),
                         [](const auto& info) {
                             std::string n = info.param.what;
                             for (char& ch : n)
                                 if (ch == ' ') ch = '_';
                             return n;
                         });

TEST(ClientDataSetCursor, DeleteFollowsTheActiveOrderAndTheVisibleRows)
{
    TClientDataSet ds;
    buildNumbered(ds, 6);
    ds.AddIndex("KeyDesc", "Key", IndexOrder::Descending);
    ds.SetIndexName("KeyDesc");
    ds.SetFilter("Key<='4'");
    ds.SetFiltered(true); // visible: 4 3 2 1
    ASSERT_TRUE(ds.Locate("Key", "3"));
    ds.Delete();
    EXPECT_EQ(current(ds, "Key"), "2");
    ds.Last();
    ds.Delete();
    EXPECT_EQ(current(ds, "Key"), "2") << "the new last visible row";
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(column(ds, "Key"), (std::vector<std::string>{"4", "2"}));
}

TEST(ClientDataSetCursor, DeleteWalkVisitsEveryRowOnce)
{
    // The "Delete, otherwise Next" walk used to remove rows by value.
    TClientDataSet ds;
    build(ds, {{"Key", FieldType::String, 10}});
    for (const char* k : {"x", "a", "x", "x", "b", "x"})
        addRow(ds, {k});
    std::vector<std::string> kept;
    ds.First();
    for (int steps = ds.RecordCount(); steps > 0; --steps) {
        if (current(ds, "Key") == "x")
            ds.Delete();
        else {
            kept.push_back(current(ds, "Key"));
            ds.Next();
        }
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(column(ds, "Key"), (std::vector<std::string>{"a", "b"}));
}

TEST(ClientDataSetEditing, DeleteOnAnEmptyTableIsAnError)
{
    TClientDataSet ds;
    buildNumbered(ds, 0);
    EXPECT_THROW(ds.Delete(), Error);
}

TEST(ClientDataSetEditing, DeleteWhileInsertingDropsTheNewRow)
{
    TClientDataSet ds;
    buildNumbered(ds, 2);
    ds.First();
    ds.Append();
    ds.FieldByName("Key").SetAsString("new");
    ds.Delete();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(column(ds, "Key"), (std::vector<std::string>{"1", "2"}));
}

TEST(ClientDataSetEditing, AppendedRowIsPostedAndStaysCurrent)
{
    TClientDataSet ds;
    buildNumbered(ds, 2);
    ds.First();
    ds.Append();
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    EXPECT_TRUE(ds.FieldByName("Key").IsNull()) << "a new row starts empty";
    ds.FieldByName("Key").SetAsString("9");
    ds.Post();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(current(ds, "Key"), "9");
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ds.RecordCount(), 3);
}

TEST(ClientDataSetEditing, EditChangesTheCurrentRowWhichStaysCurrent)
{
    TClientDataSet ds;
    buildNumbered(ds, 3);
    ds.SetRecNo(2);
    ds.Edit();
    EXPECT_EQ(ds.State(), DataSetState::Edit);
    ds.FieldByName("Key").SetAsString("two");
    EXPECT_EQ(current(ds, "Key"), "two") << "the edit buffer is what the field reads";
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(column(ds, "Key"), (std::vector<std::string>{"1", "two", "3"}));
}

TEST(ClientDataSetEditing, EditOnAnEmptyTableStartsANewRow)
{
    TClientDataSet ds;
    buildNumbered(ds, 0);
    ds.Edit();
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    ds.FieldByName("Key").SetAsString("only");
    ds.Post();
    EXPECT_EQ(column(ds, "Key"), (std::vector<std::string>{"only"}));
}

TEST(ClientDataSetEditing, EmptyDataSetKeepsTheStructure)
{
    TClientDataSet ds;
    buildNumbered(ds, 3);
    ds.EmptyDataSet();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.FieldCount(), 1);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    addRow(ds, {"again"});
    EXPECT_EQ(column(ds, "Key"), (std::vector<std::string>{"again"}));
}

TEST(ClientDataSetEditing, ReadOnlyTableRefusesChanges)
{
    const std::pair<const char*, std::function<void(TClientDataSet&)>> operations[] = {
        {"Edit", [](TClientDataSet& ds) { ds.Edit(); }},
        {"Append", [](TClientDataSet& ds) { ds.Append(); }},
        {"Delete", [](TClientDataSet& ds) { ds.Delete(); }},
        {"EmptyDataSet", [](TClientDataSet& ds) { ds.EmptyDataSet(); }},
    };
    for (const auto& [name, operation] : operations) {
        TClientDataSet ds;
        buildNumbered(ds, 2);
        ds.SetReadOnly(true);
        EXPECT_THROW(operation(ds), Error) << name;
        EXPECT_EQ(ds.State(), DataSetState::Browse) << name;
        EXPECT_EQ(ds.RecordCount(), 2) << name;
        ds.SetReadOnly(false);
        EXPECT_NO_THROW(operation(ds)) << name;
    }
}

struct PendingCase {
    const char* what;
    bool append;
    bool change;
    std::vector<std::string> rowsAfter;
};

class ClientDataSetMergeChangeLog : public ::testing::TestWithParam<PendingCase> {};

TEST_P(ClientDataSetMergeChangeLog, EndsThePendingEdit)
{
    const PendingCase& c = GetParam();
    TClientDataSet ds;
    buildNumbered(ds, 2);
    ds.Last();
    if (c.append)
        ds.Append();
    else
        ds.Edit();
    if (c.change) ds.FieldByName("Key").SetAsString("x");
    ds.MergeChangeLog();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(column(ds, "Key"), c.rowsAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClientDataSetMergeChangeLog,
    ::testing::Values(PendingCase{"ChangedInsertIsPosted", true, true, {"1", "2", "x"}},
                      PendingCase{"UnchangedInsertIsDropped", true, false, {"1", "2"}},
                      PendingCase{"ChangedEditIsPosted", false, true, {"1", "x"}},
                      PendingCase{"UnchangedEditIsLeft", false, false, {"1", "2"}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ClientDataSetEditing, MovingTheCursorPostsAChangedRow)
{
    TClientDataSet ds;
    buildNumbered(ds, 2);
    ds.First();
    ds.Edit();
    ds.FieldByName("Key").SetAsString("one");
    ds.Next();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(column(ds, "Key"), (std::vector<std::string>{"one", "2"}));
}

// ---------------------------------------------------------------------------------------
// Bookmarks

TEST(ClientDataSetBookmark, ReturnsToItsRowAfterReordering)
{
    TClientDataSet ds;
    buildNumbered(ds, 5);
    ds.SetRecNo(2);
    Bookmark two = ds.GetBookmark();
    ds.AddIndex("Desc", "Key", IndexOrder::Descending);
    ds.SetIndexName("Desc");
    ds.First();
    ds.GotoBookmark(two);
    EXPECT_EQ(current(ds, "Key"), "2");
    EXPECT_EQ(ds.RecNo(), 4);
}

TEST(ClientDataSetBookmark, TextFormRoundTrips)
{
    TClientDataSet ds;
    buildNumbered(ds, 3);
    ds.SetRecNo(3);
    const Bookmark b = ds.GetBookmark();
    const auto back = Bookmark::fromText(b.toText());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, b);
    ds.First();
    ds.GotoBookmark(*back);
    EXPECT_EQ(current(ds, "Key"), "3");

    for (const char* bad : {"", "7", "a:b", "1:", ":1", "1:2:3", "-1:2", "1:99999999999"})
        EXPECT_FALSE(Bookmark::fromText(bad).has_value()) << bad;
}

TEST(ClientDataSetBookmark, ComparesByPositionInTheActiveOrder)
{
    TClientDataSet ds;
    buildNumbered(ds, 3);
    ds.First();
    const Bookmark one = ds.GetBookmark();
    ds.Last();
    const Bookmark three = ds.GetBookmark();
    EXPECT_EQ(ds.CompareBookmarks(one, three), -1);
    EXPECT_EQ(ds.CompareBookmarks(three, one), 1);
    EXPECT_EQ(ds.CompareBookmarks(one, one), 0);
    ds.AddIndex("Desc", "Key", IndexOrder::Descending);
    ds.SetIndexName("Desc");
    EXPECT_EQ(ds.CompareBookmarks(one, three), 1);
}

TEST(ClientDataSetBookmark, InvalidOnceItsRowIsGone)
{
    TClientDataSet ds;
    buildNumbered(ds, 3);
    ds.SetRecNo(2);
    const Bookmark two = ds.GetBookmark();
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(two));
    EXPECT_THROW(ds.GotoBookmark(two), Error);
    EXPECT_EQ(current(ds, "Key"), "3") << "a failed goto leaves the cursor";

    // A new row after EmptyDataSet may reuse the storage slot; the old bookmark must not
    // lead to it.
    ds.First();
    const Bookmark first = ds.GetBookmark();
    ds.EmptyDataSet();
    addRow(ds, {"new"});
    EXPECT_FALSE(ds.BookmarkValid(first));
    EXPECT_THROW(ds.GotoBookmark(first), Error);
}

TEST(ClientDataSetBookmark, RowHiddenByTheFilterCannotBeReached)
{
    TClientDataSet ds;
    buildNumbered(ds, 3);
    ds.SetRecNo(3);
    const Bookmark three = ds.GetBookmark();
    ds.SetFilter("Key='1'");
    ds.SetFiltered(true);
    EXPECT_THROW(ds.GotoBookmark(three), Error);
    ds.SetFiltered(false);
    ds.GotoBookmark(three);
    EXPECT_EQ(current(ds, "Key"), "3");
}

// ---------------------------------------------------------------------------------------
// Data sources

namespace {

struct Recorder : DataSetListener {
    std::vector<DataChange> changes;
    void dataSetChanged(TClientDataSet&, DataChange change) override { changes.push_back(change); }
};

} // namespace

TEST(ClientDataSetListener, IsToldAboutRowsCursorAndStructure)
{
    TClientDataSet ds;
    Recorder r;
    ds.addListener(&r);
    buildNumbered(ds, 2);
    EXPECT_EQ(r.changes.front(), DataChange::Structure);
    EXPECT_EQ(r.changes.back(), DataChange::Rows) << "a posted row";
    r.changes.clear();
    ds.First();
    ds.Next();
    EXPECT_EQ(r.changes, (std::vector<DataChange>{DataChange::Cursor, DataChange::Cursor}));
    ds.removeListener(&r);
    ds.First();
    EXPECT_EQ(r.changes.size(), 2u);
}

TEST(ClientDataSetListener, DisableControlsIsCountedAndEndsWithOneRowsNotice)
{
    Recorder r; // outlives the table, which tells it when it goes
    TClientDataSet ds;
    buildNumbered(ds, 3);
    ds.addListener(&r);

    ds.DisableControls();
    ds.DisableControls();
    for (ds.First(); !ds.Eof(); ds.Next()) {
        ds.Edit();
        ds.FieldByName("Key").SetAsString(current(ds, "Key") + "!");
        ds.Post();
    }
    ds.EnableControls();
    EXPECT_TRUE(ds.ControlsDisabled());
    EXPECT_TRUE(r.changes.empty()) << "held back while still disabled once";
    ds.EnableControls();
    EXPECT_FALSE(ds.ControlsDisabled());
    EXPECT_EQ(r.changes, std::vector<DataChange>{DataChange::Rows});

    r.changes.clear();
    ds.DisableControls();
    ds.EnableControls();
    EXPECT_TRUE(r.changes.empty()) << "nothing changed, nothing to tell";
    ds.EnableControls(); // one too many must not underflow the count
    ds.First();
    EXPECT_EQ(r.changes, std::vector<DataChange>{DataChange::Cursor});
}
