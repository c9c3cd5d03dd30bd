// The insert and update forms on demo modules against the real servers: records and
// documents entered, saved and read back through the query server; saves refused or never
// answered; lines added, changed and removed; passwords stored encoded.
#include "LoginSession.h"
#include "ModuleForm.h"
#include "ReplyDroppingProxy.h"
#include "controls/TInputControl.h"
#include "controls/TInputControlList.h"
#include "controls/TSafeEdit.h"
#include "entity/DateTime.h"
#include "entity/EntityHelpers.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TCustomEntityList.h"
#include "entity/TParamData.h"
#include "forms/documents/TFrmCustomInsert.h"
#include "forms/documents/TFrmCustomInsertMD.h"
#include "forms/documents/TFrmCustomUpdate.h"
#include "forms/documents/TFrmCustomUpdateMD.h"
#include "forms/framework/TFrmQueryCondition.h"
#include "forms/framework/TFrmQueryProduct.h"
#include "forms/reports/TFrmQueryCollate.h"
#include "forms/reports/TFrmQueryMDCollate.h"
#include "forms/rules/StatusValues.h"
#include "password/EncodePassword.h"
#include "platform/DataGrid.h"
#include "platform/DataGridModel.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "remote/Tvelwebconnection.h"
#include "shell/LocalFiles.h"
#include "shell/TFrmLogin.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <arpa/inet.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace corvo::forms::test {
namespace {

using namespace std::chrono_literals;

/// Calls that reach a listening port that never answers: the connection's servers point
/// there, with a short exchange timeout, until the guard ends.
class UnansweredCalls {
public:
    explicit UnansweredCalls(remote::TIntellegentWebconn& web)
        : m_web(web), m_urls(web.Urls()), m_timeout(web.exchangeTimeout())
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(m_socket, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(m_socket, 16) != 0 ||
            ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            ADD_FAILURE() << "no listening port";
        web.setUrls({"http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
                     "/scripts/Velmarwebsvr.dll"});
        web.setExchangeTimeout(1500ms);
    }
    ~UnansweredCalls()
    {
        m_web.setUrls(m_urls);
        m_web.setExchangeTimeout(m_timeout);
        ::close(m_socket);
    }
    UnansweredCalls(const UnansweredCalls&) = delete;
    UnansweredCalls& operator=(const UnansweredCalls&) = delete;

private:
    remote::TIntellegentWebconn& m_web;
    std::vector<std::string> m_urls;
    std::chrono::milliseconds m_timeout;
    int m_socket = -1;
};

/// A sale order's line as stored: product and quantity.
using Lines = std::map<std::string, long>; // ObjID of the line -> Quantity

class EntryFormTest : public ::testing::Test {
protected:
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
    static controls::TInputControl& input(TFrmApp& form, const char* code)
    {
        return form.inputControls()->ControlByName(code);
    }
    /// Types a value (UTF-8; the ObjID for a reference) into an input.
    static void enter(TFrmApp& form, const char* code, const std::string& value)
    {
        input(form, code).SetText(Variant(gbk::fromUtf8(value)));
    }
    static std::string shown(TFrmApp& form, const char* code)
    {
        return gbk::toUtf8(input(form, code).Text().toText());
    }
    static std::string text(TClientDataSet& rows, const char* field)
    {
        return gbk::toUtf8(rows.FieldByName(field).AsString());
    }
    /// The ObjID of a cached reference row by its code.
    static std::string cachedId(const char* table, const char* code)
    {
        TCustomEntity rows;
        EXPECT_TRUE(shell::loadDataSetFile(shell::dataDir() + table, rows)) << table;
        EXPECT_TRUE(rows.FindRecord("Code", code)) << table << " " << code;
        return GetObjID(rows);
    }
    static std::string otherParamId(const char* type, const char* code)
    {
        TCustomEntity rows;
        EXPECT_TRUE(shell::loadDataSetFile(shell::dataDir() + "TOtherParam", rows));
        rows.FilterEqual("Type", type);
        EXPECT_TRUE(rows.FindRecord("Code", code)) << type << " " << code;
        return GetObjID(rows);
    }
    /// The table's rows as the query server gives them.
    std::unique_ptr<TCustomEntity> stored(const char* table, const char* module)
    {
        auto form = open<TFrmQueryCollate>(table, module);
        click(form->mbtAll());
        auto rows = std::make_unique<TCustomEntity>();
        rows->CopyFrom(entity(*form, param::TMaster));
        return rows;
    }
    /// A stored sale order's header (on the found row) and its lines.
    struct Order {
        std::unique_ptr<TCustomEntity> header = std::make_unique<TCustomEntity>();
        Lines lines;
        std::set<std::string> parents;
        std::map<std::string, std::string> products; // line -> TProductID
    };
    Order storedOrder(const std::string& objId)
    {
        auto form = open<TFrmQueryMDCollate>("TSaleOrder", "查询销售订单");
        click(form->mbtAll());
        Order order;
        TCustomEntity& master = entity(*form, param::TMaster);
        if (!master.Locate("ObjID", Variant(objId))) return order;
        order.header->CopyStructure(master);
        order.header->AssignRecord(master);
        TCustomEntity& lines = entity(*form, param::TDetailQuery);
        lines.ClearFilter();
        for (lines.First(); !lines.Eof(); lines.Next()) {
            if (lines.FieldByName("ParentID").AsString() != objId) continue;
            order.lines[GetObjID(lines)] = lines.FieldByName("Quantity").AsInteger();
            order.products[GetObjID(lines)] = lines.FieldByName("TProductID").AsString();
        }
        return order;
    }
    /// "新清单" answered by marking products first … first + count - 1 of the picker.
    static void pick(QAbstractButton& add, int first, int count)
    {
        int pickers = 0;
        platform::setModalInterceptor([&](QDialog& dialog) {
            auto* picker = qobject_cast<TFrmQueryProduct*>(&dialog);
            if (!picker) return 0;
            ++pickers;
            for (int row = first; row < first + count; ++row)
                picker->dgeProduct().setRowMarked(row, true);
            picker->setResultFlag(1);
            return 1;
        });
        click(add);
        platform::setModalInterceptor({});
        EXPECT_EQ(pickers, 1) << "the product picker opens";
    }
    /// Types a value into a cell of a line grid as a user does: the key opens the editor,
    /// Return ends it.
    static void typeInto(platform::DataGrid& grid, int row, const char* field, const QString& value)
    {
        int column = -1;
        for (int c = 0; c < grid.gridModel().columnCount(); ++c)
            if (grid.gridModel().fieldName(c) == field) column = c;
        ASSERT_GE(column, 0) << field;
        const QModelIndex cell = grid.model()->index(row, column);
        // A closed editor lingers until deferred deletes run; only the new one may be found.
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
    static int rowOf(platform::DataGrid& grid, const std::string& objId)
    {
        TClientDataSet& rows = *grid.dataSet();
        for (int row = 0; row < rows.RecordCount(); ++row) {
            rows.SetRecNo(row + 1);
            if (GetObjID(rows) == objId) return row;
        }
        return -1;
    }
    static void clickRow(platform::DataGrid& grid, int row)
    {
        const QModelIndex cell = grid.model()->index(row, 0);
        grid.scrollTo(cell);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());
    }

