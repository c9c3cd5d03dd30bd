// The rights editor against the real servers: grants by a drop (several modules at once, on a
// user or on one of its rights) and by key, revokes by a drop and by key, the walk of the
// module hierarchy, the save of the changes alone, the local copy, and the server applying a
// change on the user's next call.
#include "BusinessFixture.h"
#include "controls/TSafeEdit.h"
#include "entity/Guid.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "forms/business/TFrmInsertUserModule.h"
#include "platform/DataGrid.h"
#include "remote/AppServers.h"
#include "server/tests/WriteClient.h"
#include "shell/Startup.h"
#include "shell/TFrmLogin.h"
#include "shell/TFrmMain.h"

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <filesystem>
#include <set>

namespace corvo::forms::test {
namespace {

using Form = TFrmInsertUserModule;

class UserModuleFormTest : public BusinessTest {
protected:
    /// A drag carrying `mime` dropped on the widget's viewport at `at`, as Qt delivers it.
    static bool drop(QAbstractItemView& view, QPoint at, const char* mime)
    {
        QMimeData data;
        data.setData(QLatin1String(mime), QByteArray());
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent event(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
        return event.isAccepted();
    }
    static QTreeWidgetItem* userNode(Form& form, const char* name)
    {
        const auto found = form.tvwType().findItems(QString::fromUtf8(name), Qt::MatchExactly);
        return found.size() == 1 ? found.front() : nullptr;
    }
    static std::set<std::string> rightsShown(QTreeWidgetItem* user)
    {
        std::set<std::string> names;
        for (int i = 0; i < user->childCount(); ++i)
            names.insert(user->child(i)->text(0).toStdString());
        return names;
    }
    static QTreeWidgetItem* rightNode(QTreeWidgetItem* user, const char* module)
    {
        for (int i = 0; i < user->childCount(); ++i)
            if (user->child(i)->text(0) == QString::fromUtf8(module)) return user->child(i);
        return nullptr;
    }
    /// The grid's row of the module with that name (in what the grid shows).
    static int moduleRow(Form& form, const char* name)
    {
        TCustomEntity& modules = entity(form, "TModule");
        int row = 0;
        for (modules.First(); !modules.Eof(); modules.Next(), ++row)
            if (gbk::toUtf8(GetName(modules)) == name) return row;
        return -1;
    }
    static void markModules(Form& form, std::initializer_list<const char*> names)
    {
        form.dgeMaster().clearMarks();
        for (const char* name : names) {
            const int row = moduleRow(form, name);
            ASSERT_GE(row, 0) << name;
            form.dgeMaster().setRowMarked(row, true);
        }
    }
    static QPoint centre(QTreeWidget& tree, QTreeWidgetItem* node)
    {
        tree.scrollToItem(node);
        return tree.visualItemRect(node).center();
    }
    static std::set<std::string> names(TCustomEntity& rows)
    {
        std::set<std::string> out;
        for (rows.First(); !rows.Eof(); rows.Next())
            out.insert(gbk::toUtf8(GetFieldString(rows, "TModuleName")));
        return out;
    }
    static std::set<std::string> sentNames(Form& form, const char* name)
    {
        if (!form.submitPacket().ParamExists(name)) return {};
        TCustomEntity rows;
        rows.SetData(form.submitPacket().GetParamData(name));
        return names(rows);
    }
    /// What the local copy of the rights grants the user.
    static std::set<std::string> cachedRights(const std::string& userId)
    {
        auto rights = cached("TUserModule");
        std::set<std::string> out;
        for (rights->First(); !rights->Eof(); rights->Next())
            if (gbk::equalsIgnoreCase(GetFieldString(*rights, "TUserID"), userId))
                out.insert(gbk::toUtf8(GetFieldString(*rights, "TModuleName")));
        return out;
    }
    static std::string userId(QTreeWidgetItem* user)
    {
        return user->data(0, Qt::UserRole + 1).toString().toStdString();
    }
};

TEST_F(UserModuleFormTest, GrantsAndRevokesAreSavedInOneRequestAndShownAgain)
{
    auto form = open<Form>("TUserModule", "用户权限");
    QTreeWidgetItem* buyer = userNode(*form, "陈刚");
    ASSERT_NE(buyer, nullptr);
    const std::set<std::string> before = rightsShown(buyer);
    EXPECT_TRUE(before.count("库存查询"));
    EXPECT_EQ(form->tvwType().topLevelItemCount(), 3);

    // Three modules by one drop on the user.
    form->QVRadioBox3().click();
    markModules(*form, {"新增用户", "发布消息", "其他参数"});
    ASSERT_TRUE(drop(form->tvwType(), centre(form->tvwType(), buyer), Form::ModulesMime));
    std::set<std::string> expected = before;
    expected.insert({"新增用户", "发布消息", "其他参数"});
    EXPECT_EQ(rightsShown(buyer), expected);
    EXPECT_EQ(names(entity(*form, "TMasterInsert")),
              (std::set<std::string>{"新增用户", "发布消息", "其他参数"}));

    // A module dropped on a right goes to that right's user; a held one is not granted twice.
    markModules(*form, {"修改用户", "库存查询"});
    QTreeWidgetItem* right = rightNode(buyer, "库存查询");
    ASSERT_NE(right, nullptr);
    ASSERT_TRUE(drop(form->tvwType(), centre(form->tvwType(), right), Form::ModulesMime));
    expected.insert("修改用户");
    EXPECT_EQ(rightsShown(buyer), expected);
    EXPECT_EQ(entity(*form, "TMasterInsert").RecordCount(), 4);

    // Revoked by key: granted since the last save, so nothing is sent for it.
    form->tvwType().setCurrentItem(rightNode(buyer, "发布消息"));
    QTest::keyClick(&form->tvwType(), Qt::Key_Delete);
    expected.erase("发布消息");
    EXPECT_EQ(rightsShown(buyer), expected);
    EXPECT_EQ(entity(*form, "TMasterDelete").RecordCount(), 0);

    // Revoked by a drop on the grid: a saved right.
    form->tvwType().setCurrentItem(rightNode(buyer, "库存查询"));
    ASSERT_TRUE(drop(form->dgeMaster(), QPoint(20, 20), Form::RightMime));
    expected.erase("库存查询");
    EXPECT_EQ(rightsShown(buyer), expected);

    // A user node cannot be revoked; a right dragged onto the tree is not taken.
    form->tvwType().setCurrentItem(buyer);
    drop(form->dgeMaster(), QPoint(20, 20), Form::RightMime);
    EXPECT_EQ(message(), "请选择权限进行删除");
    EXPECT_FALSE(drop(form->tvwType(), centre(form->tvwType(), buyer), Form::RightMime));

    // Granted by key: Insert in the grid grants to the tree's current user.
    markModules(*form, {"库存查询"});
    form->tvwType().setCurrentItem(rightNode(buyer, "其他参数"));
    QTest::keyClick(&form->dgeMaster(), Qt::Key_Insert);
    expected.insert("库存查询");
    EXPECT_EQ(rightsShown(buyer), expected);
    EXPECT_EQ(entity(*form, "TMasterDelete").RecordCount(), 0) << "the revoke is undone";
    form->tvwType().setCurrentItem(rightNode(buyer, "库存查询"));
    QTest::keyClick(&form->tvwType(), Qt::Key_Delete);
    expected.erase("库存查询");

    click(form->mbtSubmit());
    EXPECT_EQ(message(), "权限修改完成。");
    EXPECT_EQ(sentNames(*form, "TMasterInsert"),
              (std::set<std::string>{"新增用户", "其他参数", "修改用户"}));
    EXPECT_EQ(sentNames(*form, "TMasterDelete"), (std::set<std::string>{"库存查询"}));
    EXPECT_FALSE(form->mbtSubmit().isEnabled());
    EXPECT_EQ(cachedRights(userId(buyer)), expected);
    server::test::WriteClient admin(LoginSession::instance().serverUrl());
    auto stored = admin.rows("TUserModule", "TUserModule.TUserID = '" + userId(buyer) + "'");
    std::set<std::string> storedNames;
    for (stored->First(); !stored->Eof(); stored->Next())
        storedNames.insert(server::test::textOf(*stored, "TModuleName"));
    EXPECT_EQ(storedNames, expected);

    // Nothing changed since: nothing to send.
    click(form->mbtInsert());
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "因当前的数据没有更改，不需要保存。");

