#pragma once

#include "HttpExchange.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corvo::server {

struct HttpServerOptions {
    std::string host = "127.0.0.1";
    uint16_t port = 8211; ///< 0 picks a free port
    int threads = 4;      ///< requests served at once (handlers block on the database)
    std::size_t maxConnections = 512;
    std::size_t maxBodyBytes = std::size_t{64} << 20;
    /// A client must deliver each whole request within this time once it has started one, and
    /// a kept-alive connection that stays silent this long is closed.
    std::chrono::seconds readTimeout{30};
    std::chrono::seconds writeTimeout{60};
    /// Both set: https only (TLS 1.2 or later) with this certificate chain and private key,
    /// PEM files.
    std::string tlsCertFile;
    std::string tlsKeyFile;
};

/// HTTP/1.1 with keep-alive on a pool of threads. Stopping finishes the requests in flight,
/// closes idle connections and refuses new ones.
class HttpServer {
public:
    using Handler = std::function<HttpAnswer(const HttpExchange&)>;

    /// Binds and listens; throws corvo::Error when the address cannot be had or the TLS files
    /// cannot be read.
    HttpServer(HttpServerOptions options, Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    uint16_t port() const noexcept;
    /// Whether it serves https.
    bool secure() const noexcept;
    /// Serves until stop() or, when asked, SIGINT/SIGTERM; then returns.
    void run(bool stopOnSignals);
    /// Thread-safe; also from a handler.
    void stop();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace corvo::server
