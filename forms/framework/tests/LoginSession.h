#pragma once

// One real login per test program: a demo database, a corvo-server on loopback, the client's
// configuration in a private CORVO_HOME and a login form that logged in as DEMO/admin. Forms
// made with the login form as owner take over its context, as in the running program.
#include "shell/TFrmLogin.h"

#include <memory>
#include <string>

namespace corvo::server::test {
class ServerProcess;
}

namespace corvo::forms::test {

class LoginSession {
public:
    /// Logs in once; later calls return the same session. Throws when the login fails.
    static LoginSession& instance();
    /// Stops the server and removes the private home.
    static void shutdown();
    /// The database the next session's server serves (a URL as `serve --db` takes it) instead
    /// of a new ordinary demo company; for benchmarks over the large one.
    static void useDatabase(std::string url);

    shell::TFrmLogin& login() noexcept { return *m_login; }
    const std::string& home() const noexcept { return m_home; }
    /// The server's endpoint URL, for tests that log in as another user as well.
    const std::string& serverUrl() const;

private:
    LoginSession();
    ~LoginSession();

    std::string m_database;
    std::unique_ptr<server::test::ServerProcess> m_server;
    std::string m_home;
    std::unique_ptr<shell::TFrmLogin> m_login;
};

} // namespace corvo::forms::test
