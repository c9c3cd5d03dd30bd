// Grid sizing, striping, key wrapping and copying marked rows on a real data grid.
#include "AppFormFixture.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"

#include <QHeaderView>
#include <QTest>

namespace corvo::forms::test {
namespace {

class AppFormGridTest : public AppFormTest {
protected:
    platform::DataGrid& gridOn(TFrmApp& form, const char* table, int width)
    {
        auto* grid = new platform::DataGrid(&form.pnlClient());
        grid->setGeometry(0, 0, width, 300);
        TCustomEntity& rows = form.registry().EntityByName("TMaster");
        rows.CopyFrom(*cached(table));
        form.registry().BindGrid("TMaster", *grid);
        grid->show();
        return *grid;
    }
};

TEST_F(AppFormGridTest, FewColumnsOnAWideGridAreLeftAlone)
{
    auto form = open("TWarehouse");
    platform::DataGrid& grid = gridOn(*form, "TWarehouse", 400);
    TClientDataSet& rows = *grid.dataSet();
    for (int i = 0; i < rows.FieldCount(); ++i)
        rows.Fields(i).SetVisible(i < 3);
    const int before = grid.columnWidth(0);
    form->SizeGridColumns(grid);
    EXPECT_EQ(grid.columnWidth(0), before);
    EXPECT_FALSE(rows.ControlsDisabled()) << "the dataset repaints again";
}

TEST_F(AppFormGridTest, ColumnsFitTheirTextsAndShareTheRoom)
{
    auto form = open("TWarehouse");
    platform::DataGrid& grid = gridOn(*form, "TWarehouse", 1200);
    const int columns = grid.gridModel().columnCount();
    ASSERT_GE(columns, 4);
    form->SizeGridColumns(grid);
    const QFontMetrics metrics(grid.font());
    int total = 0;
    for (int c = 0; c < columns; ++c) {
        const QString title = grid.gridModel().headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(grid.columnWidth(c), std::min(metrics.horizontalAdvance(title) + 6, 160) + 13)
            << c;
        total += grid.columnWidth(c);
    }
    EXPECT_LE(total, 1200);
    EXPECT_GT(total, 1200 - 70 - 10 * columns) << "the spare room is shared out";
    EXPECT_FALSE(grid.dataSet()->ControlsDisabled());
}

TEST_F(AppFormGridTest, AMultiLineTitleIsAsWideAsItsWiderLine)
{
    auto form = open("TWarehouse");
    platform::DataGrid& grid = gridOn(*form, "TWarehouse", 200);
    TClientDataSet& rows = *grid.dataSet();
    rows.EmptyDataSet();
    const std::string wide = gbk::fromUtf8("很长很长的一行标题");
    for (int i = 0; i < rows.FieldCount(); ++i)
        if (rows.Fields(i).Visible())
            rows.Fields(i).SetDisplayLabel(gbk::fromUtf8("短") + "|" + wide);
    form->SizeGridColumnsAllRows(grid);
    const int line = QFontMetrics(grid.font()).horizontalAdvance(platform::fromGbk(wide));
    EXPECT_EQ(grid.columnWidth(0), line + 6 + 13);
}

TEST_F(AppFormGridTest, StripesAndKeysThatWrapAround)
{
    auto form = open("TWarehouse");
    platform::DataGrid& grid = gridOn(*form, "TWarehouse", 600);
    form->StripeGrid(grid);
    EXPECT_TRUE(grid.striped());
    EXPECT_EQ(grid.stripeColor(), QColor(238, 232, 170));

    TClientDataSet& rows = *grid.dataSet();
    ASSERT_GE(rows.RecordCount(), 2);
    form->InstallGridKeyWrap(grid);
    grid.setFocus();
    rows.First();
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(rows.RecNo(), rows.RecordCount());
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(rows.RecNo(), 1);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(rows.RecNo(), 2) << "inside the grid keys move as usual";
}

TEST_F(AppFormGridTest, CopySelectedRowsTakesTheMarksOrTheCurrentRow)
{
    auto form = open("TWarehouse");
    platform::DataGrid& grid = gridOn(*form, "TWarehouse", 600);
    TClientDataSet& rows = *grid.dataSet();
    ASSERT_GE(rows.RecordCount(), 3);
    TCustomEntity picked;
    picked.CopyStructure(rows);
    rows.SetRecNo(2);
    form->CopySelectedRows(grid, picked);
    EXPECT_EQ(picked.RecordCount(), 1);

    grid.setRowMarked(0, true);
    grid.setRowMarked(2, true);
    form->CopySelectedRows(grid, picked);
    EXPECT_EQ(picked.RecordCount(), 3);
    EXPECT_EQ(rows.RecNo(), 2) << "the cursor comes back";
}

TEST_F(AppFormGridTest, DetailListOfADocument)
{
    auto form = open("TStockOut");
    platform::DataGrid grid(&form->pnlClient());
    grid.resize(900, 200);
    form->BuildDetailList(grid);
    TCustomEntity& detail = form->registry().EntityByName("TDetail");
    EXPECT_EQ(grid.dataSet(), &detail);
    ASSERT_GT(detail.FieldCount(), 0);
    EXPECT_EQ(detail.Fields(0).FieldName(), "TStockOutList");
    EXPECT_GT(grid.gridModel().columnCount(), 3);
}

} // namespace
} // namespace corvo::forms::test
