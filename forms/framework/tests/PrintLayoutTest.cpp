// The query forms' print layout on real widgets: each print goes through the preview dialog,
// which prints to a PDF as the user would, read back with pdftotext.
#include "AppFormFixture.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "entity/TField.h"
#include "forms/framework/TFrmQuery.h"
#include "forms/framework/TMainDetailPn.h"
#include "platform/DataGrid.h"
#include "platform/Modal.h"
#include "platform/PrintPages.h"
#include "platform/QtText.h"
#include "platform/tests/PdfText.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace corvo::forms::test {
namespace {

QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
std::string G(const char* utf8)
{
    return gbk::fromUtf8(utf8);
}
QString code(int i)
{
    return QStringLiteral("P%1").arg(i, 4, 10, QLatin1Char('0'));
}

/// Goods lines: Code, Name, a hidden ObjID, a two-line quantity title and `extra` more
/// visible columns X1.. so that a test can choose how many columns print.
void fillLines(TClientDataSet& ds, int rows, int extra = 0, const std::string& name = "")
{
    ds.FieldDefs().Clear();
    ds.FieldDefs().Add("Code", FieldType::String, 10);
    ds.FieldDefs().Add("Name", FieldType::String, 200);
    ds.FieldDefs().Add("ObjID", FieldType::String, 38);
    ds.FieldDefs().Add("Qty", FieldType::Integer, 0);
    for (int x = 1; x <= extra; ++x)
        ds.FieldDefs().Add("X" + std::to_string(x), FieldType::String, 4);
    ds.CreateDataSet();
    ds.FieldByName("Code").SetDisplayLabel(G("货号"));
    ds.FieldByName("Name").SetDisplayLabel(G("品名"));
    ds.FieldByName("Name").SetDisplayWidth(10);
    ds.FieldByName("ObjID").SetDisplayLabel(G("内部标识"));
    ds.FieldByName("ObjID").SetVisible(false);
    ds.FieldByName("Qty").SetDisplayLabel(G("数量|合计"));
    for (int i = 1; i <= rows; ++i) {
        ds.Append();
        ds.FieldByName("Code").SetAsString(code(i).toStdString());
        ds.FieldByName("Name").SetAsString(name.empty() ? G("衬衫") : name);
        ds.FieldByName("ObjID").SetAsString("{" + std::to_string(i) + "}");
        ds.FieldByName("Qty").SetAsInteger(i);
        ds.Post();
    }
    ds.First();
}

/// Answers print previews by printing to a PDF, as the user would from the preview.
class PreviewToPdf {
public:
    ~PreviewToPdf() { platform::setModalInterceptor({}); }

    /// Runs a print; the PDF's pages as text. A copy of the PDF stays in the screenshot
    /// folder under `keep`.
    QStringList print(const std::function<void()>& print, const char* keep)
    {
        const QString path = m_dir.filePath(QStringLiteral("print.pdf"));
        QFile::remove(path);
        previews = 0;
        platform::setModalInterceptor([&](QDialog& dialog) {
            ++previews;
            auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
            EXPECT_TRUE(preview) << "the print preview";
            if (!preview) return 0;
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(path);
            auto* pages = preview->findChild<QPrintPreviewWidget*>();
            if (pages) pages->print();
            return 1;
        });
        print();
        platform::setModalInterceptor({});
        QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
        const QString kept = QStringLiteral(CORVO_SCREENSHOT_DIR "/") + QLatin1String(keep);
        QFile::remove(kept);
        QFile::copy(path, kept);
        QString error;
        const QStringList pages = platform::test::pdfPages(path, &error);
        EXPECT_FALSE(pages.isEmpty()) << error.toStdString();
        return pages;
    }

    int previews = 0;

private:
    QTemporaryDir m_dir;
};

class PrintLayoutTest : public ::testing::Test {
protected:
    QStringList printed(const std::function<void()>& print, const char* keep)
    {
        return pdf.print(print, keep);
    }
    static bool hasPrintDate(const QString& page, const QDate& before)
    {
        for (const QDate& day : {before, QDate::currentDate()})
            if (page.contains(Q("打印日期：") + platform::longDateText(day) + QLatin1Char(' ')))
                return true;
        return false;
    }

