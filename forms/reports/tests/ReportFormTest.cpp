// The summaries, the stock query, statements, bills and organisation links on demo modules
// against the real server, opened as the main window opens them; their numbers checked
// against the books read through the ordinary query.
#include "LoginSession.h"
#include "ModuleForm.h"
#include "controls/TQueryControlList.h"
#include "controls/TTimeSpan.h"
#include "controls/TVelComboBox.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntityList.h"
#include "forms/reports/ReportForms.h"
#include "forms/reports/TFrmQueryBill.h"
#include "forms/reports/TFrmQueryOrganLink.h"
#include "forms/reports/TFrmQueryStock.h"
#include "forms/reports/TFrmSummary.h"
#include "forms/rules/CollateRules.h"
#include "forms/rules/SummaryRules.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "platform/tests/PdfText.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace corvo::forms::test {
namespace {

/// Rows of any table through the query server's method 1, with the given "where" clauses:
/// the books as the ordinary query reads them.
class RowsQuery : public TFrmQueryCollate {
public:
    using TFrmQueryCollate::TFrmQueryCollate;
    std::vector<std::string> where;
    void PresetConditions() override {}
    void BuildWhere() override
    {
        // The server keeps the company's rows; lines have no owner column of their own.
        for (const std::string& clause : where)
            clauses().AddClause("where", clause);
    }
};

std::string quoted(const std::string& text)
{
    return "'" + text + "'";
}

class ReportFormTest : public ::testing::Test {
protected:
    void TearDown() override { platform::setModalInterceptor({}); }

