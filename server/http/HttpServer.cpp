// All of the Boost.Beast code lives in this one file: it is slow to compile.
#include "HttpServer.h"

#include "entity/Error.h"

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <list>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

namespace corvo::server {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

namespace {
constexpr std::size_t HeaderLimit = 16 * 1024;
constexpr std::chrono::seconds DrainDeadline{30};

/// What the server needs of a connection whatever its stream.
class ConnectionBase {
public:
    virtual ~ConnectionBase() = default;
    virtual void start() = 0;
    /// Closes the connection if it is waiting for a request; one being served finishes first.
    virtual void closeIfIdle() = 0;

    std::list<std::weak_ptr<ConnectionBase>>::iterator position;
};

using PlainStream = beast::tcp_stream;
using SecureStream = beast::ssl_stream<beast::tcp_stream>;
} // namespace

class HttpServer::Impl {
public:
    Impl(HttpServerOptions options, Handler handler)
        : options(std::move(options)), handler(std::move(handler)), acceptor(ioc), signals(ioc)
    {
        beast::error_code ec;
        const auto address = net::ip::make_address(this->options.host, ec);
        if (ec) throw Error("Not an IP address to listen on: " + this->options.host);
        const tcp::endpoint endpoint(address, this->options.port);
        acceptor.open(endpoint.protocol(), ec);
        if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
        if (!ec) acceptor.bind(endpoint, ec);
        if (!ec) acceptor.listen(net::socket_base::max_listen_connections, ec);
        if (ec)
            throw Error("Cannot listen on " + this->options.host + ":" +
                        std::to_string(this->options.port) + ": " + ec.message());
        boundPort = acceptor.local_endpoint().port();
        if (!this->options.tlsCertFile.empty()) {
            tls.emplace(net::ssl::context::tls_server);
            tls->set_options(net::ssl::context::default_workarounds | net::ssl::context::no_sslv2 |
                             net::ssl::context::no_sslv3 | net::ssl::context::no_tlsv1 |
                             net::ssl::context::no_tlsv1_1);
            tls->use_certificate_chain_file(this->options.tlsCertFile, ec);
            if (ec)
                throw Error("Cannot read the certificate " + this->options.tlsCertFile + ": " +
                            ec.message());
            tls->use_private_key_file(this->options.tlsKeyFile, net::ssl::context::pem, ec);
            if (ec)
                throw Error("Cannot read the private key " + this->options.tlsKeyFile + ": " +
                            ec.message());
        }
    }

    template <class Stream> class Connection;

    void accept();
    void onAccept(beast::error_code ec, tcp::socket socket);
    void beginStop();
    void drainTick();
    void forget(ConnectionBase* c);

