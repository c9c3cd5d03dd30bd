#include "LoopbackHttpServer.h"
#include "RemoteTestSupport.h"
#include "entity/Error.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "remote/Envelope.h"
#include "remote/ServerCall.h"
#include "remote/TVelDataBlockInterpreter.h"
#include "remote/Tvelwebconnection.h"

#include <arpa/inet.h>
#include <cstdio>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace corvo::remote {
namespace {

using ::testing::HasSubstr;

const char* const EchoClass = "{6F1A0C2B-3D4E-4F50-8A61-B7C8D9E0F102}";
constexpr int32_t ExchangeId = test::PricingObject::ExchangeId;

using Echo = test::PricingObject;

const char* const PacketsClass = "{0D5C3E1A-7B2F-4C6D-9E8A-1F2B3C4D5E6F}";

// Answers a parameter packet as the application servers do: "Refuse" in the packet gives false,
// otherwise a row "Answer" is added and the result is true.
class PacketServer : public LocalObject {
public:
    int32_t getIdsOfName(const std::u16string&, int32_t& dispId) override
    {
        dispId = ExchangeId;
        return status::Ok;
    }
    int32_t invoke(const InvokeRequest&, std::vector<RemoteValue>& args, RemoteValue& result,
                   ExceptionInfo&) override
    {
        TParamData packet(paramkind::Data);
        packet.SetData(args.at(0).toVariant());
        const bool refuse = packet.ParamExists("Refuse");
        packet.SetParamValue("Answer", Variant(refuse ? "ignored" : "42"));
        args[0] = RemoteValue::fromVariant(packet.Data());
        result = RemoteValue::boolean(!refuse);
        return status::Ok;
    }
};

struct ServingPeer {
    ServingPeer()
    {
        factory.registerClass(*Guid::parse(EchoClass), "Corvo.Echo", {"Web"},
                              [] { return std::make_unique<Echo>(); });
        factory.registerClass(*Guid::parse(PacketsClass), "Corvo.Packets", {"Web"},
                              [] { return std::make_unique<PacketServer>(); });
    }
    LocalObjectFactory factory;
    TVelDataBlockInterpreter interpreter{nullptr, "Web", &factory};
};

using test::Answer;
using HttpServer = test::LoopbackHttpServer;

// A port nothing listens on: bound once, then let go.
std::string deadUrl()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/scripts/x.dll";
}

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

int32_t exchange(Tveldatadispatch& server, std::vector<RemoteValue>& args, RemoteValue& result)
{
    args = {RemoteValue::byteArray(Bytes{1, 2, 3}).byRef()};
    return server.Invoke(ExchangeId, 1, args, {}, true, &result, nullptr);
}

struct WebConnectionTest : ::testing::Test {
    WebConnectionTest()
    {
        conn.setURL(http.url());
        conn.setServerGUID(EchoClass);
    }
    ServingPeer peer;
    HttpServer http{peer.interpreter};
    TIntellegentWebconn conn{"Conn"};
};

TEST_F(WebConnectionTest, CreateInvokeAndFreeOverOneKeptAliveConnection)
{
    conn.Open();
    {
        auto server = conn.GetServer();
        ASSERT_TRUE(server);
        std::vector<RemoteValue> args;
        RemoteValue result;
        ASSERT_EQ(exchange(*server, args, result), status::Ok);
        EXPECT_EQ(args[0].raw(), (Bytes{3, 2, 1, 0xEE}));
        EXPECT_NE(result.toInt64(), 0);
    }
    EXPECT_EQ(peer.interpreter.localObjectCount(), 1u);
    conn.Close();
    EXPECT_FALSE(conn.Connected());
    EXPECT_EQ(peer.interpreter.localObjectCount(), 0u);
    EXPECT_EQ(http.actions(),
              (std::vector<uint32_t>{action::CreateObject, action::Invoke, action::FreeObject}));
    EXPECT_EQ(http.connections(), 1);
    for (const auto& r : http.requests()) {
        EXPECT_EQ(r.agent, "Corvo");
        EXPECT_EQ(r.accept, "application/octet-stream");
    }
}

