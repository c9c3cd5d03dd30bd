// The print engine on a real grid: PDFs read back with pdftotext, the layout measured on a
// PDF device, the preview dialog as the user gets it.
#include "platform/GridPrinter.h"

#include "GridFixture.h"
#include "PdfText.h"
#include "platform/DataGrid.h"
#include "platform/Desktop.h"
#include "platform/Modal.h"
#include "platform/QtText.h"

#include <QFontInfo>
#include <QImage>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>
#include <memory>

namespace corvo::platform::test {
namespace {

const QDateTime PrintedAt(QDate(2026, 3, 1), QTime(9, 5, 7));

QFont body()
{
    return printFont({Q("宋体")}, 11);
}

PrintSetup pageSetup()
{
    PrintSetup setup;
    setup.title = Q("商品清单");
    setup.titleFont = printFont({Q("黑体")}, 20, true);
    setup.bodyFont = body();
    setup.footerLeft = Q("制表人：张三");
    setup.footerCentre = Q("第&[Page]页 共&[Pages]页");
    setup.footerRight = Q("打印日期：&[LongDate] &[Time]");
    return setup;
}

/// Codes C001.., a Chinese name and a two-line quantity title.
class GridPrinterTest : public ::testing::Test {
protected:
    void fill(int rows)
    {
        buildGoods(ds, {});
        ds.FieldByName("Name").SetDisplayLabel(G("名称"));
        ds.FieldByName("Qty").SetDisplayLabel(G("数量|合计"));
        for (int i = 1; i <= rows; ++i) {
            ds.Append();
            ds.FieldByName("Code").SetAsString(
                QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0')).toStdString());
            ds.FieldByName("Name").SetAsString(G("衬衫"));
            ds.FieldByName("Qty").SetAsInteger(i);
            ds.Post();
        }
        ds.First();
        grid.bindDataSet(&ds);
    }
    QStringList printed(const GridPrinter& printer, int* pages = nullptr)
    {
        const QString path = dir.filePath(QStringLiteral("out.pdf"));
        const int n = printer.printToPdf(path, PrintedAt);
        if (pages) *pages = n;
        QString error;
        const QStringList text = pdfPages(path, &error);
        EXPECT_FALSE(text.isEmpty()) << error.toStdString();
        return text;
    }

    QTemporaryDir dir;
    TClientDataSet ds;
    DataGrid grid;
};

TEST_F(GridPrinterTest, EveryPageHasTitleFooterAndColumnTitlesAndEveryRowPrintsOnce)
{
    fill(100);
    int pages = 0;
    const QStringList text = printed(GridPrinter(PrintTable::fromGrid(grid), pageSetup()), &pages);
    ASSERT_GE(pages, 2);
    ASSERT_EQ(text.size(), pages);
    for (int p = 0; p < pages; ++p) {
        const QString& page = text[p];
        EXPECT_TRUE(page.contains(Q("商品清单"))) << p;
        EXPECT_TRUE(page.contains(Q("制表人：张三"))) << p;
        EXPECT_TRUE(page.contains(Q("第%1页 共%2页").arg(p + 1).arg(pages))) << p;
        EXPECT_TRUE(page.contains(Q("打印日期：2026年3月1日 9:05:07"))) << p;
        for (const char* title : {"Code", "名称", "数量", "合计", "Amount"})
            EXPECT_TRUE(page.contains(Q(title))) << p << " " << title;
        EXPECT_FALSE(page.contains(QLatin1String("&["))) << p;
    }
    const QString all = text.join(QLatin1Char('\n'));
    for (int i = 1; i <= 100; ++i) {
        const QString code = QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0'));
        EXPECT_EQ(all.count(code), 1) << code.toStdString();
    }
    EXPECT_EQ(all.count(Q("衬衫")), 100);
}

TEST_F(GridPrinterTest, NoRowsStillPrintsOnePageWithTheTitles)
{
    fill(0);
    int pages = 0;
    const QStringList text = printed(GridPrinter(PrintTable::fromGrid(grid), pageSetup()), &pages);
    EXPECT_EQ(pages, 1);
    ASSERT_EQ(text.size(), 1);
    EXPECT_TRUE(text[0].contains(Q("第1页 共1页")));
    EXPECT_TRUE(text[0].contains(Q("名称")));
}

TEST_F(GridPrinterTest, TextBeforeOnlyOnTheFirstPageAboveTheGrid)
{
    fill(80);
    PrintSetup setup = pageSetup();
    setup.textBefore = Q("单号：A001                     日期：2026-03-01\n备注：加急");
    const QStringList text = printed(GridPrinter(PrintTable::fromGrid(grid), setup));
    ASSERT_GE(text.size(), 2);
    EXPECT_TRUE(text[0].contains(Q("单号：A001")));
    EXPECT_TRUE(text[0].contains(Q("备注：加急")));
    EXPECT_LT(text[0].indexOf(Q("备注：加急")), text[0].indexOf(Q("名称")));
    EXPECT_FALSE(text[1].contains(Q("单号")));
}

/// Lines across the first page of a PDF, top to bottom: runs of pixel rows at least 80 %
/// dark (the paint area is 89 % of the page's width), each run counted once.
int rulesOnFirstPage(const QString& pdf)
{
    QProcess tool;
    const QString stem = pdf + QStringLiteral(".page");
    tool.start(QStringLiteral("pdftoppm"),
               {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("300"),
                QStringLiteral("-singlefile"), pdf, stem});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0) return -1;
    const QImage page(stem + QStringLiteral(".pgm"));
    if (page.isNull()) return -1;
    int runs = 0;
    bool inRun = false;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* row = page.constScanLine(y);
        int dark = 0;
        for (int x = 0; x < page.width(); ++x)
            dark += row[x] < 128 ? 1 : 0;
        const bool rule = dark >= page.width() * 8 / 10;
        runs += rule && !inRun ? 1 : 0;
        inRun = rule;
    }
    return runs;
}

TEST_F(GridPrinterTest, DoubleLinesUnderTheHeaderAndAboveTheFooter)
{
    fill(0); // the grid's only lines across: above and below its titles
    PrintSetup setup = pageSetup();
    const QString plain = dir.filePath(QStringLiteral("plain.pdf"));
    ASSERT_EQ(GridPrinter(PrintTable::fromGrid(grid), setup).printToPdf(plain, PrintedAt), 1);
    setup.doubleLines = true;
    const QString ruled = dir.filePath(QStringLiteral("ruled.pdf"));
    ASSERT_EQ(GridPrinter(PrintTable::fromGrid(grid), setup).printToPdf(ruled, PrintedAt), 1);
    EXPECT_EQ(rulesOnFirstPage(plain), 2) << "pdftoppm (poppler-utils) renders the page";
    EXPECT_EQ(rulesOnFirstPage(ruled), 2 + 4);
}

TEST_F(GridPrinterTest, ATitleWiderThanThePagePrintsSmallerWithinTheGridsWidth)
{
    fill(3);
    PrintSetup setup = pageSetup();
    setup.title = Q("上海东方百货有限公司 客户对帐单（2000-01-01 至 2026-12-11）").repeated(2);
    const QString pdf = dir.filePath(QStringLiteral("long-title.pdf"));
    ASSERT_EQ(GridPrinter(PrintTable::fromGrid(grid), setup).printToPdf(pdf, PrintedAt), 1);
    QProcess tool;
    const QString stem = pdf + QStringLiteral(".page");
    tool.start(QStringLiteral("pdftoppm"),
               {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("100"),
                QStringLiteral("-singlefile"), pdf, stem});
    ASSERT_TRUE(tool.waitForFinished(30000) && tool.exitCode() == 0);
    const QImage page(stem + QStringLiteral(".pgm"));
    ASSERT_FALSE(page.isNull());
    // The grid's top rule spans the paint area; a title cut by the page's edges spans it too.
    struct Ink {
        int left = 0, right = -1;
    };
    int dark = 0;
    auto inkOf = [&](int y) {
        Ink ink{page.width(), -1};
        dark = 0;
        for (int x = 0; x < page.width(); ++x)
            if (page.constScanLine(y)[x] < 128) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ++dark;
            }
        return ink;
    };
    Ink rule;
    int ruleY = 0;
    for (; ruleY < page.height() && rule.right < 0; ++ruleY) {
        const Ink row = inkOf(ruleY);
        if (dark >= page.width() * 8 / 10) rule = row;
    }
    // The rows above it, but for the few the grid's corners blur into.
    Ink title{page.width(), -1};
    for (int y = 0; y + 4 < ruleY; ++y) {
        const Ink row = inkOf(y);
        title.left = std::min(title.left, row.left);
        title.right = std::max(title.right, row.right);
    }
    ASSERT_GE(rule.right, 0) << "the grid's top rule";
    ASSERT_GE(title.right, 0) << "the title printed";
    EXPECT_GT(title.left, rule.left);
    EXPECT_LT(title.right, rule.right);
}

