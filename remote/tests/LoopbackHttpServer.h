#pragma once

#include "remote/TVelDataBlockInterpreter.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvo::remote::test {

/// How the server answers the next requests.
enum class Answer { Serve, Status500, CloseEarly, Garbage, Empty, Truncated, Silent };

struct SeenRequest {
    uint32_t act = 0;
    std::string cookie;
    std::string agent;
    std::string accept;
};

/// A certificate and its key in PEM, for a TLS listener.
struct TlsIdentity {
    std::string certificatePem;
    std::string privateKeyPem;
};

/// A loopback HTTP/1.1 server (or HTTPS with an identity): keep-alive, one thread per
/// connection, each POST's envelope handed to the serving peer unless told to misbehave.
class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(TVelDataBlockInterpreter& peer, const TlsIdentity* tls = nullptr);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    /// The script URL, on 127.0.0.1 or on the host name given.
    std::string url(const std::string& host = "127.0.0.1") const;
    void answer(Answer a) { m_answer = a; }
    void setCookie(std::string c);
    std::vector<SeenRequest> requests() const;
    std::vector<uint32_t> actions() const;
    int connections() const { return m_connections; }

private:
    class Stream;
    bool waitReadable(int fd) const;
    void acceptLoop();
    bool receive(Stream& s, std::string& buf) const;
    void serveConnection(Stream& s);
    bool respond(Stream& s, const std::string& head, const std::string& body);

    TVelDataBlockInterpreter& m_peer;
    void* m_tls = nullptr; // SSL_CTX
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

/// A throw-away certificate authority and a server certificate it signed for "localhost" and
/// 127.0.0.1, made fresh in memory (nothing read from disk).
struct TestCertificates {
    std::string caPem;
    TlsIdentity server;
};
TestCertificates makeTestCertificates();

} // namespace corvo::remote::test