    /// A sale order entered in the insert form and saved: its ObjID and code.
    struct Entered {
        std::string objId;
        std::string code;
    };
    Entered enterOrder(const std::string& remark, int firstProduct)
    {
        auto form = open<TFrmInsertMD>("TSaleOrder", "新增销售订单");
        fillOrderHeader(*form, remark);
        pick(form->mbtDetailAdd(), firstProduct, 3);
        for (int row = 0; row < 3; ++row)
            typeInto(form->dgeDetail(), row, "Quantity", QString::number(row + 2));
        const std::string key = form->formKey();
        click(form->mbtSubmit());
        EXPECT_FALSE(form->mbtSubmit().isEnabled()) << message();
        return {key, shown(*form, "Code")};
    }
    void fillOrderHeader(TFrmApp& form, const std::string& remark)
    {
        enter(form, "TOrganID", cachedId("TOrgan", "KH001"));
        enter(form, "TWarehouseID", cachedId("TWarehouse", "CK01"));
        enter(form, "TEmployeeID", cachedId("TEmployee", "YG005"));
        enter(form, "TSaleTypeID", otherParamId("TSaleTypeID", "WHOLESALE"));
        enter(form, "SaleDiscount", "78");
        enter(form, "Remark", remark);
    }

    /// A login of the demo company as that user, answered like the session's own. The
    /// cached tables it writes are put back afterwards, so later tests see the session's.
    static bool logsIn(const char* user, const char* password)
    {
        namespace fs = std::filesystem;
        const fs::path data = shell::dataDir();
        const fs::path kept =
            fs::temp_directory_path() / ("corvo-kept-" + std::to_string(getpid()));
        fs::remove_all(kept);
        fs::copy(data, kept, fs::copy_options::recursive);
        const auto restore = qScopeGuard([&] {
            fs::remove_all(data);
            fs::copy(kept, data, fs::copy_options::recursive);
            fs::remove_all(kept);
        });
        platform::setModalInterceptor([](QDialog&) { return 0; });
        platform::setProcessTerminator([](int) {});
        auto login = std::make_unique<shell::TFrmLogin>();
        login->show();
        login->sedTOrganCode().setText(QStringLiteral("DEMO"));
        login->sedCode().setText(QString::fromUtf8(user));
        login->sedPassWord().setText(QString::fromUtf8(password));
        QTest::mouseClick(&login->mbtLogin(), Qt::LeftButton);
        const bool in = login->resultFlag() == 1;
        login.reset();
        platform::setProcessTerminator({});
        platform::setModalInterceptor({});
        return in;
    }

    QLabel line;
};

TEST_F(EntryFormTest, ARecordIsEnteredSavedAndReadBack)
{
    auto form = open<TFrmInsert>("TWarehouse", "新增仓库");
    ASSERT_TRUE(form->inputControls()) << message();
    const std::string organ = cachedId("TOrgan", "HH");
    enter(*form, "Code", "CK91");
    enter(*form, "Name", "测试仓库");
    enter(*form, "HelpIndex", "CSCK");
    enter(*form, "TOrganID", organ);
    enter(*form, "Address", "上海市测试路1号");
    enter(*form, "Phone", "021-5555");
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "数据新增完成，代码为：CK91");
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    EXPECT_TRUE(form->mbtInsert().hasFocus());