    template <typename Form> std::unique_ptr<Form> open(const char* table, const char* module)
    {
        return openModuleForm<Form>(table, module, &line, {1100, 680});
    }
    std::string message() const { return line.text().toStdString(); }
    static TCustomEntity& master(TFrmQuery& form)
    {
        return form.registry().EntityByName("TMaster");
    }
    static controls::TQueryControl& condition(TFrmQuery& form, const char* code)
    {
        return form.queryControls()->ControlByName(code);
    }
    static controls::TVelComboBox& box(TFrmQuery& form, const char* code)
    {
        auto* b = dynamic_cast<controls::TVelComboBox*>(condition(form, code).Editor());
        EXPECT_TRUE(b) << code;
        return *b;
    }
    static void click(QAbstractButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
    static bool hasClause(TFrmQuery& form, const std::string& key, const std::string& clause)
    {
        TSQLAdder& clauses = form.clauses();
        for (clauses.First(); !clauses.Eof(); clauses.Next())
            if (clauses.FieldByName("SQLKey").AsString() == key &&
                clauses.FieldByName("SQLClause").AsString() == clause)
                return true;
        return false;
    }
    static int countKey(TFrmQuery& form, const std::string& key)
    {
        int n = 0;
        TSQLAdder& clauses = form.clauses();
        for (clauses.First(); !clauses.Eof(); clauses.Next())
            n += clauses.FieldByName("SQLKey").AsString() == key ? 1 : 0;
        return n;
    }
    /// The ObjID of the demo organisation with that code.
    static std::string organ(TFrmQuery& form, const char* code)
    {
        return form.registry()
            .EntityByName("TOrgan")
            .Lookup("Code", Variant(code), "ObjID")
            .toText();
    }
    /// Every row of a table read through method 1 with the clauses.
    std::unique_ptr<RowsQuery> books(const char* table, std::vector<std::string> where)
    {
        auto form = open<RowsQuery>(table, "查询账簿");
        form->where = std::move(where);
        form->QueryAllPages();
        EXPECT_EQ(message().rfind("查询完成", 0), 0u) << table << ": " << message();
        return form;
    }
    static double sum(TCustomEntity& rows, const char* field)
    {
        double s = 0;
        if (!rows.Active()) return s;
        for (rows.First(); !rows.Eof(); rows.Next())
            s += rows.FieldByName(field).AsFloat();
        return s;
    }
    static void keepPicture(QWidget& form, const char* name)
    {
        QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
        EXPECT_TRUE(
            form.grab().save(QStringLiteral(CORVO_SCREENSHOT_DIR "/") + QLatin1String(name)));
    }
    /// Runs a print, answering its preview by printing to a PDF; the pages as text.
    QStringList printed(const std::function<void()>& print, const char* keep)
    {
        const QString path = dir.filePath(QStringLiteral("print.pdf"));
        QFile::remove(path);
        int previews = 0;
        platform::setModalInterceptor([&](QDialog& dialog) {
            ++previews;
            auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
            if (!preview) return 0;
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(path);
            if (auto* pages = preview->findChild<QPrintPreviewWidget*>()) pages->print();
            return 1;
        });
        print();
        platform::setModalInterceptor({});
        if (previews == 0) return {};
        QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
        QFile::remove(QStringLiteral(CORVO_SCREENSHOT_DIR "/") + QLatin1String(keep));
        QFile::copy(path, QStringLiteral(CORVO_SCREENSHOT_DIR "/") + QLatin1String(keep));
        return platform::test::pdfPages(path);
    }
    static void setRange(TFrmQuery& form, const char* code, QDate from, QDate to)
    {
        auto* span = dynamic_cast<controls::TTimeSpan*>(condition(form, code).Editor());
        ASSERT_TRUE(span);
        span->EndPicker()->setDate(to);
        span->setDate(from);
    }

    QLabel line;
    QTemporaryDir dir;
};

// ---------------------------------------------------------------------------------------
// Summaries

TEST_F(ReportFormTest, SalesSummaryConditionsAndItsOneGrouping)
{
    auto form = open<TFrmSummary>("TStockOut", "销售金额汇总");
    controls::TQueryControl& date = condition(*form, "HappenDate");
    EXPECT_EQ(date.Caption(), QStringLiteral("销售日期"));
    EXPECT_TRUE(date.isChecked());
    auto* span = dynamic_cast<controls::TTimeSpan*>(date.Editor());
    ASSERT_TRUE(span);
    EXPECT_EQ(span->date(), QDate::currentDate().addDays(-1)) << "from yesterday";
    EXPECT_EQ(span->EndPicker()->date(), QDate::currentDate());
    EXPECT_EQ(condition(*form, "TWarehouseID").Caption(), QStringLiteral("按门店汇总"));
    EXPECT_EQ(condition(*form, "TEmployeeID").Caption(), QStringLiteral("按人员汇总"));
    EXPECT_FALSE(condition(*form, "TWarehouseID").Editor()->isVisible());
    EXPECT_FALSE(form->queryControls()->HasControl("TOrganID"));
    EXPECT_FALSE(form->queryControls()->HasControl("Code"));

    // No grouping: one row over all, no "sum" row sent.
    setRange(*form, "HappenDate", QDate::currentDate().addDays(-60), QDate::currentDate());
    click(form->mbtQuery());
    ASSERT_EQ(master(*form).RecordCount(), 1) << message();
    EXPECT_EQ(countKey(*form, "sum"), 0);
    EXPECT_TRUE(hasClause(
        *form, "where", "TStockOut.StatusID = " + quoted(form->StatusObjID("StatusID", "Valid"))));
    const double total = master(*form).FieldByName("TotalAmount").AsFloat();
    EXPECT_GT(total, 0);
    EXPECT_FALSE(master(*form).FindField("SaleDiscount")) << "no summed discount percentage";
    auto* bars = qobject_cast<QBarSeries*>(form->chtSummary().chart()->series().value(0));
    ASSERT_TRUE(bars) << "the chart follows the query "
                      << form->chtSummary().chart()->series().size();
    EXPECT_EQ(bars->barSets().front()->count(), 1) << "no grouping: one bar";

    // Two groupings are refused before anything is sent; the rows stay.
    condition(*form, "TWarehouseID").setChecked(true);
    condition(*form, "TEmployeeID").setChecked(true);
    click(form->mbtQuery());
    EXPECT_EQ(message(), OneGroupingOnly);
    EXPECT_FALSE(form->submitPacket().ParamExists("TMaster")) << "no query packet was made";
    EXPECT_EQ(master(*form).RecordCount(), 1);

    // By person: one "sum" row, and the groups add up to the total.
    condition(*form, "TWarehouseID").setChecked(false);
    click(form->mbtQuery());
    EXPECT_TRUE(hasClause(*form, "sum", "TEmployeeID"));
    EXPECT_EQ(countKey(*form, "sum"), 1);
    ASSERT_GT(master(*form).RecordCount(), 1) << message();
    EXPECT_NEAR(sum(master(*form), "TotalAmount"), total, 0.005);
}

TEST_F(ReportFormTest, SummaryByStoreEqualsTheValidDailyReports)
{
    auto form = open<TFrmSummary>("TStockOut", "销售金额汇总");
    const QDate from = QDate::currentDate().addDays(-30);
    const QDate to = QDate::currentDate().addDays(-1);
    setRange(*form, "HappenDate", from, to);
    condition(*form, "TWarehouseID").setChecked(true);
    click(form->mbtQuery());
    TCustomEntity& stores = master(*form);
    ASSERT_GE(stores.RecordCount(), 3) << message();
    EXPECT_TRUE(hasClause(*form, "sum", "TWarehouseID"));
    auto* bars = qobject_cast<QBarSeries*>(form->chtSummary().chart()->series().value(0));
    ASSERT_TRUE(bars);
    EXPECT_EQ(bars->barSets().front()->count(), stores.RecordCount()) << "one bar per store";
    keepPicture(*form, "summary-by-store.png");
    const QString chart = dir.filePath(QStringLiteral("chart.png"));
    ASSERT_TRUE(form->SaveChart(chart));
    EXPECT_FALSE(QImage(chart).isNull());

    const std::string valid = form->StatusObjID("StatusID", "Valid");
    const std::string range = "(TStockOut.HappenDate  between '" +
                              from.toString(QStringLiteral("yyyy-MM-dd")).toStdString() +
                              "' and '" + to.toString(QStringLiteral("yyyy-MM-dd")).toStdString() +
                              "')";
    for (stores.First(); !stores.Eof(); stores.Next()) {
        const std::string store = stores.FieldByName("TWarehouseID").AsString();
        const double amount = stores.FieldByName("TotalAmount").AsFloat();
        auto reports = books("TStockOut", {"(TStockOut.TWarehouseID = " + quoted(store) + ")",
                                           "(TStockOut.StatusID = " + quoted(valid) + ")", range});
        EXPECT_NEAR(amount, sum(master(*reports), "TotalAmount"), 0.005)
            << gbk::toUtf8(stores.FieldByName("TWarehouseName").AsString());
    }
}

TEST_F(ReportFormTest, AnotherModuleKeepsTheDictionaryAndPrintsASalesSummary)
{
    auto form = open<TFrmSummary>("TStockOut", "出库汇总");
    EXPECT_TRUE(form->queryControls()->HasControl("TOrganID")) << "the dictionary unchanged";
    EXPECT_NE(condition(*form, "HappenDate").Caption(), QStringLiteral("销售日期"));
    EXPECT_EQ(condition(*form, "TWarehouseID").Caption(), QStringLiteral("按门店汇总"));
    EXPECT_EQ(condition(*form, "TEmployeeID").Caption(), QStringLiteral("按人员汇总"));

    // Every ticked reference is a grouping: the status and the store make two.
    if (form->queryControls()->HasControl("StatusTStockOutID")) {
        condition(*form, "StatusTStockOutID").setChecked(true);
        box(*form, "StatusTStockOutID")
            .SetInnerCode(platform::fromGbk(form->StatusObjID("StatusTStockOutID", "Verified")));
        condition(*form, "TWarehouseID").setChecked(true);
        click(form->mbtQuery());
        EXPECT_EQ(message(), OneGroupingOnly);
        condition(*form, "StatusTStockOutID").setChecked(false);
    }
    condition(*form, "TWarehouseID").setChecked(true);
    setRange(*form, "HappenDate", QDate::currentDate().addDays(-10), QDate::currentDate());
    click(form->mbtQuery());
    ASSERT_GT(master(*form).RecordCount(), 0) << message();
    const QStringList pages = printed([&] { click(form->mbtPrint()); }, "summary.pdf");
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages.front().contains(QStringLiteral("销售汇总"))) << pages.front().toStdString();
    EXPECT_TRUE(pages.front().contains(QStringLiteral("汇总期间：")));
}

// ---------------------------------------------------------------------------------------
// Stock

TEST_F(ReportFormTest, StockQueryTitlesSizesOfEveryTypeAndValuesAtPurchasePrice)
{
    auto form = open<TFrmQueryStock>("TStock", "库存查询");
    for (QPushButton* b :
         {&form->mbtAll(), &form->mbtNext(), &form->mbtPrevious(), &form->mbtReset()})
        EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();
    controls::TQueryControl& warehouse = condition(*form, "TWarehouseID");
    EXPECT_TRUE(warehouse.isChecked());
    EXPECT_FALSE(box(*form, "TWarehouseID").InnerCode().isEmpty()) << "the first warehouse";

    click(form->mbtQuery());
    TCustomEntity& stock = master(*form);
    ASSERT_GT(stock.RecordCount(), 0) << message();
    for (stock.First(); !stock.Eof(); stock.Next())
        EXPECT_EQ(stock.FieldByName("TWarehouseID").AsString(),
                  platform::toGbk(box(*form, "TWarehouseID").InnerCode()));
    // 女装 (S…XXL) and 衬衫 (S…XL) share their first labels: both stay, XXL with them.
    const std::string first = "|" + stock.FieldByName("Size1").DisplayLabel() + "|";
    EXPECT_NE(first.find("|S|"), first.rfind("|S|")) << first;
    EXPECT_NE(stock.FieldByName("Size5").DisplayLabel().find("XXL"), std::string::npos);
    EXPECT_TRUE(stock.FieldByName("Size20").Visible()) << "牛仔裤 has twenty sizes";

    // The amounts at purchase price, row by row and in the line.
    double amount = 0;
    for (stock.First(); !stock.Eof(); stock.Next()) {
        const double value = stock.FieldByName("Quantity").AsFloat() *
                             stock.FieldByName("TProductInPrice").AsFloat();
        EXPECT_NEAR(stock.FieldByName("TotalAmount").AsFloat(), value, 0.005);
        amount += value;
    }
    const std::string result = form->LblResult().text().toStdString();
    EXPECT_EQ(result.rfind("查询结果：共" + std::to_string(stock.RecordCount()) + "条数据", 0), 0u);
    char expected[64];
    std::snprintf(expected, sizeof expected, " 金额汇总：%.15g", amount);
    EXPECT_NE(result.find(expected), std::string::npos) << result;
    keepPicture(*form, "stock-query.png");

    // Two size types alone: S|36, M|38, L; the other columns hidden.
    TCustomEntity& types = form->registry().EntityByName("TProductTypeSize");
    while (!types.IsEmpty()) {
        types.First();
        types.Delete();
    }
    types.Append();
    types.FieldByName("Size1").SetAsString("S");
    types.FieldByName("Size2").SetAsString("M");
    types.FieldByName("Size3").SetAsString("L");
    types.Post();
    types.Append();
    types.FieldByName("Size1").SetAsString("36");
    types.FieldByName("Size2").SetAsString("38");
    types.Post();
    click(form->mbtQuery());
    EXPECT_EQ(stock.FieldByName("Size1").DisplayLabel(), "S|36");
    EXPECT_EQ(stock.FieldByName("Size2").DisplayLabel(), "M|38");
    EXPECT_EQ(stock.FieldByName("Size3").DisplayLabel(), "L");
    for (int n = 4; n <= 20; ++n)
        EXPECT_FALSE(stock.FieldByName("Size" + std::to_string(n)).Visible()) << n;
    EXPECT_EQ(form->dgeMaster().gridModel().headerData(0, Qt::Horizontal).isValid(), true);
}

TEST_F(ReportFormTest, StockEqualsTheVerifiedMovements)
{
    auto form = open<TFrmQueryStock>("TStock", "库存查询");
    click(form->mbtQuery());
    TCustomEntity& stock = master(*form);
    ASSERT_GT(stock.RecordCount(), 0) << message();
    const std::string valid = form->StatusObjID("StatusID", "Valid");
    const std::string newIn = form->StatusObjID("StatusTStockInID", "New");
    const std::string newOut = form->StatusObjID("StatusTStockOutID", "New");
    // A few products of the first warehouse: the stock and the sizes the books moved.
    int checked = 0;
    for (stock.First(); !stock.Eof() && checked < 3; stock.Next(), ++checked) {
        const std::string warehouse = stock.FieldByName("TWarehouseID").AsString();
        const std::string product = stock.FieldByName("TProductID").AsString();
        const auto moved = [&](const char* doc, const std::string& fresh) {
            const std::string d = doc;
            const std::string lines = d + "List";
            auto rows =
                books(lines.c_str(), {"(" + lines + ".TProductID = " + quoted(product) + ")",
                                      "(" + lines + ".ParentID in (select ObjID from " + d +
                                          " where " + d + ".TWarehouseID = " + quoted(warehouse) +
                                          " and " + d + ".StatusID = " + quoted(valid) + " and " +
                                          d + ".Status" + d + "ID <> " + quoted(fresh) + "))"});
            std::map<std::string, double> by;
            by["Quantity"] = sum(master(*rows), "Quantity");
            for (int n = 1; n <= 20; ++n) {
                const std::string size = "Size" + std::to_string(n);
                if (master(*rows).FindField(size)) by[size] = sum(master(*rows), size.c_str());
            }
            return by;
        };
        auto in = moved("TStockIn", newIn);
        auto out = moved("TStockOut", newOut);
        EXPECT_NEAR(stock.FieldByName("Quantity").AsFloat(), in["Quantity"] - out["Quantity"],
                    0.001)
            << gbk::toUtf8(stock.FieldByName("TProductName").AsString());
        for (int n = 1; n <= 20; ++n) {
            const std::string size = "Size" + std::to_string(n);
            if (!in.count(size) || !out.count(size)) continue;
            EXPECT_NEAR(stock.FieldByName(size).AsFloat(), in[size] - out[size], 0.001)
                << size << " of " << gbk::toUtf8(stock.FieldByName("TProductName").AsString());
        }
    }
}

// An .xlsx is a zip of XML: the sheet's rows read back.
std::string unzipped(const QString& file, const char* member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, QString::fromLatin1(member)});
    unzip.waitForFinished(30000);
    return unzip.readAllStandardOutput().toStdString();
}

