// The collated query forms on demo modules against the real query server, opened as the
// main window opens them: conditions, presets, paging by the buttons, the owner restriction,
// folding the conditions, the result line, the detail grid and printing.
#include "LoginSession.h"
#include "ModuleForm.h"
#include "controls/TQueryControlList.h"
#include "controls/TTimeSpan.h"
#include "controls/TVelComboBox.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/TCustomEntityList.h"
#include "forms/reports/ReportForms.h"
#include "forms/reports/TFrmQueryCollate.h"
#include "forms/reports/TFrmQueryMDCollate.h"
#include "forms/rules/CollateRules.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "platform/tests/PdfText.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace corvo::forms::test {
namespace {

class CollateFormTest : public ::testing::Test {
protected:
    void TearDown() override { platform::setModalInterceptor({}); }

    /// Opened as the main window opens a module page, its message line visible to the test.
    template <typename Form = TFrmQueryCollate>
    std::unique_ptr<Form> open(const char* table, const char* module, bool embedded = true)
    {
        return openModuleForm<Form>(table, module, embedded ? &line : nullptr);
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
    static void click(QAbstractButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
    /// Every row is the user's organisation's or nobody's.
    static void expectOwnRows(TFrmQuery& form)
    {
        TCustomEntity& rows = master(form);
        for (rows.First(); !rows.Eof(); rows.Next()) {
            const std::string owner = rows.FieldByName("TOwnerID").AsString();
            EXPECT_TRUE(owner == form.owner() || owner == EmptyGuidText) << owner;
        }
    }
    static bool hasWhere(TFrmQuery& form, const std::string& clause)
    {
        TSQLAdder& clauses = form.clauses();
        for (clauses.First(); !clauses.Eof(); clauses.Next())
            if (clauses.FieldByName("SQLKey").AsString() == "where" &&
                clauses.FieldByName("SQLClause").AsString() == clause)
                return true;
        return false;
    }
    static void keepPicture(QWidget& form, const char* name)
    {
        QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
        EXPECT_TRUE(
            form.grab().save(QStringLiteral(CORVO_SCREENSHOT_DIR "/") + QLatin1String(name)));
    }
    /// Runs a print, answering its preview by printing to a PDF; the pages as text, or none
    /// when no preview opened.
    QStringList printed(const std::function<void()>& print, const char* keep)
    {
        const QString path = dir.filePath(QStringLiteral("print.pdf"));
        QFile::remove(path);
        previews = 0;
        platform::setModalInterceptor([&](QDialog& dialog) {
            ++previews;
            auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
            EXPECT_TRUE(preview) << "the print preview";
            if (!preview) return 0;
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(path);
            if (auto* pages = preview->findChild<QPrintPreviewWidget*>()) pages->print();
            return 1;
        });
        print();
        platform::setModalInterceptor({});
        if (previews == 0) return {};
        QFile::remove(QStringLiteral(CORVO_SCREENSHOT_DIR "/") + QLatin1String(keep));
        QFile::copy(path, QStringLiteral(CORVO_SCREENSHOT_DIR "/") + QLatin1String(keep));
        return platform::test::pdfPages(path);
    }

    QLabel line;
    QTemporaryDir dir;
    int previews = 0;
};

TEST_F(CollateFormTest, ConditionsAndTheOwnerTravelWithEveryQuery)
{
    auto form = open("TWarehouse", "查询仓库");
    EXPECT_GT(master(*form).RecordCount(), 0) << "a client table shows its cached rows at once";
    for (const char* code : {"Code", "Name", "HelpIndex", "TOrganID"})
        EXPECT_FALSE(condition(*form, code).isChecked()) << code << ": nothing is preset";

    click(form->mbtQuery());
    const int all = master(*form).RecordCount();
    ASSERT_GT(all, 1) << message();
    EXPECT_EQ(message(), "查询完成，本次查询到[" + std::to_string(all) + "]条记录。");
    EXPECT_TRUE(hasWhere(*form, CollateOwnerClause("TWarehouse", form->owner())))
        << "the owner clause travels without any condition";
    expectOwnRows(*form);
    EXPECT_EQ(form->LblResult().text().toStdString(), "查询结果") << "no line for one table";
    EXPECT_EQ(form->dgeMaster().gridModel().rowCount(), all);

    master(*form).First();
    const std::string code = master(*form).FieldByName("Code").AsString();
    controls::TQueryControl& codeCondition = condition(*form, "Code");
    codeCondition.setChecked(true);
    qobject_cast<QLineEdit*>(codeCondition.Editor())->setText(platform::fromGbk(code));
    click(form->mbtQuery());
    ASSERT_GE(master(*form).RecordCount(), 1) << message();
    EXPECT_LT(master(*form).RecordCount(), all);
    for (master(*form).First(); !master(*form).Eof(); master(*form).Next())
        EXPECT_NE(master(*form).FieldByName("Code").AsString().find(code), std::string::npos);
    EXPECT_TRUE(hasWhere(*form, "(TWarehouse.Code like '%" + code + "%')"));
    expectOwnRows(*form);
    keepPicture(*form, "collate-warehouse.png");

    // Shown again (another tab and back): conditions and rows stay.
    const int found = master(*form).RecordCount();
    form->hide();
    form->show();
    EXPECT_TRUE(codeCondition.isChecked());
    EXPECT_EQ(master(*form).RecordCount(), found);

    // A condition error stops the query before anything is sent; the rows stay.
    const int shown = master(*form).RecordCount();
    condition(*form, "Name").setChecked(true);
    click(form->mbtQuery());
    EXPECT_EQ(message(), "请填入[仓库名称]对应的条件或者不选中该条件！");
    EXPECT_EQ(master(*form).RecordCount(), shown);

    click(form->mbtReset());
    EXPECT_TRUE(master(*form).IsEmpty());
    EXPECT_FALSE(codeCondition.isChecked());
}

TEST_F(CollateFormTest, PagingByTheButtons)
{
    auto form = open("TProduct", "查询商品");
    click(form->mbtAll());
    const int all = master(*form).RecordCount();
    ASSERT_GT(all, 20) << message();
    expectOwnRows(*form);
    click(form->mbtNext());
    EXPECT_EQ(master(*form).RecordCount(), all) << "after all rows, next does nothing";

    click(form->mbtQuery());
    EXPECT_EQ(master(*form).RecordCount(), all) << "the single-table query asks for all rows";
    click(form->mbtNext());
    EXPECT_EQ(message(), "当前条件下没有数据。");
    EXPECT_TRUE(master(*form).IsEmpty());
    EXPECT_EQ(form->dgeMaster().gridModel().rowCount(), 0);
    click(form->mbtPrevious());
    EXPECT_TRUE(master(*form).IsEmpty()) << "text keys: no way back until a new query";
}

TEST_F(CollateFormTest, TheValidStatusIsPresetWhereItIsACondition)
{
    auto form = open("TMaterial", "查询物料");
    controls::TQueryControl& status = condition(*form, "StatusID");
    ASSERT_TRUE(status.isChecked());
    const std::string valid = form->StatusObjID("StatusID", "Valid");
    click(form->mbtQuery());
    ASSERT_GT(master(*form).RecordCount(), 0) << message();
    EXPECT_TRUE(hasWhere(*form, "(TMaterial.StatusID = '" + valid + "')"));
    for (master(*form).First(); !master(*form).Eof(); master(*form).Next())
        EXPECT_EQ(master(*form).FieldByName("StatusID").AsString(), valid);
    expectOwnRows(*form);
}

/// A copy of the table's HappenDate column under another code, so that the panel has a
/// date condition of that name.
void addDateColumn(TCustomEntity& dict, const char* code, int order)
{
    ASSERT_TRUE(dict.Locate("Code", Variant("HappenDate")));
    std::vector<Variant> values;
    for (int i = 0; i < dict.FieldCount(); ++i)
        values.push_back(dict.Fields(i).AsVariant());
    dict.Append();
    for (int i = 0; i < dict.FieldCount(); ++i)
        dict.Fields(i).SetAsVariant(values[static_cast<std::size_t>(i)]);
    dict.FieldByName("Code").SetAsString(code);
    dict.FieldByName("ColOrder").SetAsInteger(order);
    if (TField* id = dict.FindField("ObjID"))
        id->SetAsString(std::string("{C0B5D1C7-0000-4000-8000-00000000099") +
                        static_cast<char>('0' + order % 10) + "}");
    dict.Post();
}

TEST_F(CollateFormTest, DateConditionsPresetByTheirNames)
{
    for (const char* table : {"TCheckAccount", "TAccount"}) {
        auto form = std::make_unique<TFrmQueryCollate>(&LoginSession::instance().login());
        TCustomEntity& dict = form->registry().EntityByName("TDictField");
        form->registry().SelectTableFields(table);
        addDateColumn(dict, "DateHistory", 901);
        addDateColumn(dict, "DateRange", 902);
        form->registry().SelectTableFields(table);
        form->registry().BuildEntity(table, "TMaster");
        form->setHost(nullptr, &line, nullptr);
        form->resize(1000, 640);
        form->show();
        const QDate today = QDate::currentDate();
        auto* history =
            dynamic_cast<controls::TTimeSpan*>(condition(*form, "DateHistory").Editor());
        ASSERT_TRUE(history);
        const bool checkAccount = std::string(table) == "TCheckAccount";
        EXPECT_EQ(condition(*form, "DateHistory").isChecked(), checkAccount) << table;
        if (checkAccount) {
            EXPECT_EQ(history->EndPicker()->date(), today.addMonths(-1));
            EXPECT_EQ(history->date(), today.addMonths(-13));
        }
        EXPECT_TRUE(condition(*form, "DateRange").isChecked()) << table;
        auto* range = dynamic_cast<controls::TTimeSpan*>(condition(*form, "DateRange").Editor());
        ASSERT_TRUE(range);
        EXPECT_EQ(range->EndPicker()->date(), today);
        EXPECT_EQ(range->date(), today.addMonths(-1));
        EXPECT_FALSE(condition(*form, "HappenDate").isChecked());
    }
}

TEST_F(CollateFormTest, TheConditionPanelFoldsAndOpens)
{
    auto form = open("TWarehouse", "查询仓库");
    QFrame& panel = form->PnlCondition();
    const int height = form->rememberedConditionHeight();
    EXPECT_EQ(panel.height(), height);
    EXPECT_GT(height, 18);
    EXPECT_EQ(form->sbtExpand().text(), QStringLiteral("<<"));
    EXPECT_EQ(form->sbtExpand().toolTip(), QStringLiteral("隐藏查询条件"));

    click(form->sbtExpand());
    EXPECT_EQ(panel.height(), 18);
    EXPECT_EQ(form->sbtExpand().text(), QStringLiteral(">>"));
    EXPECT_EQ(form->sbtExpand().toolTip(), QStringLiteral("查询条件展开"));
    keepPicture(*form, "collate-folded.png");

    // A narrower panel lays its conditions out again and stays folded.
    controls::TQueryControl& last = condition(*form, "TOrganID");
    const QPoint wide = last.pos();
    form->resize(520, 640);
    QApplication::processEvents();
    EXPECT_NE(last.pos(), wide);
    EXPECT_EQ(panel.height(), 18);

    click(form->sbtExpand());
    EXPECT_EQ(panel.height(), form->rememberedConditionHeight());
    EXPECT_GE(panel.height(), last.y() + last.height()) << "every condition is visible again";
    EXPECT_EQ(form->sbtExpand().text(), QStringLiteral("<<"));
}

TEST_F(CollateFormTest, PrintingRefusesAnEmptyResultAndPrintsTheRows)
{
    auto form = open("TWarehouse", "查询仓库");
    click(form->mbtReset());
    EXPECT_TRUE(printed([&] { click(form->mbtPrint()); }, "collate-none.pdf").isEmpty());
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(message(), "对不起，打印操作因没有数据而取消");

    click(form->mbtQuery());
    const QStringList pages = printed([&] { click(form->mbtPrint()); }, "collate-warehouse.pdf");
    ASSERT_EQ(previews, 1);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages.front().contains(QStringLiteral("仓库"))) << "the table's name as title";
    const QString text = pages.join(QString());
    TCustomEntity& rows = master(*form);
    ASSERT_GT(rows.RecordCount(), 0);
    for (rows.First(); !rows.Eof(); rows.Next())
        for (const char* field : {"Code", "TOrganName"})
            EXPECT_TRUE(text.contains(platform::fromGbk(rows.FieldByName(field).AsString())))
                << field << " of every row";
    EXPECT_TRUE(pages.front().contains(QStringLiteral("制表人：")));
}

TEST_F(CollateFormTest, APickingDialogClosesWithOkInsideTheWindowNothingHappens)
{
    auto embedded = open("TWarehouse", "查询仓库");
    int asked = 0;
    // Inside the window the button asks where to export; cancelled, nothing else happens.
    platform::setModalInterceptor([&](QDialog& d) {
        asked += qobject_cast<QFileDialog*>(&d) ? 1 : 0;
        return 0;
    });
    click(embedded->mbtFoo());
    platform::setModalInterceptor({});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(embedded->resultFlag(), 0);
    EXPECT_TRUE(embedded->isVisible());

    auto dialog = open("TWarehouse", "查询仓库", false);
    ASSERT_EQ(dialog->messageLine(), nullptr);
    click(dialog->mbtQuery());
    ASSERT_GT(dialog->dgeMaster().model()->rowCount(), 0);
    QWidget* cells = dialog->dgeMaster().viewport();
    const QPoint cell =
        dialog->dgeMaster().visualRect(dialog->dgeMaster().model()->index(0, 0)).center();
    QTest::mouseClick(cells, Qt::LeftButton, {}, cell);
    QTest::mouseDClick(cells, Qt::LeftButton, {}, cell);
    EXPECT_EQ(dialog->resultFlag(), 1);
    EXPECT_FALSE(dialog->isVisible());
}

/// The lines shown belong to the master row under the cursor.
void expectLinesOf(TFrmQueryMDCollate& form)
{
    TCustomEntity& master = form.registry().EntityByName("TMaster");
    TCustomEntity& lines = form.registry().EntityByName("TDetailQuery");
    const std::string id = master.FieldByName("ObjID").AsString();
    ASSERT_GT(lines.RecordCount(), 0) << "document " << id << " has lines";
    EXPECT_EQ(form.dgeDetailQuery().gridModel().rowCount(), lines.RecordCount());
    for (lines.First(); !lines.Eof(); lines.Next())
        EXPECT_EQ(lines.FieldByName("ParentID").AsString(), id);
}

std::string sums(TCustomEntity& master)
{
    int quantity = 0;
    double amount = 0;
    for (master.First(); !master.Eof(); master.Next()) {
        quantity += master.FieldByName("TotalQuantity").AsInteger();
        amount += master.FieldByName("TotalAmount").AsFloat();
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", amount);
    return " 数量汇总：" + std::to_string(quantity) + " 金额汇总：" + text;
}

TEST_F(CollateFormTest, MasterDetailPagesWithItsResultLineAndTheLinesFollowTheCursor)
{
    auto form = open<TFrmQueryMDCollate>("TSaleOrder", "查询销售订单");
    TCustomEntity& orders = master(*form);
    click(form->mbtAll());
    const int all = orders.RecordCount();
    ASSERT_GT(all, 1) << message();
    EXPECT_EQ(form->LblResult().text().toStdString(),
              "查询结果：共" + std::to_string(all) + "条数据" + sums(orders));

    click(form->mbtQuery());
    const int page = orders.RecordCount();
    EXPECT_EQ(page, std::min(all, 20));
    EXPECT_EQ(form->LblResult().text().toStdString(),
              "查询结果：第1页 " + std::to_string(page) + "条数据" + sums(orders));
    expectOwnRows(*form);
    EXPECT_TRUE(hasWhere(*form, CollateOwnerClause("TSaleOrder", form->owner())));
    // All after the query button still reads the page counter of the query before.
    click(form->mbtAll());
    EXPECT_EQ(form->LblResult().text().toStdString(),
              "查询结果：第1页 " + std::to_string(all) + "条数据" + sums(orders));

    orders.First();
    expectLinesOf(*form);
    const std::string first = orders.FieldByName("ObjID").AsString();
    form->dgeMaster().setCurrentIndex(form->dgeMaster().model()->index(1, 0));
    EXPECT_NE(orders.FieldByName("ObjID").AsString(), first);
    expectLinesOf(*form);
    keepPicture(*form, "collate-saleorder.png");

    // After a query the first document's lines show.
    click(form->mbtQuery());
    EXPECT_EQ(orders.RecNo(), 1);
    EXPECT_EQ(orders.FieldByName("ObjID").AsString(), first);
    expectLinesOf(*form);

    // The next page and back, by the order codes.
    ASSERT_GT(all, 20);
    click(form->mbtNext());
    EXPECT_EQ(orders.RecordCount(), all - 20) << message();
    EXPECT_EQ(form->LblResult().text().toStdString(),
              "查询结果：第2页 " + std::to_string(all - 20) + "条数据" + sums(orders));
    expectLinesOf(*form);
    click(form->mbtPrevious());
    EXPECT_EQ(orders.RecordCount(), 20);
    EXPECT_EQ(orders.FieldByName("ObjID").AsString(), first);

    // A customer chosen in its list: only that customer's orders.
    const std::string customer = orders.FieldByName("TOrganID").AsString();
    controls::TQueryControl& partner = condition(*form, "TOrganID");
    partner.setChecked(true);
    auto* box = dynamic_cast<controls::TVelComboBox*>(partner.Editor());
    ASSERT_TRUE(box);
    box->SetInnerCode(platform::fromGbk(customer));
    click(form->mbtAll());
    ASSERT_GT(orders.RecordCount(), 0) << message();
    EXPECT_LT(orders.RecordCount(), all);
    for (orders.First(); !orders.Eof(); orders.Next())
        EXPECT_EQ(orders.FieldByName("TOrganID").AsString(), customer);
    expectOwnRows(*form);
}

/// Counts the row-change handler's work, and how much of it happened inside a query.
class CountingMDCollate : public TFrmQueryMDCollate {
public:
    using TFrmQueryMDCollate::TFrmQueryMDCollate;
    void QueryDetailOfMaster(TCustomEntity& master) override
    {
        ++calls;
        if (querying) ++insideQuery;
        TFrmQueryMDCollate::QueryDetailOfMaster(master);
    }
    int calls = 0;
    int insideQuery = 0;

protected:
    void RunPagingOperation(QueryStep step) override
    {
        querying = true;
        TFrmQueryMDCollate::RunPagingOperation(step);
        querying = false;
    }

private:
    bool querying = false;
};

TEST_F(CollateFormTest, TheLinesDoNotFollowTheMasterDuringAQuery)
{
    auto form = open<CountingMDCollate>("TSaleOrder", "查询销售订单");
    for (QPushButton* button :
         {&form->mbtQuery(), &form->mbtNext(), &form->mbtPrevious(), &form->mbtAll()}) {
        form->calls = 0;
        click(*button);
        EXPECT_EQ(form->insideQuery, 0) << button->objectName().toStdString();
        EXPECT_GE(form->calls, 1) << "the first row's lines after the query";
        expectLinesOf(*form);
    }
}

TEST_F(CollateFormTest, AMasterDetailQueryWithoutItsLineTableLeavesTheDocumentsWorking)
{
    // Asked before its first showing, which makes the lines' entity.
    auto form = std::make_unique<TFrmQueryMDCollate>(&LoginSession::instance().login());
    form->registry().SelectTableFields("TSaleOrder");
    form->registry().BuildEntity("TSaleOrder", "TMaster");
    form->setHost(nullptr, &line, nullptr);
    ASSERT_FALSE(form->registry().HasEntity("TDetailQuery"));
    form->RunQueryStep(TFrmQueryCollate::QueryStep::First);
    EXPECT_FALSE(message().empty());
    EXPECT_FALSE(master(*form).ControlsDisabled()) << "the documents' grids still hear of rows";
}

TEST_F(CollateFormTest, MasterDetailPrintsTheDocumentWithItsLines)
{
    auto form = open<TFrmQueryMDCollate>("TPurchaseOrder", "查询采购订单");
    // Nothing queried yet: no document to print.
    EXPECT_TRUE(printed([&] { click(form->mbtPrint()); }, "collate-md-none.pdf").isEmpty());
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(message(), "对不起，打印操作因没有数据而取消");
    click(form->mbtQuery());
    TCustomEntity& orders = master(*form);
    ASSERT_GT(orders.RecordCount(), 0) << message();
    const QString code = platform::fromGbk(orders.FieldByName("Code").AsString());
    TCustomEntity& lines = form->registry().EntityByName("TDetailQuery");
    ASSERT_GT(lines.RecordCount(), 0);
    lines.First();
    const QString product = platform::fromGbk(lines.FieldByName("TProductCode").AsString());
    const QStringList pages =
        printed([&] { click(form->mbtPrint()); }, "collate-purchaseorder.pdf");
    ASSERT_EQ(previews, 1);
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_TRUE(pages.front().contains(QStringLiteral("采购订单")));
    EXPECT_TRUE(pages.front().contains(code)) << "the document's block";
    EXPECT_TRUE(pages.join(QString()).contains(product)) << "its lines";
}

TEST_F(CollateFormTest, TheMainWindowMakesTheFormsByName)
{
    std::map<std::string, std::function<TFrmQuery*(QWidget*)>> registry;
    registerReportForms(registry);
    ASSERT_TRUE(registry.count("TFrmQueryCollate") && registry.count("TFrmQueryMDCollate"));
    std::unique_ptr<TFrmQuery> single(
        registry.at("TFrmQueryCollate")(&LoginSession::instance().login()));
    std::unique_ptr<TFrmQuery> md(
        registry.at("TFrmQueryMDCollate")(&LoginSession::instance().login()));
    EXPECT_TRUE(dynamic_cast<TFrmQueryCollate*>(single.get()));
    EXPECT_FALSE(dynamic_cast<TFrmQueryMDCollate*>(single.get()));
    EXPECT_TRUE(dynamic_cast<TFrmQueryMDCollate*>(md.get()));
}

// An .xlsx is a zip of XML: the sheets' rows, shared texts and cell kinds read back.
std::string unzipped(const QString& file, const char* member)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, QString::fromLatin1(member)});
    unzip.waitForFinished(30000);
    return unzip.readAllStandardOutput().toStdString();
}

