// The data grid widget, off screen: the current row and the dataset's cursor, marked rows,
// binding through the entity registry, Chinese text, titles, widths and painting.
#include "platform/DataGrid.h"

#include "GridFixture.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "entity/tests/DemoDictionary.h"
#include "entity/tests/EntityFixture.h"
#include "platform/DataGridModel.h"
#include "platform/QtText.h"

#include <QHeaderView>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace corvo::platform::test {
namespace {

/// Rows A..F, the grid shown and bound; the cursor on A.
class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        buildGoods(ds, {"A", "B", "C", "D", "E", "F"});
        grid.resize(480, 260);
        grid.bindDataSet(&ds);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    const DataGridModel& model() const { return grid.gridModel(); }
    int gridRow() const { return grid.currentIndex().row(); }
    QPoint cellCentre(int row, int column = 1) const
    {
        return grid.visualRect(model().index(row, column)).center();
    }
    void click(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, cellCentre(row));
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(&grid, k, modifiers);
    }
    /// The codes of the marked rows, in the order the grid reports them.
    QStringList markedCodes() const
    {
        QStringList out;
        for (const Bookmark& mark : grid.markedRows())
            for (int r = 0; r < model().rowCount(); ++r)
                if (model().bookmarkAt(r) == mark) out << columnTexts(model(), 0)[r];
        return out;
    }

    TClientDataSet ds;
    DataGrid grid;
};

// ---------------------------------------------------------------------------------------
// The current row and the cursor

TEST_F(GridTest, TheCurrentRowFollowsTheCursor)
{
    EXPECT_EQ(gridRow(), 0);
    ds.SetRecNo(3);
    EXPECT_EQ(gridRow(), 2);
    ds.Last();
    EXPECT_EQ(gridRow(), 5);
    ds.Delete();
    EXPECT_EQ(gridRow(), 4) << "the new last row";
    ds.Append();
    EXPECT_EQ(gridRow(), 5) << "the row being inserted";
    ds.Delete();
    EXPECT_EQ(gridRow(), 4);
    ds.EmptyDataSet();
    EXPECT_FALSE(grid.currentIndex().isValid());
}

TEST_F(GridTest, MovingTheCurrentRowMovesTheCursor)
{
    grid.setCurrentIndex(model().index(2, 0));
    EXPECT_EQ(ds.RecNo(), 3);
    key(Qt::Key_Down);
    EXPECT_EQ(ds.RecNo(), 4);
    click(1);
    EXPECT_EQ(ds.RecNo(), 2);
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Down);
    EXPECT_EQ(ds.RecNo(), 6);
    EXPECT_EQ(ds.RecordCount(), 6) << "Down on the last row appends nothing";
}

TEST_F(GridTest, LeavingAnEditedRowPostsIt)
{
    ds.SetRecNo(2);
    ds.Edit();
    ds.FieldByName("Code").SetAsString("X");
    click(4);
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.RecNo(), 5);
    EXPECT_EQ(gridRow(), 4);
    EXPECT_EQ(columnTexts(model(), 0)[1], "X");
}

// ---------------------------------------------------------------------------------------
// Marked rows

TEST_F(GridTest, ClicksAndKeysMarkRowsWhenMultiSelectIsOn)
{
    click(1);
    EXPECT_TRUE(markedCodes().isEmpty()) << "no marks without multi-select";

    grid.setMultiSelect(true);
    click(1);
    EXPECT_EQ(markedCodes(), QStringList{"B"});
    click(3, Qt::ControlModifier);
    EXPECT_EQ(markedCodes(), (QStringList{"B", "D"}));
    click(5, Qt::ShiftModifier);
    EXPECT_EQ(markedCodes(), (QStringList{"B", "D", "E", "F"}));
    click(1, Qt::ControlModifier);
    EXPECT_EQ(markedCodes(), (QStringList{"D", "E", "F"}));
    EXPECT_EQ(ds.RecNo(), 2) << "a Ctrl+click still moves the cursor";
    click(4);
    EXPECT_EQ(markedCodes(), QStringList{"E"}) << "a plain click marks that row alone";
    key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(markedCodes(), (QStringList{"D", "E"}));
    key(Qt::Key_Up);
    EXPECT_TRUE(markedCodes().isEmpty()) << "moving without Shift clears the marks";
}