TEST_F(GridPrinterTest, ColumnFootersFollowTheLastRowOnly)
{
    fill(80);
    PrintTable table = PrintTable::fromGrid(grid);
    table.columns[2].footer = Q("总计3240");
    const QStringList text = printed(GridPrinter(std::move(table), pageSetup()));
    ASSERT_GE(text.size(), 2);
    EXPECT_EQ(text.join(QString()).count(Q("总计3240")), 1);
    EXPECT_TRUE(text.back().contains(Q("总计3240")));
    EXPECT_GT(text.back().indexOf(Q("总计3240")), text.back().indexOf(QLatin1String("C080")));
}

TEST_F(GridPrinterTest, ColumnWidthsOrContentWidthsFillThePageWidth)
{
    fill(3);
    grid.setColumnWidth(0, 100);
    grid.setColumnWidth(1, 300);
    grid.setColumnWidth(2, 100);
    grid.setColumnWidth(3, 100);
    ds.First();
    ds.Edit();
    ds.FieldByName("Name").SetAsString(std::string(40, 'W') + G("很长的名称"));
    ds.Post();
    QPdfWriter device(dir.filePath(QStringLiteral("m.pdf")));
    PrintSetup setup = pageSetup();

    const PrintGeometry byColumns = GridPrinter(PrintTable::fromGrid(grid), setup).measure(device);
    ASSERT_EQ(byColumns.columnWidths.size(), 4u);
    EXPECT_EQ(byColumns.columnWidths[0] + byColumns.columnWidths[1] + byColumns.columnWidths[2] +
                  byColumns.columnWidths[3],
              device.width());
    EXPECT_NEAR(byColumns.columnWidths[1], 3 * byColumns.columnWidths[0], 1);
    EXPECT_EQ(byColumns.rowHeights[0], byColumns.rowHeights[1]) << "one line a row";

    setup.fit = PrintFit::ContentWidths;
    const PrintGeometry byContent = GridPrinter(PrintTable::fromGrid(grid), setup).measure(device);
    EXPECT_GT(byContent.columnWidths[1], byColumns.columnWidths[1]) << "the long name widens";
    EXPECT_LT(byContent.columnWidths[0], byContent.columnWidths[1] / 3);
    EXPECT_GT(byContent.titleRowHeight, byContent.rowHeights[1]) << "two title lines";

    // A text wider than the page wraps, and its row grows with it.
    PrintTable narrow = PrintTable::fromGrid(grid);
    narrow.cells[1] = Q("很长的名称").repeated(20);
    const PrintGeometry wrapped = GridPrinter(std::move(narrow), setup).measure(device);
    EXPECT_GT(wrapped.rowHeights[0], 2 * wrapped.rowHeights[1]);
}