TEST_F(ReportFormTest, StockExportKeepsTheStackedSizeTitlesAndNegativesShowRed)
{
    auto form = open<TFrmQueryStock>("TStock", "库存查询");
    click(form->mbtQuery());
    TCustomEntity& stock = master(*form);
    ASSERT_GT(stock.RecordCount(), 0) << message();
    int lines = 1;
    for (int n = 1; n <= 20; ++n) {
        const std::string title = stock.FieldByName("Size" + std::to_string(n)).DisplayLabel();
        lines = std::max(lines, 1 + static_cast<int>(std::count(title.begin(), title.end(), '|')));
    }
    ASSERT_GT(lines, 2);
    const QString file = dir.filePath(QStringLiteral("stock.xlsx"));
    form->ExportResults(file.toStdString());
    const std::string sheet = unzipped(file, "xl/worksheets/sheet1.xml");
    const std::string texts = unzipped(file, "xl/sharedStrings.xml");
    int rows = 0;
    for (std::size_t at = sheet.find("<row "); at != std::string::npos;
         at = sheet.find("<row ", at + 1))
        ++rows;
    EXPECT_EQ(rows, lines + stock.RecordCount()) << "one header row per title line";
    EXPECT_NE(texts.find(">XXL<"), std::string::npos);

    // A delivery verified before its receipt: the negative stock is painted red.
    stock.First();
    stock.Next(); // not the current row, which is drawn highlighted
    stock.Edit();
    stock.FieldByName("Size1").SetAsInteger(-7);
    stock.Post();
    stock.First();
    QApplication::processEvents();
    const QImage shot = form->dgeMaster().viewport()->grab().toImage();
    int red = 0;
    for (int y = 0; y < std::min(shot.height(), 40); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 180 && c.green() < 90 && c.blue() < 90 ? 1 : 0;
        }
    EXPECT_GT(red, 0) << "the negative quantity in red";
}

