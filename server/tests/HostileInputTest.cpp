// The real corvo-server under malformed requests, bombs and load. After each attack a normal
// client must still log in on the same server, and the process must still be running.
#include "ServerProcess.h"
#include "remote/AppServers.h"
#include "remote/Envelope.h"
#include "remote/ServerCall.h"
#include "remote/TVelDataBlockInterpreter.h"
#include "remote/TvelDataBlock.h"
#include "remote/Tvelwebconnection.h"
#include "remote/Utf16.h"
#include "remote/VariantCodec.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
using Clock = std::chrono::steady_clock;

/// How long anything may take on a loaded machine before it counts as hanging.
constexpr std::chrono::seconds Patience{10};
constexpr std::size_t MiB = std::size_t{1} << 20;
/// The server's bound on a request body and on an unpacked envelope.
constexpr std::size_t ServerLimit = 64 * MiB;
/// Far below what decoding any of the bombs here would take, with room for a sanitizer's
/// quarantine of freed memory.
constexpr std::size_t MemoryCeiling = 16 * ServerLimit;
constexpr std::string_view Script = "/scripts/Velmarwebsvr.dll";

constexpr int ClosedWithoutAnswer = 0;
constexpr int NoAnswerInTime = -1;

struct RawAnswer {
    int status = NoAnswerInTime;
    Bytes body;
};

// A plain TCP client, so requests can be as broken as we like.
class RawClient {
public:
    explicit RawClient(uint16_t port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_fd < 0 || ::connect(m_fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            const std::string why = std::strerror(errno);
            close();
            throw std::runtime_error("connect: " + why);
        }
    }
    ~RawClient() { close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    int fd() const noexcept { return m_fd; }

    /// Sends what the server will take; a server that closes early just stops the sending.
    void send(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const ssize_t n = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }

    /// One HTTP answer: its status and body, ClosedWithoutAnswer when the server closes
    /// before a whole one arrived, NoAnswerInTime when it stays silent.
    RawAnswer answer()
    {
        const auto deadline = Clock::now() + Patience;
        std::string in;
        std::size_t headEnd;
        while ((headEnd = in.find("\r\n\r\n")) == std::string::npos)
            if (Got g = receive(in, deadline); g != Got::Data) return {statusOf(g), {}};
        RawAnswer a;
        const std::string head = in.substr(0, headEnd);
        if (!head.starts_with("HTTP/1.") || head.size() < 12) return {ClosedWithoutAnswer, {}};
        a.status = std::stoi(head.substr(9, 3));
        const std::size_t length = contentLength(head);
        in.erase(0, headEnd + 4);
        while (in.size() < length)
            if (Got g = receive(in, deadline); g != Got::Data) return {statusOf(g), {}};
        a.body.assign(in.begin(), in.begin() + static_cast<std::ptrdiff_t>(length));
        return a;
    }

    /// Whether the server has neither answered nor closed so far.
    bool quiet() const
    {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, 0) == 0;
    }

