// The size documents' forms on the demo company against the real servers: products picked
// with their prices, the totals and the cursor's walk, the picker keeping to one type, the
// update form's committed changes, a clerk's daily report, and a daily report's whole life
// with sizes typed, saved, changed, verified (the stock moves by those sizes), summarised and
// a second one invalidated.
#include "ModuleForm.h"
#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "controls/TQueryControl.h"
#include "controls/TQueryControlList.h"
#include "controls/TSafeEdit.h"
#include "entity/DateTime.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TField.h"
#include "forms/documents/SizeDocumentForms.h"
#include "forms/documents/TFrmEditSize.h"
#include "forms/documents/TFrmInsertSize.h"
#include "forms/documents/TFrmInvalidateSize.h"
#include "forms/documents/TFrmUpdateSize.h"
#include "forms/documents/TFrmVerifySize.h"
#include "forms/documents/internal/SizeLines.h"
#include "forms/reports/TFrmQueryCollate.h"
#include "forms/reports/TFrmQuerySize.h"
#include "forms/reports/TFrmSummarySize.h"
#include "forms/rules/SizeDocuments.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "shell/LocalFiles.h"
#include "shell/TFrmLogin.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace corvo::forms::test {
namespace {

/// Quantity, then Size1 … Size20.
using Amounts = std::array<long, 21>;

class SizeFormTest : public ::testing::Test {
protected:
    // The local files a test reads are the login's: it comes first even when the test runs
    // alone, as CTest runs every test.
    void SetUp() override { LoginSession::instance(); }
    void TearDown() override { platform::setModalInterceptor({}); }