TEST_F(WebConnectionTest, WritingServerGuidFreesThePreviousObject)
{
    conn.Open();
    conn.setServerGUID(EchoClass);
    EXPECT_FALSE(conn.Connected());
    EXPECT_EQ(http.actions(), (std::vector<uint32_t>{action::CreateObject, action::FreeObject}));
    EXPECT_EQ(peer.interpreter.localObjectCount(), 0u);
}

TEST_F(WebConnectionTest, CallsAfterClosingReuseTheKeptAliveSocket)
{
    for (int call = 0; call < 3; ++call) {
        conn.setServerGUID(EchoClass);
        conn.Open();
    }
    conn.Close();
    EXPECT_EQ(http.actions().size(), 6u);
    EXPECT_EQ(http.connections(), 1);
}

TEST_F(WebConnectionTest, ReleaseOnADeadNetworkIsIgnoredAndTheNextOpenWorks)
{
    conn.Open();
    http.answer(Answer::CloseEarly);
    EXPECT_NO_THROW(conn.Close());
    EXPECT_FALSE(conn.Connected());
    http.answer(Answer::Serve);
    conn.Open();
    std::vector<RemoteValue> args;
    RemoteValue result;
    EXPECT_EQ(exchange(*conn.GetServer(), args, result), status::Ok);
}

struct BadAnswer {
    Answer answer;
    const char* detail; ///< kept for the log; the user sees the faulty-packet text
};

class BadAnswerTest : public WebConnectionTest, public ::testing::WithParamInterface<BadAnswer> {};

TEST_P(BadAnswerTest, FailsTheOpenAsAFaultyPacketAndLeavesTheTransportClosed)
{
    // Long enough that a body read to the end would surface as a timeout instead.
    conn.setExchangeTimeout(std::chrono::seconds(30));
    http.answer(GetParam().answer);
    EXPECT_EQ(errorOf([&] { conn.Open(); }), "收到的数据包有问题！");
    EXPECT_THAT(conn.lastReceiveFailure(), HasSubstr(GetParam().detail));
    EXPECT_FALSE(conn.Connected());
    EXPECT_FALSE(conn.transportConnected());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BadAnswerTest,
    ::testing::Values(BadAnswer{Answer::Status500, "Internal Server Error (500)"},
                      BadAnswer{Answer::Empty, InvalidDataPacket},
                      BadAnswer{Answer::Truncated, InvalidDataPacket},
                      BadAnswer{Answer::Garbage, InvalidDataPacket},
                      BadAnswer{Answer::CloseEarly, "Empty reply from server"}));

TEST_F(WebConnectionTest, FaultyAnswerToAnInvokeReachesTheCallerAsAFaultyPacket)
{
    TParamData packet(paramkind::Data);
    conn.Open();
    http.answer(Answer::Garbage);
    EXPECT_EQ(errorOf([&] { CallServer(conn, PacketsClass, 1, packet); }), "收到的数据包有问题！");
}

TEST_F(WebConnectionTest, SessionCookieComesBackForTheLifeOfTheObject)
{
    http.setCookie("CORVOSESSION=s1; Path=/");
    conn.Open();
    std::vector<RemoteValue> args;
    RemoteValue result;
    exchange(*conn.GetServer(), args, result);
    conn.Close();
    conn.Open(); // a fresh transport
    const auto seen = http.requests();
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].cookie, "");
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_EQ(seen[i].cookie, "CORVOSESSION=s1") << i;
}

TEST_F(WebConnectionTest, SilentServerFailsAfterTheExchangeTimeout)
{
    conn.setExchangeTimeout(std::chrono::seconds(1));
    http.answer(Answer::Silent);
    EXPECT_EQ(errorOf([&] { conn.Open(); }), "操作超时");
    EXPECT_THAT(conn.lastTransportFailure(), HasSubstr("timed out"));
    EXPECT_FALSE(conn.Connected());
}