    auto rows = stored("TWarehouse", "查询仓库");
    ASSERT_TRUE(rows->FindRecord("Code", "CK91"));
    EXPECT_EQ(text(*rows, "Name"), "测试仓库");
    EXPECT_EQ(text(*rows, "HelpIndex"), "CSCK");
    EXPECT_EQ(text(*rows, "TOrganID"), organ);
    EXPECT_EQ(text(*rows, "Address"), "上海市测试路1号");
    EXPECT_EQ(text(*rows, "Phone"), "021-5555");
    EXPECT_EQ(text(*rows, "TOwnerID"), form->owner());
    // A client table's local copy has the new row too.
    TCustomEntity cached;
    ASSERT_TRUE(shell::loadDataSetFile(shell::dataDir() + "TWarehouse", cached));
    EXPECT_TRUE(cached.FindRecord("Code", "CK91"));

    click(form->mbtInsert());
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_EQ(shown(*form, "Code"), "");
    EXPECT_EQ(shown(*form, "Name"), "");
}

TEST_F(EntryFormTest, AnUnansweredSaveLeavesTheRecordEditableAndIsRetriedUnderItsObjID)
{
    auto form = open<TFrmInsert>("TWarehouse", "新增仓库");
    enter(*form, "Code", "CK92");
    enter(*form, "Name", "重试仓库");
    enter(*form, "TOrganID", cachedId("TOrgan", "LS"));
    std::string firstId;
    {
        const UnansweredCalls silent(*form->connection());
        click(form->mbtSubmit());
        EXPECT_NE(message().rfind("数据新增完成", 0), 0u) << message();
        firstId = GetObjID(entity(*form, param::TMaster));
    }
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_EQ(shown(*form, "Name"), "重试仓库");
    ASSERT_FALSE(firstId.empty());

    click(form->mbtSubmit());
    EXPECT_EQ(message(), "数据新增完成，代码为：CK92");
    auto rows = stored("TWarehouse", "查询仓库");
    ASSERT_TRUE(rows->FindRecord("Code", "CK92"));
    EXPECT_EQ(GetObjID(*rows), firstId) << "the retry sends the ObjID of the unanswered save";

    // A code the company has already: the server refuses the record, which stays as typed
    // and keeps its ObjID for the next save.
    click(form->mbtInsert());
    enter(*form, "Code", "CK01");
    enter(*form, "Name", "重复仓库");
    enter(*form, "TOrganID", cachedId("TOrgan", "LS"));
    click(form->mbtSubmit());
    EXPECT_NE(message().rfind("数据新增完成", 0), 0u) << message();
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_EQ(shown(*form, "Name"), "重复仓库");
    const std::string refusedId = GetObjID(entity(*form, param::TMaster));
    enter(*form, "Code", "CK94");
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "数据新增完成，代码为：CK94");
    {
        auto rows = stored("TWarehouse", "查询仓库");
        ASSERT_TRUE(rows->FindRecord("Code", "CK94"));
        EXPECT_EQ(GetObjID(*rows), refusedId);
        EXPECT_EQ(text(*rows, "Name"), "重复仓库");
        ASSERT_TRUE(rows->FindRecord("Code", "CK01"));
        EXPECT_NE(text(*rows, "Name"), "重复仓库") << "the stored CK01 is untouched";
    }

    // A value the column refuses stops the save before anything is sent.
    click(form->mbtInsert());
    enter(*form, "Code", "CK93");
    enter(*form, "Name", "");
    enter(*form, "TOrganID", cachedId("TOrgan", "LS"));
    click(form->mbtSubmit());
    EXPECT_NE(message().rfind("数据新增完成", 0), 0u) << message();
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_FALSE(stored("TWarehouse", "查询仓库")->FindRecord("Code", "CK93"));
}

TEST_F(EntryFormTest, AnAutomaticallyCodedRecordIsStoredUnderTheServersCode)
{
    auto form = open<TFrmInsert>("TMaterial", "新增物料");
    enter(*form, "Code", "TYPED");
    enter(*form, "Name", "测试包装袋");
    enter(*form, "TUnitID", otherParamId("TUnitID", "PCS"));
    click(form->mbtSubmit());
    // The single-record insert answers the packet as sent, so there is no code to show yet.
    EXPECT_EQ(message(), "数据新增完成，代码为：");

    auto update = open<TFrmUpdate>("TMaterial", "修改物料");
    auto* edit = qobject_cast<QLineEdit*>(input(*update, "Code").Editor());
    ASSERT_TRUE(edit);
    EXPECT_TRUE(edit->isReadOnly()) << "the server gives the code";
    click(update->mbtQuery());
    TCustomEntity& list = entity(*update, "TMasterQuery");
    ASSERT_TRUE(list.FindRecord("Name", gbk::fromUtf8("测试包装袋"))) << message();
    EXPECT_FALSE(GetCode(list).empty());
    EXPECT_NE(GetCode(list), "TYPED") << "a typed code is not stored";
}

TEST_F(EntryFormTest, ASaveWhoseReplyWasLostIsStoredOnceWhenSentAgain)
{
    auto form = open<TFrmInsert>("TWarehouse", "新增仓库");
    enter(*form, "Code", "CK99");
    enter(*form, "Name", "重发仓库");
    enter(*form, "TOrganID", cachedId("TOrgan", "LS"));
    {
        const UnansweredCalls silent(*form->connection());
        click(form->mbtSubmit());
    }
    const std::string id = GetObjID(entity(*form, param::TMaster));
    // The same save reaches the server a second later, and its reply is lost on the way.
    QTest::qWait(1100);
    ASSERT_TRUE(form->BeforeSubmit());
    entity(*form, param::TMaster).EditField("ObjID", id);
    form->FillSubmitPacket();
    ASSERT_TRUE(form->CallSubmitServer());

    click(form->mbtSubmit());
    EXPECT_EQ(message(), "数据新增完成，代码为：CK99") << "the server knows the save";
    auto rows = stored("TWarehouse", "查询仓库");
    int stores = 0;
    for (rows->First(); !rows->Eof(); rows->Next())
        if (GetCode(*rows) == "CK99") {
            ++stores;
            EXPECT_EQ(GetObjID(*rows), id);
        }
    EXPECT_EQ(stores, 1);
}

