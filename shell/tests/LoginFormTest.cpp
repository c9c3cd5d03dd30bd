// The login form on real widgets against the real corvo-server.
#include "controls/TSafeEdit.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "platform/Modal.h"
#include "remote/Tvelwebconnection.h"
#include "server/tests/ServerProcess.h"
#include "shell/LocalFiles.h"
#include "shell/Startup.h"
#include "shell/TFrmLogin.h"
#include "shell/TFrmMain.h"
#include "shell/TFrmQVDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>

namespace corvo::shell {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

struct Shown {
    std::string caption;
    std::string text;
};

// Answers every modal dialog at once and remembers what it said.
struct DialogRecorder {
    DialogRecorder()
    {
        platform::setModalInterceptor([this](QDialog& d) {
            auto* message = qobject_cast<TFrmQVDialog*>(&d);
            shown.push_back({d.windowTitle().toStdString(),
                             message ? message->memo().toPlainText().toStdString() : ""});
            return 0;
        });
        platform::setProcessTerminator([this](int code) { terminations.push_back(code); });
    }
    ~DialogRecorder()
    {
        platform::setModalInterceptor({});
        platform::setProcessTerminator({});
    }
    std::vector<Shown> shown;
    std::vector<int> terminations;
};

std::string setupCommand(const std::string& server)
{
    std::string arg0 = "corvo", arg1 = "setup", arg2 = "--server", arg3 = server;
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), arg3.data()};
    return runSetup(4, argv) == 0 ? "" : "setup failed";
}

// Chinese cannot be typed key by key: it arrives as a committed input method string.
void typeCommitted(QWidget& edit, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&edit, &event);
}

class LoginFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        database = new std::string(server::test::makeDemoDatabase());
        std::string out;
        server::test::runServerCommand({"user", "add", "--db", *database, "--org", "DEMO", "--code",
                                        "张三", "--name", "张三", "--password", "秘密"},
                                       &out);
        server = new server::test::ServerProcess(*database);
    }
    static void TearDownTestSuite()
    {
        delete server;
        delete database;
    }

    LoginFormTest()
    {
        char dir[] = "/tmp/corvo-home-XXXXXX";
        home = mkdtemp(dir);
        setenv("CORVO_HOME", home.c_str(), 1);
        const std::string url = server->url();
        const std::string hostPort = url.substr(7, url.find('/', 7) - 7);
        EXPECT_EQ(setupCommand(hostPort), "");
    }
    ~LoginFormTest() override
    {
        unsetenv("CORVO_HOME");
        std::error_code ec;
        fs::remove_all(home, ec);
    }

    std::unique_ptr<TFrmLogin> newForm()
    {
        auto form = std::make_unique<TFrmLogin>();
        form->show();
        QApplication::setActiveWindow(form.get());
        return form;
    }
    static void fill(TFrmLogin& form, const char* organ, const char* user, const char* password)
    {
        form.sedTOrganCode().setText(QString::fromUtf8(organ));
        form.sedCode().setText(QString::fromUtf8(user));
        form.sedPassWord().setText(QString::fromUtf8(password));
    }
    std::vector<std::string> errors() const
    {
        std::vector<std::string> out;
        for (const auto& s : dialogs.shown)
            if (s.caption == "严重错误信息") out.push_back(s.text);
        return out;
    }

    static std::string* database;
    static server::test::ServerProcess* server;
    std::string home;
    DialogRecorder dialogs;
};

std::string* LoginFormTest::database = nullptr;
server::test::ServerProcess* LoginFormTest::server = nullptr;