    void close()
    {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    enum class Got { Data, Closed, Timeout };

    static int statusOf(Got g) { return g == Got::Closed ? ClosedWithoutAnswer : NoAnswerInTime; }

    Got receive(std::string& into, Clock::time_point deadline)
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{m_fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return Got::Timeout;
        char buf[64 * 1024];
        const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
        if (n <= 0) return Got::Closed; // an orderly close or a reset
        into.append(buf, static_cast<std::size_t>(n));
        return Got::Data;
    }

    static std::size_t contentLength(const std::string& head)
    {
        std::string lower = head;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::size_t at = lower.find("\r\ncontent-length:");
        return at == std::string::npos ? 0 : std::stoul(head.substr(at + 17));
    }

    int m_fd = -1;
};

std::string request(std::string_view method, std::string_view target, std::string_view body)
{
    std::string r(method);
    r += ' ';
    r += target;
    r += " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Length: ";
    r += std::to_string(body.size());
    r += "\r\n\r\n";
    r += body;
    return r;
}

std::string_view text(const Bytes& b)
{
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

RawAnswer post(uint16_t port, const Bytes& body)
{
    RawClient c(port);
    c.send(request("POST", Script, text(body)));
    return c.answer();
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes le32(uint32_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

Bytes withLengthWord(Bytes envelope, uint32_t declared)
{
    const Bytes word = le32(declared);
    std::copy(word.begin(), word.end(), envelope.begin());
    return envelope;
}

/// A request block; `payloadSizeField` replaces the size the header would truthfully carry.
Bytes block(uint32_t signature, const std::function<void(remote::TvelDataBlock&)>& fill = {},
            std::optional<uint32_t> payloadSizeField = {})
{
    remote::TvelDataBlock b;
    if (fill) fill(b);
    b.SetSignature(signature);
    Bytes bytes = b.Stream();
    if (payloadSizeField) {
        const Bytes word = le32(*payloadSizeField);
        std::copy(word.begin(), word.end(), bytes.begin() + 4);
    }
    return bytes;
}

void writeText(remote::TvelDataBlock& b, std::string_view utf8)
{
    remote::writeValue(b, remote::RemoteValue::string(remote::utf16FromUtf8(utf8)));
}

Bytes createObject(std::string_view name)
{
    return block(remote::RequestBlock | remote::action::CreateObject,
                 [&](remote::TvelDataBlock& b) { writeText(b, name); });
}

// Compressing a gigabyte would take the test longer than the server needs to refuse it.
// After a full flush the compressor starts afresh, so every further mebibyte of zeros
// compresses to the same bytes, which are repeated; the checksum is made to fit.
Bytes zlibOfZeros(const Bytes& head, std::size_t zeroMiB)
{
    const Bytes zeros(MiB);
    z_stream z{};
    if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK) throw std::runtime_error("deflateInit");
    auto step = [&z](const Bytes& in, int flush) {
        Bytes out(deflateBound(&z, static_cast<uLong>(in.size())) + 64);
        z.next_in = const_cast<Bytef*>(in.data());
        z.avail_in = static_cast<uInt>(in.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int rc = deflate(&z, flush);
        if ((rc != Z_OK && rc != Z_STREAM_END) || z.avail_in != 0)
            throw std::runtime_error("deflate");
        out.resize(out.size() - z.avail_out);
        return out;
    };
    Bytes stream = step(head, Z_FULL_FLUSH);
    const Bytes first = step(zeros, Z_FULL_FLUSH);
    const Bytes repeated = step(zeros, Z_FULL_FLUSH);
    if (step(zeros, Z_FULL_FLUSH) != repeated) throw std::runtime_error("flushes differ");
    stream.insert(stream.end(), first.begin(), first.end());
    for (std::size_t i = 1; i < zeroMiB; ++i)
        stream.insert(stream.end(), repeated.begin(), repeated.end());
    const Bytes tail = step({}, Z_FINISH);
    deflateEnd(&z);
    stream.insert(stream.end(), tail.begin(), tail.end() - 4);

    uLong sum = adler32(adler32(0, nullptr, 0), head.data(), static_cast<uInt>(head.size()));
    const uLong perMiB = adler32(adler32(0, nullptr, 0), zeros.data(), MiB);
    for (std::size_t i = 0; i < zeroMiB; ++i)
        sum = adler32_combine(sum, perMiB, MiB);
    for (int shift = 24; shift >= 0; shift -= 8)
        stream.push_back(static_cast<uint8_t>(sum >> shift));
    return stream;
}

/// Bytes the stream inflates to, counted up to `cap`; throws when it is corrupt before that.
std::size_t inflatedSize(const Bytes& stream, std::size_t cap)
{
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    Bytes out(MiB);
    std::size_t total = 0;
    int rc = Z_OK;
    while (rc == Z_OK && total < cap) {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        rc = inflate(&z, Z_NO_FLUSH);
        total += out.size() - z.avail_out;
    }
    inflateEnd(&z);
    if (rc != Z_OK && rc != Z_STREAM_END) throw std::runtime_error("corrupt stream");
    return total;
}

/// The message of an error reply, read the way the client reads any reply.
std::string errorReplyText(const Bytes& body)
{
    const Bytes plain = remote::envelope::unpack(body);
    remote::TvelDataBlock reply;
    reply.LoadBytes(plain.data(), plain.size(), remote::CheckLength::Yes);
    if (reply.Signature() != (remote::ReplyBlock | remote::action::Error))
        return "(not an error reply)";
    const remote::RemoteValue message = remote::readValue(reply);
    return remote::utf8FromUtf16(message.text());
}

::testing::AssertionResult logsIn(const ServerProcess& server)
{
    try {
        remote::TIntellegentWebconn conn("Login");
        conn.setURL(server.url());
        LoginPacket packet("DEMO", "admin", "admin");
        if (remote::CallServer(conn, app::Login, app::login::Login, packet))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the login answered false";
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "the login failed: " << e.what();
    }
}

void expectServing(const ServerProcess& server)
{
    ASSERT_TRUE(server.alive()) << server.log();
    EXPECT_TRUE(logsIn(server));
}

class HostileInputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_db = makeDemoDatabase(); }

    std::unique_ptr<ServerProcess> start(std::vector<std::string> args = {})
    {
        return std::make_unique<ServerProcess>(s_db, std::move(args));
    }

    static inline std::string s_db;
};

struct BodyCase {
    const char* label;
    Bytes body;
};

TEST_F(HostileInputTest, MalformedEnvelopesAreBadRequests)
{
    const Bytes login = createObject(app::Login);
    const Bytes packed = remote::envelope::pack(login);
    const uint32_t payload = static_cast<uint32_t>(login.size() - 8);
    auto withSize = [&](uint32_t field) {
        return remote::envelope::pack(block(
            remote::RequestBlock | remote::action::CreateObject,
            [](remote::TvelDataBlock& b) { writeText(b, app::Login); }, field));
    };
    const std::vector<BodyCase> cases = {
        {"plain text", Bytes{'h', 'e', 'l', 'l', 'o', ',', ' ', 's', 'e', 'r', 'v', 'e', 'r'}},
        {"empty", {}},
        {"shorter than the length word", {0x10, 0x00, 0x00}},
        {"no zlib stream after the length word", concat({le32(16), Bytes(16, 0xAB)})},
        {"stream cut short", Bytes(packed.begin(), packed.end() - 6)},
        {"stream longer than declared", withLengthWord(packed, payload + 7)},
        {"stream shorter than declared", withLengthWord(packed, payload + 9)},
        {"block shorter than its header",
         remote::envelope::pack(Bytes{0x04, 0xDA, 0x00, 0x00, 0x00})},
        {"payload size one too large", withSize(payload + 1)},
        {"payload size one too small", withSize(payload - 1)},
        {"payload size near 4 GiB", withSize(0xFFFFFFF0u)},
        {"signature of no block kind", remote::envelope::pack(block(0x0004))},
    };
    auto server = start();
    for (const BodyCase& c : cases) {
        SCOPED_TRACE(c.label);
        const RawAnswer a = post(server->port(), c.body);
        EXPECT_EQ(a.status, 400);
        EXPECT_EQ(text(a.body), std::string(remote::InvalidDataPacket) + "\n");
        expectServing(*server);
    }
}

TEST_F(HostileInputTest, ZipBombsAreRefusedWithoutExhaustingMemory)
{
    // A gigabyte of zeros in about a megabyte.
    const Bytes bomb = zlibOfZeros(
        block(remote::RequestBlock | remote::action::CreateObject, {}, 1024 * MiB), 1024);
    ASSERT_GT(inflatedSize(bomb, ServerLimit + MiB), ServerLimit);
    const std::vector<BodyCase> cases = {
        {"declares 4 GiB", withLengthWord(remote::envelope::pack(createObject("x")), 0xFFFFFFFFu)},
        {"declares 4 GiB, holds a gigabyte", concat({le32(0xFFFFFFFFu), bomb})},
        {"declares the limit, holds a gigabyte", concat({le32(ServerLimit), bomb})},
        {"declares a mebibyte, holds a gigabyte", concat({le32(MiB), bomb})},
    };
    auto server = start();
    for (const BodyCase& c : cases) {
        SCOPED_TRACE(c.label);
        const RawAnswer a = post(server->port(), c.body);
        EXPECT_EQ(a.status, 400);
        expectServing(*server);
    }
    EXPECT_LT(server->peakResidentBytes(), MemoryCeiling);
}

/// A request block whose payload goes on with `zeros` zero bytes beyond what `fill` writes;
/// the header counts them.
Bytes blockBeforeZeros(uint32_t signature, const std::function<void(remote::TvelDataBlock&)>& fill,
                       std::size_t zeros)
{
    const std::size_t payload = block(signature, fill).size() - 8;
    return block(signature, fill, static_cast<uint32_t>(payload + zeros));
}

remote::ObjectId createdLoginObject(uint16_t port)
{
    const RawAnswer a = post(port, remote::envelope::pack(createObject(app::Login)));
    const Bytes plain = remote::envelope::unpack(a.body);
    remote::TvelDataBlock reply;
    reply.LoadBytes(plain.data(), plain.size(), remote::CheckLength::Yes);
    return remote::readValue(reply).objectId();
}

// Blocks inside the limits made of the smallest values there are: each four zero bytes is an
// empty value, which must not cost the server the memory of a decoded one.
TEST_F(HostileInputTest, FloodsOfEmptyValuesAreRefusedWithoutExhaustingMemory)
{
    constexpr std::size_t ZeroMiB = 60;
    constexpr auto count = static_cast<uint32_t>(ZeroMiB * MiB / 4);
    auto server = start();
    const remote::ObjectId login = createdLoginObject(server->port());
    const std::vector<BodyCase> cases = {
        {"an object name that is an array of empty values",
         blockBeforeZeros(
             remote::RequestBlock | remote::action::CreateObject,
             [&](remote::TvelDataBlock& b) {
                 for (uint32_t word : {0x200Cu, 1u, 0u, count - 1})
                     remote::writeUInt32(b, word);
             },
             ZeroMiB * MiB)},
        {"an invoke with as many empty arguments",
         blockBeforeZeros(
             remote::RequestBlock | remote::action::Invoke,
             [&](remote::TvelDataBlock& b) {
                 remote::writeObjectId(b, login);
                 for (int32_t v : {app::login::Login, 1})
                     remote::writeValue(b, remote::RemoteValue::int32(v));
                 remote::writeValue(b, remote::RemoteValue::boolean(true));
                 for (int32_t v : {static_cast<int32_t>(count), 0})
                     remote::writeValue(b, remote::RemoteValue::int32(v));
             },
             ZeroMiB * MiB)},
    };
    for (const BodyCase& c : cases) {
        SCOPED_TRACE(c.label);
        const auto length = static_cast<uint32_t>(c.body.size() + ZeroMiB * MiB);
        const RawAnswer a =
            post(server->port(), concat({le32(length), zlibOfZeros(c.body, ZeroMiB)}));
        ASSERT_EQ(a.status, 200);
        EXPECT_EQ(errorReplyText(a.body), remote::InvalidDataPacket);
        expectServing(*server);
        EXPECT_LT(server->peakResidentBytes(), MemoryCeiling);
    }
}

struct ReplyCase {
    const char* label;
    Bytes block;
    std::string message;
};

TEST_F(HostileInputTest, RefusedRequestsGetTheErrorReplyTheClientReads)
{
    const std::string unknownClass = "{11111111-2222-3333-4444-555555555555}";
    const std::vector<ReplyCase> cases = {
        {"unknown action", block(remote::RequestBlock | 0x77), "Invalid action received: 119"},
        {"unknown class", createObject(unknownClass), "Object not available: " + unknownClass},
        {"unknown programmatic name", createObject("Nowhere.Server"),
         "Object not available: Nowhere.Server"},
        {"invoke on an unknown object",
         block(remote::RequestBlock | remote::action::Invoke,
               [](remote::TvelDataBlock& b) {
                   remote::writeObjectId(b, remote::ObjectId{0xDE, 0xAD, 0xBE, 0xEF});
                   remote::writeValue(b, remote::RemoteValue::int32(app::login::Login));
                   remote::writeValue(b, remote::RemoteValue::int32(1));
                   remote::writeValue(b, remote::RemoteValue::boolean(true));
                   remote::writeValue(b, remote::RemoteValue::int32(0));
                   remote::writeValue(b, remote::RemoteValue::int32(0));
               }),
         remote::ServerObjectGone},
    };
    auto server = start();
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.label);
        const RawAnswer a = post(server->port(), remote::envelope::pack(c.block));
        ASSERT_EQ(a.status, 200);
        EXPECT_EQ(errorReplyText(a.body), c.message);
        expectServing(*server);
    }
}

