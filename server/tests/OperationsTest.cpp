// Running the server as an operator does, through the real binary: the configuration file, a
// company created empty, the health check, and a backup taken while a client saves documents,
// restored into a new database.
#include "ServerProcess.h"
#include "WriteClient.h"
#include "entity/Guid.h"
#include "entity/TClientDataSet.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using storage::Value;
using ::testing::HasSubstr;
using ::testing::Not;

std::string newFolder()
{
    std::string pattern = std::filesystem::temp_directory_path().string() + "/corvo-ops-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    return pattern;
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

/// The status code of GET path on 127.0.0.1:port (0 when no answer came).
int httpGet(uint16_t port, const std::string& path)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return 0;
    }
    const std::string request =
        "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) < 0) {
        ::close(fd);
        return 0;
    }
    std::string answer;
    char buffer[512];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    int status = 0;
    return std::sscanf(answer.c_str(), "HTTP/1.1 %d", &status) == 1 ? status : 0;
}

/// A port nothing listens on now (the kernel's pick for a socket bound to port 0).
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("no free port");
    ::close(fd);
    return ntohs(address.sin_port);
}

/// Runs a shell command; true when it exits 0.
bool shell(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

TEST(ConfigFile, KeysComeFromTheFileAndTheCommandLineWins)
{
    const std::string dir = newFolder();
    const std::string url = makeDemoDatabase();
    // The file's address and database are overridden below; were they used, serve would fail.
    writeFile(dir + "/server.conf", "# the service's settings\n"
                                    "listen = 256.0.0.1:1\n"
                                    "db = sqlite:" +
                                        dir + "/missing.db\n\nlog-level = error\n");
    {
        ServerProcess server(url, {"--config", dir + "/server.conf"});
        WriteClient admin(server.url());
        server.stop();
        // log-level error from the file: a successful login writes no line.
        EXPECT_THAT(server.log(), Not(HasSubstr("login")));
    }
    {
        ServerProcess server(url, {"--config", dir + "/server.conf", "--log-level", "info"});
        WriteClient admin(server.url());
        server.stop();
        EXPECT_THAT(server.log(), HasSubstr("login"));
    }
}

TEST(ConfigFile, UnknownOrMalformedLinesAreRefusedWithTheirPlace)
{
    const std::string dir = newFolder();
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"threads = 2\ncolour = blue\n", "server.conf:2: unknown key \"colour\""},
        {"threads 2\n", "server.conf:1: expected NAME = VALUE"},
        {"threads = 2\nthreads = 3\n", "server.conf:2: the key \"threads\" is set twice"},
        {"config = other.conf\n", "server.conf:1: unknown key \"config\""},
    };
    for (const auto& c : cases) {
        writeFile(dir + "/server.conf", c.text);
        std::string out;
        EXPECT_EQ(runServerCommand({"serve", "--config", dir + "/server.conf", "--listen",
                                    "127.0.0.1:0", "--db", "sqlite:" + dir + "/none.db"},
                                   &out),
                  1);
        EXPECT_THAT(out, HasSubstr(c.message)) << c.text;
    }
    std::string out;
    EXPECT_EQ(runServerCommand({"serve", "--config", dir + "/absent.conf"}, &out), 1);
    EXPECT_THAT(out, HasSubstr("cannot read the configuration file"));
}