int count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST_F(CollateFormTest, ExportsTheDocumentsAndTheirLinesToAWorkbook)
{
    auto form = open<TFrmQueryMDCollate>("TSaleOrder", "查询销售订单");
    click(form->mbtAll());
    TCustomEntity& orders = master(*form);
    ASSERT_GT(orders.RecordCount(), 0) << message();
    QApplication::processEvents();
    const int lineCount = form->dgeDetailQuery().dataSet()->RecordCount();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("orders.xlsx"));
    form->ExportResults(file.toStdString());

    const std::string sheet = unzipped(file, "xl/worksheets/sheet1.xml");
    const std::string texts = unzipped(file, "xl/sharedStrings.xml");
    ASSERT_FALSE(sheet.empty());
    EXPECT_EQ(count(sheet, "<row "), orders.RecordCount() + 1) << "a title row, then every order";
    for (orders.First(); !orders.Eof(); orders.Next())
        EXPECT_NE(texts.find(gbk::toUtf8(orders.FieldByName("Code").AsString())),
                  std::string::npos);
    EXPECT_NE(texts.find(gbk::toUtf8(orders.FieldByName("Code").DisplayLabel())),
              std::string::npos);
    EXPECT_NE(sheet.find("<c r=\"A2\""), std::string::npos);
    // Numbers are written as numbers: a cell with a value and no text kind.
    EXPECT_GT(count(sheet, "<v>") - count(sheet, "t=\"s\""), 0);

    const std::string lines = unzipped(file, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(count(lines, "<row "), lineCount + 1) << "the lines the detail grid shows";

    EXPECT_THROW(form->ExportResults("/nonexistent-dir/x.xlsx"), Error);
}

} // namespace
} // namespace corvo::forms::test