struct MethodCase {
    const char* method;
    std::string target;
    int status;
};

TEST_F(HostileInputTest, OnlyPostToTheScriptIsServed)
{
    const std::string script(Script);
    const std::vector<MethodCase> cases = {
        {"GET", script, 405},
        {"PUT", script, 405},
        {"DELETE", script + "?x=1", 405},
        {"POST", "/", 404},
        {"POST", "/scripts/Other.dll", 404},
        {"POST", script + "/more", 404},
        {"GET", "/favicon.ico", 404},
    };
    auto server = start();
    for (const MethodCase& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.target);
        RawClient client(server->port());
        client.send(request(c.method, c.target, "x"));
        EXPECT_EQ(client.answer().status, c.status);
        expectServing(*server);
    }
}

struct RawCase {
    const char* label;
    std::string bytes;
    /// The one answer allowed besides closing the connection.
    int status;
};

TEST_F(HostileInputTest, BrokenHttpIsAnsweredOrClosedWithoutReadingTheBody)
{
    const std::string head = "POST " + std::string(Script) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    const std::string someBody(64 * 1024, 'z');
    const std::vector<RawCase> cases = {
        {"body above the limit",
         head + "Content-Length: " + std::to_string(ServerLimit + 1) + "\r\n\r\n" + someBody, 413},
        {"body of a terabyte", head + "Content-Length: 1099511627776\r\n\r\n" + someBody, 413},
        {"chunk above the limit", head + "Transfer-Encoding: chunked\r\n\r\n8000000\r\n" + someBody,
         413},
        {"unreadable length", head + "Content-Length: -5\r\n\r\nabc", 400},
        {"header without end", head + "X-Fill: " + std::string(64 * 1024, 'h'), 431},
        {"not HTTP", std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11), 400},
    };
    auto server = start();
    for (const RawCase& c : cases) {
        SCOPED_TRACE(c.label);
        RawClient client(server->port());
        client.send(c.bytes);
        const int status = client.answer().status;
        EXPECT_TRUE(status == c.status || status == ClosedWithoutAnswer) << status;
        expectServing(*server);
    }
}