    PreviewToPdf pdf;
    QWidget owner;
};

TEST_F(PrintLayoutTest, ADataSourceOfManyRowsPrintsEveryRowOnceWithTitleAndFooterOnEveryPage)
{
    TClientDataSet lines;
    fillLines(lines, 100);
    TMainDetailPn layout(&owner);
    const QDate today = QDate::currentDate();
    const QStringList pages = printed(
        [&] { layout.PrintDataSource("销售单明细", "张三", "", lines); }, "print-result.pdf");
    EXPECT_EQ(pdf.previews, 1);
    ASSERT_GE(pages.size(), 2);
    const auto n = pages.size();
    for (qsizetype p = 0; p < n; ++p) {
        const QString& page = pages[p];
        EXPECT_TRUE(page.contains(Q("销售单明细"))) << p;
        EXPECT_TRUE(page.contains(Q("制表人：张三"))) << p;
        EXPECT_TRUE(page.contains(Q("第%1页 共%2页").arg(p + 1).arg(n))) << p;
        EXPECT_TRUE(hasPrintDate(page, today)) << page.toStdString();
        for (const char* title : {"货号", "品名", "数量", "合计"})
            EXPECT_TRUE(page.contains(Q(title))) << p << title;
        EXPECT_FALSE(page.contains(Q("内部标识"))) << "hidden fields do not print";
    }
    const QString all = pages.join(QLatin1Char('\n'));
    for (int i = 1; i <= 100; ++i)
        EXPECT_EQ(all.count(code(i)), 1) << code(i).toStdString();
    EXPECT_EQ(lines.RecNo(), 1) << "printing leaves the cursor where it was";
}

TEST_F(PrintLayoutTest, MoreThanNineColumnsPrintWholeTextsInTallerRowsNineCutThem)
{
    // The name is far wider than its column's share of the page by its display width.
    const std::string name = G("很长的商品名称很长的商品名称很长的商品名称很长的商品名称 TAILEND");
    const struct {
        int extra;
        bool whole;
    } cases[] = {{6, false}, {7, true}}; // 9 and 10 visible columns
    for (const auto& c : cases) {
        TClientDataSet lines;
        fillLines(lines, 3, c.extra, name);
        TMainDetailPn layout(&owner);
        const QStringList pages =
            printed([&] { layout.PrintDataSource("宽表", "张三", "", lines); }, "print-wide.pdf");
        ASSERT_EQ(pages.size(), 1);
        EXPECT_EQ(pages[0].count(QLatin1String("TAILEND")), c.whole ? 3 : 0) << c.extra;
        EXPECT_EQ(pages[0].contains(QChar(0x2026)), !c.whole) << "an elided text ends in …";
        EXPECT_TRUE(pages[0].contains(QLatin1String("X") + QString::number(c.extra)));
    }
}

TEST_F(PrintLayoutTest, AMasterRowPrintsInThreeColumnsBeforeItsLines)
{
    TClientDataSet master;
    master.FieldDefs().Add("Code", FieldType::String, 10);
    master.FieldDefs().Add("ObjID", FieldType::String, 38);
    master.FieldDefs().Add("BillDate", FieldType::String, 10);
    master.FieldDefs().Add("Client", FieldType::String, 20);
    master.FieldDefs().Add("Memo", FieldType::String, 40);
    master.CreateDataSet();
    master.FieldByName("Code").SetDisplayLabel(G("单号"));
    master.FieldByName("ObjID").SetVisible(false);
    master.FieldByName("BillDate").SetDisplayLabel(G("日期"));
    master.FieldByName("Client").SetDisplayLabel(G("客户"));
    master.FieldByName("Memo").SetDisplayLabel(G("备注"));
    for (const char* no : {"A000", "A001"}) {
        master.Append();
        master.FieldByName("Code").SetAsString(no);
        master.FieldByName("ObjID").SetAsString("{9}");
        master.FieldByName("BillDate").SetAsString("2005-03-01");
        master.FieldByName("Client").SetAsString(G("某某公司"));
        master.FieldByName("Memo").SetAsString(G("加急"));
        master.Post();
    }
    master.Last();
    TClientDataSet lines;
    fillLines(lines, 5);
    lines.Next();
    TMainDetailPn layout(&owner);
    const QStringList pages =
        printed([&] { layout.PrintMasterDetail("销售单", "张三", "合计：15", lines, master); },
                "print-master.pdf");
    ASSERT_EQ(pages.size(), 1);
    const QStringList text = pages[0].split(QLatin1Char('\n'));
    const auto lineOf = [&](const char* s) {
        for (qsizetype i = 0; i < text.size(); ++i)
            if (text[i].contains(Q(s))) return i;
        return qsizetype{-1};
    };
    const qsizetype first = lineOf("单号：A001");
    ASSERT_GE(first, 0) << pages[0].toStdString();
    EXPECT_EQ(lineOf("日期：2005-03-01"), first) << "one line of three columns";
    EXPECT_EQ(lineOf("客户：某某公司"), first);
    EXPECT_GT(lineOf("备注：加急"), first) << "the fourth item starts the next line";
    EXPECT_GE(lineOf("合计：15"), lineOf("备注：加急"));
    EXPECT_LT(lineOf("合计：15"), lineOf("货号")) << "the block comes before the grid";
    EXPECT_EQ(lineOf("A000"), -1) << "only the current master row";
    EXPECT_EQ(lineOf("{9}"), -1);
    EXPECT_EQ(lines.RecNo(), 2);
    EXPECT_EQ(master.RecNo(), 2);
}

TEST_F(PrintLayoutTest, AScreenGridPrintsItsColumnsAndTakesTheBodyFont)
{
    TClientDataSet lines;
    fillLines(lines, 4);
    platform::DataGrid grid(&owner);
    grid.bindDataSet(&lines);
    TMainDetailPn layout(&owner);
    const QStringList pages =
        printed([&] { layout.PrintGrid("销售汇总", "张三 2026-03", grid); }, "print-grid.pdf");
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(Q("销售汇总")));
    EXPECT_TRUE(pages[0].contains(Q("制表人：张三 2026-03"))) << "the period follows the preparer";
    EXPECT_TRUE(pages[0].contains(Q("第1页 共1页")));
    EXPECT_TRUE(pages[0].contains(code(4)));
    for (const QFont& font : {grid.font(), grid.horizontalHeader()->font()}) {
        EXPECT_EQ(font.families().value(0).toStdString(), "宋体");
        EXPECT_EQ(font.pointSize(), 11);
    }
}

