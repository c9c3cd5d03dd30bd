// The status change forms on demo documents against the real servers: verify and invalidate,
// one document and several, what the stock does, refusals, the automatic invalidation of
// products without stock, and the fixed conditions.
#include "ModuleForm.h"
#include "controls/TQueryControlList.h"
#include "controls/TVelComboBox.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TClientDataSet.h"
#include "entity/TCustomEntityList.h"
#include "forms/documents/DocumentForms.h"
#include "forms/documents/TFrmInvalidate.h"
#include "forms/documents/TFrmInvalidateMD.h"
#include "forms/documents/TFrmVerify.h"
#include "forms/documents/TFrmVerifyMD.h"
#include "forms/rules/StatusChange.h"
#include "forms/rules/StatusValues.h"
#include "platform/DataGrid.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <array>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

namespace corvo::forms::test {
namespace {

/// Quantity, then Size1 … Size20.
using Amounts = std::array<long, 21>;
/// (warehouse, product) → what it holds.
using Stock = std::map<std::pair<std::string, std::string>, Amounts>;

class StatusFormTest : public ::testing::Test {
protected:
    template <typename Form> std::unique_ptr<Form> open(const char* table, const char* module)
    {
        return openModuleForm<Form>(table, module, &line);
    }
    std::string message() const { return line.text().toStdString(); }
    static TCustomEntity& master(TFrmQuery& form)
    {
        return form.registry().EntityByName(param::TMaster);
    }
    static void click(QAbstractButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
    static std::string text(TCustomEntity& rows, const char* field)
    {
        return rows.FieldByName(field).AsString();
    }
    static std::string statusId(TFrmQuery& form, const std::string& column, const char* state)
    {
        return StatusObjID(form.registry().EntityByName("TOtherParam"), column, state);
    }
    /// Ticks a status condition on the given state of its list.
    static void chooseStatus(TFrmQuery& form, const std::string& column, const char* state)
    {
        controls::TQueryControl& condition = form.queryControls()->ControlByName(column);
        condition.setChecked(true);
        auto* box = dynamic_cast<controls::TVelComboBox*>(condition.Editor());
        ASSERT_TRUE(box) << column;
        box->SetInnerCode(platform::fromGbk(statusId(form, column, state)));
    }
    /// The ObjIDs of the rows the form lists.
    static std::set<std::string> listed(TFrmQuery& form)
    {
        std::set<std::string> ids;
        TCustomEntity& rows = master(form);
        for (rows.First(); !rows.Eof(); rows.Next())
            ids.insert(text(rows, "ObjID"));
        return ids;
    }
    static void moveTo(TFrmQueryCollate& form, int row)
    {
        form.dgeMaster().setCurrentIndex(form.dgeMaster().model()->index(row, 0));
    }

    /// Every stock row of the company.
    Stock stock()
    {
        auto form = open<TFrmQueryCollate>("TStock", "库存查询");
        click(form->mbtAll());
        Stock held;
        TCustomEntity& rows = master(*form);
        for (rows.First(); !rows.Eof(); rows.Next())
            held[{text(rows, "TWarehouseID"), text(rows, "TProductID")}] = amountsOf(rows);
        return held;
    }
    static Amounts amountsOf(TCustomEntity& row)
    {
        Amounts a{};
        a[0] = row.FieldByName("Quantity").AsInteger();
        for (int size = 1; size <= 20; ++size)
            a[size] = row.FieldByName("Size" + std::to_string(size)).AsInteger();
        return a;
    }
    /// The lines of a stock document by product, summed.
    std::map<std::string, Amounts> linesOf(const char* table, const char* module,
                                           const std::string& document)
    {
        auto form = open<TFrmQueryMDCollate>(table, module);
        click(form->mbtAll());
        std::map<std::string, Amounts> lines;
        if (!master(*form).Locate("ObjID", Variant(document))) return lines;
        form->QueryDetailOfMaster(master(*form));
        TCustomEntity& detail = form->registry().EntityByName(param::TDetailQuery);
        for (detail.First(); !detail.Eof(); detail.Next()) {
            Amounts& sum = lines[text(detail, "TProductID")];
            const Amounts line = amountsOf(detail);
            for (std::size_t i = 0; i < sum.size(); ++i)
                sum[i] += line[i];
        }
        return lines;
    }
    /// The stock after minus before equals sign × the lines, in the warehouse; nothing else moved.
    static void expectMoved(const Stock& before, const Stock& after, const std::string& warehouse,
                            const std::map<std::string, Amounts>& lines, int sign)
    {
        ASSERT_FALSE(lines.empty());
        std::set<std::pair<std::string, std::string>> keys;
        for (const auto& [key, value] : before)
            keys.insert(key);
        for (const auto& [key, value] : after)
            keys.insert(key);
        for (const auto& key : keys) {
            const auto was = before.find(key);
            const auto is = after.find(key);
            Amounts expected = was == before.end() ? Amounts{} : was->second;
            if (key.first == warehouse)
                if (const auto line = lines.find(key.second); line != lines.end())
                    for (std::size_t i = 0; i < expected.size(); ++i)
                        expected[i] += sign * line->second[i];
            const Amounts actual = is == after.end() ? Amounts{} : is->second;
            EXPECT_EQ(actual, expected) << "warehouse " << key.first << " product " << key.second;
        }
    }

    QLabel line;
};

TEST_F(StatusFormTest, TheStatusConditionIsFixedAndOnlyValidDocumentsAreListed)
{
    auto single = open<TFrmInvalidate>("TMaterial", "作废物料");
    controls::TQueryControl& status = single->queryControls()->ControlByName("StatusID");
    EXPECT_FALSE(status.isEnabled());
    EXPECT_FALSE(status.isChecked()) << "the single form presets nothing";
    EXPECT_EQ(single->mbtFoo().text().toStdString(), "作废(&P)");
    EXPECT_EQ(single->mbtPrint().text().toStdString(), "打印(&P)");
    click(single->mbtFoo());
    EXPECT_EQ(message(), "请查询出单据后再进行修改。");

    auto md = open<TFrmVerifyMD>("TSaleOrder", "审核销售订单");
    controls::TQueryControl& mdStatus = md->queryControls()->ControlByName("StatusID");
    EXPECT_FALSE(mdStatus.isEnabled());
    EXPECT_TRUE(mdStatus.isChecked()) << "the collated preset stays";
    EXPECT_EQ(md->mbtFoo().text().toStdString(), "审核(&P)");
    auto* orderStatus = dynamic_cast<controls::TVelComboBox*>(
        md->queryControls()->ControlByName("StatusTSaleOrderID").Editor());
    ASSERT_TRUE(orderStatus);
    EXPECT_EQ(platform::toGbk(orderStatus->InnerCode()),
              statusId(*md, "StatusTSaleOrderID", "New"));
    click(md->mbtFoo());
    EXPECT_EQ(message(), "请稍候，正在提交单据……") << "an empty result sends nothing";

    click(md->mbtQuery());
    const std::string valid = statusId(*md, "StatusID", "Valid");
    for (master(*md).First(); !master(*md).Eof(); master(*md).Next()) {
        EXPECT_EQ(text(master(*md), "StatusID"), valid);
        EXPECT_EQ(text(master(*md), "StatusTSaleOrderID"),
                  statusId(*md, "StatusTSaleOrderID", "New"));
    }
}

TEST_F(StatusFormTest, VerifyingADailyReportPostsItsLinesOutOfItsWarehouse)
{
    auto form = open<TFrmVerify>("TStockOut", "审核销售日报");
    EXPECT_EQ(form->mbtFoo().text().toStdString(), "审核(&V)");
    chooseStatus(*form, "StatusTStockOutID", "New");
    click(form->mbtQuery());
    ASSERT_GE(master(*form).RecordCount(), 3) << message();

    moveTo(*form, 1);
    const std::string document = text(master(*form), "ObjID");
    const std::string code = text(master(*form), "Code");
    const std::string warehouse = text(master(*form), "TWarehouseID");
    moveTo(*form, 2);
    const std::string third = text(master(*form), "ObjID");
    moveTo(*form, 1);
    const int listedBefore = master(*form).RecordCount();
    const auto lines = linesOf("TStockOut", "查询销售日报", document);
    const Stock before = stock();

    click(form->mbtFoo());
    EXPECT_EQ(message(), "单据“" + gbk::toUtf8(code) + "”审核完成。");
    EXPECT_EQ(text(master(*form), "ObjID"), third) << "the document after it is current";
    EXPECT_EQ(master(*form).RecordCount(), listedBefore - 1);
    EXPECT_EQ(listed(*form).count(document), 0u);
    expectMoved(before, stock(), warehouse, lines, -1);

    click(form->mbtQuery());
    EXPECT_EQ(listed(*form).count(document), 0u) << "no longer new on the server";
    chooseStatus(*form, "StatusTStockOutID", "Verified");
    click(form->mbtQuery());
    ASSERT_EQ(listed(*form).count(document), 1u) << message();

    // Verified already: refused, and the row stays.
    ASSERT_TRUE(master(*form).Locate("ObjID", Variant(document)));
    const int shown = master(*form).RecordCount();
    const Stock verified = stock();
    click(form->mbtFoo());
    EXPECT_NE(message().find("不能重复操作"), std::string::npos)
        << "the server's refusal: " << message();
    EXPECT_EQ(master(*form).RecordCount(), shown);
    EXPECT_EQ(stock(), verified);
    click(form->mbtQuery());
    EXPECT_EQ(listed(*form).count(document), 1u) << "still verified, once";
}

/// A status form whose save the server answers false. The real server refuses with an error
/// (tried above) and never answers these calls false, so the form's call answers in its place.
template <typename Form> class AnsweredFalse : public Form {
public:
    using Form::Form;
    bool CallStatusServer() override { return false; }
};

TEST_F(StatusFormTest, AStatusChangeAnsweredFalseIsReportedAndRemovesNothing)
{
    auto single = open<AnsweredFalse<TFrmVerify>>("TStockOut", "审核销售日报");
    chooseStatus(*single, "StatusTStockOutID", "New");
    click(single->mbtQuery());
    ASSERT_GE(master(*single).RecordCount(), 1) << message();
    const std::set<std::string> before = listed(*single);
    click(single->mbtFoo());
    EXPECT_EQ(message(), "数据更新失败，请稍后重试。");
    EXPECT_EQ(listed(*single), before);

    auto md = open<AnsweredFalse<TFrmInvalidateMD>>("TSaleOrder", "作废销售订单");
    click(md->mbtAll());
    ASSERT_GE(master(*md).RecordCount(), 1) << message();
    const std::set<std::string> listedMD = listed(*md);
    click(md->mbtFoo());
    EXPECT_EQ(message(), "数据更新失败，请稍后重试。");
    EXPECT_EQ(listed(*md), listedMD);
}

TEST_F(StatusFormTest, AltPPressesTheOperationAndCtrlPPrints)
{
    auto form = open<TFrmInvalidate>("TMaterial", "作废物料");
    EXPECT_EQ(form->mbtFoo().text().toStdString(), "作废(&P)");
    EXPECT_EQ(form->mbtPrint().text().toStdString(), "打印(&P)") << "the captions stay";
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    int operations = 0, prints = 0;
    QObject::connect(&form->mbtFoo(), &QPushButton::clicked, [&] { ++operations; });
    QObject::connect(&form->mbtPrint(), &QPushButton::clicked, [&] { ++prints; });
    // A key that names one button clicks it a moment later; one naming two clicks neither.
    QTest::keyClick(form.get(), Qt::Key_P, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return operations == 1; }, 1000));
    EXPECT_EQ(prints, 0);
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return prints == 1; }, 1000));
    EXPECT_EQ(operations, 1);
}

