// Bills and account records entered against the real insert server: the server's code in
// the read-only code editor, and a payable stored from the supplier's side.
#include "LoginSession.h"
#include "ModuleForm.h"
#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "forms/documents/DocumentForms.h"
#include "forms/documents/TFrmInsertBill.h"
#include "shell/LocalFiles.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace corvo::forms::test {
namespace {

class BillEntryTest : public ::testing::Test {
protected:
    template <typename Form> std::unique_ptr<Form> open(const char* table, const char* module)
    {
        return openModuleForm<Form>(table, module, &line);
    }
    std::string message() const { return line.text().toStdString(); }
    static void click(QAbstractButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
    static void enter(TFrmApp& form, const char* code, const std::string& value)
    {
        form.inputControls()->ControlByName(code).SetText(Variant(gbk::fromUtf8(value)));
    }
    static std::string cachedId(const char* table, const char* code)
    {
        TCustomEntity rows;
        EXPECT_TRUE(shell::loadDataSetFile(shell::dataDir() + table, rows)) << table;
        EXPECT_TRUE(rows.FindRecord("Code", code)) << table << " " << code;
        return GetObjID(rows);
    }
    static std::string today()
    {
        return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString();
    }

    QLabel line;
};

TEST_F(BillEntryTest, AnAutoCodedBillShowsTheServersCode)
{
    auto form = open<TFrmInsertBill>("TSaleInvoice", "登记销售发票");
    ASSERT_TRUE(form->autoCoded());
    auto* code = qobject_cast<QLineEdit*>(form->codeEditor());
    ASSERT_TRUE(code);
    EXPECT_TRUE(code->isReadOnly());

    enter(*form, "InvoiceNo", "FP-" + Guid::create().toString().substr(1, 8));
    enter(*form, "HappenDate", today());
    enter(*form, "TOrganID", cachedId("TOrgan", "KH003"));
    enter(*form, "Amount", "100");
    enter(*form, "TaxAmount", "13");
    enter(*form, "TotalAmount", "113");
    click(form->mbtSubmit());
    ASSERT_FALSE(form->mbtSubmit().isEnabled()) << message();
    const std::string stored = GetCode(form->registry().EntityByName(param::TMaster));
    EXPECT_EQ(stored.rfind("XF", 0), 0u) << stored;
    EXPECT_EQ(code->text().toStdString(), stored) << "the code the server gave";
    EXPECT_NE(message().find(stored), std::string::npos) << message();

    click(form->mbtInsert());
    EXPECT_TRUE(code->text().isEmpty()) << "a new bill starts without a code";
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
}

TEST_F(BillEntryTest, APayableIsStoredFromTheSuppliersSide)
{
    auto form = open<TFrmInsertAccount>("TAccount", "当月应付款");
    const std::string supplier = cachedId("TOrgan", "GY002");
    enter(*form, "HappenDate", today());
    enter(*form, "TOrganID", supplier);
    TCustomEntity items;
    ASSERT_TRUE(shell::loadDataSetFile(shell::dataDir() + "TOtherParam", items));
    items.FilterEqual("Type", "TAccountItemID");
    ASSERT_TRUE(items.FindRecord("Code", "FREIGHT"));
    enter(*form, "TAccountItemID", GetObjID(items));
    enter(*form, "TotalAmount", "42");
    click(form->mbtSubmit());
    ASSERT_FALSE(form->mbtSubmit().isEnabled()) << message();
    TCustomEntity& master = form->registry().EntityByName(param::TMaster);
    EXPECT_EQ(master.FieldByName("TOwnerID").AsString(), supplier) << "the partner owns it";
    EXPECT_EQ(master.FieldByName("TOrganID").AsString(), form->owner());

    // Our own side keeps the record ours.
    auto ours = open<TFrmInsertAccount>("TAccount", "当月应收款");
    enter(*ours, "HappenDate", today());
    enter(*ours, "TOrganID", cachedId("TOrgan", "KH001"));
    enter(*ours, "TAccountItemID", GetObjID(items));
    enter(*ours, "TotalAmount", "5");
    click(ours->mbtSubmit());
    ASSERT_FALSE(ours->mbtSubmit().isEnabled()) << message();
    TCustomEntity& mine = ours->registry().EntityByName(param::TMaster);
    EXPECT_EQ(mine.FieldByName("TOwnerID").AsString(), ours->owner());
    EXPECT_EQ(mine.FieldByName("TOrganID").AsString(), cachedId("TOrgan", "KH001"));
}

TEST_F(BillEntryTest, TheEntryClassesAreRegisteredByName)
{
    std::map<std::string, std::function<TFrmQuery*(QWidget*)>> registry;
    registerDocumentForms(registry);
    for (const char* name : {"TFrmInsertBill", "TFrmInsertAccount"}) {
        ASSERT_TRUE(registry.count(name)) << name;
        std::unique_ptr<TFrmQuery> form(registry.at(name)(&LoginSession::instance().login()));
        EXPECT_TRUE(dynamic_cast<TFrmInsertBill*>(form.get())) << name;
    }
}

} // namespace
} // namespace corvo::forms::test