TEST_F(EntryFormTest, ADocumentWithItsLinesIsSavedUnderTheFormKeyAndShowsItsCode)
{
    auto form = open<TFrmInsertMD>("TSaleOrder", "新增销售订单");
    EXPECT_FALSE(form->inputControls()->First()->isEnabled()) << "the code is the server's";
    fillOrderHeader(*form, "三行的订单");

    click(form->mbtSubmit());
    EXPECT_EQ(message(), "请先输入明细项目。");
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    click(form->mbtDetailDel());
    EXPECT_EQ(message(), "数据集为空，不能删除记录") << "nothing to delete";

    pick(form->mbtDetailAdd(), 0, 3);
    TCustomEntity& lines = entity(*form, param::TDetail);
    ASSERT_EQ(lines.RecordCount(), 3);
    for (int row = 0; row < 3; ++row)
        typeInto(form->dgeDetail(), row, "Quantity", QString::number(row + 1));
    // Down on the last line goes to the first, Up on the first to the last; none is added.
    form->dgeDetail().setFocus();
    form->dgeDetail().setCurrentIndex(form->dgeDetail().model()->index(2, 0));
    QTest::keyClick(&form->dgeDetail(), Qt::Key_Down);
    EXPECT_EQ(form->dgeDetail().currentIndex().row(), 0);
    QTest::keyClick(&form->dgeDetail(), Qt::Key_Up);
    EXPECT_EQ(form->dgeDetail().currentIndex().row(), 2);
    EXPECT_EQ(lines.RecordCount(), 3);
    Lines typed;
    for (lines.First(); !lines.Eof(); lines.Next())
        typed[GetObjID(lines)] = lines.FieldByName("Quantity").AsInteger();
    ASSERT_EQ(typed.size(), 3u);
    EXPECT_EQ((std::multiset<long>{1, 2, 3}),
              (std::multiset<long>{typed.begin()->second, std::next(typed.begin())->second,
                                   std::prev(typed.end())->second}));

    const std::string key = form->formKey();
    click(form->mbtSubmit());
    const std::string code = shown(*form, "Code");
    ASSERT_FALSE(code.empty()) << message();
    EXPECT_EQ(message(), "单据新增完成，编号为“" + code + "”");
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    EXPECT_NE(form->formKey(), key) << "the next document gets a new ObjID";

    Order order = storedOrder(key);
    ASSERT_TRUE(order.header->Active() && !order.header->IsEmpty());
    EXPECT_EQ(text(*order.header, "Code"), code);
    EXPECT_EQ(text(*order.header, "TOrganID"), cachedId("TOrgan", "KH001"));
    EXPECT_EQ(text(*order.header, "TWarehouseID"), cachedId("TWarehouse", "CK01"));
    EXPECT_EQ(text(*order.header, "TEmployeeID"), cachedId("TEmployee", "YG005"));
    EXPECT_EQ(text(*order.header, "TSaleTypeID"), otherParamId("TSaleTypeID", "WHOLESALE"));
    EXPECT_DOUBLE_EQ(order.header->FieldByName("SaleDiscount").AsFloat(), 78.0);
    EXPECT_EQ(text(*order.header, "Remark"), "三行的订单");
    EXPECT_EQ(order.header->FieldByName("HappenDate").AsDateTime().toDateString(),
              DateTime::now().toDateString())
        << "the order date as the panel showed it";
    EXPECT_EQ(order.lines, typed) << "every line, under the document's ObjID";

    // "新单据" empties header and lines and starts another document.
    const std::string next = form->formKey();
    click(form->mbtNew());
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_TRUE(lines.IsEmpty());
    EXPECT_EQ(shown(*form, "Remark"), "");
    EXPECT_NE(form->formKey(), next);
    EXPECT_NE(form->formKey(), key);
}