TEST_F(GridTest, MarksAreRowsNotPositions)
{
    grid.markCurrentRow();
    grid.setRowMarked(2, true);
    grid.setRowMarked(4, true);
    EXPECT_EQ(markedCodes(), (QStringList{"A", "C", "E"}));

    ds.AddIndex("ByCodeDesc", "Code", IndexOrder::Descending);
    ds.SetIndexName("ByCodeDesc");
    EXPECT_EQ(markedCodes(), (QStringList{"E", "C", "A"})) << "in the dataset's new order";
    EXPECT_TRUE(grid.isRowMarked(1)) << "E is now the second row";

    ds.Locate("Code", "C");
    ds.Delete();
    EXPECT_EQ(markedCodes(), (QStringList{"E", "A"}));
    grid.setRowMarked(model().currentRow(), false);
    grid.clearMarks();
    EXPECT_TRUE(grid.markedRows().empty());
}

// ---------------------------------------------------------------------------------------
// Binding through the registry

void loadDemo(TCustomEntityList& list)
{
    TParamData packet(paramkind::Data);
    corvo::test::demo::addDictionaryRows(packet);
    list.LoadDictionary(packet);
}

QStringList visibleCaptions(const char* tableId)
{
    QStringList out;
    for (const auto& f : corvo::test::demo::columnsOf(tableId))
        if (f.isVisible == 1) out << fromGbk(f.name);
    return out;
}

TEST(GridBinding, TheRegistryBindsColumnsAndCaptionsFromTheDictionary)
{
    TCustomEntityList list;
    loadDemo(list);
    TCustomEntity& products = list.BuildEntity("TProduct", "TMaster");
    products.Append();
    products.FieldByName("Code").SetAsString("P01");
    products.FieldByName("Name").SetAsString(G("纯棉衬衫"));
    products.FieldByName("UnitPrice").SetAsString("99.5");
    products.Post();

    DataGrid grid;
    grid.setObjectName(QStringLiteral("dgeMaster"));
    list.BindGrid("TMaster", grid);

    EXPECT_EQ(grid.dataSet(), &products);
    EXPECT_EQ(titles(grid.gridModel()), visibleCaptions(corvo::test::demo::ProductID));
    const int name = static_cast<int>(titles(grid.gridModel()).indexOf(Q("品名")));
    const int price = static_cast<int>(titles(grid.gridModel()).indexOf(Q("单价")));
    ASSERT_GE(name, 0);
    ASSERT_GE(price, 0);
    EXPECT_EQ(columnTexts(grid.gridModel(), name), QStringList{Q("纯棉衬衫")});
    EXPECT_EQ(columnTexts(grid.gridModel(), price), QStringList{"99.5"});
}

TEST(GridBinding, BuildingAGridEntityDropsTheGridsOwnColumns)
{
    TCustomEntityList list;
    loadDemo(list);
    list.BuildEntity("TProduct", "TMaster");
    DataGrid grid;
    list.BindGrid("TMaster", grid);
    const int byDefault = grid.columnWidth(0);
    grid.setColumnWidth(0, byDefault + 70);
    ASSERT_TRUE(grid.hasColumns());

    list.BuildGridEntity("TOrgan", "TOrganList", grid);
    EXPECT_FALSE(grid.hasColumns());
    EXPECT_EQ(grid.dataSet(), &list.EntityByName("TOrganList"));
    EXPECT_EQ(titles(grid.gridModel()), visibleCaptions(corvo::test::demo::OrganID));
}

