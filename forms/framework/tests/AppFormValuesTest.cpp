// Checking, collecting, showing and clearing values; status values; submit hooks; the close
// button and the server connection, over the demo company.
#include "AppFormFixture.h"
#include "controls/TVelComboBox.h"
#include "entity/EntityHelpers.h"
#include "entity/Guid.h"
#include "platform/Desktop.h"
#include "platform/Modal.h"
#include "remote/AppServers.h"
#include "remote/Tvelwebconnection.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace corvo::forms::test {
namespace {

QWidget* editor(TFrmApp& form, const char* code)
{
    return form.inputControls()->ControlByName(code).Editor();
}

void type(TFrmApp& form, const char* code, const char* text)
{
    auto* edit = qobject_cast<QLineEdit*>(editor(form, code));
    ASSERT_NE(edit, nullptr) << code;
    edit->setText(QString::fromUtf8(text));
}

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

TEST_F(AppFormTest, CollectedRowOfAnEntryPanel)
{
    auto form = open("TWarehouse");
    form->BuildInputControls(form->registry().EntityByName("TDictField"), *entryPanel);
    type(*form, "Code", "WH9");
    type(*form, "Name", "新仓库");
    type(*form, "Address", "南京路1号");
    auto* organ = qobject_cast<controls::TVelComboBox*>(editor(*form, "TOrganID"));
    ASSERT_GT(organ->ItemCount(), 0);
    controls::TItemField first;
    organ->GetItem(0, first);
    organ->SetInnerCode(first.InnerCode);

    TCustomEntity row;
    row.SetData(form->CollectNewMaster());
    ASSERT_EQ(row.RecordCount(), 1);
    auto text = [&](const char* field) { return gbk::display(row.FieldByName(field).AsString()); };
    EXPECT_EQ(text("TWarehouse"), form->registry().TableObjID("TWarehouse"));
    EXPECT_TRUE(Guid::parse(text("ObjID")));
    EXPECT_EQ(text("Code"), "WH9");
    EXPECT_EQ(text("Name"), "新仓库");
    EXPECT_EQ(text("Address"), "南京路1号");
    EXPECT_EQ(text("TOrganID"), first.InnerCode.toStdString());
    EXPECT_EQ(text("TOrganName"), first.DisplayText.toStdString());
    EXPECT_EQ(text("TOwnerID"), form->owner());
    EXPECT_FALSE(form->owner().empty());
    EXPECT_EQ(text("StatusID"), form->StatusObjID("StatusID", "Valid"));
    EXPECT_EQ(text("StatusName"), "有效");

    // A required name left empty, then one too long by a character of two bytes.
    type(*form, "Name", "");
    EXPECT_EQ(errorOf([&] { form->CollectNewMaster(); }), "请输入[仓库名称]……");
    type(*form, "Name", std::string(25, 'x').append("库").c_str()); // 27 bytes of 50: fine
    EXPECT_EQ(errorOf([&] { form->CollectNewMaster(); }), "");
    std::string long26;
    for (int i = 0; i < 26; ++i)
        long26 += "库";
    type(*form, "Name", long26.c_str()); // 52 bytes
    EXPECT_EQ(errorOf([&] { form->CollectNewMaster(); }), "字段[仓库名称]值超出长度范围");
    organ->SetInnerCode(QString());
    type(*form, "Name", "新仓库");
    EXPECT_EQ(errorOf([&] { form->CollectNewMaster(); }),
              "选择项[所属门店]尚未选择，请选择后再保存");
}

TEST_F(AppFormTest, DatesBeforeTheFirstStoredDayAreRefused)
{
    auto form = open("TStockOut");
    TCustomEntity& dict = form->registry().EntityByName("TDictField");
    ASSERT_TRUE(dict.FindRecord("Code", "HappenDate"));
    EXPECT_EQ(errorOf([&] { form->ValidateValue(Variant("1905-03-12")); }), "");
    EXPECT_EQ(errorOf([&] { form->ValidateValue(Variant("1905-03-11")); }),
              "日期类型[单据日期]输入非法！");
}

TEST_F(AppFormTest, StatusValuesAfterAFilteredNextStatus)
{
    auto form = open("TStockOut");
    const std::string fresh = form->StatusObjID("StatusTStockOutID", "New");
    const std::string next = form->NextStatus("StatusTStockOutID", fresh);
    EXPECT_NE(next, fresh);
    EXPECT_TRUE(form->registry().EntityByName("TOtherParam").Filtered());
    auto paramsOwner = cached("TOtherParam");
    TCustomEntity& params = *paramsOwner;
    ASSERT_TRUE(params.FindRecord("Code", "StatusID_Valid"));
    EXPECT_EQ(form->StatusObjID("StatusID", "Valid"), GetObjID(params));
}

TEST_F(AppFormTest, ShowClearAndFocusTheEntryPanel)
{
    auto form = open("TWarehouse");
    form->BuildInputControls(form->registry().EntityByName("TDictField"), *entryPanel);
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    master.CopyFrom(*cached("TWarehouse"));
    master.First();
    form->ShowMasterValues("TMaster");
    auto* code = qobject_cast<QLineEdit*>(editor(*form, "Code"));
    auto* organ = qobject_cast<controls::TVelComboBox*>(editor(*form, "TOrganID"));
    EXPECT_EQ(platform::toGbk(code->text()), master.FieldByName("Code").AsString());
    EXPECT_EQ(organ->InnerCode().toStdString(), master.FieldByName("TOrganID").AsString());
    EXPECT_FALSE(organ->text().isEmpty()) << "the box shows the organisation's name";

    form->ClearPanel(*entryPanel);
    EXPECT_TRUE(code->text().isEmpty());
    EXPECT_TRUE(organ->InnerCode().isEmpty());

    QApplication::setActiveWindow(form.get());
    form->FocusFirstInput();
    EXPECT_TRUE(code->hasFocus());
}

TEST_F(AppFormTest, ClearPanelPutsEachEditorBackToItsEmptyValue)
{
    auto form = open("TStockOut");
    form->BuildInputControls(form->registry().EntityByName("TDictField"), *entryPanel);
    auto* discount = qobject_cast<QLineEdit*>(editor(*form, "SaleDiscount"));
    auto* quantity = qobject_cast<QLineEdit*>(editor(*form, "TotalQuantity"));
    auto* date = qobject_cast<QDateEdit*>(editor(*form, "HappenDate"));
    auto* memo = qobject_cast<QPlainTextEdit*>(editor(*form, "Remark"));
    discount->setText("9.5");
    quantity->setText("12");
    date->setDate(QDate(2001, 2, 3));
    memo->setPlainText("x");
    form->ClearPanel(*entryPanel);
    EXPECT_EQ(discount->text(), "0");
    EXPECT_EQ(quantity->text(), "0");
    EXPECT_EQ(date->date(), QDate::currentDate());
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(AppFormTest, SubmitHooksCarryTMasterBothWays)
{
    auto form = open("TWarehouse");
    EXPECT_EQ(errorOf([&] { form->FillSubmitPacket(); }), "主单据数据为空！");
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    master.CopyFrom(*cached("TWarehouse"));
    const int rows = master.RecordCount();
    ASSERT_TRUE(form->FillSubmitPacket());
    TParamData& packet = form->submitPacket();
    EXPECT_EQ(packet.GetParamValue("AppName").toText(), "Corvo");
    EXPECT_FALSE(packet.ParamExists("TOwnerID")) << "the owner row is not written again";
    master.EmptyDataSet();
    ASSERT_TRUE(form->AfterSubmit());
    EXPECT_EQ(master.RecordCount(), rows);
    EXPECT_EQ(gbk::display(master.FieldByName("Name").DisplayLabel()), "仓库名称");
    ASSERT_TRUE(form->ResetSubmitPacket());
    EXPECT_EQ(packet.RecordCount(), 0);
}

TEST_F(AppFormTest, UpdateLocalCopyPutsTheRowIntoTheCachedTable)
{
    auto form = open("TWarehouse");
    form->BuildInputControls(form->registry().EntityByName("TDictField"), *entryPanel);
    type(*form, "Code", "WH-LOCAL");
    type(*form, "Name", "本地仓");
    auto* organ = qobject_cast<controls::TVelComboBox*>(editor(*form, "TOrganID"));
    controls::TItemField first;
    organ->GetItem(0, first);
    organ->SetInnerCode(first.InnerCode);
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    master.SetData(form->CollectNewMaster());
    const int before = cached("TWarehouse")->RecordCount();
    ASSERT_TRUE(form->UpdateLocalCopy());
    auto afterOwner = cached("TWarehouse");
    TCustomEntity& after = *afterOwner;
    EXPECT_EQ(after.RecordCount(), before + 1);
    EXPECT_TRUE(after.FindRecord("Code", "WH-LOCAL"));
}

TEST_F(AppFormTest, StatusTextGoesToTheHostsMessageLine)
{
    auto form = open("TWarehouse");
    form->ShowStatusText("数据查询完成"); // stand-alone: nowhere, and no failure
    QLabel line;
    line.hide();
    form->setHost(nullptr, &line, nullptr);
    form->ShowStatusText("数据查询完成");
    EXPECT_TRUE(line.isVisibleTo(nullptr) || !line.isHidden());
    EXPECT_EQ(utf8(line.text()), "数据查询完成");
}

// A main window stand-in that counts the close-page messages it receives.
class Host : public QWidget {
public:
    int closes = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == platform::Message1124Event::eventType()) ++closes;
        return QWidget::event(e);
    }
};