    HttpServerOptions options;
    Handler handler;
    net::io_context ioc;
    tcp::acceptor acceptor;
    net::signal_set signals;
    std::optional<net::steady_timer> drainTimer;
    net::steady_timer acceptPause{ioc};
    std::chrono::steady_clock::time_point drainUntil;
    uint16_t boundPort = 0;
    std::atomic<bool> stopping{false};
    std::mutex lock;
    std::list<std::weak_ptr<ConnectionBase>> connections;
    std::size_t live = 0;
    std::optional<net::ssl::context> tls; ///< set: https only
};

template <class Stream>
class HttpServer::Impl::Connection final : public ConnectionBase,
                                           public std::enable_shared_from_this<Connection<Stream>> {
public:
    template <class... Tls>
    Connection(Impl& server, tcp::socket&& socket, Tls&... tls)
        : server(server), stream(std::move(socket), tls...)
    {
    }
    ~Connection() override { server.forget(this); }

    void start() override
    {
        net::dispatch(stream.get_executor(), [self = this->shared_from_this()] {
            if constexpr (std::is_same_v<Stream, SecureStream>)
                self->handshake();
            else
                self->read();
        });
    }

    void closeIfIdle() override
    {
        net::post(stream.get_executor(), [self = this->shared_from_this()] {
            if (!self->busy) self->socket().close();
        });
    }

private:
    tcp::socket& socket() { return beast::get_lowest_layer(stream).socket(); }

    void handshake()
    {
        // A client that opens a connection and says nothing is cut off like a slow request.
        beast::get_lowest_layer(stream).expires_after(server.options.readTimeout);
        stream.async_handshake(net::ssl::stream_base::server,
                               [self = this->shared_from_this()](beast::error_code ec) {
                                   if (ec) return self->close();
                                   self->read();
                               });
    }

    void read()
    {
        if (server.stopping) return close();
        parser.emplace();
        parser->body_limit(server.options.maxBodyBytes);
        parser->header_limit(HeaderLimit);
        beast::get_lowest_layer(stream).expires_after(server.options.readTimeout);
        http::async_read(stream, buffer, *parser,
                         [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                             self->onRead(ec);
                         });
    }

    void onRead(beast::error_code ec)
    {
        if (ec == http::error::body_limit) return refuse(413, "Payload Too Large");
        // Headers over the bound are answered too, not dropped without a word.
        if (ec == http::error::header_limit) return refuse(431, "Request Header Fields Too Large");
        if (ec) return close();
        busy = true;
        const auto& req = parser->get();
        const auto cookie = req.find(http::field::cookie);
        beast::error_code ignored;
        const auto endpoint = socket().remote_endpoint(ignored);
        const std::string peer = ignored ? std::string() : endpoint.address().to_string();
        HttpExchange exchange{
            std::string_view(req.method_string().data(), req.method_string().size()),
            std::string_view(req.target().data(), req.target().size()),
            cookie == req.end() ? std::string_view{}
                                : std::string_view(cookie->value().data(), cookie->value().size()),
            std::span<const uint8_t>(req.body().data(), req.body().size()), peer};
        HttpAnswer answer;
        try {
            answer = server.handler(exchange);
        } catch (const std::exception& e) {
            answer = HttpAnswer{500, "Internal Server Error", "text/plain; charset=utf-8", {}, {}};
            const std::string text = std::string(e.what()) + "\n";
            answer.body.assign(text.begin(), text.end());
        }
        respond(std::move(answer), req.keep_alive() && !server.stopping, req.version());
    }

    void refuse(int status, const char* reason)
    {
        HttpAnswer answer{status, reason, "text/plain; charset=utf-8", {}, {}};
        busy = true;
        respond(std::move(answer), false, 11);
    }

    void respond(HttpAnswer answer, bool keepAlive, unsigned version)
    {
        response = {};
        response.version(version);
        response.result(static_cast<unsigned>(answer.status));
        response.reason(answer.reason);
        response.set(http::field::server, "corvo-server");
        response.set(http::field::content_type, answer.contentType);
        if (!answer.setCookie.empty()) response.set(http::field::set_cookie, answer.setCookie);
        response.body() = std::move(answer.body);
        response.keep_alive(keepAlive);
        response.prepare_payload();
        beast::get_lowest_layer(stream).expires_after(server.options.writeTimeout);
        http::async_write(stream, response,
                          [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                              self->onWrite(ec);
                          });
    }

    void onWrite(beast::error_code ec)
    {
        busy = false;
        if (ec || !response.keep_alive()) return close();
        read();
    }

    void close()
    {
        beast::error_code ignored;
        socket().shutdown(tcp::socket::shutdown_both, ignored);
        socket().close(ignored);
    }

    Impl& server;
    Stream stream;
    beast::flat_buffer buffer;
    std::optional<http::request_parser<http::vector_body<uint8_t>>> parser;
    http::response<http::vector_body<uint8_t>> response;
    bool busy = false;
};

void HttpServer::Impl::accept()
{
    acceptor.async_accept(net::make_strand(ioc), [this](beast::error_code ec, tcp::socket socket) {
        onAccept(ec, std::move(socket));
    });
}

void HttpServer::Impl::onAccept(beast::error_code ec, tcp::socket socket)
{
    if (stopping || !acceptor.is_open()) return;
    if (!ec) {
        std::shared_ptr<ConnectionBase> c;
        {
            std::lock_guard guard(lock);
            if (live < options.maxConnections) {
                if (tls)
                    c = std::make_shared<Connection<SecureStream>>(*this, std::move(socket), *tls);
                else
                    c = std::make_shared<Connection<PlainStream>>(*this, std::move(socket));
                ++live;
                c->position = connections.insert(connections.end(), c);
            }
        }
        if (c) {
            c->start();
        } else {
            // Over the bound: a short refusal, so the client is not left waiting.
            static constexpr std::string_view busy =
                "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: "
                "close\r\n\r\n";
            beast::error_code ignored;
            socket.non_blocking(true, ignored);
            socket.write_some(net::buffer(busy.data(), busy.size()), ignored);
            socket.close(ignored);
        }
    } else {
        // Out of descriptors, say: wait a moment instead of spinning on the failing accept.
        acceptPause.expires_after(std::chrono::milliseconds(50));
        acceptPause.async_wait([this](beast::error_code) { accept(); });
        return;
    }
    accept();
}

void HttpServer::Impl::forget(ConnectionBase* c)
{
    std::lock_guard guard(lock);
    connections.erase(c->position);
    --live;
}

void HttpServer::Impl::beginStop()
{
    if (stopping.exchange(true)) return;
    net::post(ioc, [this] {
        beast::error_code ignored;
        acceptor.close(ignored);
        signals.cancel(ignored);
        std::vector<std::shared_ptr<ConnectionBase>> open;
        {
            std::lock_guard guard(lock);
            for (auto& w : connections)
                if (auto c = w.lock()) open.push_back(std::move(c));
        }
        for (auto& c : open)
            c->closeIfIdle();
        drainUntil = std::chrono::steady_clock::now() + DrainDeadline;
        drainTimer.emplace(ioc);
        drainTick();
    });
}

void HttpServer::Impl::drainTick()
{
    {
        std::lock_guard guard(lock);
        if (live == 0) return;
    }
    // A request that never finishes must not keep the process alive for ever.
    if (std::chrono::steady_clock::now() >= drainUntil) return ioc.stop();
    drainTimer->expires_after(std::chrono::milliseconds(50));
    drainTimer->async_wait([this](beast::error_code ec) {
        if (!ec) drainTick();
    });
}

HttpServer::HttpServer(HttpServerOptions options, Handler handler)
    : m_impl(std::make_unique<Impl>(std::move(options), std::move(handler)))
{
}

HttpServer::~HttpServer()
{
    m_impl->ioc.stop();
}

bool HttpServer::secure() const noexcept
{
    return m_impl->tls.has_value();
}

uint16_t HttpServer::port() const noexcept
{
    return m_impl->boundPort;
}

void HttpServer::stop()
{
    m_impl->beginStop();
}

void HttpServer::run(bool stopOnSignals)
{
    Impl& s = *m_impl;
    if (stopOnSignals) {
        s.signals.add(SIGINT);
        s.signals.add(SIGTERM);
        s.signals.async_wait([&s](beast::error_code ec, int) {
            if (!ec) s.beginStop();
        });
    }
    s.accept();
    const int threads = std::max(1, s.options.threads);
    std::vector<std::thread> pool;
    for (int i = 1; i < threads; ++i)
        pool.emplace_back([&s] { s.ioc.run(); });
    s.ioc.run();
    for (auto& t : pool)
        t.join();
}

} // namespace corvo::server