TEST(InitCompany, AnEmptyCompanyHasItsAdministratorAndTheModulesButNoDocuments)
{
    const std::string url = "sqlite:" + newFolder() + "/acme.db";
    std::string out;
    ASSERT_EQ(runServerCommand({"init", "--db", url, "--company", "ACME", "--admin-password",
                                "s3cret", "--name", "艾克米商贸"},
                               &out),
              0)
        << out;
    ServerProcess server(url);
    remote::TIntellegentWebconn conn("Init");
    conn.setURL(server.url());
    LoginPacket wrong("ACME", "admin", "admin");
    EXPECT_FALSE(remote::CallServer(conn, app::Login, app::login::Login, wrong));
    LoginPacket login("ACME", "admin", "s3cret");
    ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, login));
    TClientDataSet modules, rights, params;
    modules.SetData(login.GetParamData("TModule"));
    rights.SetData(login.GetParamData("TUserModule"));
    params.SetData(login.GetParamData("TOtherParam"));
    EXPECT_GT(modules.RecordCount(), 20);
    EXPECT_EQ(rights.RecordCount(), modules.RecordCount());
    EXPECT_TRUE(params.Locate("Code", Variant("StatusID_Valid")));
    EXPECT_TRUE(params.Locate("Code", Variant("StatusTStockOutID_New")));

    auto db = storage::Database::open(url);
    EXPECT_EQ(scalar(*db, "SELECT \"Name\" FROM \"TOrgan\""), "艾克米商贸");
    for (const char* table : {"TStockOut", "TStockIn", "TSaleOrder", "TPaymentOrder", "TProduct",
                              "TWarehouse", "TStock", "TMessage"})
        EXPECT_EQ(count(*db, std::string("SELECT COUNT(*) FROM \"") + table + "\""), 0) << table;
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TUser\""), 1);

    // A second company goes beside the first, sharing the modules; a taken code is refused.
    ASSERT_EQ(runServerCommand(
                  {"init", "--db", url, "--company", "BETA", "--admin-password", "other"}, &out),
              0)
        << out;
    EXPECT_EQ(count(*db, "SELECT COUNT(*) FROM \"TModule\""), modules.RecordCount());
    WriteClient beta(server.url(), "BETA", "admin", "other");
    EXPECT_NE(beta.ownerId, WriteClient(server.url(), "ACME", "admin", "s3cret").ownerId);
    EXPECT_EQ(
        runServerCommand({"init", "--db", url, "--company", "acme", "--admin-password", "x"}, &out),
        1);
    EXPECT_THAT(out, HasSubstr("already holds the organisation ACME"));
}

TEST(Health, AnswersWhetherTheSqliteFileIsThere)
{
    const std::string url = makeDemoDatabase();
    const std::string file = url.substr(7);
    ServerProcess server(url);
    EXPECT_EQ(httpGet(server.port(), "/health"), 200);
    std::filesystem::rename(file, file + ".away");
    EXPECT_EQ(httpGet(server.port(), "/health"), 503);
    std::filesystem::rename(file + ".away", file);
    EXPECT_EQ(httpGet(server.port(), "/health"), 200);
    EXPECT_THAT(server.log(), HasSubstr("health: the database cannot be reached"));
}

TEST(Health, AnswersWhetherThePostgresServerRuns)
{
    if (!postgresAvailable()) GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
    // A cluster of its own: stopping the shared one would fail the other tests.
    const std::string dir = newFolder();
    const std::string script = std::string(CORVO_SOURCE_DIR) + "/scripts/pg-cluster.sh";
    const int port = freePort();
    std::string urlFile = dir + "/url";
    ASSERT_TRUE(
        shell("bash " + script + " start " + dir + " " + std::to_string(port) + " > " + urlFile));
    std::string url;
    std::getline(std::ifstream(urlFile), url);
    std::string out;
    ASSERT_EQ(
        runServerCommand({"init", "--db", url, "--company", "HQ", "--admin-password", "pw"}, &out),
        0)
        << out;
    {
        ServerProcess server(url);
        EXPECT_EQ(httpGet(server.port(), "/health"), 200);
        ASSERT_TRUE(shell("bash " + script + " stop " + dir));
        EXPECT_EQ(httpGet(server.port(), "/health"), 503);
        ASSERT_TRUE(shell("bash " + script + " start " + dir + " " + std::to_string(port) +
                          " > /dev/null"));
        EXPECT_EQ(httpGet(server.port(), "/health"), 200);
    }
    shell("bash " + script + " stop " + dir);
    std::filesystem::remove_all(dir);
}

enum class Backend { Sqlite, Postgres };

class BackupWhileSaving : public ::testing::TestWithParam<Backend> {
protected:
    bool postgres() const { return GetParam() == Backend::Postgres; }
    void SetUp() override
    {
        if (postgres() && !postgresAvailable()) GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        dir = newFolder();
        url = makeDemoDatabase(postgres());
    }
    /// The URL of a second database beside the test's PostgreSQL one, made empty.
    std::string emptyPostgresDatabase()
    {
        const std::string base = url.substr(0, url.rfind('/'));
        EXPECT_TRUE(shell("psql -q '" + url + "' -c 'DROP DATABASE IF EXISTS corvo_restored' " +
                          "-c 'CREATE DATABASE corvo_restored'"));
        return base + "/corvo_restored";
    }

    std::string dir;
    std::string url;
};