TEST_F(LoginFormTest, SuccessCachesTheReplyAndShowsTheMessagesOnce)
{
    auto form = newForm();
    fill(*form, "demo", "admin", "admin");
    EXPECT_EQ(form->sedTOrganCode().text(), "DEMO");
    QTest::mouseClick(&form->mbtLogin(), Qt::LeftButton);
    ASSERT_EQ(form->resultFlag(), 1) << (errors().empty() ? "" : errors().front());
    EXPECT_FALSE(form->tmrLogin().isActive());
    EXPECT_THAT(form->beginDate(), ::testing::EndsWith("-01-01"));
    EXPECT_EQ(form->registry().LanguageColumn, "Name");
    EXPECT_GT(form->registry().EntityByName("TDictField").RecordCount(), 0);

    for (const char* name : {"TDictTable", "TDictField", "TUser", "TMessage", "TModule",
                             "TModuleGroup", "TUserModule", "TOtherParam", "TUserLogin"}) {
        TClientDataSet cached;
        EXPECT_TRUE(loadDataSetFile(dataDir() + name, cached)) << name;
    }
    EXPECT_FALSE(fs::exists(dataDir() + "MLogin"));
    TClientDataSet saved;
    loadDataSetFile(dataDir() + "TUserLogin", saved);
    ASSERT_EQ(saved.RecordCount(), 1);
    EXPECT_EQ(saved.FieldByName("Code").AsString(), "admin");

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "提示信息");
    EXPECT_THAT(dialogs.shown[0].text, HasSubstr("●"));

    // The next start: codes prefilled, cached dictionary sent and not sent back, no messages.
    dialogs.shown.clear();
    auto again = newForm();
    EXPECT_EQ(again->sedTOrganCode().text(), "DEMO");
    EXPECT_EQ(again->sedCode().text(), "admin");
    again->sedPassWord().setText("admin");
    QTest::mouseClick(&again->mbtLogin(), Qt::LeftButton);
    ASSERT_EQ(again->resultFlag(), 1);
    EXPECT_FALSE(again->loginPacket().ParamExists("TDictField"));
    EXPECT_GT(again->registry().EntityByName("TDictField").RecordCount(), 0);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(LoginFormTest, RefusalsShowTheirMessagesAndKeepTheFormOpen)
{
    struct Case {
        const char* organ;
        const char* user;
        const char* password;
        const char* newPassword;
        const char* repeat;
        const char* message;
    };
    for (const Case& c :
         {Case{"", "admin", "admin", nullptr, nullptr, "请先输入公司代码再登陆，谢谢。"},
          Case{"DEMO", "", "admin", nullptr, nullptr, "请先输入用户代码再登陆，谢谢"},
          Case{"DEMO", "admin", "admin", "new1", "new2", "请再次确认新密码，谢谢！"},
          Case{"DEMO", "admin", "wrong", nullptr, nullptr, "无法建立连接，请检查网络及连接参数"}}) {
        dialogs.shown.clear();
        auto form = newForm();
        fill(*form, c.organ, c.user, c.password);
        if (c.newPassword) {
            form->changePassword().setChecked(true);
            form->newPassword().setText(c.newPassword);
            form->repeatPassword().setText(c.repeat);
        }
        QTest::mouseClick(&form->mbtLogin(), Qt::LeftButton);
        EXPECT_EQ(form->resultFlag(), 0) << c.message;
        EXPECT_EQ(errors(), std::vector<std::string>{c.message});
        EXPECT_TRUE(form->isVisible());
    }
}

TEST_F(LoginFormTest, MissingConfigurationFilesEndTheProgram)
{
    for (auto [file, message] :
         {std::pair{"Set.dll", "由于配置文件被删除，系统无法运行，请重新安装本软件，谢谢！"},
          std::pair{"IP.dll", "系统不能找到服务器，请重新安装本软件，谢谢！"}}) {
        dialogs.shown.clear();
        dialogs.terminations.clear();
        fs::remove(dataDir() + file);
        auto form = newForm();
        fill(*form, "DEMO", "admin", "admin");
        QTest::mouseClick(&form->mbtLogin(), Qt::LeftButton);
        EXPECT_EQ(errors(), std::vector<std::string>{message});
        EXPECT_EQ(dialogs.terminations, std::vector<int>{1});
        EXPECT_EQ(form->resultFlag(), 0);
        setupCommand("127.0.0.1:1");
    }
}