TEST_F(EntryFormTest, ADocumentWhoseReplyWasLostIsStoredOnceAndTheNextIsAnotherDocument)
{
    // A save's request is far larger than the object requests around it (under 100 bytes).
    constexpr std::size_t SaveRequest = 400;
    auto form = open<TFrmInsertMD>("TSaleOrder", "新增销售订单");
    ASSERT_TRUE(entity(*form, param::TMaster).FindField("CreateDate"));
    fillOrderHeader(*form, "回复丢失的订单");
    pick(form->mbtDetailAdd(), 5, 2);
    typeInto(form->dgeDetail(), 0, "Quantity", "3");
    typeInto(form->dgeDetail(), 1, "Quantity", "5");
    const std::string key = form->formKey();
    {
        const ReplyDroppingProxy lost(*form->connection(), SaveRequest);
        click(form->mbtSubmit());
        ASSERT_EQ(lost.dropped(), 1) << message();
    }
    EXPECT_NE(message().rfind("单据新增完成", 0), 0u) << message();
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_EQ(form->formKey(), key);
    ASSERT_EQ(storedOrder(key).lines.size(), 2u)
        << "the server stored it before the reply was lost";

    // The user tries again a second later: the same document, known to the server.
    QTest::qWait(1100);
    click(form->mbtSubmit());
    const std::string code = shown(*form, "Code");
    EXPECT_EQ(message(), "单据新增完成，编号为“" + code + "”");
    ASSERT_FALSE(code.empty());
    auto headers = stored("TSaleOrder", "查询销售订单");
    int stores = 0;
    for (headers->First(); !headers->Eof(); headers->Next())
        if (text(*headers, "Remark") == "回复丢失的订单") ++stores;
    EXPECT_EQ(stores, 1);
    EXPECT_EQ(storedOrder(key).lines.size(), 2u);

    // Lost again, and this time the user gives up: "新单据" starts another document, which
    // the server stores beside the one it kept.
    click(form->mbtNew());
    fillOrderHeader(*form, "放弃重试的订单");
    pick(form->mbtDetailAdd(), 8, 1);
    typeInto(form->dgeDetail(), 0, "Quantity", "2");
    const std::string abandoned = form->formKey();
    EXPECT_NE(abandoned, key);
    {
        const ReplyDroppingProxy lost(*form->connection(), SaveRequest);
        click(form->mbtSubmit());
        ASSERT_EQ(lost.dropped(), 1) << message();
    }
    click(form->mbtNew());
    EXPECT_NE(form->formKey(), abandoned);
    fillOrderHeader(*form, "重新开始的订单");
    pick(form->mbtDetailAdd(), 9, 1);
    typeInto(form->dgeDetail(), 0, "Quantity", "4");
    const std::string fresh = form->formKey();
    click(form->mbtSubmit());
    EXPECT_EQ(message().rfind("单据新增完成", 0), 0u) << message();
    EXPECT_EQ(text(*storedOrder(abandoned).header, "Remark"), "放弃重试的订单");
    EXPECT_EQ(text(*storedOrder(fresh).header, "Remark"), "重新开始的订单");
}

TEST_F(EntryFormTest, AnUnansweredDocumentSaveIsRetriedAsTheSameDocument)
{
    auto form = open<TFrmInsertMD>("TSaleOrder", "新增销售订单");
    fillOrderHeader(*form, "重试的订单");
    pick(form->mbtDetailAdd(), 3, 2);
    typeInto(form->dgeDetail(), 0, "Quantity", "4");
    typeInto(form->dgeDetail(), 1, "Quantity", "6");
    const std::string key = form->formKey();
    {
        const UnansweredCalls silent(*form->connection());
        click(form->mbtSubmit());
    }
    EXPECT_NE(message().rfind("单据新增完成", 0), 0u) << message();
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_EQ(form->formKey(), key);
    EXPECT_EQ(shown(*form, "Remark"), "重试的订单");
    EXPECT_EQ(entity(*form, param::TDetail).RecordCount(), 2);

    click(form->mbtSubmit());
    EXPECT_EQ(message().rfind("单据新增完成", 0), 0u) << message();
    Order order = storedOrder(key);
    EXPECT_EQ(order.lines.size(), 2u);
    EXPECT_EQ(text(*order.header, "Remark"), "重试的订单");
}

TEST_F(EntryFormTest, AnUpdateSendsOnlyTheLinesAddedChangedAndRemoved)
{
    const Entered entered = enterOrder("待修改的订单", 6);
    ASSERT_FALSE(entered.code.empty()) << message();
    Order before = storedOrder(entered.objId);
    ASSERT_EQ(before.lines.size(), 3u);

    auto form = open<TFrmUpdateMD>("TSaleOrder", "修改销售订单");
    EXPECT_TRUE(form->mrbDefault().isChecked());
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    click(form->mbtQuery());
    TCustomEntity& list = entity(*form, "TMasterQuery");
    EXPECT_EQ(message(),
              "查询完成，本次查询到[" + std::to_string(list.RecordCount()) + "]条记录。");
    const int row = rowOf(form->dgeMasterQuery(), entered.objId);
    ASSERT_GE(row, 0) << "this month's valid orders include the new one";
    clickRow(form->dgeMasterQuery(), row);
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_EQ(shown(*form, "Remark"), "待修改的订单");
    TCustomEntity& lines = entity(*form, param::TDetail);
    ASSERT_EQ(lines.RecordCount(), 3) << "the picked document's lines";

    // Change the first line, remove the second, add one.
    const std::string changed = GetObjID(*form->dgeDetail().dataSet());
    typeInto(form->dgeDetail(), 0, "Quantity", "9");
    form->dgeDetail().setCurrentIndex(form->dgeDetail().model()->index(1, 0));
    const std::string removed = GetObjID(lines);
    click(form->mbtDetailDel());
    pick(form->mbtDetailAdd(), 12, 1);
    const std::string added = GetObjID(lines);
    typeInto(form->dgeDetail(), rowOf(form->dgeDetail(), added), "Quantity", "5");
    enter(*form, "Remark", "改过的订单");

    auto idsOf = [&](const char* set) {
        std::set<std::string> ids;
        TCustomEntity& rows = entity(*form, set);
        for (rows.First(); !rows.Eof(); rows.Next())
            ids.insert(GetObjID(rows));
        return ids;
    };
    EXPECT_EQ(idsOf("TDetailInsert"), std::set<std::string>{added});
    EXPECT_EQ(idsOf("TDetailUpdate"), std::set<std::string>{changed});
    EXPECT_EQ(idsOf("TDetailDelete"), std::set<std::string>{removed});
    // The packet the save sends: the header and exactly these three sets.
    ASSERT_TRUE(form->BeforeSubmit());
    ASSERT_TRUE(form->FillSubmitPacket());
    std::set<std::string> rows;
    TParamData& packet = form->submitPacket();
    for (packet.First(); !packet.Eof(); packet.Next())
        rows.insert(packet.FieldByName("Name").AsString());
    EXPECT_EQ(rows, (std::set<std::string>{"AppName", "TMaster", "TDetailInsert", "TDetailUpdate",
                                           "TDetailDelete"}));

    {
        const UnansweredCalls silent(*form->connection());
        click(form->mbtSubmit());
    }
    EXPECT_NE(message(), "单据“" + entered.code + "”修改完成。");
    EXPECT_TRUE(form->mbtSubmit().isEnabled()) << "a failed save can be sent again";
    EXPECT_EQ(idsOf("TDetailUpdate"), std::set<std::string>{changed}) << "nothing is lost";

    click(form->mbtSubmit());
    EXPECT_EQ(message(), "单据“" + entered.code + "”修改完成。");
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    EXPECT_TRUE(entity(*form, "TDetailUpdate").IsEmpty());

    Order after = storedOrder(entered.objId);
    Lines expected = before.lines;
    expected[changed] = 9;
    expected.erase(removed);
    expected[added] = 5;
    EXPECT_EQ(after.lines, expected);
    EXPECT_EQ(text(*after.header, "Remark"), "改过的订单");

    // Picked again, the document shows its lines as saved.
    clickRow(form->dgeMasterQuery(), rowOf(form->dgeMasterQuery(), entered.objId));
    Lines shownLines;
    for (lines.First(); !lines.Eof(); lines.Next())
        shownLines[GetObjID(lines)] = lines.FieldByName("Quantity").AsInteger();
    EXPECT_EQ(shownLines, expected);
}