TEST_F(HostileInputTest, StalledClientsAreCutOffWhileOthersAreServed)
{
    const std::string full = request("POST", Script, std::string(100, 'b'));
    const std::vector<std::string> stalled = {
        "",
        full.substr(0, full.find("Content-Length")),
        full.substr(0, full.find("\r\n\r\n") + 4 + 10),
    };
    // More stalled clients than threads: none of them may hold a thread while it waits.
    auto server = start({"--read-timeout", "1", "--threads", "2"});
    std::vector<std::unique_ptr<RawClient>> clients;
    for (const std::string& prefix : stalled) {
        clients.push_back(std::make_unique<RawClient>(server->port()));
        clients.back()->send(prefix);
    }
    EXPECT_TRUE(logsIn(*server));
    for (std::size_t i = 0; i < clients.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(clients[i]->answer().status, ClosedWithoutAnswer);
    }
    expectServing(*server);
}

TEST_F(HostileInputTest, AKeptSocketTheServerClosedIsReplacedOnTheNextCall)
{
    // The client keeps its socket between calls; a user idle beyond the server's read timeout
    // finds it closed and must not notice.
    auto server = start({"--read-timeout", "1"});
    remote::TIntellegentWebconn conn("Login");
    conn.setURL(server->url());
    for (int call = 0; call < 2; ++call) {
        SCOPED_TRACE(call);
        LoginPacket packet("DEMO", "admin", "admin");
        conn.setServerGUID(std::string(app::Login));
        EXPECT_TRUE(remote::CallServer(conn, app::Login, app::login::Login, packet));
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    }
    expectServing(*server);
}

