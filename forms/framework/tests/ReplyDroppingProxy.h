#pragma once

// A reply lost on its way back: a loopback proxy between a form's connection and the real
// server. Every request is forwarded and answered as the server answers, except the first
// one whose body reaches a size (a save; the object requests around it are small): that one
// reaches the server, which stores and answers, and the answer is thrown away. From then on
// the proxy answers nothing, so the client cannot get the answer by sending again.
#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvo::remote {
class TIntellegentWebconn;
}

namespace corvo::forms::test {

class ReplyDroppingProxy {
public:
    /// Points the connection at the proxy until the guard ends.
    ReplyDroppingProxy(remote::TIntellegentWebconn& web, std::size_t droppedBodySize);
    ~ReplyDroppingProxy();
    ReplyDroppingProxy(const ReplyDroppingProxy&) = delete;
    ReplyDroppingProxy& operator=(const ReplyDroppingProxy&) = delete;

    /// How many answers the server gave that the client never saw (0 or 1).
    int dropped() const noexcept { return m_dropped.load(); }

private:
    void acceptLoop();
    void serve(int client);

    remote::TIntellegentWebconn& m_web;
    std::vector<std::string> m_urls;
    std::string m_upstreamHost;
    int m_upstreamPort = 0;
    std::size_t m_droppedBodySize;
    int m_listener = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_dropped{0};
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
    std::vector<int> m_sockets;
    std::thread m_acceptor;
};

} // namespace corvo::forms::test