// ---------------------------------------------------------------------------------------
// Statements and bills

TEST_F(ReportFormTest, StatementOfACustomerClosesWithItsAccountBalance)
{
    auto form = open<TFrmQueryAccount>("TCheckAccount", "查询对帐单");
    controls::TQueryControl& partner = condition(*form, "TOrganID");
    controls::TQueryControl& date = condition(*form, "HappenDate");
    EXPECT_TRUE(partner.isChecked());
    EXPECT_TRUE(date.isChecked());
    // The first customer is preset, not the company itself (the first of the list).
    const std::string customer = organ(*form, "KH001");
    ASSERT_FALSE(customer.empty());
    EXPECT_EQ(platform::toGbk(box(*form, "TOrganID").InnerCode()), customer);
    controls::TItemField first;
    box(*form, "TOrganID").GetItem(0, first);
    EXPECT_EQ(platform::toGbk(first.InnerCode), form->owner()) << "the fixture shows the fault";

    // Locked: unticking is refused with the message; the choice stays.
    box(*form, "TOrganID").SetInnerCode(platform::fromGbk(customer));
    click(partner);
    EXPECT_TRUE(partner.isChecked());
    EXPECT_EQ(message(), "条件" + partner.Caption().toStdString() + "在查询时不可缺少。");
    EXPECT_EQ(platform::toGbk(box(*form, "TOrganID").InnerCode()), customer);
    EXPECT_TRUE(partner.Editor()->isEnabled());

    setRange(*form, "HappenDate", QDate(2000, 1, 1), QDate::currentDate());
    // Our side: the partner is an ordinary condition, the packet's owner is the user's.
    form->FillQueryPacket();
    EXPECT_EQ(form->submitPacket().GetParamValue("TOwnerID").toText(), form->owner());
    EXPECT_EQ(countKey(*form, "where"), 2) << "the range and the partner, no owner clause";
    EXPECT_FALSE(
        hasClause(*form, "where", "(TCheckAccount.TOrganID = " + quoted(form->owner()) + ")"));

    click(form->mbtQuery());
    TCustomEntity& statement = master(*form);
    ASSERT_GT(statement.RecordCount(), 1) << message();
    EXPECT_EQ(message(), "对账单生成完成");
    int order = -1;
    for (statement.First(); !statement.Eof(); statement.Next()) {
        EXPECT_GT(statement.FieldByName("DispOrder").AsInteger(), order);
        order = statement.FieldByName("DispOrder").AsInteger();
    }
    const std::string closing = form->closingBalance();
    auto account =
        books("TAccount",
              {"(TAccount.TOrganID = " + quoted(customer) + ")",
               "(TAccount.StatusID = " + quoted(form->StatusObjID("StatusID", "Valid")) + ")"});
    EXPECT_NEAR(std::stod(closing), sum(master(*account), "TotalAmount"), 0.005)
        << "the closing balance is the partner's balance";
    keepPicture(*form, "statement.png");

    const QStringList pages = printed([&] { click(form->mbtPrint()); }, "statement.pdf");
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages.front().contains(QStringLiteral("上海东方百货有限公司")));
    EXPECT_TRUE(pages.front().contains(QStringLiteral("2000-01-01")));
    EXPECT_TRUE(pages.back().contains(QStringLiteral("期末余额")));

    // Only the opening balance: "当前条件下没有单据".
    setRange(*form, "HappenDate", QDate(2001, 1, 1), QDate(2001, 1, 31));
    click(form->mbtQuery());
    EXPECT_EQ(statement.RecordCount(), 1);
    EXPECT_EQ(message(), "当前条件下没有单据");

    // Without a partner nothing is sent.
    box(*form, "TOrganID").SetInnerCode(QString());
    click(form->mbtQuery());
    EXPECT_EQ(message(), "请先选择对帐企业");
}

