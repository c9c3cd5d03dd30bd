// The login against the real corvo-server binary, through the client's own remote code.
#include "ServerProcess.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/ParamNames.h"
#include "entity/TClientDataSet.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"
#include "server/schema/SystemIds.h"
#include "server/storage/Database.h"

#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <set>
#include <thread>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using ::testing::HasSubstr;

const char* const LoginAgainText = "登录已失效或尚未登录，请重新登录系统！";

std::unique_ptr<TClientDataSet> rowsOf(TParamData& packet, std::string_view name)
{
    auto rows = std::make_unique<TClientDataSet>();
    rows->SetData(packet.GetParamData(name));
    return rows;
}

enum class Backend { Sqlite, Postgres };

class LoginTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::Postgres && !postgresAvailable())
            GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        db = makeDemoDatabase(GetParam() == Backend::Postgres);
        server = std::make_unique<ServerProcess>(db);
        conn.setURL(server->url());
    }

    bool login(const std::string& password, const std::string& newPassword = {},
               TParamData* reply = nullptr)
    {
        LoginPacket packet("DEMO", "admin", password, newPassword);
        const bool ok = remote::CallServer(conn, app::Login, app::login::Login, packet);
        if (reply) reply->SetData(packet.Data());
        return ok;
    }

    std::string db;
    std::unique_ptr<ServerProcess> server;
    remote::TIntellegentWebconn conn{"Login"};
};

TEST_P(LoginTest, SuccessAnswersWhatTheClientCaches)
{
    TParamData reply(paramkind::Data);
    ASSERT_TRUE(login("admin", {}, &reply));
    EXPECT_THAT(reply.GetParamValue("BeginDate").toText(), ::testing::EndsWith("-01-01"));
    EXPECT_THAT(reply.GetParamValue("EndDate").toText(), ::testing::EndsWith("-12-31"));
    for (const char* name : {"TUser", "TMessage", "TDictTable", "TDictField", "TModule",
                             "TModuleGroup", "TUserModule", "TOtherParam", "TOrgan", "TMultiLang"})
        EXPECT_TRUE(reply.ParamExists(name)) << name;
    EXPECT_FALSE(reply.ParamExists("MLogin"));

    auto usersRows = rowsOf(reply, "TUser");
    TClientDataSet& users = *usersRows;
    ASSERT_TRUE(users.Locate("Code", Variant("admin")));
    EXPECT_EQ(users.FieldByName("TOrganCode").AsString(), "DEMO");
    EXPECT_EQ(gbk::toUtf8(users.FieldByName("Name").AsString()), "系统管理员");
    for (users.First(); !users.Eof(); users.Next())
        EXPECT_EQ(users.FieldByName("PassWord").AsString(), "");
    EXPECT_GT(rowsOf(reply, "TUserModule")->RecordCount(), 0);
    EXPECT_GT(rowsOf(reply, "TDictField")->RecordCount(), 0);
    EXPECT_THAT(server->log(), HasSubstr("login Login user=admin"));
}

TEST_P(LoginTest, WrongCredentialsGiveFalseAndLeaveThePacket)
{
    for (auto [org, user, password] :
         {std::tuple{"DEMO", "admin", "wrong"}, std::tuple{"DEMO", "nobody", "admin"},
          std::tuple{"NOSUCH", "admin", "admin"}, std::tuple{"demo", "admin", "admin"}}) {
        LoginPacket packet(org, user, password);
        const Bytes sent = packet.Data().asBytes();
        EXPECT_FALSE(remote::CallServer(conn, app::Login, app::login::Login, packet)) << user;
        EXPECT_EQ(packet.Data().asBytes(), sent);
    }
}

TEST_P(LoginTest, RepeatedFailuresSlowTheUserDown)
{
    // A server whose back-off (60 s after the third failure) outlasts this test however busy
    // the machine is.
    server = std::make_unique<ServerProcess>(db, std::vector<std::string>{"--login-backoff", "60"});
    conn.setURL(server->url());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(login("wrong"));
    // The right password is not even checked while the user must wait.
    EXPECT_FALSE(login("admin"));
}

TEST_P(LoginTest, PasswordChangeTakesEffect)
{
    ASSERT_TRUE(login("admin", "新密码2026"));
    EXPECT_FALSE(login("admin"));
    EXPECT_TRUE(login("新密码2026"));
}

