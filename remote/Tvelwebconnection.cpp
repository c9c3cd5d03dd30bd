#include "Tvelwebconnection.h"

#include "Envelope.h"
#include "entity/Error.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <csignal>
#include <curl/curl.h>
#include <mutex>

namespace corvo::remote {

namespace {

constexpr const char* BadUrl =
    "URL must be of the form http[s]://host[:port]/scripts/server-script (http or https only)";

// Far above any real reply; a server streaming without end is cut off here.
constexpr std::size_t MaxBody = envelope::DefaultMaxLength + (std::size_t{1} << 20);

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        // With CURLOPT_NOSIGNAL the HTTP library leaves SIGPIPE to us: a kept-alive socket the
        // server has closed must fail the write, not end the program.
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGPIPE, SIG_IGN);
    });
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

CURL* easy(void* p)
{
    return static_cast<CURL*>(p);
}

struct Headers {
    curl_slist* list = nullptr;
    Headers()
    {
        // No form content type, no 100-continue round trip: the body goes as it is.
        for (const char* h : {"Accept: application/octet-stream", "Connection: keep-alive",
                              "Content-Type:", "Expect:"})
            list = curl_slist_append(list, h);
    }
    ~Headers() { curl_slist_free_all(list); }
    Headers(const Headers&) = delete;
    Headers& operator=(const Headers&) = delete;
};

/// The user's words for the failures a user meets before any answer; nullptr for the rare
/// ones, which keep the library's text.
const char* userText(CURLcode rc)
{
    switch (rc) {
    case CURLE_COULDNT_CONNECT:
        return "无法与服务器建立连接";
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return "无法解析服务器的名称或地址";
    case CURLE_OPERATION_TIMEDOUT:
        return "操作超时";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ISSUER_ERROR:
        return "证书颁发机构无效或不正确";
    default:
        return nullptr;
    }
}

} // namespace

struct Tvelwebconnection::Response {
    long status = 0;
    std::string statusText;
    bool refused = false;
    bool tooLong = false;
    Bytes body;
    std::vector<std::string> cookies; ///< "name=value" of every Set-Cookie
};

Tvelwebconnection::Tvelwebconnection(std::string name)
    : m_name(std::move(name)), m_interpreter(this, "Web")
{
    initCurlOnce();
    CURLSH* share = curl_share_init();
    if (!share) throw Error("Cannot initialise the HTTP library");
    // Closing drops the server object and the HTTP handle, not the kept-alive socket: the next
    // call's handle takes it (and the TLS session) from the share instead of connecting anew.
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    m_share = share;
}

Tvelwebconnection::~Tvelwebconnection()
{
    Close();
    curl_share_cleanup(static_cast<CURLSH*>(m_share));
}

void Tvelwebconnection::setURL(const std::string& url)
{
    Close();
    if (url == m_url) return;
    if (url.empty()) {
        m_url.clear();
        m_scheme.clear();
        m_host.clear();
        m_port = 0;
        m_path.clear();
        return;
    }
    const std::size_t sep = url.find("://");
    if (sep == std::string::npos) throw Error(BadUrl);
    const std::string scheme = lower(url.substr(0, sep));
    if (scheme != "http" && scheme != "https") throw Error(BadUrl);
    const std::size_t hostStart = sep + 3;
    const std::size_t pathStart = std::min(url.find('/', hostStart), url.size());
    std::string authority = url.substr(hostStart, pathStart - hostStart);
    uint16_t port = scheme == "https" ? 443 : 80;
    if (const std::size_t colon = authority.rfind(':');
        colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
        const std::string digits = authority.substr(colon + 1);
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() ||
            value == 0 || value > 65535)
            throw Error(BadUrl);
        port = static_cast<uint16_t>(value);
        authority.resize(colon);
    }
    m_url = url;
    m_scheme = scheme;
    m_host = authority;
    m_port = port;
    m_path = pathStart < url.size() ? url.substr(pathStart) : "/";
}

void Tvelwebconnection::setServerGUID(std::string guid)
{
    Close();
    m_serverGuid = std::move(guid);
}