TEST(WebConnectionFailureTest, CommonFailuresSpeakChineseAndKeepCurlsWordsForTheLog)
{
    struct Case {
        std::string url;
        const char* shown;
        const char* curlWords;
    };
    for (const Case& c : {Case{deadUrl(), "无法与服务器建立连接", "onnect"},
                          Case{"http://no-such-host.invalid/scripts/x.dll",
                               "无法解析服务器的名称或地址", "resolve"}}) {
        TIntellegentWebconn conn("Conn");
        conn.setURL(c.url);
        conn.setServerGUID(EchoClass);
        EXPECT_EQ(errorOf([&] { conn.Open(); }), c.shown) << c.url;
        EXPECT_THAT(conn.lastTransportFailure(), HasSubstr(c.curlWords)) << c.url;
    }
}

TEST(WebConnectionSetupTest, MissingIdentityOrHostIsRefused)
{
    TIntellegentWebconn conn("Conn");
    conn.setURL("http://127.0.0.1:1/x");
    EXPECT_EQ(errorOf([&] { conn.Open(); }),
              "Cannot connect, Conn must contain a valid ServerName or ServerGUID");
    conn.setURL("");
    conn.setServerGUID(EchoClass);
    EXPECT_EQ(errorOf([&] { conn.Open(); }), "URL required");
}

struct UrlCase {
    const char* url;
    const char* scheme;
    const char* host;
    uint16_t port;
    const char* path;
};

class UrlSplitTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(UrlSplitTest, SplitsIntoSchemeHostPortAndPath)
{
    Tvelwebconnection conn;
    const UrlCase& c = GetParam();
    conn.setURL(c.url);
    EXPECT_EQ(conn.scheme(), c.scheme);
    EXPECT_EQ(conn.host(), c.host);
    EXPECT_EQ(conn.port(), c.port);
    EXPECT_EQ(conn.path(), c.path);
}

INSTANTIATE_TEST_SUITE_P(Urls, UrlSplitTest,
                         ::testing::Values(UrlCase{"http://srv/scripts/Velmarwebsvr.dll", "http",
                                                   "srv", 80, "/scripts/Velmarwebsvr.dll"},
                                           UrlCase{"HTTPS://srv.example:8443/s.dll", "https",
                                                   "srv.example", 8443, "/s.dll"},
                                           UrlCase{"https://srv", "https", "srv", 443, "/"}));

TEST(UrlTest, OtherSchemesAndBadPortsAreRefused)
{
    Tvelwebconnection conn;
    for (const char* bad : {"ftp://srv/x", "srv/scripts/x.dll", "http://srv:0/x",
                            "http://srv:99999/", "http://srv:8o/x"})
        EXPECT_THAT(errorOf([&] { conn.setURL(bad); }), HasSubstr("http or https")) << bad;
}

TEST(UrlTest, SameTextKeepsThePartsAndEmptyClearsThem)
{
    Tvelwebconnection conn;
    conn.setURL("http://srv:81/a");
    conn.setURL("http://srv:81/a");
    EXPECT_EQ(conn.host(), "srv");
    EXPECT_EQ(conn.port(), 81);
    EXPECT_FALSE(conn.transportConnected());
    conn.setURL("");
    EXPECT_EQ(conn.host(), "");
    EXPECT_EQ(conn.path(), "");
}

// Each entry is a live server or a dead port; `current` is made the URL before the call.
struct FailoverCase {
    const char* name;
    std::vector<bool> live;
    std::optional<std::size_t> current;
    std::optional<std::size_t> endsOn; ///< nothing: the call raises
    std::vector<std::size_t> untouched;
};

class FailoverTest : public ::testing::TestWithParam<FailoverCase> {};