TEST_P(LoginTest, CurrentCachedDictionaryIsNotSentAgain)
{
    TParamData first(paramkind::Data);
    ASSERT_TRUE(login("admin", {}, &first));

    // The same content in another row order is still current.
    auto fieldRows = rowsOf(first, "TDictField");
    TClientDataSet& fields = *fieldRows;
    fields.AddIndex("ByCodeDesc", "Code", IndexOrder::Descending);
    fields.SetIndexName("ByCodeDesc");
    LoginPacket packet("DEMO", "admin", "admin");
    packet.SetParamData("TDictTable", first.GetParamData("TDictTable"));
    packet.SetParamData("TDictField", fields.Data());
    ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, packet));
    EXPECT_FALSE(packet.ParamExists("TDictTable"));
    EXPECT_FALSE(packet.ParamExists("TDictField"));

    // One changed caption makes the copy stale.
    fields.First();
    fields.Edit();
    fields.FieldByName("Name").SetAsString(gbk::fromUtf8("改过的标题"));
    fields.Post();
    LoginPacket stale("DEMO", "admin", "admin");
    stale.SetParamData("TDictTable", first.GetParamData("TDictTable"));
    stale.SetParamData("TDictField", fields.Data());
    ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, stale));
    EXPECT_FALSE(stale.ParamExists("TDictTable"));
    EXPECT_TRUE(stale.ParamExists("TDictField"));
}

TEST_P(LoginTest, OtherClassesNeedTheSessionOfALogin)
{
    conn.setServerGUID(std::string(app::Query));
    EXPECT_EQ(errorOf([&] { conn.Open(); }), LoginAgainText);

    ASSERT_TRUE(login("admin"));
    conn.setServerGUID(std::string(app::Query));
    EXPECT_NO_THROW(conn.Open());

    // Another connection has no session: its cookie jar is its own.
    remote::TIntellegentWebconn stranger("Stranger");
    stranger.setURL(server->url());
    stranger.setServerGUID(std::string(app::Insert));
    EXPECT_EQ(errorOf([&] { stranger.Open(); }), LoginAgainText);
}

TEST_P(LoginTest, SecondServerProcessAcceptsTheSession)
{
    ASSERT_TRUE(login("admin"));
    ServerProcess second(db);
    conn.setURL(second.url());
    conn.setServerGUID(std::string(app::Query));
    EXPECT_NO_THROW(conn.Open());
}

TEST_P(LoginTest, EachDemoUserGetsExactlyTheRightsOfItsRole)
{
    struct Case {
        const char* organ;
        const char* user;
        std::set<std::string> rights; ///< names of the granted modules and groups; empty: all
    };
    for (const Case& c :
         {Case{"LS", "clerk", {"销售日报", "销售出库", "库存查询", "操作手册"}},
          Case{"DEMO", "buyer", {"采购管理", "商品", "库存查询"}}, Case{"DEMO", "admin", {}}}) {
        LoginPacket packet(c.organ, c.user, c.user);
        ASSERT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, packet)) << c.user;
        auto rights = rowsOf(packet, "TUserModule");
        std::set<std::string> granted;
        for (rights->First(); !rights->Eof(); rights->Next())
            granted.insert(gbk::toUtf8(rights->FieldByName("TModuleName").AsString()));
        if (c.rights.empty())
            EXPECT_EQ(rights->RecordCount(), rowsOf(packet, "TModule")->RecordCount()) << c.user;
        else
            EXPECT_EQ(granted, c.rights) << c.user;
    }
}

TEST_P(LoginTest, UnknownOrganisationOrUserCostsTheHashWorkOfAWrongPassword)
{
    struct Case {
        const char* what;
        const char* organ;
        const char* user;
    };
    // Three tries each stay within the address's free failures.
    const Case cases[] = {{"unknown organisation", "NOSUCH", "admin"},
                          {"unknown user", "DEMO", "nobody"},
                          {"wrong password", "DEMO", "admin"}};
    // The first calls of a fresh server pay for its caches; a good login pays that before.
    ASSERT_TRUE(login("admin"));
    std::vector<double> cpu, wall;
    for (const Case& c : cases) {
        const double before = server->cpuSeconds();
        const auto started = std::chrono::steady_clock::now();
        for (int i = 0; i < 3; ++i) {
            LoginPacket packet(c.organ, c.user, "wrong");
            EXPECT_FALSE(remote::CallServer(conn, app::Login, app::login::Login, packet));
        }
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count() /
            3);
        cpu.push_back(server->cpuSeconds() - before);
    }
    // The hash is nearly all of a failed login's work: without it a try costs a tenth. Only
    // the cheap side is checked, with room for a loaded or instrumented machine.
    for (std::size_t i = 0; i + 1 < cpu.size(); ++i)
        EXPECT_GT(cpu[i], 0.3 * cpu.back()) << cases[i].what;
    std::cout << "ms per failed login: unknown organisation " << wall[0] << ", unknown user "
              << wall[1] << ", wrong password " << wall[2] << std::endl;
}

