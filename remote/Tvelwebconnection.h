#pragma once

#include "ISendDataBlock.h"
#include "TVelDataBlockInterpreter.h"
#include "Tveldatadispatch.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace corvo::remote {

/// Posts every request block, compressed, to a server script over HTTP(S) and reads the reply.
/// One connection object serves a whole run: it holds the created server object between calls
/// and keeps the cookies the servers hand out for as long as it lives, sending them to every
/// server of its URL list.
class Tvelwebconnection : public ISendDataBlock {
public:
    static constexpr std::chrono::milliseconds ConnectTimeout{10'000};
    static constexpr std::chrono::milliseconds DefaultExchangeTimeout{120'000};

    explicit Tvelwebconnection(std::string name = "Tvelwebconnection");
    /// Closes: the server object is freed at the peer before the transport goes.
    ~Tvelwebconnection() override;

    Tvelwebconnection(const Tvelwebconnection&) = delete;
    Tvelwebconnection& operator=(const Tvelwebconnection&) = delete;

    const std::string& Name() const noexcept { return m_name; }

    const std::string& Agent() const noexcept { return m_agent; }
    void setAgent(std::string agent) { m_agent = std::move(agent); }
    const std::string& UserName() const noexcept { return m_userName; }
    void setUserName(std::string v) { m_userName = std::move(v); }
    const std::string& Password() const noexcept { return m_password; }
    void setPassword(std::string v) { m_password = std::move(v); }
    const std::string& Proxy() const noexcept { return m_proxy; }
    void setProxy(std::string v) { m_proxy = std::move(v); }
    const std::string& ProxyByPass() const noexcept { return m_proxyByPass; }
    void setProxyByPass(std::string v) { m_proxyByPass = std::move(v); }

    /// Certificate authorities (PEM file) trusted for https instead of the system's own.
    const std::string& CaFile() const noexcept { return m_caFile; }
    void setCaFile(std::string path)
    {
        Close();
        m_caFile = std::move(path);
    }

    const std::string& URL() const noexcept { return m_url; }
    /// Closes first; the same text again changes nothing more, an empty text clears the parts.
    /// Only http and https are accepted.
    void setURL(const std::string& url);
    const std::string& scheme() const noexcept { return m_scheme; }
    const std::string& host() const noexcept { return m_host; }
    uint16_t port() const noexcept { return m_port; }
    const std::string& path() const noexcept { return m_path; }

    const std::string& ServerGUID() const noexcept { return m_serverGuid; }
    /// Closes the connection (freeing the previous server object), then stores the GUID.
    void setServerGUID(std::string guid);
    const std::string& ServerName() const noexcept { return m_serverName; }
    void setServerName(std::string name) { m_serverName = std::move(name); }

    /// The whole of one exchange, connect included; a silent server fails after this.
    std::chrono::milliseconds exchangeTimeout() const noexcept { return m_exchangeTimeout; }
    void setExchangeTimeout(std::chrono::milliseconds t) noexcept { m_exchangeTimeout = t; }

    bool Connected() const noexcept { return m_server != nullptr; }
    void setConnected(bool on);
    void Open();
    /// Never raises: a free request the network swallows is ignored.
    void Close();
    /// Opens when needed.
    std::shared_ptr<Tveldatadispatch> GetServer();

    TVelDataBlockInterpreter& interpreter() noexcept { return m_interpreter; }

    /// What went wrong with the last answer that was reported as a faulty packet (for logs).
    const std::string& lastReceiveFailure() const noexcept { return m_lastReceiveFailure; }
    /// The HTTP library's own words for the last exchange that failed before any answer (for
    /// logs; the error raised names the common failures in Chinese). Empty after a success.
    const std::string& lastTransportFailure() const noexcept { return m_lastTransportFailure; }

    bool transportConnected() const noexcept { return m_curl != nullptr; }
    void setTransportConnected(bool on);

    std::unique_ptr<IDataBlock> Send(IDataBlock& block, bool waitForResult) override;

protected:
    virtual void DoConnect();

private:
    struct Response;
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user);
    std::string requestUrl() const;

    std::string m_name;
    std::string m_agent = "Corvo";
    std::string m_userName;
    std::string m_password;
    std::string m_url;
    std::string m_proxy;
    std::string m_proxyByPass;
    std::string m_caFile;
    std::string m_scheme;
    std::string m_host;
    uint16_t m_port = 0;
    std::string m_path;
    std::string m_serverGuid;
    std::string m_serverName;
    std::chrono::milliseconds m_exchangeTimeout = DefaultExchangeTimeout;
    std::string m_lastReceiveFailure;
    std::string m_lastTransportFailure;

    // Kept by the connection, sent to whichever server it talks to.
    std::map<std::string, std::string> m_cookies;
    // The share outlives every easy handle so kept sockets survive a transport reopen.
    void* m_share = nullptr;
    void* m_curl = nullptr;
    TVelDataBlockInterpreter m_interpreter;
    std::shared_ptr<Tveldatadispatch> m_server;
};

/// A web connection that falls back on the other URLs of a list when opening fails.
class TIntellegentWebconn : public Tvelwebconnection {
public:
    explicit TIntellegentWebconn(std::string name = "TIntellegentWebconn");

    const std::vector<std::string>& Urls() const noexcept { return m_urls; }
    /// Copies the list and resets the failover state.
    void setUrls(std::vector<std::string> urls);
    bool untried(std::size_t index) const { return m_untried.at(index); }

    /// Opens with the current URL, then with each untried entry after the first, each at most
    /// once; raises the error of the last attempt when all fail.
    void ConnectWithFailover();

private:
    void resetFailover();

    std::vector<std::string> m_urls;
    std::vector<bool> m_untried;
};

} // namespace corvo::remote