TEST_F(HostileInputTest, ConnectionsBeyondTheBoundAreTurnedAway)
{
    constexpr std::size_t Bound = 8;
    constexpr std::size_t Opened = 20;
    auto server = start({"--max-connections", std::to_string(Bound)});
    std::vector<std::unique_ptr<RawClient>> clients;
    for (std::size_t i = 0; i < Opened; ++i)
        clients.push_back(std::make_unique<RawClient>(server->port()));

    // The connections over the bound are refused at once; the others wait for a request.
    std::set<std::size_t> refused;
    const auto deadline = Clock::now() + Patience;
    while (refused.size() < Opened - Bound && Clock::now() < deadline) {
        std::vector<pollfd> polls;
        for (std::size_t i = 0; i < Opened; ++i)
            if (!refused.contains(i)) polls.push_back({clients[i]->fd(), POLLIN, 0});
        if (::poll(polls.data(), polls.size(), 100) <= 0) continue;
        for (std::size_t i = 0; i < Opened; ++i) {
            if (refused.contains(i) || clients[i]->quiet()) continue;
            const int status = clients[i]->answer().status;
            EXPECT_TRUE(status == 503 || status == ClosedWithoutAnswer) << status;
            refused.insert(i);
        }
    }
    EXPECT_EQ(refused.size(), Opened - Bound);
    for (std::size_t i = 0; i < Opened; ++i)
        if (!refused.contains(i)) {
            EXPECT_TRUE(clients[i]->quiet()) << i;
        }

    clients.clear();
    // The server notices the closed connections in its own time.
    ::testing::AssertionResult login = logsIn(*server);
    while (!login && Clock::now() < deadline + Patience) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        login = logsIn(*server);
    }
    EXPECT_TRUE(login);
    EXPECT_TRUE(server->alive());
}

} // namespace
} // namespace corvo::server::test