TEST_F(LoginFormTest, ServerDownShowsTheConnectionErrorInChineseAndTheFormStaysUsable)
{
    setupCommand("127.0.0.1:1");
    auto form = newForm();
    fill(*form, "DEMO", "admin", "admin");
    QTest::mouseClick(&form->mbtLogin(), Qt::LeftButton);
    EXPECT_EQ(errors(), std::vector<std::string>{"无法与服务器建立连接"});
    EXPECT_THAT(form->webConnection().lastTransportFailure(), HasSubstr("onnect"));
    EXPECT_EQ(form->resultFlag(), 0);
    EXPECT_TRUE(form->mbtLogin().isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LoginFormTest, MessagesAfterTheLoginAreReadWithoutTheCountdownOrTheWaitCursor)
{
    auto form = newForm();
    fill(*form, "DEMO", "admin", "admin");
    bool timerRunning = true;
    const QCursor* overrideCursor = nullptr;
    Qt::CursorShape dialogCursor = Qt::WaitCursor;
    platform::setModalInterceptor([&](QDialog& d) {
        timerRunning = form->tmrLogin().isActive();
        overrideCursor = QApplication::overrideCursor();
        dialogCursor = d.cursor().shape();
        return 0;
    });
    QTest::mouseClick(&form->mbtLogin(), Qt::LeftButton);
    ASSERT_EQ(form->resultFlag(), 1);
    EXPECT_FALSE(timerRunning);
    EXPECT_EQ(overrideCursor, nullptr);
    EXPECT_EQ(dialogCursor, Qt::ArrowCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(LoginFormTest, EscClosesNoForm)
{
    auto login = newForm();
    TFrmMain main;
    auto* page = new TFrmBase();
    page->setWindowFlags(Qt::Widget); // embedded, as the module pages are
    auto* tabs = new QTabWidget(&main);
    tabs->addTab(page, QStringLiteral("page"));
    TFrmQVDialog message;
    for (QWidget* form : {static_cast<QWidget*>(login.get()), static_cast<QWidget*>(&main),
                          static_cast<QWidget*>(&message)}) {
        form->show();
        QApplication::setActiveWindow(form);
    }
    login->sedCode().setFocus();
    QTest::keyClick(&login->sedCode(), Qt::Key_Escape);
    for (QWidget* form : {static_cast<QWidget*>(login.get()), static_cast<QWidget*>(&main),
                          static_cast<QWidget*>(page), static_cast<QWidget*>(&message)}) {
        QTest::keyClick(form, Qt::Key_Escape);
        EXPECT_TRUE(form->isVisible()) << form->metaObject()->className();
    }
    EXPECT_TRUE(dialogs.terminations.empty());
}

TEST_F(LoginFormTest, DamagedLocalFilesCountAsMissingOrAreNamed)
{
    // A first login leaves real cached files to damage.
    {
        auto first = newForm();
        fill(*first, "DEMO", "admin", "admin");
        QTest::mouseClick(&first->mbtLogin(), Qt::LeftButton);
        ASSERT_EQ(first->resultFlag(), 1);
    }
    struct Case {
        std::string path;
        std::string bytes;
        int resultFlag;
        const char* error; ///< the start of the one error shown, or nullptr for none
    };
    const std::string notAFile = "this is no local file";
    const std::string badPacket = [] {
        const std::string inner = "no data packet";
        Bytes content(inner.begin(), inner.end());
        const std::string path = dataDir() + "scratch";
        writeLocalFile(path, content);
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const Case cases[] = {
        {dataDir() + "TUserLogin", notAFile, 1, nullptr},
        {dataDir() + "TUserLogin", badPacket, 1, nullptr},
        {bmpDir() + "Login.bmp", notAFile, 1, nullptr},
        {dataDir() + "TDictTable", notAFile, 1, nullptr},
        {dataDir() + "TDictField", badPacket, 1, nullptr},
        {dataDir() + "TMessage", notAFile, 1, nullptr},
        {dataDir() + "IP.dll", notAFile, 0, "文件已损坏："},
    };
    for (const Case& c : cases) {
        dialogs.shown.clear();
        const std::string kept = [&] {
            std::ifstream in(c.path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }();
        fs::create_directories(fs::path(c.path).parent_path());
        std::ofstream(c.path, std::ios::binary | std::ios::trunc) << c.bytes;

        std::unique_ptr<TFrmLogin> form;
        ASSERT_NO_THROW(form = newForm()) << c.path;
        ASSERT_NO_THROW(form->grab()) << c.path; // paints the background picture
        fill(*form, "DEMO", "admin", "admin");
        QTest::mouseClick(&form->mbtLogin(), Qt::LeftButton);
        EXPECT_EQ(form->resultFlag(), c.resultFlag) << c.path;
        if (c.error) {
            ASSERT_EQ(errors().size(), 1u) << c.path;
            EXPECT_THAT(errors()[0], ::testing::StartsWith(c.error)) << c.path;
            EXPECT_THAT(errors()[0], HasSubstr(c.path));
        } else {
            EXPECT_EQ(errors(), std::vector<std::string>{}) << c.path;
        }
        EXPECT_TRUE(dialogs.terminations.empty()) << c.path;
        if (kept.empty())
            fs::remove(c.path);
        else
            std::ofstream(c.path, std::ios::binary | std::ios::trunc) << kept;
    }
}

TEST_F(LoginFormTest, APasswordLongerThanItsFieldLogsIn)
{
    const std::string longPassword = "correct-horse-battery"; // 28 encoded characters
    std::string out;
    ASSERT_EQ(
        server::test::runServerCommand({"user", "add", "--db", *database, "--org", "DEMO", "--code",
                                        "longpw", "--name", "长密码", "--password", longPassword},
                                       &out),
        0)
        << out;
    auto form = newForm();
    fill(*form, "DEMO", "longpw", longPassword.c_str());
    QTest::mouseClick(&form->mbtLogin(), Qt::LeftButton);
    EXPECT_EQ(form->resultFlag(), 1) << (errors().empty() ? "" : errors().front());
}

TEST_F(LoginFormTest, ChineseUserCodeTypedThroughTheInputMethodLogsIn)
{
    auto form = newForm();
    form->sedTOrganCode().setText("DEMO");
    form->sedCode().setFocus();
    typeCommitted(form->sedCode(), QString::fromUtf8("张三"));
    EXPECT_EQ(form->sedCode().text(), QString::fromUtf8("张三"));
    form->sedPassWord().setFocus();
    typeCommitted(form->sedPassWord(), QString::fromUtf8("秘密"));
    QTest::mouseClick(&form->mbtLogin(), Qt::LeftButton);
    EXPECT_EQ(form->resultFlag(), 1) << (errors().empty() ? "" : errors().front());
}

TEST_F(LoginFormTest, KeysTimerAndOptionsBehaveAsTheFormPromises)
{
    auto form = newForm();
    form->sedPassWord().setFocus();
    QTest::keyClick(&form->sedPassWord(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), &form->mbtLogin());

    // A typed quote never stays a quote.
    form->sedCode().setFocus();
    form->sedCode().clear();
    QTest::keyClicks(&form->sedCode(), "O'Brien");
    EXPECT_EQ(form->sedCode().text(), "O\"Brien");

    EXPECT_TRUE(form->optionsPanel().isHidden());
    form->toggleOptions();
    EXPECT_FALSE(form->optionsPanel().isHidden());
    EXPECT_EQ(form->optionsToggle().text(), ">>");
    EXPECT_FALSE(form->newPassword().isEnabled());
    form->changePassword().setChecked(true);
    EXPECT_TRUE(form->newPassword().isEnabled());
    form->newPassword().setText("x");
    form->changePassword().setChecked(false);
    EXPECT_TRUE(form->newPassword().text().isEmpty());

    for (int i = 1; i < TFrmLogin::IdleTicks; ++i)
        form->idleTick();
    EXPECT_TRUE(dialogs.terminations.empty());
    form->idleTick();
    EXPECT_EQ(dialogs.terminations, std::vector<int>{0});
}

TEST_F(LoginFormTest, AssistiveToolsReadEveryEditByItsCaption)
{
    auto form = newForm();
    form->toggleOptions();
    struct Case {
        controls::TSafeEdit* edit;
        const char* caption;
    };
    for (const Case& c :
         {Case{&form->sedTOrganCode(), "公司代码"}, Case{&form->sedCode(), "用户代码"},
          Case{&form->sedPassWord(), "密    码"}, Case{&form->newPassword(), "新 密 码"},
          Case{&form->repeatPassword(), "再填一次"}}) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(c.edit);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->text(QAccessible::Name).toStdString(), c.caption);
    }
}

TEST(MessageDialogTest, InformationShowsOnlyCloseWhichIsTheDefault)
{
    TFrmQVDialog dialog;
    int seen = -1;
    platform::setModalInterceptor([&](QDialog&) {
        seen = dialog.continueButton().isHidden() && dialog.closeButton().isDefault() ? 1 : 0;
        return 0;
    });
    EXPECT_EQ(dialog.showMessage("提示信息", "你好", false), 0);
    EXPECT_EQ(seen, 1);
    platform::setModalInterceptor([&](QDialog&) {
        seen = !dialog.continueButton().isHidden() && dialog.continueButton().isDefault() ? 2 : 0;
        dialog.continueButton().click();
        return dialog.result();
    });
    EXPECT_EQ(dialog.showMessage("提示信息", "继续吗", true), 1);
    EXPECT_EQ(seen, 2);
    platform::setModalInterceptor({});
}

TEST(SetupCommand, AddressesItTakesAndRefuses)
{
    struct Case {
        const char* address;
        bool taken;
    };
    for (const Case& c :
         {Case{"127.0.0.1:8211", true}, Case{"https://shop.example:443", true},
          Case{"10.0.0.1:8211;10.0.0.2:8211", true}, Case{"https://a:1;http://b:2", false},
          Case{"127.0.0.1", false}, Case{"host:80/path", false}, Case{"a b:1", false},
          Case{"", false}, Case{"a:1;", false}, Case{"a:x", false}})
        EXPECT_EQ(isServerAddressList(c.address), c.taken) << c.address;
}

// An https server signed by the company's own CA: the CA given to setup is what the login
// trusts; without it the certificate is refused in Chinese.
TEST(LoginOverHttps, TheCaFileGivenToSetupIsTrusted)
{
    const server::test::TestCertificates certificates;
    server::test::ServerProcess server(server::test::makeDemoDatabase(),
                                       {"--tls-cert", certificates.path("server.pem"), "--tls-key",
                                        certificates.path("server.key")});
    const std::string address = "https://127.0.0.1:" + std::to_string(server.port());
    char dir[] = "/tmp/corvo-home-XXXXXX";
    const std::string home = mkdtemp(dir);
    setenv("CORVO_HOME", home.c_str(), 1);
    std::vector<std::string> errors;
    platform::setModalInterceptor([&](QDialog& d) {
        if (auto* m = qobject_cast<TFrmQVDialog*>(&d); m && d.windowTitle() == "严重错误信息")
            errors.push_back(m->memo().toPlainText().toStdString());
        return 0;
    });
    auto logIn = [&](std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        EXPECT_EQ(runSetup(static_cast<int>(argv.size()), argv.data()), 0);
        TFrmLogin form;
        form.show();
        form.sedTOrganCode().setText("DEMO");
        form.sedCode().setText("admin");
        form.sedPassWord().setText("admin");
        QTest::mouseClick(&form.mbtLogin(), Qt::LeftButton);
        return form.resultFlag();
    };
    EXPECT_EQ(
        logIn({"corvo", "setup", "--server", address, "--ca-file", certificates.path("ca.pem")}), 1)
        << (errors.empty() ? "" : errors.front());
    errors.clear();
    EXPECT_EQ(logIn({"corvo", "setup", "--server", address}), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THAT(errors.front(), HasSubstr("证书"));
    platform::setModalInterceptor({});
    unsetenv("CORVO_HOME");
    std::error_code ec;
    fs::remove_all(home, ec);
}

} // namespace
} // namespace corvo::shell