TEST_F(EntryFormTest, AFailedQueryKeepsTheListedDocumentsWithTheirLines)
{
    const Entered entered = enterOrder("查询失败时的订单", 10);
    auto form = open<TFrmUpdateMD>("TSaleOrder", "修改销售订单");
    click(form->mbtQuery());
    ASSERT_GE(rowOf(form->dgeMasterQuery(), entered.objId), 0) << message();
    {
        const UnansweredCalls silent(*form->connection());
        click(form->mbtQuery());
    }
    EXPECT_NE(message().rfind("查询完成", 0), 0u) << message();
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    const int row = rowOf(form->dgeMasterQuery(), entered.objId);
    ASSERT_GE(row, 0) << "the list stays";
    clickRow(form->dgeMasterQuery(), row);
    EXPECT_EQ(entity(*form, param::TDetail).RecordCount(), 3) << "and so do its lines";
}

TEST_F(EntryFormTest, AChangeAfterASaveIsSavedInItsTurn)
{
    const Entered entered = enterOrder("保存后再改的订单", 13);
    auto form = open<TFrmUpdateMD>("TSaleOrder", "修改销售订单");
    click(form->mbtQuery());
    clickRow(form->dgeMasterQuery(), rowOf(form->dgeMasterQuery(), entered.objId));
    const std::string line = GetObjID(*form->dgeDetail().dataSet());
    typeInto(form->dgeDetail(), 0, "Quantity", "8");
    click(form->mbtSubmit());
    ASSERT_EQ(message(), "单据“" + entered.code + "”修改完成。");
    EXPECT_FALSE(form->mbtSubmit().isEnabled());

    typeInto(form->dgeDetail(), rowOf(form->dgeDetail(), line), "Quantity", "11");
    EXPECT_TRUE(form->mbtSubmit().isEnabled()) << "the change can be saved";
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "单据“" + entered.code + "”修改完成。");
    EXPECT_EQ(storedOrder(entered.objId).lines[line], 11);

    // A header typed after the save is a change as well.
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    QWidget* remark = input(*form, "Remark").Editor();
    ASSERT_TRUE(remark);
    remark->setFocus();
    QMetaObject::invokeMethod(remark, "selectAll");
    QTest::keyClicks(remark, QStringLiteral("changed after the save"));
    EXPECT_TRUE(form->mbtSubmit().isEnabled()) << "the header change can be saved";
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "单据“" + entered.code + "”修改完成。");
    EXPECT_EQ(text(*storedOrder(entered.objId).header, "Remark"), "changed after the save");
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    click(form->mbtQuery());
    EXPECT_FALSE(form->mbtSubmit().isEnabled()) << "emptying the panel is no edit";
}

TEST_F(EntryFormTest, TheCustomPeriodAsksForConditionsOrCancelsTheQuery)
{
    auto form = open<TFrmUpdateMD>("TSaleOrder", "修改销售订单");
    click(form->mbtQuery());
    const int thisMonth = entity(*form, "TMasterQuery").RecordCount();
    EXPECT_EQ(message(), "查询完成，本次查询到[" + std::to_string(thisMonth) + "]条记录。");

    click(form->mrbCustom());
    std::string caption;
    bool hourglass = true;
    platform::setModalInterceptor([&](QDialog& dialog) {
        caption = dialog.windowTitle().toStdString();
        const QCursor* cursor = QApplication::overrideCursor();
        hourglass = cursor && cursor->shape() == Qt::WaitCursor;
        return 0;
    });
    click(form->mbtQuery());
    EXPECT_EQ(caption, "请选定您想要的查询条件……");
    EXPECT_FALSE(hourglass) << "the conditions are chosen under the ordinary pointer";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "and the query's hourglass ends";
    EXPECT_EQ(message(), "查询操作被用户取消。");

    // Confirmed without a condition: every valid order, of every month.
    platform::setModalInterceptor([](QDialog& dialog) {
        auto* conditions = qobject_cast<TFrmQueryCondition*>(&dialog);
        if (conditions) click(conditions->mbtOK());
        return conditions ? conditions->resultFlag() : 0;
    });
    click(form->mbtQuery());
    platform::setModalInterceptor({});
    TCustomEntity& list = entity(*form, "TMasterQuery");
    EXPECT_GT(list.RecordCount(), thisMonth) << message();
    const std::string valid = StatusObjID(entity(*form, "TOtherParam"), "StatusID", "Valid");
    std::string previous;
    for (list.First(); !list.Eof(); list.Next()) {
        EXPECT_EQ(list.FieldByName("StatusID").AsString(), valid);
        EXPECT_LE(previous, GetCode(list)) << "listed by code";
        previous = GetCode(list);
    }
}