TEST_P(FailoverTest, TriesEachOtherEntryOnceAndNeverTheFirstAgain)
{
    const FailoverCase& c = GetParam();
    ServingPeer peer;
    std::vector<std::unique_ptr<HttpServer>> servers;
    std::vector<std::string> urls;
    for (bool live : c.live) {
        servers.push_back(live ? std::make_unique<HttpServer>(peer.interpreter) : nullptr);
        urls.push_back(live ? servers.back()->url() : deadUrl());
    }
    TIntellegentWebconn conn("Conn");
    conn.setUrls(urls);
    if (urls.empty()) conn.setURL(deadUrl());
    if (c.current) conn.setURL(urls[*c.current]);
    conn.setServerGUID(EchoClass);

    if (c.endsOn) {
        conn.ConnectWithFailover();
        EXPECT_TRUE(conn.Connected());
        EXPECT_EQ(conn.URL(), urls[*c.endsOn]);
    } else {
        EXPECT_EQ(errorOf([&] { conn.ConnectWithFailover(); }), "无法与服务器建立连接");
        EXPECT_FALSE(conn.Connected());
    }
    for (std::size_t i : c.untouched)
        EXPECT_EQ(servers[i]->connections(), 0) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailoverTest,
    ::testing::Values(FailoverCase{"DeadThenLive", {false, true}, 0, 1, {}},
                      FailoverCase{"TwoDeadThenLive", {false, false, true}, 0, 2, {}},
                      FailoverCase{"OneDeadEntry", {false}, 0, std::nullopt, {}},
                      FailoverCase{"EmptyList", {}, std::nullopt, std::nullopt, {}},
                      FailoverCase{"FirstIsNotRetried", {true, false}, 1, std::nullopt, {0}},
                      FailoverCase{"ResetSkipsFirstForThird", {true, false, true}, 1, 2, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebConnectionTest, ServerCallReplacesThePacketOnTrueAndKeepsItOnFalse)
{
    TParamData packet(paramkind::Data);
    packet.SetParamValue(param::AppName, Variant(param::AppNameValue));
    ASSERT_TRUE(CallServer(conn, PacketsClass, 1, packet));
    EXPECT_EQ(packet.GetParamValue("Answer").toText(), "42");
    EXPECT_EQ(packet.GetParamValue(param::AppName).toText(), "Corvo");

    TParamData refused(paramkind::Data);
    refused.SetParamValue("Refuse", Variant("1"));
    const Bytes sent = refused.Data().asBytes();
    EXPECT_FALSE(CallServer(conn, PacketsClass, 1, refused));
    EXPECT_EQ(refused.Data().asBytes(), sent);
}

TEST(ServerCallTest, EmptyClassGuidIsRefusedBeforeConnecting)
{
    TIntellegentWebconn conn{"Conn"};
    conn.setURL("http://127.0.0.1:9/scripts/Velmarwebsvr.dll");
    TParamData packet(paramkind::Data);
    try {
        CallServer(conn, "", 1, packet);
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "没有指定服务器GUID，无法连接服务器！");
    }
    EXPECT_FALSE(conn.Connected());
}

struct HttpsTest : ::testing::Test {
    HttpsTest()
    {
        // One file per process: tests run side by side and each has a CA of its own.
        caFile = ::testing::TempDir() + "corvo-test-ca-" + std::to_string(::getpid()) + ".pem";
        std::ofstream(caFile) << certificates.caPem;
        conn.setServerGUID(EchoClass);
    }
    ~HttpsTest() override { std::remove(caFile.c_str()); }
    test::TestCertificates certificates = test::makeTestCertificates();
    std::string caFile;
    ServingPeer peer;
    HttpServer https{peer.interpreter, &certificates.server};
    TIntellegentWebconn conn{"Conn"};
};

TEST_F(HttpsTest, ExchangesOverTlsWithTheServersCertificateAuthority)
{
    for (const char* host : {"127.0.0.1", "localhost"}) {
        conn.setURL(https.url(host));
        conn.setCaFile(caFile);
        std::vector<RemoteValue> args;
        RemoteValue result;
        ASSERT_EQ(exchange(*conn.GetServer(), args, result), status::Ok) << host;
        EXPECT_EQ(args[0].raw(), (Bytes{3, 2, 1, 0xEE}));
        conn.Close();
    }
    EXPECT_EQ(peer.interpreter.localObjectCount(), 0u);
}

TEST_F(HttpsTest, UnknownAuthorityIsRefusedInChineseWithCurlsWordsForTheLog)
{
    conn.setURL(https.url());
    EXPECT_EQ(errorOf([&] { conn.Open(); }), "证书颁发机构无效或不正确");
    EXPECT_THAT(conn.lastTransportFailure(), HasSubstr("certificate"));
    EXPECT_FALSE(conn.Connected());
    EXPECT_EQ(peer.interpreter.localObjectCount(), 0u);
}

} // namespace
} // namespace corvo::remote
