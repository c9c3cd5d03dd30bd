// The main window after a real login as DEMO/admin: the module tree, the group page and its
// buttons, opening, activating and closing module pages (nine at most), the message line.
#include "LoginSession.h"
#include "app/ModuleFormRegistry.h"
#include "controls/TSafeEdit.h"
#include "controls/skin/TQVButton.h"
#include "controls/skin/TQVCheckBox.h"
#include "controls/skin/TQVForm.h"
#include "controls/skin/TQVProgressBar.h"
#include "controls/skin/TQVRadioBox.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "forms/documents/TFrmCustomInsert.h"
#include "forms/documents/TFrmCustomUpdateMD.h"
#include "forms/documents/TFrmInsertSize.h"
#include "forms/framework/TFrmList.h"
#include "forms/framework/TFrmQuery.h"
#include "forms/reports/TFrmQueryCollate.h"
#include "platform/DataGrid.h"
#include "platform/Modal.h"
#include "platform/QtText.h"
#include "server/tests/ServerProcess.h"
#include "shell/LocalFiles.h"
#include "shell/Startup.h"
#include "shell/TFrmLogin.h"
#include "shell/TFrmMain.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace corvo::app {
namespace {

using forms::test::LoginSession;

std::string utf8(const QString& s)
{
    return s.toStdString();
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        // Every class opens as a plain query form, so the window's own rules can be tried on
        // any module of the demo table.
        for (const auto& [name, maker] : std::map(registry.classes()))
            if (!maker)
                registry.registerClass(name,
                                       [](QWidget* owner) { return new forms::TFrmQuery(owner); });
        // As in the program: the login first, then the window, which reads the cached rights.
        shell::TFrmLogin& login = LoginSession::instance().login();
        window = std::make_unique<shell::TFrmMain>(nullptr, &registry);
        window->InheritFrom(login);
        window->resize(1200, 800);
        window->show();
    }
    ~MainWindowTest() override { platform::setModalInterceptor({}); }

    void select(const char* caption) { window->SelectModuleOrGroup(gbk::fromUtf8(caption)); }
    std::string buttonText(const char* name)
    {
        return utf8(qobject_cast<QPushButton*>(window->control(name))->text());
    }
    bool shown(const char* name) { return !window->control(name)->isHidden(); }
    std::vector<std::string> tabs()
    {
        std::vector<std::string> out;
        for (int i = 0; i < window->pgcMain().count(); ++i)
            out.push_back(utf8(window->pgcMain().tabText(i)));
        return out;
    }

    ModuleFormRegistry registry;
    std::unique_ptr<shell::TFrmMain> window;
};

