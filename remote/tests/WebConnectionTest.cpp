#include "RemoteTestSupport.h"
#include "entity/Error.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "remote/Envelope.h"
#include "remote/ServerCall.h"
#include "remote/TVelDataBlockInterpreter.h"
#include "remote/Tvelwebconnection.h"

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
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

enum class Answer { Serve, Status500, CloseEarly, Garbage, Empty, Truncated, Silent };

struct SeenRequest {
    uint32_t act = 0;
    std::string cookie;
    std::string agent;
    std::string accept;
};

std::string headerValue(const std::string& head, const std::string& name)
{
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        if (head.size() - at < name.size() + 1) break;
        if (strncasecmp(head.c_str() + at, name.c_str(), name.size()) == 0 &&
            head[at + name.size()] == ':') {
            std::size_t v = at + name.size() + 1;
            while (v < head.size() && head[v] == ' ')
                ++v;
            return head.substr(v, head.find("\r\n", v) - v);
        }
    }
    return {};
}

// A loopback HTTP/1.1 server: keep-alive, one thread per connection, each POST's envelope
// handed to the serving peer unless told to misbehave.
class HttpServer {
public:
    explicit HttpServer(TVelDataBlockInterpreter& peer) : m_peer(peer)
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int yes = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(m_listen, 16) != 0)
            throw std::runtime_error("cannot listen");
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_acceptor = std::thread([this] { acceptLoop(); });
    }
    ~HttpServer()
    {
        m_stop = true;
        m_acceptor.join();
        for (auto& t : m_workers)
            t.join();
        ::close(m_listen);
    }
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::string url() const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + "/scripts/Velmarwebsvr.dll";
    }
    void answer(Answer a) { m_answer = a; }
    void setCookie(std::string c)
    {
        std::lock_guard lock(m_lock);
        m_setCookie = std::move(c);
    }
    std::vector<SeenRequest> requests() const
    {
        std::lock_guard lock(m_lock);
        return m_requests;
    }
    std::vector<uint32_t> actions() const
    {
        std::vector<uint32_t> out;
        for (const auto& r : requests())
            out.push_back(r.act);
        return out;
    }
    int connections() const { return m_connections; }

private:
    bool waitReadable(int fd) const
    {
        pollfd p{fd, POLLIN, 0};
        while (!m_stop) {
            if (::poll(&p, 1, 20) > 0) return true;
        }
        return false;
    }
    void acceptLoop()
    {
        while (waitReadable(m_listen)) {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0) continue;
            ++m_connections;
            m_workers.emplace_back([this, fd] {
                serveConnection(fd);
                ::close(fd);
            });
        }
    }
    // Appends what arrives; false on end of stream or stop.
    bool receive(int fd, std::string& buf) const
    {
        if (!waitReadable(fd)) return false;
        char chunk[8192];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buf.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
    static void sendAll(int fd, const std::string& s)
    {
        std::size_t done = 0;
        while (done < s.size()) {
            const ssize_t n = ::send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }
    void serveConnection(int fd)
    {
        std::string buf;
        for (;;) {
            std::size_t headEnd;
            while ((headEnd = buf.find("\r\n\r\n")) == std::string::npos)
                if (!receive(fd, buf)) return;
            const std::string head = buf.substr(0, headEnd + 2);
            const std::size_t length = std::stoul("0" + headerValue(head, "Content-Length"));
            while (buf.size() < headEnd + 4 + length)
                if (!receive(fd, buf)) return;
            const std::string body = buf.substr(headEnd + 4, length);
            buf.erase(0, headEnd + 4 + length);
            if (!respond(fd, head, body)) return;
        }
    }
    bool respond(int fd, const std::string& head, const std::string& body)
    {
        const Bytes plain =
            envelope::unpack(std::span(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
        TvelDataBlock served;
        served.LoadBytes(plain.data(), plain.size(), CheckLength::Yes);
        const uint32_t act = served.Signature() & action::Mask;
        std::string cookie;
        {
            std::lock_guard lock(m_lock);
            m_requests.push_back({act, headerValue(head, "Cookie"), headerValue(head, "User-Agent"),
                                  headerValue(head, "Accept")});
            cookie = m_setCookie;
        }
        const Answer answer = m_answer;
        std::string reply;
        switch (answer) {
        case Answer::CloseEarly:
            return false;
        case Answer::Silent:
            waitReadable(-1);
            return false;
        case Answer::Status500:
            // Promises a body it never finishes: reading it would hang until the timeout.
            sendAll(fd, "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 1000000\r\n\r\n"
                        "partial");
            return true;
        case Answer::Empty:
            break;
        case Answer::Garbage:
            reply = "this is not a compressed block at all";
            break;
        case Answer::Serve:
        case Answer::Truncated: {
            if (!m_peer.HandleBlock(served)) served.SetSignature(ReplyBlock | act);
            const Bytes packed = envelope::pack(served.Stream());
            reply.assign(packed.begin(), packed.end());
            if (answer == Answer::Truncated) reply.resize(reply.size() / 2);
            break;
        }
        }
        std::string out = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n";
        if (!cookie.empty()) out += "Set-Cookie: " + cookie + "\r\n";
        out += "Content-Length: " + std::to_string(reply.size()) + "\r\n\r\n" + reply;
        sendAll(fd, out);
        return true;
    }

    TVelDataBlockInterpreter& m_peer;
    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<Answer> m_answer{Answer::Serve};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_lock;
    std::string m_setCookie;
    std::vector<SeenRequest> m_requests;
    std::thread m_acceptor;
    std::vector<std::thread> m_workers;
};

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
    const char* message;
};

class BadAnswerTest : public WebConnectionTest, public ::testing::WithParamInterface<BadAnswer> {};

TEST_P(BadAnswerTest, FailsTheOpenAndLeavesTheTransportClosed)
{
    // Long enough that a body read to the end would surface as a timeout instead.
    conn.setExchangeTimeout(std::chrono::seconds(30));
    http.answer(GetParam().answer);
    EXPECT_THAT(errorOf([&] { conn.Open(); }), HasSubstr(GetParam().message));
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
    EXPECT_THAT(errorOf([&] { conn.Open(); }), HasSubstr("timed out"));
    EXPECT_FALSE(conn.Connected());
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
        EXPECT_THAT(errorOf([&] { conn.ConnectWithFailover(); }), HasSubstr("connect"));
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

} // namespace
} // namespace corvo::remote