void Tvelwebconnection::setConnected(bool on)
{
    if (on)
        Open();
    else
        Close();
}

void Tvelwebconnection::Open()
{
    if (!Connected()) DoConnect();
}

void Tvelwebconnection::Close()
{
    // The proxy's release sends the free request, so the transport must still be there.
    m_server.reset();
    setTransportConnected(false);
}

std::shared_ptr<Tveldatadispatch> Tvelwebconnection::GetServer()
{
    Open();
    return m_server;
}

void Tvelwebconnection::DoConnect()
{
    const std::string identity = !m_serverGuid.empty() ? m_serverGuid : m_serverName;
    if (identity.empty())
        throw Error("Cannot connect, " + m_name + " must contain a valid ServerName or ServerGUID");
    try {
        setTransportConnected(true);
        auto server = m_interpreter.SendCreateObject(identity);
        if (!server) throw Error(InvalidDataPacket);
        m_server = std::move(server);
    } catch (...) {
        setTransportConnected(false);
        throw;
    }
}

void Tvelwebconnection::setTransportConnected(bool on)
{
    if (!on) {
        if (m_curl) curl_easy_cleanup(easy(m_curl));
        m_curl = nullptr;
        return;
    }
    if (m_curl) return;
    if (m_host.empty()) throw Error("URL required");
    CURL* h = curl_easy_init();
    if (!h) throw Error("Cannot initialise the HTTP library");
    curl_easy_setopt(h, CURLOPT_SHARE, static_cast<CURLSH*>(m_share));
    curl_easy_setopt(h, CURLOPT_USERAGENT, m_agent.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_TCP_KEEPALIVE, 1L);
    if (!m_caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, m_caFile.c_str());
    if (!m_userName.empty()) curl_easy_setopt(h, CURLOPT_USERNAME, m_userName.c_str());
    if (!m_password.empty()) curl_easy_setopt(h, CURLOPT_PASSWORD, m_password.c_str());
    if (!m_proxy.empty()) {
        curl_easy_setopt(h, CURLOPT_PROXY, m_proxy.c_str());
        if (!m_proxyByPass.empty()) curl_easy_setopt(h, CURLOPT_NOPROXY, m_proxyByPass.c_str());
    }
    m_curl = h;
}

std::string Tvelwebconnection::requestUrl() const
{
    const bool v6 = m_host.find(':') != std::string::npos && m_host.front() != '[';
    const std::string host = v6 ? "[" + m_host + "]" : m_host;
    return m_scheme + "://" + host + ":" + std::to_string(m_port) + m_path;
}

std::size_t Tvelwebconnection::onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& r = *static_cast<Response*>(user);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        // A later status line (after 100 Continue) replaces an earlier one.
        r.status = 0;
        r.statusText.clear();
        const std::size_t codeAt = line.find(' ');
        if (codeAt != std::string_view::npos) {
            const std::string_view rest = line.substr(codeAt + 1);
            std::from_chars(rest.data(), rest.data() + rest.size(), r.status);
            const std::size_t textAt = rest.find(' ');
            if (textAt != std::string_view::npos) {
                std::string_view text = rest.substr(textAt + 1);
                while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
                    text.remove_suffix(1);
                r.statusText = std::string(text.substr(0, 4096));
            }
        }
    } else if (line.size() > 11 && lower(std::string(line.substr(0, 11))) == "set-cookie:") {
        std::string_view pair = line.substr(11);
        pair = pair.substr(0, pair.find_first_of(";\r\n"));
        while (!pair.empty() && pair.front() == ' ')
            pair.remove_prefix(1);
        while (!pair.empty() && pair.back() == ' ')
            pair.remove_suffix(1);
        if (pair.find('=') != std::string_view::npos) r.cookies.emplace_back(pair);
    } else if ((line == "\r\n" || line == "\n") && r.status >= 300) {
        // A refused request fails on its status alone; its body is never read.
        r.refused = true;
        return 0;
    }
    return size * count;
}

std::size_t Tvelwebconnection::onBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& r = *static_cast<Response*>(user);
    const std::size_t n = size * count;
    if (r.body.size() + n > MaxBody) {
        r.tooLong = true;
        return 0;
    }
    r.body.insert(r.body.end(), reinterpret_cast<uint8_t*>(data),
                  reinterpret_cast<uint8_t*>(data) + n);
    return n;
}