TEST_P(BackupWhileSaving, EveryAcknowledgedDocumentIsInTheRestoredDatabase)
{
    ServerProcess server(url);
    auto db = storage::Database::open(url);
    auto idOf = [&](const std::string& table, const std::string& code) {
        return scalar(*db, "SELECT \"ObjID\" FROM \"" + table + "\" WHERE \"Code\" = ?",
                      {Value(code)});
    };
    const std::string customer = idOf("TOrgan", "KH001");
    const std::string warehouse = idOf("TWarehouse", "CK01");
    const std::string product = idOf("TProduct", "NZ-2501");
    const std::string saleType =
        scalar(*db, "SELECT \"ObjID\" FROM \"TOtherParam\" WHERE \"Type\" = "
                    "'TSaleTypeID' AND \"Code\" = 'WHOLESALE'");

    std::mutex lock;
    std::vector<std::string> acknowledged;
    std::atomic<bool> stop{false};
    std::string failure;
    std::thread saver([&] {
        try {
            WriteClient clerk(server.url());
            while (!stop) {
                auto master = clerk.blank("TSaleOrder");
                auto lines = clerk.blank("TSaleOrderList");
                const std::string objId = Guid::create().toString();
                master->Append();
                setText(*master, "ObjID", objId);
                setText(*master, "HappenDate", "2026-01-05");
                setText(*master, "TOrganID", customer);
                setText(*master, "TWarehouseID", warehouse);
                setText(*master, "TSaleTypeID", saleType);
                setText(*master, "TotalQuantity", "1");
                master->Post();
                lines->Append();
                setText(*lines, "ObjID", Guid::create().toString());
                setText(*lines, "ParentID", objId);
                setText(*lines, "TProductID", product);
                setText(*lines, "Quantity", "1");
                setText(*lines, "UnitPrice", "10");
                setText(*lines, "SubTotal", "10");
                lines->Post();
                auto packet = packetOf({{"TMaster", master.get()}, {"TDetailInsert", lines.get()}});
                if (!clerk.call(app::Insert, app::insert::MasterDetail, *packet))
                    throw std::runtime_error("a save was refused");
                std::lock_guard guard(lock);
                acknowledged.push_back(objId);
            }
        } catch (const std::exception& e) {
            failure = e.what();
        }
    });
    auto saved = [&] {
        std::lock_guard guard(lock);
        return acknowledged.size();
    };
    while (saved() < 5 && failure.empty())
        std::this_thread::yield();
    std::vector<std::string> before;
    {
        std::lock_guard guard(lock);
        before = acknowledged;
    }
    const std::string file = dir + "/backup";
    std::string out;
    if (postgres()) {
        EXPECT_TRUE(shell("pg_dump -Fc -f " + file + " '" + url + "'"));
    } else {
        EXPECT_EQ(runServerCommand({"backup", "--db", url, "--out", file}, &out), 0) << out;
        // A second backup never overwrites the first.
        EXPECT_EQ(runServerCommand({"backup", "--db", url, "--out", file}, &out), 1);
        EXPECT_THAT(out, HasSubstr("exists already"));
    }
    const std::size_t during = saved();
    while (saved() < during + 3 && failure.empty())
        std::this_thread::yield();
    stop = true;
    saver.join();
    ASSERT_EQ(failure, "");

    std::string restored;
    if (postgres()) {
        restored = emptyPostgresDatabase();
        ASSERT_TRUE(shell("pg_restore --no-owner -d '" + restored + "' " + file));
    } else {
        restored = "sqlite:" + dir + "/restored.db";
        ASSERT_EQ(runServerCommand({"restore", "--in", file, "--db", restored}, &out), 0) << out;
        // Restoring over data is refused.
        EXPECT_EQ(runServerCommand({"restore", "--in", file, "--db", url}, &out), 1);
        EXPECT_THAT(out, HasSubstr("restore into an empty one"));
    }
    auto copy = storage::Database::open(restored);
    for (const std::string& objId : before)
        EXPECT_EQ(count(*copy, "SELECT COUNT(*) FROM \"TSaleOrderList\" WHERE \"ParentID\" = ?",
                        {Value(objId)}),
                  1)
            << objId;
    // One moment of the database: an order saved during the backup is there with its line
    // or not at all.
    for (const std::string& objId : acknowledged)
        EXPECT_EQ(
            count(*copy, "SELECT COUNT(*) FROM \"TSaleOrder\" WHERE \"ObjID\" = ?", {Value(objId)}),
            count(*copy, "SELECT COUNT(*) FROM \"TSaleOrderList\" WHERE \"ParentID\" = ?",
                  {Value(objId)}))
            << objId;
    ServerProcess again(restored);
    WriteClient admin(again.url());
    EXPECT_FALSE(admin.userId.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, BackupWhileSaving,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