TEST_F(AppFormTest, CloseButtonClosesOrAsksTheHostToClose)
{
    auto form = open("TWarehouse");
    form->setResultFlag(1);
    QTest::mouseClick(&form->mbtClose(), Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->resultFlag(), 0);

    auto embedded = open("TWarehouse");
    Host host;
    embedded->setHost(&host, nullptr, nullptr);
    QTest::mouseClick(&embedded->mbtClose(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(host.closes, 1);
    EXPECT_TRUE(embedded->isVisible()) << "the host closes the page";
}

TEST_F(AppFormTest, CaptionsTranslatedIntoTheLanguageColumn)
{
    auto form = open("TWarehouse");
    ASSERT_GT(form->translations().RecordCount(), 0) << "the login caches the translations";
    form->ApplyFrameAndContext("NameEn", form->connection(), form->userRecord());
    QLabel unknown(QStringLiteral("没有译文"), &form->pnlClient());
    form->TranslateCaptions(*form);
    EXPECT_EQ(utf8(form->mbtClose().text()), "Close");
    EXPECT_EQ(utf8(unknown.text()), "没有译文");
}

TEST_F(AppFormTest, EscapeLeavesTheFormOpen)
{
    auto form = open("TWarehouse");
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(AppFormTest, ConnectServerWithAndWithoutAClass)
{
    auto form = open("TWarehouse");
    std::vector<std::string> shown;
    platform::setModalInterceptor([&](QDialog& d) {
        if (auto* box = qobject_cast<QMessageBox*>(&d)) shown.push_back(utf8(box->text()));
        return 0;
    });
    form->ConnectServer("");
    platform::setModalInterceptor({});
    EXPECT_EQ(shown, std::vector<std::string>{"没有指定服务器GUID，无法连接服务器！"});

    form->ConnectServer(std::string(remote::appserver::Query));
    EXPECT_EQ(form->connection()->ServerGUID(), remote::appserver::Query);
    EXPECT_NE(form->GetServer(), nullptr);
}

TEST_F(AppFormTest, NameConditionFiltersTheMaster)
{
    auto form = open("TWarehouse");
    TCustomEntity& master = form->registry().EntityByName("TMaster");
    master.CopyFrom(*cached("TWarehouse"));
    ASSERT_GT(master.RecordCount(), 1);
    master.First();
    const std::string name = master.FieldByName("Name").AsString();
    QLineEdit sedName;
    sedName.setObjectName(QStringLiteral("sedName"));
    sedName.setText(platform::fromGbk(name));
    form->BuildNameCondition(sedName);
    EXPECT_TRUE(master.Filtered());
    ASSERT_GE(master.RecordCount(), 1);
    for (master.First(); !master.Eof(); master.Next())
        EXPECT_EQ(master.FieldByName("Name").AsString().rfind(name, 0), 0u);
    sedName.clear();
    form->BuildNameCondition(sedName);
    EXPECT_EQ(master.RecordCount(), cached("TWarehouse")->RecordCount());
}

} // namespace
} // namespace corvo::forms::test