TEST_F(PrintLayoutTest, TheLayoutMayOutliveItsDataSource)
{
    auto lines = std::make_unique<TClientDataSet>();
    fillLines(*lines, 2);
    auto layout = std::make_unique<TMainDetailPn>(&owner);
    const QStringList pages =
        printed([&] { layout->PrintDataSource("明细", "张三", "期间：2026-03", *lines); },
                "print-short.pdf");
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(Q("期间：2026-03")));
    // Freed in this order, a listener left on the data source would be used after its end.
    lines.reset();
    layout.reset();
}

/// A query form on the demo company's products, as the user prints its result.
class PrintDemoTest : public AppFormTest {
protected:
    PreviewToPdf pdf;
    QLabel line;
};

TEST_F(PrintDemoTest, AQueriedResultPrintsWithItsCaptionsAndEveryCodeOnce)
{
    TFrmQuery form(&LoginSession::instance().login());
    form.registry().BuildEntity("TProduct", "TMaster");
    form.registry().SelectTableFields("TProduct");
    form.setHost(nullptr, &line, nullptr);
    platform::DataGrid grid(&form.pnlClient());
    form.registry().BindGrid("TMaster", grid);
    form.QueryAllPages();
    form.registry().ApplyGridCaptions(grid); // as the result grid shows them
    TCustomEntity& products = form.registry().EntityByName("TMaster");
    ASSERT_GT(products.RecordCount(), 0) << line.text().toStdString();
    const QStringList pages =
        pdf.print([&] { form.PrintResult("商品资料", products, ""); }, "print-demo-TProduct.pdf");
    ASSERT_FALSE(pages.isEmpty());
    const QString all = pages.join(QLatin1Char('\n'));
    for (int c = 0; c < products.FieldCount(); ++c) {
        const TField& field = products.Fields(c);
        if (!field.Visible()) continue;
        for (const QString& title : platform::fromGbk(field.DisplayLabel()).split(QLatin1Char('|')))
            EXPECT_TRUE(pages[0].contains(title)) << title.toStdString();
    }
    for (products.First(); !products.Eof(); products.Next()) {
        const QString code = platform::fromGbk(products.FieldByName("Code").AsString());
        const QRegularExpression alone(QStringLiteral("(?<![A-Za-z0-9-])") +
                                       QRegularExpression::escape(code) +
                                       QStringLiteral("(?![A-Za-z0-9-])"));
        EXPECT_EQ(all.count(alone), 1) << code.toStdString();
    }
    const QString user = platform::fromGbk(form.userRecord()->FieldByName("Name").AsString());
    EXPECT_TRUE(pages[0].contains(Q("制表人：") + user));
    EXPECT_TRUE(pages.back().contains(Q("第%1页 共%1页").arg(pages.size())));
}

} // namespace
} // namespace corvo::forms::test