TEST(GridBinding, TheRegistryNamesTheGridInGbk)
{
    TCustomEntityList list;
    loadDemo(list);
    list.AddEntity("TOther");
    corvo::test::build(list.EntityByName("TOther"), {{"TFoo", FieldType::String, 38}});
    DataGrid grid;
    grid.setObjectName(Q("dge明细"));
    EXPECT_EQ(grid.componentName(), G("dge明细"));
    EXPECT_EQ(corvo::test::errorOf([&] { list.BindGrid("TOther", grid); }),
              "不存在表[TFoo]，因此不能创建GRID[dge明细]的结构！");
    EXPECT_EQ(grid.dataSet(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Text, titles and widths

TEST_F(GridTest, ChineseTextIsShownWithAFontThatHasItsGlyphs)
{
    ds.Edit();
    ds.FieldByName("Name").SetAsString(G("羊毛衫·灰"));
    ds.Post();
    ds.FieldByName("Name").SetDisplayLabel(G("品名"));
    const QString cell = model().data(model().index(0, 1)).toString();
    const QString title = model().headerData(1, Qt::Horizontal).toString();
    EXPECT_EQ(cell, Q("羊毛衫·灰"));
    EXPECT_EQ(title, Q("品名"));
    const QFontMetrics cells(grid.font());
    const QFontMetrics titles(grid.horizontalHeader()->font());
    for (const QChar ch : cell)
        EXPECT_TRUE(cells.inFont(ch)) << "no glyph for U+" << std::hex << int{ch.unicode()};
    for (const QChar ch : title)
        EXPECT_TRUE(titles.inFont(ch)) << "no glyph for U+" << std::hex << int{ch.unicode()};
}

TEST_F(GridTest, AMultiLineTitleMakesTheHeaderTaller)
{
    ds.FieldByName("Amount").SetDisplayLabel(G("金额"));
    const int oneLine = grid.horizontalHeader()->sizeHint().height();
    ds.FieldByName("Amount").SetDisplayLabel(G("金额|合计"));
    const int twoLines = grid.horizontalHeader()->sizeHint().height();
    EXPECT_GE(twoLines, oneLine + grid.horizontalHeader()->fontMetrics().height() - 2);
}

TEST_F(GridTest, WidthsComeFromTheFieldUnlessTheGridHoldsItsOwn)
{
    const int nameWidth = grid.columnWidth(1);
    ds.FieldByName("Name").SetDisplayWidth(40);
    EXPECT_GT(grid.columnWidth(1), nameWidth) << "a wider display width";
    ds.FieldByName("Name").SetDisplayWidth(20);
    EXPECT_EQ(grid.columnWidth(1), nameWidth);
    EXPECT_FALSE(grid.hasColumns());

    grid.setColumnWidth(1, nameWidth + 50);
    EXPECT_TRUE(grid.hasColumns());
    ds.FieldByName("Code").SetVisible(false);
    EXPECT_EQ(grid.columnWidth(0), nameWidth + 50) << "Name keeps its width in a new place";

    grid.dropColumns();
    EXPECT_FALSE(grid.hasColumns());
    EXPECT_EQ(grid.columnWidth(0), nameWidth);
}

TEST_F(GridTest, StripesAndMarksArePainted)
{
    ds.Last();
    grid.setStriped(true);
    grid.setRowMarked(2, true);
    const QImage image = grid.viewport()->grab().toImage();
    auto background = [&](int row) {
        const QRect cell = grid.visualRect(model().index(row, 1));
        return image.pixelColor(cell.right() - cell.width() / 4, cell.center().y());
    };
    const QColor stripe(238, 232, 170);
    EXPECT_EQ(background(0), stripe) << "the first row is striped";
    EXPECT_EQ(background(1), QColor(Qt::white));
    EXPECT_EQ(background(3), QColor(Qt::white));
    EXPECT_EQ(background(4), stripe);
    EXPECT_EQ(background(2), background(5)) << "a marked row looks like the current row";
    EXPECT_NE(background(2), stripe);
}

// ---------------------------------------------------------------------------------------
// Lifetimes

TEST(GridLifetime, AGridDestroyedFirstLeavesTheTableUsable)
{
    TClientDataSet ds;
    buildGoods(ds, {"A", "B"});
    auto grid = std::make_unique<DataGrid>();
    grid->bindDataSet(&ds);
    grid->setRowMarked(0, true);
    grid.reset();
    ds.Delete();
    ds.Append();
    ds.FieldByName("Code").SetAsString("C");
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(GridLifetime, ARegistryDestroyedBeforeItsGridLeavesTheGridEmpty)
{
    DataGrid grid;
    {
        TCustomEntityList list;
        loadDemo(list);
        list.BuildEntity("TProduct", "TMaster");
        list.BindGrid("TMaster", grid);
        grid.markCurrentRow();
    }
    EXPECT_EQ(grid.dataSet(), nullptr);
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.model()->columnCount(), 0);
    EXPECT_TRUE(grid.markedRows().empty());
}

} // namespace
} // namespace corvo::platform::test