TEST_F(ReportFormTest, PartnerSideStatementNamesThePartnerInThePacket)
{
    auto form = open<TFrmQueryAccount>("TCheckAccount", "供应商对帐单");
    ASSERT_TRUE(form->partnerSide());
    const std::string supplier = organ(*form, "GY001");
    EXPECT_EQ(platform::toGbk(box(*form, "TOrganID").InnerCode()), supplier)
        << "the first supplier is preset";
    box(*form, "TOrganID").SetInnerCode(platform::fromGbk(supplier));
    setRange(*form, "HappenDate", QDate(2000, 1, 1), QDate::currentDate());
    form->FillQueryPacket();
    EXPECT_EQ(form->submitPacket().GetParamValue("TOwnerID").toText(), supplier);
    EXPECT_TRUE(
        hasClause(*form, "where", "(TCheckAccount.TOrganID = " + quoted(form->owner()) + ")"));
    EXPECT_FALSE(hasClause(*form, "where", "(TCheckAccount.TOrganID = " + quoted(supplier) + ")"));

    click(form->mbtQuery());
    ASSERT_GT(master(*form).RecordCount(), 1) << message();
    EXPECT_EQ(message(), "对账单生成完成");
    for (TCustomEntity& rows = master(*form); !rows.Eof(); rows.Next())
        EXPECT_NE(rows.FieldByName("TOrganID").AsString(), supplier);
}

