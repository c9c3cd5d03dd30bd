#pragma once

#include "entity/TParamData.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace corvo::server::test {

/// The message of what the call raised; "(no error)" when it raised nothing.
inline std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

/// The corvo-server binary built beside the tests.
const std::string& serverBinary();

/// Runs corvo-server with the arguments and waits; returns the exit code, with standard output
/// and error (together) in `output` when given.
int runServerCommand(const std::vector<std::string>& args, std::string* output = nullptr);

/// A fresh demo database: a SQLite file in a new temporary folder, or, when the environment
/// variable CORVO_TEST_PG_URL is set and `postgres` is asked for, that database made anew.
std::string makeDemoDatabase(bool postgres = false);
/// Whether PostgreSQL tests can run (CORVO_TEST_PG_URL is set).
bool postgresAvailable();

/// `corvo-server serve` on a free port of 127.0.0.1 (a "--listen" among the extra arguments
/// names another), stopped (SIGTERM) when destroyed.
class ServerProcess {
public:
    explicit ServerProcess(const std::string& dbUrl, std::vector<std::string> extraArgs = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    /// The script URL from the server's "listening on" line.
    const std::string& url() const noexcept { return m_url; }
    uint16_t port() const noexcept { return m_port; }
    /// SIGTERM, then waits (SIGKILL after 30 s); returns the exit code (-signal when killed).
    int stop();
    bool running() const noexcept { return m_pid > 0; }
    /// The server's process id (-1 once stopped).
    int pid() const noexcept { return m_pid; }
    /// Whether the process still runs (has neither exited nor crashed); a dead one is left for
    /// stop() to reap.
    bool alive() const;
    /// The most memory the process has held resident so far, in bytes (0 when unknown).
    std::size_t peakResidentBytes() const;
    /// Processor time the process has used so far (user and system), in seconds.
    double cpuSeconds() const;
    /// What the server wrote to standard error so far.
    std::string log() const;

private:
    int m_pid = -1;
    std::string m_url;
    uint16_t m_port = 0;
    std::string m_logPath;
};

/// A CA and a server certificate for 127.0.0.1 it signed, made with the openssl tool in a
/// folder of their own, removed when destroyed. Throws when the tool fails.
class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    /// "ca.pem", "server.pem", "server.key" in the folder.
    std::string path(const char* name) const { return m_dir + "/" + name; }

private:
    void run(const std::string& command) const;
    std::string m_dir;
};

/// The login packet the client sends: "AppName" and the "MLogin" record with the encoded
/// password (and new password when not empty).
class LoginPacket : public TParamData {
public:
    LoginPacket(const std::string& organCode, const std::string& userCode,
                const std::string& password, const std::string& newPassword = {});
};

} // namespace corvo::server::test
