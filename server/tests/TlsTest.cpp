// https through the real server and the client's own connection, with a CA of the test's own.
#include "ServerProcess.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/ServerCall.h"
#include "remote/Tvelwebconnection.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
namespace fs = std::filesystem;

bool login(remote::TIntellegentWebconn& conn)
{
    LoginPacket packet("DEMO", "admin", "admin");
    return remote::CallServer(conn, app::Login, app::login::Login, packet);
}

TEST(Tls, ServesHttpsToAClientThatTrustsItsCa)
{
    const TestCertificates certificates;
    ServerProcess server(makeDemoDatabase(), {"--tls-cert", certificates.path("server.pem"),
                                              "--tls-key", certificates.path("server.key")});
    ASSERT_EQ(server.url().rfind("https://127.0.0.1:", 0), 0u) << server.url();

    remote::TIntellegentWebconn trusting{"Trusting"};
    trusting.setCaFile(certificates.path("ca.pem"));
    trusting.setUrls({server.url()});
    ASSERT_TRUE(login(trusting));
    TSQLAdder adder;
    adder.AddClause("from", "TProduct");
    adder.AddClause("select", "top 20 TProduct.Code");
    TParamData query(paramkind::Data);
    query.SetParamData("TMaster", adder.Data());
    EXPECT_TRUE(remote::CallServer(trusting, app::Query, app::query::SingleTable, query));

    remote::TIntellegentWebconn doubting{"Doubting"};
    doubting.setUrls({server.url()});
    EXPECT_NE(errorOf([&] { login(doubting); }), "(no error)") << "an unknown CA is refused";

    remote::TIntellegentWebconn plain{"Plain"};
    plain.setUrls({"http://" + server.url().substr(8)});
    EXPECT_NE(errorOf([&] { login(plain); }), "(no error)") << "no plain http beside https";
    EXPECT_TRUE(server.alive());
}

TEST(Tls, RefusesToStartWithoutItsKey)
{
    const TestCertificates certificates;
    std::string out;
    EXPECT_NE(runServerCommand({"serve", "--listen", "127.0.0.1:0", "--db", makeDemoDatabase(),
                                "--tls-cert", certificates.path("server.pem"), "--tls-key",
                                certificates.path("missing.key")},
                               &out),
              0);
    EXPECT_NE(out.find("Cannot read the private key"), std::string::npos) << out;
}

} // namespace
} // namespace corvo::server::test