TEST_F(GridPrinterTest, ThePreviewShowsEveryPageInChinese)
{
    const std::unique_ptr<QTranslator> chinese = installQtChinese();
    ASSERT_TRUE(chinese) << "qt6-translations-l10n provides qtbase_zh_CN.qm";
    fill(100);
    const GridPrinter printer(PrintTable::fromGrid(grid), pageSetup());
    const int expected = printer.printToPdf(dir.filePath(QStringLiteral("p.pdf")), PrintedAt);
    int shown = -1;
    QString title;
    setModalInterceptor([&](QDialog& dialog) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
        EXPECT_TRUE(preview);
        if (!preview) return 0;
        title = preview->windowTitle();
        auto* pages = preview->findChild<QPrintPreviewWidget*>();
        if (!pages) return 0;
        pages->updatePreview();
        shown = pages->pageCount();
        return 1;
    });
    EXPECT_EQ(printer.preview(), 1);
    setModalInterceptor({});
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(title.startsWith(Q("打印预览"))) << title.toStdString();
}

TEST(PrintFont, ChineseNeverFallsToBoxesAndTwoLettersAreOneCharacterWide)
{
    const QFont font = printFont({Q("宋体"), Q("WenQuanYi Zen Hei Mono")}, 11);
    const QFontInfo info(font);
    EXPECT_TRUE(chineseFontFamilies().contains(info.family()) ||
                info.family().startsWith(QLatin1String("WenQuanYi")))
        << info.family().toStdString();
    const QFontMetrics metrics(font);
    for (char32_t c : {U'宋', U'衬', U'制', U'页'})
        EXPECT_TRUE(metrics.inFontUcs4(c));
    EXPECT_EQ(metrics.horizontalAdvance(Q("AA")), metrics.horizontalAdvance(Q("中")))
        << "the byte-counted columns of a text line up";
    EXPECT_EQ(QFontInfo(printFont({Q("黑体")}, 20, true)).pointSize(), 20);
}

} // namespace
} // namespace corvo::platform::test
