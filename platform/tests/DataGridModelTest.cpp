// The table model over a client dataset: columns and titles, cell texts, following the
// dataset's changes with the right signals, DisableControls, and lifetimes.
#include "platform/DataGridModel.h"

#include "GridFixture.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

namespace corvo::platform::test {
namespace {

// ---------------------------------------------------------------------------------------
// Columns and titles

struct ColumnCase {
    const char* name;
    std::function<void(TClientDataSet&)> change;
    QStringList titles;
    friend void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.name; }
};

class ModelColumns : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(ModelColumns, FollowVisibleFieldsAndCaptions)
{
    TClientDataSet ds;
    buildGoods(ds, {"A", "B"});
    DataGridModel boundBefore;
    boundBefore.setDataSet(&ds);
    GetParam().change(ds);
    DataGridModel boundAfter;
    boundAfter.setDataSet(&ds);

    EXPECT_EQ(titles(boundAfter), GetParam().titles);
    EXPECT_EQ(snapshot(boundBefore), snapshot(boundAfter));
}

void hide(TClientDataSet& ds, const char* field)
{
    ds.FieldByName(field).SetVisible(false);
}

void label(TClientDataSet& ds, const char* field, const char* utf8)
{
    ds.FieldByName(field).SetDisplayLabel(G(utf8));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelColumns,
    ::testing::Values(ColumnCase{"EveryFieldByItsName",
                                 [](TClientDataSet&) {},
                                 {"Code", "Name", "Qty", "Amount"}},
                      ColumnCase{"HiddenFieldsHaveNoColumn",
                                 [](TClientDataSet& ds) {
                                     hide(ds, "Name");
                                     hide(ds, "Qty");
                                 },
                                 {"Code", "Amount"}},
                      ColumnCase{"CaptionsTitleTheColumns",
                                 [](TClientDataSet& ds) {
                                     label(ds, "Code", "编号");
                                     label(ds, "Amount", "金额");
                                 },
                                 {Q("编号"), "Name", "Qty", Q("金额")}},
                      ColumnCase{"BarsSplitATitleIntoLines",
                                 [](TClientDataSet& ds) { label(ds, "Amount", "金额|合计|元"); },
                                 {"Code", "Name", "Qty", Q("金额\n合计\n元")}},
                      ColumnCase{"ShownAgainInFieldOrder",
                                 [](TClientDataSet& ds) {
                                     hide(ds, "Code");
                                     ds.FieldByName("Code").SetVisible(true);
                                 },
                                 {"Code", "Name", "Qty", "Amount"}},
                      ColumnCase{"NoVisibleFieldNoColumn",
                                 [](TClientDataSet& ds) {
                                     for (const char* f : {"Code", "Name", "Qty", "Amount"})
                                         hide(ds, f);
                                 },
                                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModelTitles, BarsStayWhenMultiLineTitlesAreOff)
{
    TClientDataSet ds;
    buildGoods(ds, {"A"});
    label(ds, "Amount", "金额|合计");
    DataGridModel model;
    model.setDataSet(&ds);
    model.setMultiLineTitles(false);
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), Q("金额|合计"));
}

// ---------------------------------------------------------------------------------------
// Cell texts

struct CellCase {
    const char* name;
    FieldType type;
    int size;
    Variant value;
    QString text;
    bool rightAligned;
    friend void PrintTo(const CellCase& c, std::ostream* os) { *os << c.name; }
};

class ModelCells : public ::testing::TestWithParam<CellCase> {};

TEST_P(ModelCells, ShowTheFieldsTextAligned)
{
    const CellCase& c = GetParam();
    TClientDataSet ds;
    corvo::test::build(ds, {{"F", c.type, c.size}});
    ds.Append();
    ds.Fields(0).SetAsVariant(c.value);
    ds.Post();
    DataGridModel model;
    model.setDataSet(&ds);

    const QModelIndex cell = model.index(0, 0);
    EXPECT_EQ(model.data(cell).toString(), c.text);
    const auto alignment = Qt::Alignment(model.data(cell, Qt::TextAlignmentRole).toInt());
    EXPECT_EQ(alignment.testFlag(Qt::AlignRight), c.rightAligned);
    EXPECT_EQ(alignment.testFlag(Qt::AlignLeft), !c.rightAligned);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelCells,
    ::testing::Values(
        CellCase{"Text", FieldType::String, 10, "abc", "abc", false},
        CellCase{"ChineseText", FieldType::String, 10, G("衬衫"), Q("衬衫"), false},
        CellCase{"Memo", FieldType::Memo, 0, G("备注"), Q("备注"), false},
        CellCase{"Smallint", FieldType::Smallint, 0, 5, "5", true},
        CellCase{"Integer", FieldType::Integer, 0, 42, "42", true},
        CellCase{"NegativeLargeint", FieldType::Largeint, 0, int64_t{-7000000000}, "-7000000000",
                 true},
        CellCase{"Decimal", FieldType::BCD, 2, "12.50", "12.5", true},
        CellCase{"Float", FieldType::Float, 0, 1.25, "1.25", true},
        CellCase{"NullNumber", FieldType::Integer, 0, Variant(), "", true},
        CellCase{"Boolean", FieldType::Boolean, 0, true, "True", false},
        CellCase{"Date", FieldType::DateTime, 0, *DateTime::fromDate(2024, 1, 2), "2024-01-02",
                 false},
        CellCase{"Guid", FieldType::Guid, 38, "{D1C7A000-0000-0000-0000-0000000000A1}",
                 "{D1C7A000-0000-0000-0000-0000000000A1}", false},
        CellCase{"Blob", FieldType::Blob, 0, Bytes{0x81, 0x00, 0xFF}, "(BLOB)", false},
        CellCase{"NullBlob", FieldType::Blob, 0, Variant(), "", false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Following changes

struct ChangeCase {
    const char* name;
    std::function<void(TClientDataSet&)> change;
    QStringList shape; ///< the signals that change the table's shape, in order
    QStringList codes;
    friend void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }
};

/// Rows A, B, C with the cursor on B.
class ModelChanges : public ::testing::TestWithParam<ChangeCase> {
protected:
    void SetUp() override
    {
        buildGoods(ds, {"A", "B", "C"});
        ds.SetRecNo(2);
        model.setDataSet(&ds);
    }

    TClientDataSet ds;
    DataGridModel model;
};

TEST_P(ModelChanges, AreSignalledWhereTheyHappen)
{
    SignalLog log(model);
    GetParam().change(ds);

    EXPECT_EQ(log.shape(), GetParam().shape);
    EXPECT_EQ(columnTexts(model, 0), GetParam().codes);
    // Whatever was signalled, the model reads like one bound afresh.
    DataGridModel fresh;
    fresh.setDataSet(&ds);
    EXPECT_EQ(snapshot(model), snapshot(fresh));
    EXPECT_EQ(model.currentRow(), fresh.currentRow());
}

void setCode(TClientDataSet& ds, const char* code)
{
    ds.FieldByName("Code").SetAsString(code);
}

Variant packetOfCodes(std::initializer_list<const char*> codes)
{
    TClientDataSet other;
    buildGoods(other, codes);
    return other.Data();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelChanges,
    ::testing::Values(
        ChangeCase{"AppendShowsTheNewRowAtOnce",
                   [](TClientDataSet& ds) {
                       ds.Append();
                       setCode(ds, "D");
                       ds.Post();
                   },
                   {"inserted 3-3"},
                   {"A", "B", "C", "D"}},
        ChangeCase{"DeleteWhileAppendingDropsTheNewRow",
                   [](TClientDataSet& ds) {
                       ds.Append();
                       ds.Delete();
                   },
                   {"inserted 3-3", "removed 3-3"},
                   {"A", "B", "C"}},
        ChangeCase{"AnUnchangedNewRowGoesWhenTheCursorMoves",
                   [](TClientDataSet& ds) {
                       ds.Append();
                       ds.First();
                   },
                   {"inserted 3-3", "removed 3-3"},
                   {"A", "B", "C"}},
        ChangeCase{"APostedRowTakesItsSortedPlace",
                   [](TClientDataSet& ds) {
                       ds.AddIndex("ByCode", "Code", IndexOrder::Ascending);
                       ds.SetIndexName("ByCode");
                       ds.Append();
                       setCode(ds, "AB");
                       ds.Post();
                   },
                   {"inserted 3-3"},
                   {"A", "AB", "B", "C"}},
        ChangeCase{"AnEditChangesTheRowInPlace",
                   [](TClientDataSet& ds) {
                       ds.Edit();
                       setCode(ds, "X");
                       ds.Post();
                   },
                   {},
                   {"A", "X", "C"}},
        ChangeCase{"DeleteRemovesTheCurrentRow",
                   [](TClientDataSet& ds) { ds.Delete(); },
                   {"removed 1-1"},
                   {"A", "C"}},
        ChangeCase{"DeleteRemovesTheLastRow",
                   [](TClientDataSet& ds) {
                       ds.Last();
                       ds.Delete();
                   },
                   {"removed 2-2"},
                   {"A", "B"}},
        ChangeCase{"AFilterHidesRows",
                   [](TClientDataSet& ds) {
                       ds.SetFilter("Code<='B'");
                       ds.SetFiltered(true);
                   },
                   {"removed 2-2"},
                   {"A", "B"}},
        ChangeCase{"AnEditTheFilterRejectsRemovesThatRow",
                   [](TClientDataSet& ds) {
                       ds.SetFilter("Code<='C'");
                       ds.SetFiltered(true);
                       ds.Locate("Code", "B");
                       ds.Edit();
                       setCode(ds, "Z");
                       ds.Post();
                   },
                   {"removed 1-1"},
                   {"A", "C"}},
        ChangeCase{"EmptyingRemovesEveryRow",
                   [](TClientDataSet& ds) { ds.EmptyDataSet(); },
                   {"removed 0-2"},
                   {}},
        ChangeCase{"SortingReordersInPlace",
                   [](TClientDataSet& ds) {
                       ds.AddIndex("ByCodeDesc", "Code", IndexOrder::Descending);
                       ds.SetIndexName("ByCodeDesc");
                   },
                   {},
                   {"C", "B", "A"}},
        ChangeCase{"HidingAFieldResets",
                   [](TClientDataSet& ds) { ds.FieldByName("Name").SetVisible(false); },
                   {"reset"},
                   {"A", "B", "C"}},
        ChangeCase{"ACaptionChangesOnlyTheHeader",
                   [](TClientDataSet& ds) { label(ds, "Code", "编号"); },
                   {"header"},
                   {"A", "B", "C"}},
        ChangeCase{"APacketOfTheSameFieldsRefillsTheRows",
                   [](TClientDataSet& ds) {
                       ds.SetData(packetOfCodes({"X", "Y"}));
                   },
                   {"removed 0-2", "inserted 0-1"},
                   {"X", "Y"}},
        ChangeCase{"ClosingEmptiesTheGrid", [](TClientDataSet& ds) { ds.Close(); }, {"reset"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModelEditing, ShowsValuesBeforeTheyArePosted)
{
    TClientDataSet ds;
    buildGoods(ds, {"A", "B"});
    DataGridModel model;
    model.setDataSet(&ds);

    ds.Edit();
    setCode(ds, "X");
    EXPECT_EQ(columnTexts(model, 0), (QStringList{"X", "B"}));

    ds.Append(); // posts the edit
    setCode(ds, "N");
    EXPECT_EQ(columnTexts(model, 0), (QStringList{"X", "B", "N"}));
    EXPECT_EQ(model.currentRow(), 2);
    EXPECT_FALSE(model.bookmarkAt(2).isValid()) << "the row being inserted has no bookmark yet";
}

TEST(ModelEditing, ATypedValueIsPostedIntoItsRowOnlyWhenEditable)
{
    TClientDataSet ds;
    buildGoods(ds, {"A", "B", "C"});
    DataGridModel model;
    model.setDataSet(&ds);
    const QModelIndex qty = model.index(1, 2);
    EXPECT_FALSE(model.flags(qty) & Qt::ItemIsEditable) << "off by default";
    EXPECT_FALSE(model.setData(qty, QStringLiteral("7")));

    model.setEditable(true);
    std::vector<std::pair<int, int>> edited;
    QStringList rejected;
    QObject::connect(&model, &DataGridModel::cellEdited,
                     [&](int row, int column) { edited.emplace_back(row, column); });
    QObject::connect(&model, &DataGridModel::editRejected,
                     [&](const QString& text) { rejected << text; });
    EXPECT_TRUE(model.flags(qty) & Qt::ItemIsEditable);
    EXPECT_EQ(model.data(qty, Qt::EditRole).toString(), QStringLiteral("2"));

    EXPECT_TRUE(model.setData(qty, QStringLiteral("7")));
    EXPECT_EQ(ds.State(), DataSetState::Browse) << "posted at once";
    EXPECT_EQ(ds.RecNo(), 2) << "the cursor is on the edited row";
    EXPECT_EQ(ds.FieldByName("Qty").AsInteger(), 7);
    EXPECT_EQ(edited, (std::vector<std::pair<int, int>>{{1, 2}}));

    EXPECT_TRUE(model.setData(qty, QStringLiteral("7"))) << "the same value";
    EXPECT_EQ(edited.size(), 1u) << "changes nothing, so no edit is reported";

    EXPECT_FALSE(model.setData(qty, QStringLiteral("many")));
    EXPECT_EQ(rejected.size(), 1);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.FieldByName("Qty").AsInteger(), 7) << "a refused value leaves the row as it was";
    EXPECT_EQ(columnTexts(model, 2), (QStringList{"1", "7", "3"}));

    ds.SetReadOnly(true);
    EXPECT_FALSE(model.flags(qty) & Qt::ItemIsEditable);
}

TEST(ModelCursor, ReportsTheCursorRowAfterEveryChange)
{
    TClientDataSet ds;
    buildGoods(ds, {"A", "B", "C"});
    DataGridModel model;
    std::vector<int> rows;
    QObject::connect(&model, &DataGridModel::currentRowChanged,
                     [&rows](int row) { rows.push_back(row); });
    model.setDataSet(&ds);
    ds.SetRecNo(3);
    ds.Append();
    ds.Delete();
    ds.Delete();
    ds.EmptyDataSet();
    EXPECT_EQ(rows, (std::vector<int>{0, 2, 3, 2, 1, -1}));
}

// ---------------------------------------------------------------------------------------
// DisableControls

TEST(ModelDisabledControls, HoldEveryUpdateUntilTheLastEnable)
{
    TClientDataSet ds;
    buildGoods(ds, {"A", "B", "C"});
    DataGridModel model;
    model.setDataSet(&ds);
    SignalLog log(model);
    int cursorSignals = 0;
    QObject::connect(&model, &DataGridModel::currentRowChanged, [&] { ++cursorSignals; });

    ds.DisableControls();
    ds.DisableControls();
    for (const char* code : {"D", "E"}) {
        ds.Append();
        setCode(ds, code);
        ds.Post();
    }
    ds.First();
    ds.Delete();
    ds.Edit();
    setCode(ds, "X");
    ds.Post();
    ds.EnableControls();
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_EQ(cursorSignals, 0);

    ds.EnableControls();
    EXPECT_EQ(log.shape(), QStringList{"inserted 3-3"});
    EXPECT_EQ(log.events.size(), 2) << log.events.join(", ").toStdString();
    EXPECT_EQ(cursorSignals, 1);
    EXPECT_EQ(columnTexts(model, 0), (QStringList{"X", "C", "D", "E"}));
}

TEST(ModelDisabledControls, CatchUpWithANewStructureInOneReset)
{
    TClientDataSet ds;
    buildGoods(ds, {"A", "B", "C"});
    DataGridModel model;
    model.setDataSet(&ds);
    SignalLog log(model);

    ds.DisableControls();
    ds.FieldByName("Name").SetVisible(false);
    ds.SetData(packetOfCodes({"X"}));
    ds.FieldByName("Qty").SetVisible(false);
    ds.EnableControls();

    EXPECT_EQ(log.events, QStringList{"reset"});
    DataGridModel fresh;
    fresh.setDataSet(&ds);
    EXPECT_EQ(snapshot(model), snapshot(fresh));
}

TEST(ModelDisabledControls, ReadsNothingStaleWhileTheTableChangesUnderIt)
{
    TClientDataSet ds;
    buildGoods(ds, {"A", "B", "C"});
    DataGridModel model;
    model.setDataSet(&ds);

    // A view that repaints before EnableControls asks for fields that are gone or now of
    // another type: it gets nothing rather than other fields' values under the old titles.
    ds.DisableControls();
    ds.Close();
    corvo::test::build(ds, {{"Code", FieldType::Integer}, {"Name", FieldType::Integer}});
    for (int i = 0; i < 5; ++i)
        corvo::test::addRow(ds, {"7", "8"});
    EXPECT_EQ(model.rowCount(), 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(model.data(model.index(r, c)).toString(), "") << r << "," << c;
    ds.EnableControls();
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(titles(model), (QStringList{"Code", "Name"}));
}

// ---------------------------------------------------------------------------------------
// Lifetimes

TEST(ModelLifetime, AModelDestroyedFirstLeavesTheTableUsable)
{
    TClientDataSet ds;
    buildGoods(ds, {"A"});
    auto model = std::make_unique<DataGridModel>();
    model->setDataSet(&ds);
    model.reset();
    ds.Append();
    setCode(ds, "B");
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(ModelLifetime, ARebindStopsFollowingTheFormerTable)
{
    TClientDataSet first;
    TClientDataSet second;
    buildGoods(first, {"A"});
    buildGoods(second, {"X", "Y"});
    DataGridModel model;
    model.setDataSet(&first);
    model.setDataSet(&second);
    SignalLog log(model);
    first.Delete();
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_EQ(columnTexts(model, 0), (QStringList{"X", "Y"}));
}

TEST(ModelLifetime, ADestroyedTableIsForgottenUntouched)
{
    auto ds = std::make_unique<TClientDataSet>();
    buildGoods(*ds, {"A"});
    DataGridModel model;
    model.setDataSet(ds.get());
    SignalLog log(model);
    model.dataSetDestroyed(*ds);
    ds.reset();
    EXPECT_EQ(log.events, QStringList{"reset"});
    EXPECT_EQ(model.dataSet(), nullptr);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.currentRow(), -1);
}

TEST(ModelLifetime, ATableDestroyedFirstDetachesItself)
{
    auto ds = std::make_unique<TClientDataSet>();
    buildGoods(*ds, {"A"});
    auto model = std::make_unique<DataGridModel>();
    model->setDataSet(ds.get());
    ds.reset();
    EXPECT_EQ(model->dataSet(), nullptr);
    EXPECT_EQ(model->rowCount(), 0);
    model.reset(); // must not touch the destroyed table
}

} // namespace
} // namespace corvo::platform::test
