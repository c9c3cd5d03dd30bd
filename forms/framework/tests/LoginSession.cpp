#include "LoginSession.h"

#include "controls/TSafeEdit.h"
#include "platform/Modal.h"
#include "server/tests/ServerProcess.h"
#include "shell/Startup.h"
#include "shell/TFrmQVDialog.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace corvo::forms::test {
namespace {

LoginSession* g_session = nullptr;
std::string g_database;

} // namespace

LoginSession& LoginSession::instance()
{
    if (!g_session) g_session = new LoginSession();
    return *g_session;
}

void LoginSession::useDatabase(std::string url)
{
    g_database = std::move(url);
}

void LoginSession::shutdown()
{
    delete g_session;
    g_session = nullptr;
}

LoginSession::LoginSession()
{
    m_database = g_database.empty() ? server::test::makeDemoDatabase() : g_database;
    m_server = std::make_unique<server::test::ServerProcess>(m_database);
    char dir[] = "/tmp/corvo-forms-XXXXXX";
    m_home = mkdtemp(dir);
    setenv("CORVO_HOME", m_home.c_str(), 1);
    const std::string& url = m_server->url();
    std::string hostPort = url.substr(7, url.find('/', 7) - 7);
    std::string arg0 = "corvo", arg1 = "setup", arg2 = "--server";
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), hostPort.data()};
    if (shell::runSetup(4, argv) != 0) throw std::runtime_error("corvo setup failed");

    // The welcome messages are answered at once; an error is kept for the failure.
    std::string shown;
    platform::setModalInterceptor([&shown](QDialog& d) {
        if (auto* message = qobject_cast<shell::TFrmQVDialog*>(&d))
            shown += message->memo().toPlainText().toStdString() + "\n";
        return 0;
    });
    m_login = std::make_unique<shell::TFrmLogin>();
    m_login->show();
    m_login->sedTOrganCode().setText(QStringLiteral("DEMO"));
    m_login->sedCode().setText(QStringLiteral("admin"));
    m_login->sedPassWord().setText(QStringLiteral("admin"));
    QTest::mouseClick(&m_login->mbtLogin(), Qt::LeftButton);
    platform::setModalInterceptor({});
    if (m_login->resultFlag() != 1) throw std::runtime_error("the demo login failed: " + shown);
    m_login->hide();
}

const std::string& LoginSession::serverUrl() const
{
    return m_server->url();
}

LoginSession::~LoginSession()
{
    m_login.reset();
    m_server.reset();
    unsetenv("CORVO_HOME");
    std::error_code ec;
    std::filesystem::remove_all(m_home, ec);
}

} // namespace corvo::forms::test