    // The next opening shows the saved rights from the local copy.
    auto again = open<Form>("TUserModule", "用户权限");
    EXPECT_EQ(rightsShown(userNode(*again, "陈刚")), expected);

    // Restore the buyer's rights for the other tests.
    form->tvwType().setCurrentItem(userNode(*form, "陈刚"));
    for (const char* name : {"新增用户", "其他参数", "修改用户"}) {
        form->tvwType().setCurrentItem(rightNode(userNode(*form, "陈刚"), name));
        QTest::keyClick(&form->tvwType(), Qt::Key_Delete);
    }
    markModules(*form, {"库存查询"});
    form->tvwType().setCurrentItem(userNode(*form, "陈刚"));
    QTest::keyClick(&form->dgeMaster(), Qt::Key_Insert);
    click(form->mbtSubmit());
    EXPECT_EQ(message(), "权限修改完成。");
    EXPECT_EQ(rightsShown(userNode(*form, "陈刚")), before);
}

TEST_F(UserModuleFormTest, TheHierarchyWalksUpAndDown)
{
    auto form = open<Form>("TUserModule", "用户权限");
    const int all = entity(*form, "TModule").RecordCount();
    EXPECT_EQ(form->lblCount().text().toStdString(),
              "当前可增加的权限有" + std::to_string(all) + "条");
    auto walk = [&](const char* module, bool down) {
        form->QVRadioBox1().click();
        const int row = moduleRow(*form, module);
        ASSERT_GE(row, 0) << module;
        clickRow(form->dgeMaster(), row);
        click(down ? form->QVButton2() : form->QVButton1());
    };
    auto shownNames = [&] {
        std::set<std::string> out;
        TCustomEntity& modules = entity(*form, "TModule");
        for (modules.First(); !modules.Eof(); modules.Next())
            out.insert(gbk::toUtf8(GetName(modules)));
        return out;
    };
    walk("新增采购订单", true);
    EXPECT_EQ(entity(*form, "TModule").RecordCount(), all) << "a single module has no members";
    walk("采购订单", true);
    EXPECT_EQ(shownNames(), (std::set<std::string>{"新增采购订单", "修改采购订单", "查询采购订单",
                                                   "审核采购订单", "作废采购订单"}));
    EXPECT_EQ(form->lblCount().text().toStdString(), "当前可增加的权限有5条");
    walk("新增采购订单", false);
    EXPECT_EQ(shownNames(), (std::set<std::string>{"采购订单", "采购入库", "发票", "付款"}))
        << "the members of the group enclosing 采购订单";
    walk("采购订单", false);
    EXPECT_EQ(entity(*form, "TModule").RecordCount(), all) << "its group is at the top";
    walk("采购管理", false);
    EXPECT_EQ(entity(*form, "TModule").RecordCount(), all) << "a top group: unchanged";
    // The double click walks down too.
    form->QVRadioBox1().click();
    const int row = moduleRow(*form, "采购订单");
    clickRow(form->dgeMaster(), row);
    const QModelIndex at = form->dgeMaster().model()->index(row, 0);
    QTest::mouseDClick(form->dgeMaster().viewport(), Qt::LeftButton, {},
                       form->dgeMaster().visualRect(at).center());
    EXPECT_EQ(entity(*form, "TModule").RecordCount(), 5);
    form->QVRadioBox2().click();
    TCustomEntity& modules = entity(*form, "TModule");
    for (modules.First(); !modules.Eof(); modules.Next())
        EXPECT_EQ(GetFieldString(modules, "IsGroup"), "1");
}

TEST_F(UserModuleFormTest, ARevokeReachesTheUsersNextCallAndAGrantTheNextLogin)
{
    const std::string url = LoginSession::instance().serverUrl();
    server::test::WriteClient buyer(url, "DEMO", "buyer", "buyer");
    auto types = cached("TProductType");
    types->First();
    auto product = [&](const std::string& code) {
        auto row = buyer.blank("TProduct");
        row->Append();
        server::test::setText(*row, "ObjID", Guid::create().toString());
        server::test::setText(*row, "Code", code);
        server::test::setText(*row, "Name", "权限测试商品");
        server::test::setText(*row, "TProductTypeID", GetObjID(*types));
        row->Post();
        auto packet = server::test::packetOf({{"TMaster", row.get()}});
        return buyer.call(remote::appserver::Insert, remote::appserver::insert::Single, *packet);
    };
    auto errorOf = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(errorOf([&] { buyer.rows("TStock", ""); }), "");
    EXPECT_EQ(errorOf([&] { EXPECT_TRUE(product("RT-0001")); }), "");

    auto form = open<Form>("TUserModule", "用户权限");
    QTreeWidgetItem* user = userNode(*form, "陈刚");
    ASSERT_NE(user, nullptr);
    for (const char* name : {"库存查询", "商品"}) {
        form->tvwType().setCurrentItem(rightNode(user, name));
        ASSERT_NE(form->tvwType().currentItem(), nullptr) << name;
        QTest::keyClick(&form->tvwType(), Qt::Key_Delete);
    }
    markModules(*form, {"其他参数"});
    form->tvwType().setCurrentItem(user);
    QTest::keyClick(&form->dgeMaster(), Qt::Key_Insert);
    click(form->mbtSubmit());
    ASSERT_EQ(message(), "权限修改完成。");

    // The same session, no new login.
    EXPECT_EQ(errorOf([&] { buyer.rows("TStock", ""); }),
              "您没有查看[库存]的权限，请与系统管理员联系！");
    EXPECT_EQ(errorOf([&] { product("RT-0002"); }), "您没有修改[商品]的权限，请与系统管理员联系！");

    // The next login shows the granted module in the tree.
    char dir[] = "/tmp/corvo-buyer-XXXXXX";
    const std::string home = mkdtemp(dir);
    const std::string adminHome = LoginSession::instance().home();
    setenv("CORVO_HOME", home.c_str(), 1);
    std::string hostPort = url.substr(7, url.find('/', 7) - 7);
    std::string a0 = "corvo", a1 = "setup", a2 = "--server";
    char* argv[] = {a0.data(), a1.data(), a2.data(), hostPort.data()};
    ASSERT_EQ(shell::runSetup(4, argv), 0);
    std::set<std::string> leaves;
    {
        platform::setModalInterceptor([](QDialog&) { return 0; });
        shell::TFrmLogin login;
        login.show();
        login.sedTOrganCode().setText(QStringLiteral("DEMO"));
        login.sedCode().setText(QStringLiteral("buyer"));
        login.sedPassWord().setText(QStringLiteral("buyer"));
        click(login.mbtLogin());
        platform::setModalInterceptor({});
        EXPECT_EQ(login.resultFlag(), 1);
        shell::TFrmMain window(nullptr, nullptr);
        window.InheritFrom(login);
        window.show();
        for (QTreeWidgetItemIterator it(&window.trvMain()); *it; ++it)
            if ((*it)->childCount() == 0) leaves.insert((*it)->text(0).toStdString());
        window.close();
    }
    setenv("CORVO_HOME", adminHome.c_str(), 1);
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    EXPECT_TRUE(leaves.count("其他参数"));
    EXPECT_FALSE(leaves.count("库存查询"));

    // Back as it was.
    auto restore = open<Form>("TUserModule", "用户权限");
    user = userNode(*restore, "陈刚");
    restore->tvwType().setCurrentItem(rightNode(user, "其他参数"));
    QTest::keyClick(&restore->tvwType(), Qt::Key_Delete);
    restore->QVRadioBox1().click();
    markModules(*restore, {"库存查询", "商品"});
    restore->tvwType().setCurrentItem(user);
    QTest::keyClick(&restore->dgeMaster(), Qt::Key_Insert);
    click(restore->mbtSubmit());
    EXPECT_EQ(message(), "权限修改完成。");
    EXPECT_EQ(errorOf([&] { buyer.rows("TStock", ""); }), "");
}

} // namespace
} // namespace corvo::forms::test