std::unique_ptr<IDataBlock> Tvelwebconnection::Send(IDataBlock& block, bool /*waitForResult*/)
{
    setTransportConnected(true);
    CURL* h = easy(m_curl);
    const Bytes request = envelope::pack(block.Stream());
    const std::string url = requestUrl();
    Headers headers;
    Response response;
    char errorText[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ConnectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(m_exchangeTimeout.count()));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Tvelwebconnection::onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &response);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Tvelwebconnection::onBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &response);
    // The connection's cookies, not one host's: after a failover to another server of the
    // same database the session goes along.
    std::string cookies;
    for (const auto& [name, value] : m_cookies)
        cookies += (cookies.empty() ? "" : "; ") + name + "=" + value;
    curl_easy_setopt(h, CURLOPT_COOKIE, cookies.empty() ? nullptr : cookies.c_str());

    m_lastTransportFailure.clear();
    const CURLcode rc = curl_easy_perform(h);
    // Nothing of this call may stay pointed at by the handle.
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, nullptr);
    curl_easy_setopt(h, CURLOPT_COOKIE, nullptr);
    for (const std::string& pair : response.cookies) {
        const std::size_t eq = pair.find('=');
        m_cookies[pair.substr(0, eq)] = pair.substr(eq + 1);
    }

    // Timeouts and failures before any answer tell the user where to look, in Chinese for the
    // common ones; curl's words stay for the log. Everything that goes wrong with an answer
    // is a faulty packet to the caller.
    const std::string curlText = errorText[0] ? errorText : curl_easy_strerror(rc);
    const bool answered = response.status != 0 || rc == CURLE_GOT_NOTHING ||
                          rc == CURLE_RECV_ERROR || rc == CURLE_PARTIAL_FILE;
    if (rc == CURLE_OPERATION_TIMEDOUT || (rc != CURLE_OK && !answered)) {
        m_lastTransportFailure = curlText;
        const char* text = userText(rc);
        throw Error(text ? text : curlText);
    }

    std::unique_ptr<TvelDataBlock> reply;
    try {
        if (response.refused || (rc == CURLE_OK && response.status >= 300))
            throw Error(response.statusText + " (" + std::to_string(response.status) + ")");
        if (response.tooLong) throw Error(InvalidDataPacket);
        if (rc != CURLE_OK) throw Error(curlText);
        Bytes plain;
        try {
            plain = envelope::unpack(response.body);
        } catch (...) {
            setTransportConnected(false);
            throw;
        }
        reply = std::make_unique<TvelDataBlock>();
        reply->LoadBytes(plain.data(), plain.size(), CheckLength::No);
    } catch (const std::exception& e) {
        m_lastReceiveFailure = e.what();
        throw Error(ReceivedPacketFaulty, e.what());
    }
    raiseIfErrorReply(*reply);
    return reply;
}

TIntellegentWebconn::TIntellegentWebconn(std::string name) : Tvelwebconnection(std::move(name)) {}

void TIntellegentWebconn::setUrls(std::vector<std::string> urls)
{
    m_urls = std::move(urls);
    resetFailover();
}

void TIntellegentWebconn::resetFailover()
{
    m_untried.assign(m_urls.size(), true);
    if (!m_urls.empty()) setURL(m_urls.front());
}

void TIntellegentWebconn::ConnectWithFailover()
{
    bool firstFailure = true;
    for (;;) {
        try {
            Open();
            return;
        } catch (...) {
            Close();
            if (firstFailure) {
                firstFailure = false;
                resetFailover();
                if (!m_untried.empty()) m_untried[0] = false;
            }
            // The first entry is never taken again within one call, even when it was not
            // the one that failed: callers rely on that.
            std::size_t next = 1;
            while (next < m_untried.size() && !m_untried[next])
                ++next;
            if (next >= m_untried.size()) throw;
            m_untried[next] = false;
            setURL(m_urls[next]);
        }
    }
}

} // namespace corvo::remote