    template <typename Form> std::unique_ptr<Form> open(const char* table, const char* module)
    {
        return openModuleForm<Form>(table, module, &line);
    }
    std::string message() const { return line.text().toStdString(); }
    static void click(QAbstractButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
    static TCustomEntity& entity(TFrmApp& form, std::string_view name)
    {
        return form.registry().EntityByName(name);
    }
    static void enter(TFrmApp& form, const char* code, const std::string& value)
    {
        form.inputControls()->ControlByName(code).SetText(Variant(gbk::fromUtf8(value)));
    }
    static double shownNumber(TFrmApp& form, const char* code)
    {
        return std::strtod(form.inputControls()->ControlByName(code).Text().toText().c_str(),
                           nullptr);
    }
    static TCustomEntity& cached(const char* table)
    {
        static std::map<std::string, std::unique_ptr<TCustomEntity>> tables;
        auto& rows = tables[table];
        if (!rows) {
            rows = std::make_unique<TCustomEntity>();
            EXPECT_TRUE(shell::loadDataSetFile(shell::dataDir() + table, *rows)) << table;
        }
        return *rows;
    }
    static std::string cachedId(const char* table, const char* code)
    {
        TCustomEntity& rows = cached(table);
        EXPECT_TRUE(rows.FindRecord("Code", code)) << table << " " << code;
        return GetObjID(rows);
    }
    static std::string otherParamId(const char* type, const char* code)
    {
        TCustomEntity& rows = cached("TOtherParam");
        rows.FilterEqual("Type", type);
        EXPECT_TRUE(rows.FindRecord("Code", code)) << type << " " << code;
        const std::string id = GetObjID(rows);
        rows.ClearFilter();
        return id;
    }
    static void yesterday(TFrmApp& form)
    {
        enter(form, "HappenDate", DateTime{DateTime::now().days - 1}.toDateString());
    }
    static int columnOf(platform::DataGrid& grid, const char* field)
    {
        return internal::ColumnOf(grid, field);
    }
    /// Types a value into a cell as a user does: the editor opens, Return ends it.
    static void typeInto(platform::DataGrid& grid, int row, const char* field, const QString& value)
    {
        const int column = columnOf(grid, field);
        ASSERT_GE(column, 0) << field;
        const QModelIndex cell = grid.model()->index(row, column);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        grid.setFocus();
        grid.setCurrentIndex(cell);
        grid.edit(cell);
        auto* editor = grid.viewport()->findChild<QLineEdit*>();
        ASSERT_TRUE(editor) << "an editor opens on " << field;
        editor->selectAll();
        QTest::keyClicks(editor, value);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
    }
    /// The picker's answer: shown, then rows marked and one of its buttons.
    struct PickerSteps {
        std::vector<int> rows;
        enum { OK, Continue, Close } button = OK;
        std::function<void(TFrmEditSize&)> look;
    };
    static int answerPicker(QDialog& dialog, const PickerSteps& steps)
    {
        auto* picker = qobject_cast<TFrmEditSize*>(&dialog);
        if (!picker) return 0;
        picker->show();
        QApplication::processEvents();
        if (steps.look) steps.look(*picker);
        for (int row : steps.rows)
            picker->dgeMaster().setRowMarked(row, true);
        if (steps.button == PickerSteps::OK) picker->OKClicked();
        if (steps.button == PickerSteps::Continue) picker->ContinueClicked();
        picker->hide();
        return picker->resultFlag();
    }
    static void pick(QAbstractButton& add, PickerSteps steps)
    {
        int pickers = 0;
        platform::setModalInterceptor([&](QDialog& dialog) {
            ++pickers;
            return answerPicker(dialog, steps);
        });
        click(add);
        platform::setModalInterceptor({});
        EXPECT_EQ(pickers, 1) << "the product picker opens";
    }
    static void pickRows(QAbstractButton& add, std::vector<int> rows)
    {
        pick(add, PickerSteps{std::move(rows), PickerSteps::OK, {}});
    }
    /// F2 on a line: the size entry answered with the given sizes (by column of the entry).
    static void typeSizes(platform::DataGrid& grid, int row, const std::vector<int>& sizes)
    {
        int entries = 0;
        platform::setModalInterceptor([&](QDialog& dialog) {
            auto* entry = qobject_cast<internal::TFrmSizeEntry*>(&dialog);
            if (!entry) return 0;
            ++entries;
            QTableWidget& cells = entry->grdSizes();
            for (std::size_t c = 0; c < sizes.size() && static_cast<int>(c) < cells.columnCount();
                 ++c)
                cells.item(0, static_cast<int>(c))
                    ->setText(sizes[c] ? QString::number(sizes[c]) : QString());
            return static_cast<int>(QDialog::Accepted);
        });
        grid.setFocus();
        grid.dataSet()->SetRecNo(row + 1);
        QTest::keyClick(&grid, Qt::Key_F2);
        platform::setModalInterceptor({});
        EXPECT_EQ(entries, 1) << "F2 opens the size entry";
    }
    static Amounts amountsOf(TClientDataSet& row)
    {
        Amounts a{};
        a[0] = row.FieldByName("Quantity").AsInteger();
        for (int size = 1; size <= 20; ++size)
            a[size] = row.FieldByName("Size" + std::to_string(size)).AsInteger();
        return a;
    }
    /// The stock of one warehouse by product.
    std::map<std::string, Amounts> stock(const std::string& warehouse)
    {
        auto form = open<TFrmQueryCollate>("TStock", "库存查询");
        click(form->mbtAll());
        std::map<std::string, Amounts> held;
        TCustomEntity& rows = entity(*form, param::TMaster);
        for (rows.First(); !rows.Eof(); rows.Next())
            if (rows.FieldByName("TWarehouseID").AsString() == warehouse)
                held[rows.FieldByName("TProductID").AsString()] = amountsOf(rows);
        return held;
    }
    /// A stored size document's lines by product, read through the size query form.
    std::map<std::string, Amounts> storedLines(const char* table, const char* module,
                                               const std::string& document)
    {
        auto form = open<TFrmQuerySize>(table, module);
        form->queryControls()->ControlByName("HappenDate").setChecked(false);
        click(form->mbtAll());
        std::map<std::string, Amounts> lines;
        TCustomEntity& master = entity(*form, param::TMaster);
        if (!master.Locate("ObjID", Variant(document))) return lines;
        form->QueryDetailOfMaster(master);
        TCustomEntity& detail = entity(*form, param::TDetailQuery);
        for (detail.First(); !detail.Eof(); detail.Next())
            lines[detail.FieldByName("TProductID").AsString()] = amountsOf(detail);
        return lines;
    }
    /// The header of a wholesale delivery from the central warehouse to KH001.
    void deliveryHeader(TFrmApp& form)
    {
        enter(form, "TStockOutTypeID", otherParamId("TStockOutTypeID", "WHOLESALE"));
        enter(form, "TWarehouseID", cachedId("TWarehouse", "CK01"));
        enter(form, "TEmployeeID", cachedId("TEmployee", "YG005"));
        enter(form, "TSaleTypeID", otherParamId("TSaleTypeID", "WHOLESALE"));
        enter(form, "TOrganID", cachedId("TOrgan", "KH001"));
        yesterday(form);
    }
    /// The header of a daily report of the store LS.
    void dailyHeader(TFrmApp& form, const char* remark)
    {
        enter(form, "TStockOutTypeID", otherParamId("TStockOutTypeID", "DAILY"));
        enter(form, "TWarehouseID", cachedId("TWarehouse", "CK02"));
        enter(form, "TEmployeeID", cachedId("TEmployee", "YG002"));
        enter(form, "TSaleTypeID", otherParamId("TSaleTypeID", "RETAIL"));
        enter(form, "Remark", remark);
        yesterday(form);
    }
    static std::vector<std::string> sizeCaptions(platform::DataGrid& grid)
    {
        std::vector<std::string> captions;
        for (int c = 0; c < grid.gridModel().columnCount(); ++c)
            if (gbk::startsWithIgnoreCase(grid.gridModel().fieldName(c), "Size"))
                captions.push_back(
                    grid.model()->headerData(c, Qt::Horizontal).toString().toStdString());
        return captions;
    }

    QLabel line;
};

TEST_F(SizeFormTest, TheProgramMakesTheSevenSizeFormsByName)
{
    std::map<std::string, std::function<TFrmQuery*(QWidget*)>> classes;
    registerSizeDocumentForms(classes);
    const auto made = [&](const char* name) {
        return std::unique_ptr<TFrmQuery>(classes.at(name)(nullptr));
    };
    EXPECT_TRUE(qobject_cast<TFrmInsertSize*>(made("TFrmInsertSize").get()));
    EXPECT_TRUE(qobject_cast<TFrmUpdateSize*>(made("TFrmUpdateSize").get()));
    EXPECT_TRUE(qobject_cast<TFrmQuerySize*>(made("TFrmQuerySize").get()));
    EXPECT_TRUE(qobject_cast<TFrmVerifySize*>(made("TFrmVerifySize").get()));
    EXPECT_TRUE(qobject_cast<TFrmInvalidateSize*>(made("TFrmInvalidateSize").get()));
    EXPECT_TRUE(qobject_cast<TFrmSummarySize*>(made("TFrmSummarySize").get()));
}

TEST_F(SizeFormTest, TwoSoldProductsTakeTheirPricesAndTheTotalsFollow)
{
    auto form = open<TFrmInsertSize>("TStockOut", "新增销售出库");
    ASSERT_TRUE(form->inputControls()) << message();
    EXPECT_EQ(form->mbtSum().text().toStdString(), "重新计算");
    EXPECT_FALSE(form->dgeDetail().gridModel().editable()) << "no line: nothing to type in";
    EXPECT_TRUE(sizeCaptions(form->dgeDetail()).empty()) << "no type picked: no size column";
    deliveryHeader(*form);
    pickRows(form->mbtDetailAdd(), {0, 1});

    TCustomEntity& lines = entity(*form, param::TDetail);
    ASSERT_EQ(lines.RecordCount(), 2) << message();
    TCustomEntity& products = cached("TProduct");
    double amount = 0, profit = 0;
    std::string type;
    for (lines.First(); !lines.Eof(); lines.Next()) {
        ASSERT_TRUE(products.Locate("ObjID", Variant(lines.FieldByName("TProductID").AsString())));
        EXPECT_EQ(lines.FieldByName("Quantity").AsInteger(), 1);
        EXPECT_EQ(lines.FieldByName("UnitPrice").AsFloat(),
                  products.FieldByName("UnitPrice").AsFloat());
        EXPECT_EQ(lines.FieldByName("InPrice").AsFloat(),
                  products.FieldByName("InPrice").AsFloat());
        EXPECT_EQ(lines.FieldByName("TProductCode").AsString(), GetCode(products));
        EXPECT_NE(GetObjID(lines), GetObjID(products)) << "a line has its own ObjID";
        amount += products.FieldByName("UnitPrice").AsFloat();
        profit +=
            products.FieldByName("UnitPrice").AsFloat() - products.FieldByName("InPrice").AsFloat();
        type = products.FieldByName("TProductTypeID").AsString();
    }
    click(form->mbtSum());
    EXPECT_EQ(shownNumber(*form, "TotalQuantity"), 2);
    EXPECT_DOUBLE_EQ(shownNumber(*form, "TotalAmount"), amount);
    EXPECT_DOUBLE_EQ(shownNumber(*form, "TotalProfit"), profit);

    // The grid shows exactly the sizes of the picked type, captioned with their names.
    TCustomEntity& typeSizes = cached("TProductTypeSize");
    ASSERT_TRUE(typeSizes.Locate("TProductTypeID", Variant(type)));
    std::vector<std::string> names;
    for (int n = 1; n <= 20; ++n)
        if (std::string s(gbk::trim(typeSizes.FieldByName("Size" + std::to_string(n)).AsString()));
            !s.empty())
            names.push_back(gbk::toUtf8(s));
    EXPECT_EQ(sizeCaptions(form->dgeDetail()), names);

    // 3 × 12.5 at a cost of 10.
    lines.First();
    SetFieldFloat(lines, "InPrice", 10);
    typeInto(form->dgeDetail(), 0, "UnitPrice", "12.5");
    typeInto(form->dgeDetail(), 0, "Quantity", "3");
    lines.First();
    EXPECT_DOUBLE_EQ(lines.FieldByName("SubTotal").AsFloat(), 37.5);
    EXPECT_DOUBLE_EQ(lines.FieldByName("Profit").AsFloat(), 7.5);
    EXPECT_EQ(shownNumber(*form, "TotalQuantity"), 4) << "the totals follow a typed value";

    // The cursor passes over the other columns to Quantity.
    platform::DataGrid& grid = form->dgeDetail();
    const int quantity = columnOf(grid, "Quantity");
    ASSERT_GT(quantity, 1);
    grid.setCurrentIndex(grid.model()->index(0, 1));
    EXPECT_EQ(grid.currentIndex().column(), quantity);
    grid.setCurrentIndex(grid.model()->index(0, grid.model()->columnCount() - 1));
    EXPECT_EQ(grid.currentIndex().row(), 1) << "from the last column to the next line";
    EXPECT_EQ(grid.currentIndex().column(), quantity);

    // Removing a line takes its amounts out of the totals; without lines no size column stays.
    lines.First();
    click(form->mbtDetailDel());
    EXPECT_EQ(lines.RecordCount(), 1);
    EXPECT_EQ(shownNumber(*form, "TotalQuantity"), 1);
    click(form->mbtDetailDel());
    EXPECT_TRUE(sizeCaptions(form->dgeDetail()).empty());
}

TEST_F(SizeFormTest, TheSaleDiscountIsThePartnersForTheSaleType)
{
    auto form = open<TFrmInsertSize>("TStockOut", "新增销售出库");
    ASSERT_TRUE(form->inputControls()) << message();
    deliveryHeader(*form);
    struct Case {
        const char* organ;
        const char* saleType;
        double discount;
    } cases[] = {
        {"KH001", "WHOLESALE", 78},  {"KH002", "WHOLESALE", 80}, {"KH003", "MEMBER", 90},
        {"KH001", "GROUP", 85},      {"KH002", "RETAIL", 100},   {"KH003", nullptr, 100},
        {nullptr, "WHOLESALE", 100},
    };
    for (const Case& c : cases) {
        enter(*form, "TSaleTypeID",
              c.saleType ? otherParamId("TSaleTypeID", c.saleType) : std::string());
        enter(*form, "TOrganID", c.organ ? cachedId("TOrgan", c.organ) : std::string());
        EXPECT_EQ(shownNumber(*form, "SaleDiscount"), c.discount)
            << (c.organ ? c.organ : "no partner") << " " << (c.saleType ? c.saleType : "none");
    }
    // The organisation chosen first and the sale type after: the same row.
    enter(*form, "TOrganID", cachedId("TOrgan", "KH003"));
    enter(*form, "TSaleTypeID", otherParamId("TSaleTypeID", "WHOLESALE"));
    EXPECT_EQ(shownNumber(*form, "SaleDiscount"), 75);
}

TEST_F(SizeFormTest, APurchasedProductTakesThePurchasePriceAndNeedsAQuantity)
{
    auto form = open<TFrmInsertSize>("TStockIn", "新增采购入库");
    ASSERT_TRUE(form->inputControls()) << message();
    enter(*form, "TStockInTypeID", otherParamId("TStockInTypeID", "PURCHASE"));
    enter(*form, "TWarehouseID", cachedId("TWarehouse", "CK01"));
    enter(*form, "TEmployeeID", cachedId("TEmployee", "YG005"));
    enter(*form, "TOrganID", cachedId("TOrgan", "GY001"));
    yesterday(*form);
    pickRows(form->mbtDetailAdd(), {0});
    TCustomEntity& lines = entity(*form, param::TDetail);
    ASSERT_EQ(lines.RecordCount(), 1);
    TCustomEntity& products = cached("TProduct");
    ASSERT_TRUE(products.Locate("ObjID", Variant(lines.FieldByName("TProductID").AsString())));
    EXPECT_EQ(lines.FieldByName("UnitPrice").AsFloat(), products.FieldByName("InPrice").AsFloat());
    EXPECT_EQ(lines.FieldByName("InPrice").AsFloat(), 0);
    EXPECT_EQ(lines.FieldByName("Quantity").AsInteger(), 0);
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "请输入商品“" + gbk::toUtf8(GetCode(products)) + "”的数量");
    EXPECT_TRUE(form->mbtSubmit().isEnabled()) << "nothing was sent";
}

TEST_F(SizeFormTest, AfterContinuingThePickerOffersOnlyThePickedType)
{
    auto form = open<TFrmInsertSize>("TStockOut", "新增销售出库");
    deliveryHeader(*form);
    int nodesFirst = 0, nodesAfter = 0;
    pick(form->mbtDetailAdd(), {{0}, PickerSteps::Continue, [&](TFrmEditSize& picker) {
                                    nodesFirst = picker.tvwProductType().topLevelItemCount();
                                    picker.dgeMaster().setRowMarked(0, true);
                                    picker.ContinueClicked();
                                    nodesAfter = picker.tvwProductType().topLevelItemCount();
                                }});
    EXPECT_GT(nodesFirst, 1) << "every type at first";
    EXPECT_EQ(nodesAfter, 1) << "only the picked type after continuing";
    TCustomEntity& lines = entity(*form, param::TDetail);
    EXPECT_EQ(lines.RecordCount(), 2) << "each continue adds at once";

    int nodesWithLines = 0;
    pick(form->mbtDetailAdd(), {{}, PickerSteps::Close, [&](TFrmEditSize& picker) {
                                    nodesWithLines = picker.tvwProductType().topLevelItemCount();
                                }});
    EXPECT_EQ(nodesWithLines, 1) << "a document with lines keeps to its type";
    EXPECT_EQ(lines.RecordCount(), 2) << "closing adds nothing";
}

TEST_F(SizeFormTest, TheUpdateFormMovesItsTotalsByTheCommittedChange)
{
    auto form = open<TFrmUpdateSize>("TStockOut", "修改销售日报");
    ASSERT_FALSE(form->dgeDetail().isEnabled());
    EXPECT_TRUE(sizeCaptions(form->dgeDetail()).empty()) << "no document: no size column";
    click(form->mbtQuery());
    TCustomEntity& list = entity(*form, "TMasterQuery");
    ASSERT_GT(list.RecordCount(), 0) << message();
    ASSERT_TRUE(form->dgeMasterQuery().isEnabled());
    QTest::mouseClick(
        form->dgeMasterQuery().viewport(), Qt::LeftButton, {},
        form->dgeMasterQuery().visualRect(form->dgeMasterQuery().model()->index(0, 0)).center());
    TCustomEntity& lines = entity(*form, param::TDetail);
    ASSERT_GT(lines.RecordCount(), 0) << message();
    ASSERT_TRUE(form->dgeDetail().isEnabled());

    lines.First();
    const long q = lines.FieldByName("Quantity").AsInteger();
    const double price = lines.FieldByName("UnitPrice").AsFloat();
    const double cost = lines.FieldByName("InPrice").AsFloat();
    const std::string lineId = GetObjID(lines);
    const double tq = shownNumber(*form, "TotalQuantity");
    const double ta = shownNumber(*form, "TotalAmount");
    const double tp = shownNumber(*form, "TotalProfit");

    typeInto(form->dgeDetail(), 0, "Quantity", QString::number(q + 3));
    EXPECT_DOUBLE_EQ(shownNumber(*form, "TotalQuantity"), tq + 3);
    EXPECT_NEAR(shownNumber(*form, "TotalAmount"), ta + 3 * price, 1e-6);
    EXPECT_NEAR(shownNumber(*form, "TotalProfit"), tp + 3 * (price - cost), 1e-6);
    TCustomEntity& updates = entity(*form, param::TDetailUpdate);
    EXPECT_EQ(updates.RecordCount(), 1);
    EXPECT_TRUE(updates.Locate("ObjID", Variant(lineId)));

    typeInto(form->dgeDetail(), 0, "Quantity", QString::number(q));
    EXPECT_DOUBLE_EQ(shownNumber(*form, "TotalQuantity"), tq);
    EXPECT_NEAR(shownNumber(*form, "TotalAmount"), ta, 1e-6);
    EXPECT_EQ(updates.RecordCount(), 1) << "changed back, still sent";
    EXPECT_EQ(updates.FieldByName("Quantity").AsInteger(), q);

    click(form->mbtSubmit());
    EXPECT_NE(message().find("修改完成"), std::string::npos) << message();
    EXPECT_FALSE(form->dgeDetail().isEnabled()) << "editing ends with the save";
}

/// A login of the demo company as the clerk of the store LS; the cached tables it writes are
/// put back when the test ends.
class ClerkLogin {
public:
    ClerkLogin()
    {
        namespace fs = std::filesystem;
        m_kept = fs::temp_directory_path() / ("corvo-kept-size-" + std::to_string(getpid()));
        fs::remove_all(m_kept);
        fs::copy(shell::dataDir(), m_kept, fs::copy_options::recursive);
        platform::setModalInterceptor([](QDialog&) { return 0; });
        login = std::make_unique<shell::TFrmLogin>();
        login->show();
        login->sedTOrganCode().setText(QStringLiteral("LS"));
        login->sedCode().setText(QStringLiteral("clerk"));
        login->sedPassWord().setText(QStringLiteral("clerk"));
        QTest::mouseClick(&login->mbtLogin(), Qt::LeftButton);
        platform::setModalInterceptor({});
        login->hide();
    }
    ~ClerkLogin()
    {
        namespace fs = std::filesystem;
        login.reset();
        fs::remove_all(shell::dataDir());
        fs::copy(m_kept, shell::dataDir(), fs::copy_options::recursive);
        fs::remove_all(m_kept);
    }
    std::unique_ptr<shell::TFrmLogin> login;

private:
    std::filesystem::path m_kept;
};

TEST_F(SizeFormTest, TheClerksDailyReportIsBookedToTheStoreLS)
{
    const std::string store = cachedId("TOrgan", "LS");
    std::string document;
    {
        ClerkLogin clerk;
        ASSERT_EQ(clerk.login->resultFlag(), 1) << "the clerk logs in";
        auto form = std::make_unique<TFrmInsertSize>(clerk.login.get());
        form->registry().SelectTableFields("TStockOut");
        form->registry().BuildEntity("TStockOut", "TMaster");
        form->SetFormTitle("新增销售日报");
        form->setModuleName(gbk::fromUtf8("新增销售日报"));
        form->setHost(nullptr, &line, nullptr);
        form->resize(1000, 640);
        form->show();
        QApplication::processEvents();
        ASSERT_TRUE(form->inputControls()) << message();
        EXPECT_FALSE(form->inputControls()->HasControl("TOrganID")) << "no organisation control";
        EXPECT_EQ(form->inputControls()->ControlByName("Code").Caption().toStdString(), "日报编号");
        dailyHeader(*form, "clerk");
        // The store has no link row: a retail sale at the full price.
        EXPECT_EQ(shownNumber(*form, "SaleDiscount"), 100);
        pickRows(form->mbtDetailAdd(), {0, 1});
        document = form->formKey();
        click(form->mbtSubmit());
        ASSERT_NE(message().find("单据新增完成"), std::string::npos) << message();
    }
    auto query = open<TFrmQuerySize>("TStockOut", "查询销售日报");
    query->queryControls()->ControlByName("HappenDate").setChecked(false);
    click(query->mbtAll());
    TCustomEntity& master = entity(*query, param::TMaster);
    ASSERT_TRUE(master.Locate("ObjID", Variant(document))) << message();
    EXPECT_EQ(master.FieldByName("TOrganID").AsString(), store);
    EXPECT_DOUBLE_EQ(master.FieldByName("SaleDiscount").AsFloat(), 100);
}

TEST_F(SizeFormTest, TheQueryWindowOfSetDllKeepsOnlyTheLastMonths)
{
    // The login's own settings file comes back afterwards: a later login needs it.
    const std::string file = shell::dataDir() + "Set.dll";
    const std::string kept = file + ".kept";
    ASSERT_TRUE(
        std::filesystem::copy_file(file, kept, std::filesystem::copy_options::overwrite_existing));
    const auto restore = qScopeGuard([&] { std::filesystem::rename(kept, file); });
    const auto query = [&] {
        auto form = open<TFrmQuerySize>("TStockOut", "查询销售日报");
        form->queryControls()->ControlByName("HappenDate").setChecked(false);
        click(form->mbtAll());
        std::vector<std::string> dates;
        TCustomEntity& master = entity(*form, param::TMaster);
        for (master.First(); !master.Eof(); master.Next())
            dates.push_back(master.FieldByName("HappenDate").AsDateTime().toDateString());
        return dates;
    };
    const DateTime today = DateTime::now();
    const std::string start = QueryWindowStart(today, 3);
    const auto before = [&](const std::vector<std::string>& dates) {
        return std::count_if(dates.begin(), dates.end(),
                             [&](const std::string& d) { return d < start; });
    };
    std::filesystem::remove(file);
    const std::vector<std::string> all = query();
    ASSERT_GT(before(all), 0) << "the demo has reports older than three months";

    TClientDataSet settings;
    settings.FieldDefs().Add("IP", FieldType::Integer);
    settings.CreateDataSet();
    settings.Append();
    settings.FieldByName("IP").SetAsInteger(3);
    settings.Post();
    shell::saveDataSetFile(file, settings);
    const std::vector<std::string> window = query();
    EXPECT_FALSE(window.empty());
    EXPECT_EQ(before(window), 0) << "nothing before " << start;
    EXPECT_EQ(window.size() + static_cast<std::size_t>(before(all)), all.size())
        << "everything since is kept";
}

TEST_F(SizeFormTest, ADailyReportsWholeLifeWithSizes)
{
    // Entered with sizes typed per line, and saved.
    auto entry = open<TFrmInsertSize>("TStockOut", "新增销售日报");
    ASSERT_TRUE(entry->inputControls()) << message();
    dailyHeader(*entry, "sizes");
    pickRows(entry->mbtDetailAdd(), {0, 1});
    TCustomEntity& lines = entity(*entry, param::TDetail);
    ASSERT_EQ(lines.RecordCount(), 2);
    typeSizes(entry->dgeDetail(), 0, {1, 2, 0, 1});
    typeSizes(entry->dgeDetail(), 1, {0, 3});
    lines.First();
    EXPECT_EQ(lines.FieldByName("Quantity").AsInteger(), 4) << "the sizes' sum";
    EXPECT_EQ(lines.FieldByName("Size2").AsInteger(), 2);
    EXPECT_TRUE(lines.FieldByName("Size3").IsNull());
    EXPECT_EQ(shownNumber(*entry, "TotalQuantity"), 7);
    const std::string document = entry->formKey();
    const std::string warehouse = cachedId("TWarehouse", "CK02");
    click(entry->mbtSubmit());
    ASSERT_NE(message().find("单据新增完成"), std::string::npos) << message();
    entry.reset();

    // Changed: one more of the second line's first size.
    auto update = open<TFrmUpdateSize>("TStockOut", "修改销售日报");
    click(update->mbtQuery());
    platform::DataGrid& listGrid = update->dgeMasterQuery();
    TClientDataSet& list = *listGrid.dataSet();
    int row = -1;
    for (int r = 0; r < list.RecordCount(); ++r) {
        list.SetRecNo(r + 1);
        if (GetObjID(list) == document) row = r;
    }
    ASSERT_GE(row, 0) << "the new report can be changed";
    QTest::mouseClick(listGrid.viewport(), Qt::LeftButton, {},
                      listGrid.visualRect(listGrid.model()->index(row, 0)).center());
    TCustomEntity& changing = entity(*update, param::TDetail);
    ASSERT_EQ(changing.RecordCount(), 2);
    const double before = shownNumber(*update, "TotalQuantity");
    int second = changing.Locate("Size2", Variant(int64_t{3})) ? changing.RecNo() - 1 : -1;
    ASSERT_GE(second, 0);
    typeSizes(update->dgeDetail(), second, {1, 3});
    EXPECT_EQ(shownNumber(*update, "TotalQuantity"), before + 1);
    EXPECT_EQ(entity(*update, param::TDetailUpdate).RecordCount(), 1);
    click(update->mbtSubmit());
    ASSERT_NE(message().find("修改完成"), std::string::npos) << message();
    update.reset();

    const auto stored = storedLines("TStockOut", "查询销售日报", document);
    ASSERT_EQ(stored.size(), 2u);
    long total = 0;
    for (const auto& [product, amounts] : stored)
        total += amounts[0];
    EXPECT_EQ(total, 8) << "4 + 4 after the change";

    // Verified: the store's stock goes down by exactly those sizes.
    const auto stockBefore = stock(warehouse);
    auto verify = open<TFrmVerifySize>("TStockOut", "审核销售日报");
    EXPECT_EQ(verify->mbtFoo().text().toStdString(), "审核(&V)");
    click(verify->mbtAll());
    TCustomEntity& listed = entity(*verify, param::TMaster);
    ASSERT_TRUE(listed.Locate("ObjID", Variant(document))) << message();
    const std::string code = GetCode(listed);
    TCustomEntity kept;
    kept.CopyStructure(listed);
    kept.UpsertRecord(listed);
    click(verify->mbtFoo());
    EXPECT_EQ(message(), "单据“" + gbk::toUtf8(code) + "”审核完成。");
    EXPECT_FALSE(listed.Locate("ObjID", Variant(document))) << "it leaves the result";
    const auto stockAfter = stock(warehouse);
    for (const auto& [product, amounts] : stored) {
        Amounts expected = stockBefore.count(product) ? stockBefore.at(product) : Amounts{};
        for (std::size_t i = 0; i < expected.size(); ++i)
            expected[i] -= amounts[i];
        ASSERT_TRUE(stockAfter.count(product));
        EXPECT_EQ(stockAfter.at(product), expected) << product;
    }
    for (const auto& [product, amounts] : stockAfter)
        if (!stored.count(product)) {
            EXPECT_EQ(amounts, stockBefore.at(product)) << product;
        }

    // A second verify of the same report is refused and books nothing.
    listed.UpsertRecord(kept);
    listed.Locate("ObjID", Variant(document));
    click(verify->mbtFoo());
    EXPECT_EQ(message(), "单据“" + gbk::toUtf8(code) + "”已经是“已审核”状态，不能重复操作。");
    EXPECT_EQ(stock(warehouse), stockAfter);
    verify.reset();

    // Summarised by product.
    auto summary = open<TFrmSummarySize>("TStockOut", "销售商品汇总");
    click(summary->mbtAll());
    EXPECT_NE(message().find("汇总完成！本次汇总单据数为["), std::string::npos) << message();
    TCustomEntity& summed = entity(*summary, param::TDetailQuery);
    for (const auto& [product, amounts] : stored)
        EXPECT_TRUE(summed.Locate("TProductID", Variant(product))) << product;

    // A second report of the day is invalidated.
    auto other = open<TFrmInsertSize>("TStockOut", "新增销售日报");
    dailyHeader(*other, "to invalidate");
    pickRows(other->mbtDetailAdd(), {2});
    const std::string invalid = other->formKey();
    click(other->mbtSubmit());
    ASSERT_NE(message().find("单据新增完成"), std::string::npos) << message();
    auto invalidate = open<TFrmInvalidateSize>("TStockOut", "作废销售日报");
    click(invalidate->mbtAll());
    TCustomEntity& candidates = entity(*invalidate, param::TMaster);
    ASSERT_TRUE(candidates.Locate("ObjID", Variant(invalid))) << message();
    EXPECT_FALSE(candidates.Locate("ObjID", Variant(document))) << "verified: no longer first";
    candidates.Locate("ObjID", Variant(invalid));
    click(invalidate->mbtFoo());
    EXPECT_NE(message().find("作废"), std::string::npos) << message();
    click(invalidate->mbtAll());
    EXPECT_FALSE(entity(*invalidate, param::TMaster).Locate("ObjID", Variant(invalid)));
}

} // namespace
} // namespace corvo::forms::test