TEST_F(StatusFormTest, InvalidatingAVerifiedReceiptReversesItsStock)
{
    auto form = open<TFrmInvalidate>("TStockIn", "作废采购入库");
    EXPECT_EQ(form->mbtPrint().text().toStdString(), "打印(&P)")
        << "only products invalidate by stock";
    chooseStatus(*form, "StatusTStockInID", "Verified");
    click(form->mbtQuery());
    ASSERT_GE(master(*form).RecordCount(), 1) << message();
    master(*form).First();
    const std::string document = text(master(*form), "ObjID");
    const std::string code = text(master(*form), "Code");
    const std::string warehouse = text(master(*form), "TWarehouseID");
    const auto lines = linesOf("TStockIn", "查询采购入库", document);
    const Stock before = stock();

    click(form->mbtFoo());
    EXPECT_EQ(message(), "单据“" + gbk::toUtf8(code) + "”作废完成。");
    EXPECT_EQ(listed(*form).count(document), 0u);
    expectMoved(before, stock(), warehouse, lines, -1);
    click(form->mbtQuery());
    EXPECT_EQ(listed(*form).count(document), 0u) << "invalid documents are not listed";
}

TEST_F(StatusFormTest, ABulkVerifySendsEveryMarkedDocumentAndRemovesThemAll)
{
    auto form = open<TFrmVerifyMD>("TStockOut", "审核销售日报");
    click(form->mbtQuery());
    ASSERT_GE(master(*form).RecordCount(), 5) << message();
    std::set<std::string> marked;
    std::string codes;
    for (int row : {0, 1, 2}) {
        moveTo(*form, row);
        marked.insert(text(master(*form), "ObjID"));
        codes += (codes.empty() ? "" : "、") + gbk::toUtf8(text(master(*form), "Code"));
    }
    for (int row : {0, 1, 2})
        form->dgeMaster().setRowMarked(row, true);
    ASSERT_EQ(form->dgeMaster().markedRows().size(), 3u);
    // The current row is not among the marked ones, and is not sent.
    moveTo(*form, 3);
    const std::string unmarked = text(master(*form), "ObjID");
    const int shown = master(*form).RecordCount();
    EXPECT_EQ(form->LblResult().text().toStdString().rfind(
                  "查询结果：第1页 " + std::to_string(shown) + "条数据", 0),
              0u)
        << form->LblResult().text().toStdString();

    click(form->mbtFoo());
    EXPECT_EQ(message(), "单据“" + codes + "”审核完成。") << "the documents sent are named";
    EXPECT_EQ(master(*form).RecordCount(), shown - 3) << "every document sent leaves the grid";
    EXPECT_EQ(listed(*form).count(unmarked), 1u);
    EXPECT_EQ(form->LblResult().text().toStdString().rfind(
                  "查询结果：第1页 " + std::to_string(shown - 3) + "条数据", 0),
              0u)
        << "the result line counts the documents left: " << form->LblResult().text().toStdString();
    for (const std::string& id : marked)
        EXPECT_EQ(listed(*form).count(id), 0u);
    TParamData& changes = form->fieldPacket();
    ASSERT_EQ(changes.RecordCount(), 1);
    EXPECT_EQ(text(changes, "Field"), "StatusTStockOutID");
    EXPECT_EQ(text(changes, "Value"), statusId(*form, "StatusTStockOutID", "Verified"));

    // On the server none of them is new any more, and the query still works after the
    // status walk (the other parameters are searched unfiltered).
    click(form->mbtQuery());
    EXPECT_NE(message().find("查询完成"), std::string::npos) << message();
    for (const std::string& id : marked)
        EXPECT_EQ(listed(*form).count(id), 0u);
}