TEST_F(MainWindowTest, TheTreeShowsTheGrantedModulesUnderTheirGroups)
{
    QTreeWidget& tree = window->trvMain();
    ASSERT_GT(tree.topLevelItemCount(), 0);
    const auto found =
        tree.findItems(QStringLiteral("查询商品"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    ASSERT_NE(found.front()->parent(), nullptr);
    EXPECT_EQ(utf8(found.front()->parent()->text(0)), "商品");
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());
    EXPECT_EQ(utf8(window->lblStatus().text())
                  .rfind("当前用户：admin  系统管理员    当前企业：DEMO  ", 0),
              0u)
        << utf8(window->lblStatus().text());
    EXPECT_FALSE(window->lblOrganName().text().isEmpty());
    EXPECT_EQ(window->memMsg().text(), platform::fromGbk(window->standingMessage()));
}

TEST_F(MainWindowTest, GroupPagesNameTheirButtonsByTheGroup)
{
    select("发票");
    EXPECT_EQ(window->rootPages().currentWidget(), &window->groupPage());
    EXPECT_EQ(utf8(window->mlbCustomTitle().text()), "供应商发票管理");
    EXPECT_EQ(buttonText("sbtCustomNew"), "登记供应商发票");
    EXPECT_FALSE(shown("sbtCustomVerify"));
    EXPECT_EQ(buttonText("sbtCustomQuery"), "查询供应商发票");
    EXPECT_TRUE(window->control("sbtCustomNew")->isEnabled()) << "admin holds every group";

    select("应收款");
    EXPECT_EQ(buttonText("sbtCustomNew"), "当月应收款");
    EXPECT_EQ(buttonText("sbtCustomEdit"), "历史应收款");
    EXPECT_TRUE(shown("sbtCustomEdit"));
    EXPECT_FALSE(shown("imgCustomEdit"));
    EXPECT_FALSE(shown("sbtCustomVerify"));

    select("商品");
    EXPECT_EQ(buttonText("sbtCustomNew"), "新增商品");
    EXPECT_EQ(buttonText("sbtCustomEdit"), "修改商品");
    EXPECT_EQ(buttonText("sbtCustomInvalid"), "作废商品");
    EXPECT_FALSE(shown("sbtCustomVerify")) << "no module 审核商品";

    window->SelectModuleOrGroup("");
    EXPECT_EQ(window->rootPages().currentWidget(), &window->homePage());
}

TEST_F(MainWindowTest, ModulesOpenOnceAsPagesAndCloseByTheirButton)
{
    select("查询商品");
    ASSERT_EQ(tabs(), (std::vector<std::string>{"系统", "查询商品"}));
    auto* form = qobject_cast<forms::TFrmQuery*>(window->moduleForm(gbk::fromUtf8("查询商品")));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(window->pgcMain().currentIndex(), 1);
    EXPECT_EQ(form->registry().EntityByName("TMaster").Fields(0).FieldName(), "TProduct");
    EXPECT_EQ(utf8(form->lblTitle().text()), "商品资料查询");
    EXPECT_EQ(form->messageLine(), &window->memMsg());
    EXPECT_EQ(gbk::display(form->moduleName()), "查询商品");

    window->pgcMain().setCurrentIndex(0);
    select("查询商品");
    EXPECT_EQ(tabs().size(), 2u) << "the open page is activated, not opened twice";
    EXPECT_EQ(window->pgcMain().currentIndex(), 1);

    QTest::mouseClick(&form->mbtClose(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(tabs(), std::vector<std::string>{"系统"});
    EXPECT_FALSE(window->IsModuleOpen(gbk::fromUtf8("查询商品")));
}

TEST_F(MainWindowTest, ATenthModuleAsksWhichPagesToClose)
{
    const char* modules[] = {"查询商品", "修改商品", "新增商品", "查询机构", "修改机构",
                             "新增机构", "查询仓库", "修改仓库", "新增仓库", "查询员工"};
    std::vector<std::string> asked;
    platform::setModalInterceptor([&](QDialog& d) {
        auto* list = qobject_cast<forms::TFrmFormList*>(&d);
        if (!list) return 0;
        asked.push_back(utf8(list->windowTitle()));
        TClientDataSet& rows = *list->dgeMaster().dataSet();
        EXPECT_EQ(rows.RecordCount(), 9);
        rows.First();
        QTest::mouseClick(&list->mbtConfirm(), Qt::LeftButton);
        return 1;
    });
    for (const char* m : modules)
        select(m);
    EXPECT_EQ(asked, std::vector<std::string>{"请关闭部分窗口"});
    const std::vector<std::string> open = window->openModules();
    EXPECT_EQ(open.size(), 9u);
    EXPECT_TRUE(window->IsModuleOpen(gbk::fromUtf8("查询员工")));
}

TEST_F(MainWindowTest, AfterAPageClosesTheLastPageIsShown)
{
    for (const char* m : {"查询商品", "查询仓库", "查询员工"})
        select(m);
    // The tree's current row names the middle page; the last page is shown all the same.
    const auto middle = window->trvMain().findItems(QStringLiteral("查询仓库"),
                                                    Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(middle.size(), 1);
    window->trvMain().setCurrentItem(middle.front());
    window->pgcMain().setCurrentIndex(1);
    auto* first = qobject_cast<forms::TFrmQuery*>(window->moduleForm(gbk::fromUtf8("查询商品")));
    ASSERT_NE(first, nullptr);
    QTest::mouseClick(&first->mbtClose(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(tabs(), (std::vector<std::string>{"系统", "查询仓库", "查询员工"}));
    EXPECT_EQ(window->pgcMain().currentIndex(), 2);
}

TEST_F(MainWindowTest, AGroupTheTreeCannotPlaceLeavesTheButtonsAndTheStatusLineWorking)
{
    namespace fs = std::filesystem;
    const std::string file = shell::dataDir() + "TModuleGroup";
    const std::string kept = file + ".kept";
    fs::copy_file(file, kept, fs::copy_options::overwrite_existing);
    const auto restore = qScopeGuard([&] { fs::rename(kept, file); });
    {
        // The first membership names a group that does not exist.
        TCustomEntity groups;
        ASSERT_TRUE(shell::loadDataSetFile(file, groups));
        groups.First();
        groups.Edit();
        groups.FieldByName("TModulesID").SetAsString("{0BADB0DE-0000-4000-8000-000000000001}");
        groups.Post();
        shell::saveDataSetFile(file, groups);
    }
    std::string shown;
    platform::setModalInterceptor([&](QDialog& dialog) {
        for (QPlainTextEdit* memo : dialog.findChildren<QPlainTextEdit*>())
            shown += utf8(memo->toPlainText());
        return 0;
    });
    shell::TFrmMain broken(nullptr, &registry);
    broken.InheritFrom(LoginSession::instance().login());
    broken.resize(1200, 800);
    broken.show();
    platform::setModalInterceptor({});
    EXPECT_NE(shown.find("非法的模块组ID"), std::string::npos) << shown;
    EXPECT_EQ(utf8(broken.lblStatus().text()).rfind("当前用户：admin", 0), 0u)
        << utf8(broken.lblStatus().text());

    broken.SelectModuleOrGroup(gbk::fromUtf8("商品"));
    auto* add = qobject_cast<QPushButton*>(broken.control("sbtCustomNew"));
    ASSERT_NE(add, nullptr);
    ASSERT_EQ(utf8(add->text()), "新增商品");
    QTest::mouseClick(add, Qt::LeftButton);
    EXPECT_TRUE(broken.IsModuleOpen(gbk::fromUtf8("新增商品"))) << "the button opens its module";
}

TEST_F(MainWindowTest, MessageLineFlashesThenReturnsToTheStandingMessage)
{
    select("查询商品");
    auto* form = qobject_cast<forms::TFrmQuery*>(window->moduleForm(gbk::fromUtf8("查询商品")));
    ASSERT_NE(form, nullptr);
    const QColor navy = window->memMsg().palette().color(QPalette::WindowText);
    form->ShowStatusText("数据查询失败，请稍后重试。");
    EXPECT_EQ(window->memMsg().palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(window->tmrMsgFlash().isActive());
    EXPECT_EQ(window->memMsg().font().pointSize(), 18);
    form->ShowStatusText(std::string(37 * 3, '\0').replace(0, 111, std::string(37, 'x')).c_str());
    EXPECT_EQ(window->memMsg().font().pointSize(), 12);

    EXPECT_EQ(window->tmrMsgFlash().interval(), 200);
    EXPECT_EQ(window->tmrMsg().interval(), 30000);
    EXPECT_FALSE(window->tmrMsg().isActive()) << "the return waits for the flashing to end";
    window->tmrMsgFlash().setInterval(1);
    window->tmrMsg().setInterval(5);
    QTRY_VERIFY_WITH_TIMEOUT(!window->tmrMsgFlash().isActive(), 2000);
    EXPECT_EQ(window->memMsg().palette().color(QPalette::WindowText), navy);
    QTRY_COMPARE_WITH_TIMEOUT(window->memMsg().text(), platform::fromGbk(window->standingMessage()),
                              2000);
}

// The program's own registry: a collated query module opens as its real form.
TEST(MainWindowModules, ACollatedQueryModuleShowsTheCompanysRows)
{
    shell::TFrmLogin& login = LoginSession::instance().login();
    ModuleFormRegistry registry;
    shell::TFrmMain window(nullptr, &registry);
    window.InheritFrom(login);
    window.resize(1200, 800);
    window.show();
    window.SelectModuleOrGroup(gbk::fromUtf8("查询仓库"));
    auto* form =
        qobject_cast<forms::TFrmQueryCollate*>(window.moduleForm(gbk::fromUtf8("查询仓库")));
    ASSERT_NE(form, nullptr);
    QTest::mouseClick(&form->mbtQuery(), Qt::LeftButton);
    TCustomEntity& rows = form->registry().EntityByName("TMaster");
    ASSERT_GT(rows.RecordCount(), 0) << utf8(window.memMsg().text());
    EXPECT_EQ(utf8(window.memMsg().text()).rfind("查询完成", 0), 0u)
        << utf8(window.memMsg().text());
    QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
    EXPECT_TRUE(
        window.grab().save(QStringLiteral(CORVO_SCREENSHOT_DIR "/main-window-collated.png")));
    // The insert and update modules open their forms.
    window.SelectModuleOrGroup(gbk::fromUtf8("新增仓库"));
    EXPECT_NE(qobject_cast<forms::TFrmInsert*>(window.moduleForm(gbk::fromUtf8("新增仓库"))),
              nullptr);
    window.SelectModuleOrGroup(gbk::fromUtf8("修改销售订单"));
    EXPECT_NE(qobject_cast<forms::TFrmUpdateMD*>(window.moduleForm(gbk::fromUtf8("修改销售订单"))),
              nullptr);
    // So do the size documents' modules.
    window.SelectModuleOrGroup(gbk::fromUtf8("新增销售日报"));
    EXPECT_NE(
        qobject_cast<forms::TFrmInsertSize*>(window.moduleForm(gbk::fromUtf8("新增销售日报"))),
        nullptr);
}

// The skinned look: the window wears the luna frame around its content, and the forms' mbt
// buttons and radio boxes are the painted ones, still found and clicked by their names.
TEST(MainWindowModules, TheWindowAndTheFormsWearTheSkin)
{
    shell::TFrmLogin& login = LoginSession::instance().login();
    ModuleFormRegistry registry;
    shell::TFrmMain window(nullptr, &registry);
    window.InheritFrom(login);
    window.resize(1024, 768);
    window.show();
    skin::TQVForm& frame = window.frame();
    EXPECT_EQ(frame.skinStyle(), skin::TQVForm::xsLuna);
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    const QRect message(window.memMsg().mapTo(&window, QPoint(0, 0)), window.memMsg().size());
    EXPECT_TRUE(frame.clientArea().contains(message)) << "the content lies inside the frame";
    EXPECT_GE(message.top(), frame.captionHeight());
    QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
    EXPECT_TRUE(
        window.grab().save(QStringLiteral(CORVO_SCREENSHOT_DIR "/main-window-skinned.png")));

    for (const char* module : {"修改销售订单", "新增销售订单", "用户权限", "查询仓库"}) {
        window.SelectModuleOrGroup(gbk::fromUtf8(module));
        QWidget* form = window.moduleForm(gbk::fromUtf8(module));
        ASSERT_NE(form, nullptr) << module;
        int buttons = 0;
        for (QPushButton* b : form->findChildren<QPushButton*>())
            if (b->objectName().startsWith(QLatin1String("mbt"))) {
                ++buttons;
                EXPECT_NE(qobject_cast<skin::TQVButton*>(b), nullptr)
                    << module << " " << utf8(b->objectName());
            }
        EXPECT_GT(buttons, 0) << module;
        for (QRadioButton* r : form->findChildren<QRadioButton*>())
            EXPECT_NE(qobject_cast<skin::TQVRadioBox*>(r), nullptr) << module;
    }
    EXPECT_NE(qobject_cast<skin::TQVProgressBar*>(&login.mpbLogin()), nullptr);
    EXPECT_NE(qobject_cast<skin::TQVCheckBox*>(&login.saveLogin()), nullptr);
}

std::set<std::string> leaves(QTreeWidget& tree)
{
    std::set<std::string> out;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        if ((*it)->childCount() == 0) out.insert(utf8((*it)->text(0)));
    return out;
}

// Each demo user in a home of their own: the tree holds exactly what the database grants.
TEST(MainWindowRights, EachUserSeesOnlyTheModulesGranted)
{
    server::test::ServerProcess server(server::test::makeDemoDatabase());
    const std::string url = server.url();
    std::string hostPort = url.substr(7, url.find('/', 7) - 7);
    struct Case {
        const char* organ;
        const char* user;
        std::set<std::string> modules;
    };
    const std::set<std::string> store = {"新增销售日报", "修改销售日报", "查询销售日报",
                                         "审核销售日报", "作废销售日报", "新增销售出库",
                                         "修改销售出库", "查询销售出库", "审核销售出库",
                                         "作废销售出库", "库存查询",     "操作手册"};
    const std::set<std::string> buying = {
        "新增采购订单",   "修改采购订单",   "查询采购订单",   "审核采购订单", "作废采购订单",
        "新增采购入库",   "修改采购入库",   "查询采购入库",   "审核采购入库", "作废采购入库",
        "登记供应商发票", "查询供应商发票", "作废供应商发票", "登记付款单",   "审核付款单",
        "查询付款单",     "作废付款单",     "新增商品",       "修改商品",     "查询商品",
        "作废商品",       "库存查询"};
    for (const Case& c : {Case{"LS", "clerk", store}, Case{"DEMO", "buyer", buying}}) {
        char dir[] = "/tmp/corvo-rights-XXXXXX";
        const std::string home = mkdtemp(dir);
        setenv("CORVO_HOME", home.c_str(), 1);
        std::string a0 = "corvo", a1 = "setup", a2 = "--server";
        char* argv[] = {a0.data(), a1.data(), a2.data(), hostPort.data()};
        ASSERT_EQ(shell::runSetup(4, argv), 0);
        platform::setModalInterceptor([](QDialog&) { return 0; });
        shell::TFrmLogin login;
        login.show();
        login.sedTOrganCode().setText(QString::fromUtf8(c.organ));
        login.sedCode().setText(QString::fromUtf8(c.user));
        login.sedPassWord().setText(QString::fromUtf8(c.user));
        QTest::mouseClick(&login.mbtLogin(), Qt::LeftButton);
        platform::setModalInterceptor({});
        ASSERT_EQ(login.resultFlag(), 1) << c.user;
        ModuleFormRegistry registry;
        shell::TFrmMain window(nullptr, &registry);
        window.InheritFrom(login);
        window.show();
        EXPECT_EQ(leaves(window.trvMain()), c.modules) << c.user;
        window.close();
        unsetenv("CORVO_HOME");
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }
}

TEST_F(MainWindowTest, NavigationToggleAndPicture)
{
    window->ToggleNavigation();
    EXPECT_EQ(window->navigationPanel().width(), 1);
    EXPECT_EQ(utf8(window->navigationToggle().property("caption").toString()), "显示导航树");
    window->ToggleNavigation();
    EXPECT_EQ(window->navigationPanel().width(), 200);
    EXPECT_EQ(utf8(window->navigationToggle().property("caption").toString()), "隐藏导航树");

    select("商品");
    QDir().mkpath(QStringLiteral(CORVO_SCREENSHOT_DIR));
    EXPECT_TRUE(window->grab().save(QStringLiteral(CORVO_SCREENSHOT_DIR "/main-window-group.png")));
    select("查询商品");
    EXPECT_TRUE(
        window->grab().save(QStringLiteral(CORVO_SCREENSHOT_DIR "/main-window-module.png")));
}

TEST_F(MainWindowTest, EnterMovesToTheNextControl)
{
    select("查询商品");
    auto* form = window->moduleForm(gbk::fromUtf8("查询商品"));
    auto* first = new QLineEdit(form);
    auto* second = new QLineEdit(form);
    first->show();
    second->show();
    QApplication::setActiveWindow(window.get());
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_FALSE(first->hasFocus());
}

} // namespace
} // namespace corvo::app
