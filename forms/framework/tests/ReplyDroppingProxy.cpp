#include "ReplyDroppingProxy.h"

#include "remote/Tvelwebconnection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvo::forms::test {
namespace {

/// Waits for bytes; false on the proxy's end, a closed peer or an error.
bool readSome(int socket, std::string& into, const std::atomic<bool>& stop)
{
    char buffer[16384];
    while (!stop.load()) {
        pollfd p{socket, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready < 0) return false;
        if (ready == 0) continue;
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    return false;
}

bool sendAll(int socket, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

/// One HTTP message (head and Content-Length body) from the front of the buffer; false when
/// the peer closed first. The buffer keeps what follows it.
bool readMessage(int socket, std::string& buffer, std::string& message, std::size_t& bodySize,
                 const std::atomic<bool>& stop)
{
    std::size_t headEnd;
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos)
        if (!readSome(socket, buffer, stop)) return false;
    headEnd += 4;
    bodySize = 0;
    for (std::size_t line = buffer.find("\r\n") + 2; line < headEnd - 2;) {
        const std::size_t end = buffer.find("\r\n", line);
        static constexpr char Length[] = "content-length:";
        if (end - line > sizeof Length - 1 &&
            ::strncasecmp(buffer.data() + line, Length, sizeof Length - 1) == 0)
            bodySize = std::stoul(buffer.substr(line + sizeof Length - 1, end - line));
        line = end + 2;
    }
    while (buffer.size() < headEnd + bodySize)
        if (!readSome(socket, buffer, stop)) return false;
    message = buffer.substr(0, headEnd + bodySize);
    buffer.erase(0, headEnd + bodySize);
    return true;
}

int listenOnLoopback(int& port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(s, 16) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("the proxy cannot listen");
    port = ntohs(address.sin_port);
    return s;
}

int connectTo(const std::string& host, int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(s);
        return -1;
    }
    return s;
}

} // namespace

ReplyDroppingProxy::ReplyDroppingProxy(remote::TIntellegentWebconn& web,
                                       std::size_t droppedBodySize)
    : m_web(web), m_urls(web.Urls()), m_droppedBodySize(droppedBodySize)
{
    // http://host:port/path
    const std::string& url = m_urls.at(0);
    const std::size_t hostStart = url.find("://") + 3;
    const std::size_t colon = url.find(':', hostStart);
    const std::size_t path = url.find('/', hostStart);
    m_upstreamHost = url.substr(hostStart, colon - hostStart);
    m_upstreamPort = std::stoi(url.substr(colon + 1, path - colon - 1));
    int port = 0;
    m_listener = listenOnLoopback(port);
    m_acceptor = std::thread([this] { acceptLoop(); });
    web.setUrls({"http://127.0.0.1:" + std::to_string(port) + url.substr(path)});
}

ReplyDroppingProxy::~ReplyDroppingProxy()
{
    m_web.setUrls(m_urls);
    m_stop = true;
    m_acceptor.join();
    for (std::thread& t : m_threads)
        t.join();
    ::close(m_listener);
}

void ReplyDroppingProxy::acceptLoop()
{
    while (!m_stop.load()) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0) continue;
        const std::lock_guard lock(m_mutex);
        m_threads.emplace_back([this, client] { serve(client); });
    }
}

void ReplyDroppingProxy::serve(int client)
{
    const int upstream = m_dropped.load() ? -1 : connectTo(m_upstreamHost, m_upstreamPort);
    std::string fromClient, fromServer, request, reply;
    std::size_t requestBody = 0, replyBody = 0;
    while (upstream >= 0 && !m_stop.load() && !m_dropped.load() &&
           readMessage(client, fromClient, request, requestBody, m_stop)) {
        if (!sendAll(upstream, request) ||
            !readMessage(upstream, fromServer, reply, replyBody, m_stop))
            break;
        if (requestBody >= m_droppedBodySize && m_dropped.exchange(1) == 0) break;
        if (!sendAll(client, reply)) break;
    }
    if (upstream >= 0) ::close(upstream);
    ::close(client);
}

} // namespace corvo::forms::test