TEST_F(StatusFormTest, ASaleOrderIsVerifiedWithItsLinesAPurchaseOrderWithout)
{
    for (const char* table : {"TSaleOrder", "TPurchaseOrder"}) {
        auto form = open<TFrmVerifyMD>(table, "审核订单");
        // This month's orders are new; on the first days of a month there may be none.
        click(form->mbtQuery());
        if (master(*form).IsEmpty()) continue;
        master(*form).First();
        form->QueryDetailOfMaster(master(*form));
        const int lines = form->registry().EntityByName(param::TDetailQuery).RecordCount();
        ASSERT_GT(lines, 0);
        // What the button sends, looked at before it is sent.
        ASSERT_TRUE(form->BeforeSubmit());
        form->FillSubmitPacket();
        TParamData& sent = form->submitPacket();
        if (std::string(table) == "TSaleOrder") {
            ASSERT_TRUE(sent.ParamExists(param::TDetailUpdate));
            TClientDataSet rows;
            rows.SetData(sent.GetParamData(param::TDetailUpdate));
            EXPECT_EQ(rows.RecordCount(), lines);
        } else {
            EXPECT_FALSE(sent.ParamExists(param::TDetailUpdate));
        }
        click(form->mbtFoo());
        EXPECT_NE(message().find("审核完成"), std::string::npos) << table << ": " << message();
    }
}