TEST_F(ReportFormTest, BillsOfOnePartner)
{
    auto form = open<TFrmQueryBill>("TSaleInvoice", "查询销售发票");
    EXPECT_TRUE(condition(*form, "TOrganID").isChecked());
    const std::string customer = organ(*form, "KH002");
    box(*form, "TOrganID").SetInnerCode(platform::fromGbk(customer));
    setRange(*form, "HappenDate", QDate(2000, 1, 1), QDate::currentDate());
    click(form->mbtQuery());
    TCustomEntity& bills = master(*form);
    ASSERT_GT(bills.RecordCount(), 0) << message();
    for (bills.First(); !bills.Eof(); bills.Next())
        EXPECT_EQ(bills.FieldByName("TOrganID").AsString(), customer);
    EXPECT_FALSE(hasClause(*form, "where", CollateOwnerClause("TSaleInvoice", form->owner())));

    box(*form, "TOrganID").SetInnerCode(QString());
    click(form->mbtQuery());
    EXPECT_EQ(message(), "请先选择" + condition(*form, "TOrganID").Caption().toStdString());
}

// ---------------------------------------------------------------------------------------
// Organisation links

TEST_F(ReportFormTest, DiscountColumnsTitledByTheSaleTypes)
{
    auto form = open<TFrmQueryOrganLink>("TOrganLink", "查询机构往来");
    // Three sale types: the fourth is taken out of the form's copy.
    TCustomEntity& params = form->registry().EntityByName("TOtherParam");
    ASSERT_TRUE(params.Locate("Code", Variant("GROUP")));
    params.Delete();
    click(form->mbtQuery());
    TCustomEntity& links = master(*form);
    ASSERT_GT(links.RecordCount(), 0) << message();
    EXPECT_EQ(gbk::toUtf8(links.FieldByName("Discount1").DisplayLabel()), "零售");
    EXPECT_EQ(gbk::toUtf8(links.FieldByName("Discount2").DisplayLabel()), "批发");
    EXPECT_EQ(gbk::toUtf8(links.FieldByName("Discount3").DisplayLabel()), "会员");
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(links.FieldByName("Discount" + std::to_string(n)).Visible(), n <= 3) << n;
    keepPicture(*form, "organ-links.png");
}

TEST_F(ReportFormTest, EveryReportClassIsRegisteredByName)
{
    std::map<std::string, std::function<TFrmQuery*(QWidget*)>> registry;
    registerReportForms(registry);
    for (const char* name : {"TFrmSummary", "TFrmQueryStock", "TFrmQueryAccount", "TFrmQueryBill",
                             "TFrmQueryOrganLink"}) {
        ASSERT_TRUE(registry.count(name)) << name;
        std::unique_ptr<TFrmQuery> form(registry.at(name)(&LoginSession::instance().login()));
        EXPECT_TRUE(form) << name;
    }
}

} // namespace
} // namespace corvo::forms::test
