// The HTTP server on its own, through real sockets: keep-alive, the bounds of a request, the
// timeouts and what a handler answers.
#include "server/http/HttpServer.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace corvo::server {
namespace {

using namespace std::chrono_literals;

/// Echoes the method, the target and the body's size; "/throw" throws, "/status/N" answers N.
HttpAnswer echo(const HttpExchange& request)
{
    const std::string target(request.target);
    if (target == "/throw") throw std::runtime_error("handler failed");
    HttpAnswer answer;
    if (target.rfind("/status/", 0) == 0) {
        answer.status = std::stoi(target.substr(8));
        answer.reason = answer.status == 404 ? "Not Found" : "Method Not Allowed";
    }
    const std::string text =
        std::string(request.method) + " " + target + " " + std::to_string(request.body.size());
    answer.body.assign(text.begin(), text.end());
    return answer;
}

/// A server on a free loopback port, serving on a thread of its own until the end.
class RunningServer {
public:
    explicit RunningServer(HttpServerOptions options = {})
    {
        options.port = 0;
        options.threads = 2;
        m_server = std::make_unique<HttpServer>(options, echo);
        m_thread = std::thread([this] { m_server->run(false); });
    }
    ~RunningServer()
    {
        m_server->stop();
        m_thread.join();
    }
    uint16_t port() const { return m_server->port(); }

private:
    std::unique_ptr<HttpServer> m_server;
    std::thread m_thread;
};

/// A plain TCP client; every read gives up after 10 s so a fault cannot hang the test.
class Client {
public:
    explicit Client(uint16_t port) : m_fd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        timeval limit{10, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot connect");
    }
    ~Client() { ::close(m_fd); }

    void send(const std::string& bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return; // the server may close early; what it answered still counts
            sent += static_cast<std::size_t>(n);
        }
    }
    /// One whole response (headers and a Content-Length body); "" when the server closed
    /// the connection first.
    std::string response()
    {
        for (;;) {
            const std::size_t end = m_pending.find("\r\n\r\n");
            if (end != std::string::npos) {
                const std::size_t at = m_pending.find("Content-Length: ");
                const std::size_t length =
                    at < end ? std::stoul(m_pending.substr(at + 16)) : std::size_t{0};
                if (m_pending.size() >= end + 4 + length) {
                    std::string out = m_pending.substr(0, end + 4 + length);
                    m_pending.erase(0, out.size());
                    return out;
                }
            }
            if (!receive()) return {};
        }
    }
    /// Whether the server closed the connection (rather than the wait running out).
    bool closedByServer()
    {
        while (receive()) {
        }
        return m_closed;
    }

private:
    bool receive()
    {
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            m_pending.append(buffer, static_cast<std::size_t>(n));
            return true;
        }
        m_closed = n == 0 || errno == ECONNRESET;
        return false;
    }

    int m_fd;
    std::string m_pending;
    bool m_closed = false;
};

std::string post(const std::string& target, const std::string& body,
                 const std::string& extraHeaders = {})
{
    return "POST " + target + " HTTP/1.1\r\nHost: localhost\r\n" + extraHeaders +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string statusLine(const std::string& response)
{
    return response.substr(0, response.find("\r\n"));
}

std::string bodyOf(const std::string& response)
{
    return response.substr(response.find("\r\n\r\n") + 4);
}

TEST(HttpServer, KeepsTheConnectionForTheNextRequest)
{
    RunningServer server;
    Client client(server.port());
    client.send(post("/a", "12345"));
    const std::string first = client.response();
    EXPECT_EQ(statusLine(first), "HTTP/1.1 200 OK");
    EXPECT_EQ(bodyOf(first), "POST /a 5");
    // Two requests in one write: both answered in order on the same connection.
    client.send(post("/b", "") + post("/c", "xy"));
    EXPECT_EQ(bodyOf(client.response()), "POST /b 0");
    EXPECT_EQ(bodyOf(client.response()), "POST /c 2");
}

TEST(HttpServer, ClosesAfterTheAnswerWhenTheClientAsksTo)
{
    RunningServer server;
    Client client(server.port());
    client.send(post("/a", "", "Connection: close\r\n"));
    EXPECT_EQ(statusLine(client.response()), "HTTP/1.1 200 OK");
    EXPECT_TRUE(client.closedByServer());
}

TEST(HttpServer, HandlerStatusesGoOutAsGivenAndAThrowingHandlerGives500)
{
    RunningServer server;
    Client client(server.port());
    for (const auto& [target, status] :
         {std::pair{"/status/404", "HTTP/1.1 404 Not Found"},
          std::pair{"/status/405", "HTTP/1.1 405 Method Not Allowed"},
          std::pair{"/throw", "HTTP/1.1 500 Internal Server Error"},
          std::pair{"/after", "HTTP/1.1 200 OK"}}) {
        client.send(post(target, ""));
        EXPECT_EQ(statusLine(client.response()), status) << target;
    }
}

TEST(HttpServer, RefusesARequestOverItsBoundsAndCloses)
{
    HttpServerOptions options;
    options.maxBodyBytes = 1000;
    RunningServer server(options);
    struct Case {
        const char* name;
        std::string request;
        const char* status;
    };
    const Case cases[] = {
        {"body at the bound", post("/a", std::string(1000, 'b')), "HTTP/1.1 200 OK"},
        {"body over the bound", post("/a", std::string(1001, 'b')),
         "HTTP/1.1 413 Payload Too Large"},
        {"headers over 16 KiB", post("/a", "", "X-Big: " + std::string(17 * 1024, 'h') + "\r\n"),
         "HTTP/1.1 431 Request Header Fields Too Large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Client client(server.port());
        client.send(c.request);
        EXPECT_EQ(statusLine(client.response()), c.status);
        if (std::string(c.status) != "HTTP/1.1 200 OK") {
            EXPECT_TRUE(client.closedByServer());
        }
    }
}

TEST(HttpServer, ASilentOrUnfinishedClientIsCutOffAfterTheReadTimeout)
{
    HttpServerOptions options;
    options.readTimeout = 1s;
    RunningServer server(options);
    Client silent(server.port());
    Client halfway(server.port());
    halfway.send("POST /a HTTP/1.1\r\nHost: localhost\r\nContent-Length: 10\r\n\r\n12345");
    Client idle(server.port());
    idle.send(post("/a", ""));
    EXPECT_EQ(statusLine(idle.response()), "HTTP/1.1 200 OK");
    // Each read of the clients waits up to 10 s: a closed connection is the server's doing.
    EXPECT_TRUE(silent.closedByServer());
    EXPECT_TRUE(halfway.closedByServer());
    EXPECT_TRUE(idle.closedByServer());
}

TEST(HttpServer, ConnectionsOverTheBoundAreRefusedWith503)
{
    HttpServerOptions options;
    options.maxConnections = 1;
    RunningServer server(options);
    Client first(server.port());
    first.send(post("/a", ""));
    EXPECT_EQ(statusLine(first.response()), "HTTP/1.1 200 OK");
    Client second(server.port());
    EXPECT_EQ(statusLine(second.response()), "HTTP/1.1 503 Service Unavailable");
    EXPECT_TRUE(second.closedByServer());
    first.send(post("/b", ""));
    EXPECT_EQ(bodyOf(first.response()), "POST /b 0");
}

} // namespace
} // namespace corvo::server