TEST_F(StatusFormTest, EveryInvalidationAfterAQuerySendsTheSameStatusChange)
{
    auto form = open<TFrmInvalidateMD>("TSaleOrder", "作废销售订单");
    EXPECT_EQ(form->mbtFoo().text().toStdString(), "作废(&P)");
    click(form->mbtAll());
    ASSERT_GE(master(*form).RecordCount(), 3) << message();
    const std::string invalid = statusId(*form, "StatusID", "Invalid");
    std::vector<std::string> gone;
    for (int i = 0; i < 2; ++i) {
        master(*form).First();
        gone.push_back(text(master(*form), "ObjID"));
        const std::string code = text(master(*form), "Code");
        click(form->mbtFoo());
        EXPECT_EQ(message(), "单据“" + gbk::toUtf8(code) + "”作废完成。");
        TParamData& sent = form->submitPacket();
        ASSERT_TRUE(sent.ParamExists(param::ParamDataStatusAlter));
        TParamData& changes = form->fieldPacket();
        ASSERT_EQ(changes.RecordCount(), 1);
        EXPECT_EQ(text(changes, "Name"), "TMaster");
        EXPECT_EQ(text(changes, "Value"), invalid);
        EXPECT_EQ(text(changes, "Field"), "StatusID");
    }
    click(form->mbtAll());
    for (const std::string& id : gone)
        EXPECT_EQ(listed(*form).count(id), 0u) << "invalid on the server";
}