TEST_F(EntryFormTest, ChangesOfOneDocumentNeverTravelWithTheNext)
{
    const Entered first = enterOrder("第一张", 0);
    const Entered second = enterOrder("第二张", 3);
    auto form = open<TFrmUpdateMD>("TSaleOrder", "修改销售订单");
    click(form->mbtQuery());
    clickRow(form->dgeMasterQuery(), rowOf(form->dgeMasterQuery(), first.objId));
    typeInto(form->dgeDetail(), 0, "Quantity", "7");
    ASSERT_EQ(entity(*form, "TDetailUpdate").RecordCount(), 1);

    clickRow(form->dgeMasterQuery(), rowOf(form->dgeMasterQuery(), second.objId));
    EXPECT_TRUE(entity(*form, "TDetailUpdate").IsEmpty());
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "单据“" + second.code + "”修改完成。");
    for (const auto& [id, quantity] : storedOrder(first.objId).lines)
        EXPECT_NE(quantity, 7) << "the first document keeps its lines";
}

TEST_F(EntryFormTest, ARecordIsChangedInTheListAndAFailedSaveCanBeSentAgain)
{
    auto form = open<TFrmUpdate>("TWarehouse", "修改仓库");
    TCustomEntity& list = entity(*form, "TMasterQuery");
    ASSERT_GT(list.RecordCount(), 0) << "a client table lists its cached rows at once";
    for (list.First(); !list.Eof(); list.Next())
        EXPECT_NE(list.FieldByName("TOwnerID").AsString(), EmptyGuidText);
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    const int rows = list.RecordCount();
    const int row = [&] {
        for (int r = 0; r < rows; ++r) {
            list.SetRecNo(r + 1);
            if (GetCode(list) == "CK03") return r;
        }
        return -1;
    }();
    ASSERT_GE(row, 0);
    clickRow(form->dgeMasterQuery(), row);
    EXPECT_TRUE(form->mbtSubmit().isEnabled());
    EXPECT_EQ(shown(*form, "Code"), "CK03");
    enter(*form, "Phone", "021-6666");
    {
        const UnansweredCalls silent(*form->connection());
        click(form->mbtSubmit());
    }
    EXPECT_TRUE(form->mbtSubmit().isEnabled()) << "a failed save can be sent again";
    EXPECT_EQ(shown(*form, "Phone"), "021-6666");

    click(form->mbtSubmit());
    EXPECT_EQ(message(), "代码为“CK03”的数据修改完成。");
    EXPECT_EQ(list.RecordCount(), rows) << "the row is replaced, not added";
    ASSERT_TRUE(list.FindRecord("Code", "CK03"));
    EXPECT_EQ(text(list, "Phone"), "021-6666");
    auto stored = this->stored("TWarehouse", "查询仓库");
    ASSERT_TRUE(stored->FindRecord("Code", "CK03"));
    EXPECT_EQ(text(*stored, "Phone"), "021-6666");
    EXPECT_EQ(text(*stored, "Name"), text(list, "Name"));

    // Without a list there is nothing to save.
    auto empty = open<TFrmUpdate>("TMaterial", "修改物料");
    EXPECT_EQ(entity(*empty, "TMasterQuery").RecordCount(), 0) << "not a client table";
    empty->mbtSubmit().setEnabled(true);
    click(empty->mbtSubmit());
    EXPECT_EQ(message(), "请查询出单据后再进行修改。");
    click(empty->mbtQuery());
    EXPECT_GT(entity(*empty, "TMasterQuery").RecordCount(), 0) << message();
}

/// A form whose save the server answers false. The real servers never answer these calls
/// false (they refuse with an error, tried above), so the form's call is answered in their
/// place; everything before and after it is the form's own.
template <typename Form> class AnsweredFalse : public Form {
public:
    using Form::Form;
    bool CallSubmitServer() override { return false; }
};