TEST_P(LoginTest, ConcurrentGuessesCannotSlipPastTheBackOff)
{
    ServerProcess slow(db, {"--login-backoff", "60"});
    std::vector<std::thread> guesses;
    for (int i = 0; i < 8; ++i)
        guesses.emplace_back([&] {
            remote::TIntellegentWebconn own{"Guess"};
            own.setURL(slow.url());
            LoginPacket packet("DEMO", "admin", "guess");
            EXPECT_FALSE(remote::CallServer(own, app::Login, app::login::Login, packet));
        });
    for (std::thread& t : guesses)
        t.join();
    auto database = storage::Database::open(db);
    auto tx = database->begin(storage::TransactionMode::Read);
    const storage::Rows counted =
        tx->query("SELECT \"FailedCount\" FROM \"TUserCredential\" WHERE \"UserID\" = ?",
                  std::vector<storage::Value>{std::string(schema::ids::AdminUser)});
    tx->commit();
    // Two free tries and the third; the other five found the user waiting.
    EXPECT_EQ(counted.rows.at(0).at(0).asInteger(), 3);
    conn.setURL(slow.url());
    EXPECT_FALSE(login("admin")) << "the right password waits as well";
}

TEST_P(LoginTest, AnAddressIsLimitedWhateverUserItTries)
{
    ServerProcess slow(db, {"--login-backoff", "60"});
    conn.setURL(slow.url());
    ASSERT_TRUE(login("admin")) << "a success does not count";
    for (int i = 0; i < 10; ++i) {
        LoginPacket packet("DEMO", "nobody" + std::to_string(i), "guess");
        EXPECT_FALSE(remote::CallServer(conn, app::Login, app::login::Login, packet));
    }
    EXPECT_FALSE(login("admin"));
    LoginPacket buyer("DEMO", "buyer", "buyer");
    EXPECT_FALSE(remote::CallServer(conn, app::Login, app::login::Login, buyer));
}

TEST_P(LoginTest, UserCodesMatchExactlyFirstThenIgnoringLetterCase)
{
    struct User {
        const char* code;
        const char* password;
    };
    for (const User& u : {User{"Tom", "t1"}, User{"TOM", "t2"}, User{"Guest", ""}}) {
        std::string out;
        ASSERT_EQ(runServerCommand({"user", "add", "--db", db, "--org", "DEMO", "--code", u.code,
                                    "--name", u.code, "--password", u.password},
                                   &out),
                  0)
            << out;
    }
    struct Case {
        const char* typed;
        const char* password;
        bool accepted;
        const char* user; ///< the user logged in
    };
    const Case cases[] = {
        {"TOM", "t2", true, "TOM"},
        {"Tom", "t1", true, "Tom"},
        {"guest", "", true, "Guest"},
        {"GUEST", "", true, "Guest"},
        // Two users match ignoring case and none exactly: none is chosen.
        {"tom", "", false, ""},
    };
    for (const Case& c : cases) {
        remote::TIntellegentWebconn own{"Case"};
        own.setURL(server->url());
        LoginPacket packet("DEMO", c.typed, c.password);
        EXPECT_EQ(remote::CallServer(own, app::Login, app::login::Login, packet), c.accepted)
            << c.typed;
        if (!c.accepted) continue;
        // The session's user, whose code the call log names.
        TSQLAdder adder;
        adder.AddClause("from", "TProduct");
        adder.AddClause("select", "TProduct.Code");
        TParamData query(paramkind::Data);
        query.SetParamData("TMaster", adder.Data());
        ASSERT_TRUE(remote::CallServer(own, app::Query, app::query::SingleTable, query));
        EXPECT_NE(server->log().find(std::string("SingleTableQuery user=") + c.user + " "),
                  std::string::npos)
            << c.typed;
    }
}

TEST_P(LoginTest, StopsCleanlyOnSigterm)
{
    ASSERT_TRUE(login("admin"));
    EXPECT_EQ(server->stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, LoginTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
                         });

} // namespace
} // namespace corvo::server::test