TEST_F(StatusFormTest, TheAutomaticInvalidationTakesExactlyTheProductsWithoutStock)
{
    std::set<std::string> stocked;
    for (const auto& [key, amounts] : stock())
        if (amounts[0] != 0) stocked.insert(key.second);

    auto form = open<TFrmInvalidate>("TProduct", "作废商品");
    click(form->mbtQuery());
    EXPECT_EQ(form->mbtPrint().text().toStdString(), "自动作废");
    const std::set<std::string> before = listed(*form);
    std::set<std::string> expected;
    for (const std::string& product : before)
        if (stocked.count(product)) expected.insert(product);
    ASSERT_LT(expected.size(), before.size()) << "the demo has valid products without stock";

    click(form->mbtPrint());
    EXPECT_EQ(message(), "系统已经将所有库存为零的商品作废。");
    click(form->mbtQuery());
    EXPECT_EQ(listed(*form), expected);
}

TEST_F(StatusFormTest, TheProgramMakesTheFourStatusFormsByName)
{
    std::map<std::string, std::function<TFrmQuery*(QWidget*)>> classes;
    registerDocumentForms(classes);
    const auto made = [&](const char* name) {
        return std::unique_ptr<TFrmQuery>(classes.at(name)(nullptr));
    };
    EXPECT_TRUE(qobject_cast<TFrmVerify*>(made("TFrmVerify").get()));
    EXPECT_TRUE(qobject_cast<TFrmVerifyMD*>(made("TFrmVerifyMD").get()));
    EXPECT_TRUE(qobject_cast<TFrmInvalidate*>(made("TFrmInvalidate").get()));
    EXPECT_TRUE(qobject_cast<TFrmInvalidateMD*>(made("TFrmInvalidateMD").get()));
    EXPECT_EQ(classes.count("TFrmSimpleUpdate"), 0u) << "a base only";
}

} // namespace
} // namespace corvo::forms::test