TEST_F(EntryFormTest, ASaveAnsweredFalseIsReportedAndCanBeSentAgain)
{
    auto insert = open<AnsweredFalse<TFrmInsert>>("TWarehouse", "新增仓库");
    enter(*insert, "Code", "CK95");
    enter(*insert, "Name", "未存的仓库");
    enter(*insert, "TOrganID", cachedId("TOrgan", "LS"));
    click(insert->mbtSubmit());
    EXPECT_EQ(message(), "数据新增失败，请稍后重试。");
    EXPECT_TRUE(insert->mbtSubmit().isEnabled());
    EXPECT_EQ(shown(*insert, "Name"), "未存的仓库");

    auto insertMD = open<AnsweredFalse<TFrmInsertMD>>("TSaleOrder", "新增销售订单");
    fillOrderHeader(*insertMD, "未存的订单");
    pick(insertMD->mbtDetailAdd(), 2, 1);
    const std::string key = insertMD->formKey();
    click(insertMD->mbtSubmit());
    EXPECT_EQ(message(), "数据新增失败，请稍后重试。");
    EXPECT_TRUE(insertMD->mbtSubmit().isEnabled());
    EXPECT_EQ(insertMD->formKey(), key);
    EXPECT_EQ(entity(*insertMD, param::TDetail).RecordCount(), 1);

    auto update = open<AnsweredFalse<TFrmUpdate>>("TWarehouse", "修改仓库");
    clickRow(update->dgeMasterQuery(), 0);
    enter(*update, "Phone", "021-7777");
    click(update->mbtSubmit());
    EXPECT_EQ(message(), "数据更新失败，请稍后重试。");
    EXPECT_TRUE(update->mbtSubmit().isEnabled());
    EXPECT_EQ(shown(*update, "Phone"), "021-7777");

    const Entered entered = enterOrder("修改未存的订单", 16);
    auto updateMD = open<AnsweredFalse<TFrmUpdateMD>>("TSaleOrder", "修改销售订单");
    click(updateMD->mbtQuery());
    clickRow(updateMD->dgeMasterQuery(), rowOf(updateMD->dgeMasterQuery(), entered.objId));
    typeInto(updateMD->dgeDetail(), 0, "Quantity", "12");
    click(updateMD->mbtSubmit());
    EXPECT_EQ(message(), "数据更新失败，请稍后重试。");
    EXPECT_TRUE(updateMD->mbtSubmit().isEnabled());
    EXPECT_EQ(entity(*updateMD, "TDetailUpdate").RecordCount(), 1) << "the change is kept";
}

TEST_F(EntryFormTest, TheListSortsByTheClickedTitle)
{
    auto form = open<TFrmUpdate>("TWarehouse", "修改仓库");
    platform::DataGrid& grid = form->dgeMasterQuery();
    ASSERT_GT(grid.dataSet()->RecordCount(), 2);
    int code = -1;
    for (int c = 0; c < grid.gridModel().columnCount(); ++c)
        if (grid.gridModel().fieldName(c) == "Code") code = c;
    ASSERT_GE(code, 0);
    const auto column = [&] {
        std::vector<std::string> shown;
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            shown.push_back(grid.model()->index(row, code).data().toString().toStdString());
        return shown;
    };
    QHeaderView& header = *grid.horizontalHeader();
    const auto clickTitle = [&] {
        const QPoint at(header.sectionViewportPosition(code) + header.sectionSize(code) / 2,
                        header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, at);
    };
    clickTitle();
    std::vector<std::string> up = column();
    EXPECT_TRUE(std::is_sorted(up.begin(), up.end()));
    EXPECT_EQ(header.sortIndicatorSection(), code);
    EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);
    clickTitle();
    std::vector<std::string> down = column();
    EXPECT_TRUE(std::is_sorted(down.rbegin(), down.rend()));
    EXPECT_NE(down, up);
    EXPECT_EQ(header.sortIndicatorOrder(), Qt::DescendingOrder);

    // A new query lists in its own order: no arrow, and the next click sorts up again.
    click(form->mbtQuery());
    EXPECT_EQ(header.sortIndicatorSection(), -1);
    clickTitle();
    const std::vector<std::string> again = column();
    EXPECT_TRUE(std::is_sorted(again.begin(), again.end())) << "up after a new query";
    EXPECT_EQ(header.sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST_F(EntryFormTest, APasswordIsStoredEncodedSoTheUserLogsInWithIt)
{
    auto form = open<TFrmInsert>("TUser", "新增用户");
    enter(*form, "Code", "tester");
    enter(*form, "Name", "测试员");
    enter(*form, "PassWord", "secret");
    enter(*form, "TOrganID", cachedId("TOrgan", "DEMO"));
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "数据新增完成，代码为：tester");
    EXPECT_EQ(entity(*form, param::TMaster).FieldByName("PassWord").AsString(),
              EncodePassword("tester", "secret"))
        << "sent encoded";
    EXPECT_TRUE(logsIn("tester", "secret"));
    EXPECT_FALSE(logsIn("tester", "secrets"));
    // The rights list of the user form offers single modules, never their groups.
    TCustomEntity& modules = entity(*form, "TModule");
    ASSERT_GT(modules.RecordCount(), 0);
    for (modules.First(); !modules.Eof(); modules.Next())
        EXPECT_EQ(modules.FieldByName("IsGroup").AsString(), "0");
    EXPECT_TRUE(entity(*form, "TUserModule").Active());

    auto update = open<TFrmUpdate>("TUser", "修改用户");
    TCustomEntity& list = entity(*update, "TMasterQuery");
    if (!list.FindRecord("Code", "tester")) click(update->mbtQuery());
    ASSERT_TRUE(list.FindRecord("Code", "tester")) << message();
    clickRow(update->dgeMasterQuery(), rowOf(update->dgeMasterQuery(), GetObjID(list)));
    EXPECT_EQ(shown(*update, "PassWord"), "") << "a stored password is never shown";
    enter(*update, "Name", "测试员二");
    enter(*update, "PassWord", "better");
    click(update->mbtSubmit());
    EXPECT_EQ(message(), "代码为“tester”的数据修改完成。");
    EXPECT_TRUE(logsIn("tester", "better"));
    EXPECT_FALSE(logsIn("tester", "secret"));
}

} // namespace
} // namespace corvo::forms::test
