#include "LoopbackHttpServer.h"

#include "remote/Envelope.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <stdexcept>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvo::remote::test {

namespace {

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

SSL_CTX* ctx(void* p)
{
    return static_cast<SSL_CTX*>(p);
}

} // namespace

// A plain socket or a TLS session over it.
class LoopbackHttpServer::Stream {
public:
    Stream(int fd, SSL* ssl) : fd(fd), ssl(ssl) {}
    ~Stream()
    {
        if (ssl) {
            SSL_shutdown(ssl);
            SSL_free(ssl);
        }
        ::close(fd);
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    bool buffered() const { return ssl && SSL_pending(ssl) > 0; }
    long read(char* to, std::size_t n)
    {
        if (ssl) return SSL_read(ssl, to, static_cast<int>(n));
        return ::recv(fd, to, n, 0);
    }
    void write(const std::string& s)
    {
        std::size_t done = 0;
        while (done < s.size()) {
            const long n = ssl ? SSL_write(ssl, s.data() + done, static_cast<int>(s.size() - done))
                               : ::send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }

    const int fd;
    SSL* const ssl;
};

LoopbackHttpServer::LoopbackHttpServer(TVelDataBlockInterpreter& peer, const TlsIdentity* tls)
    : m_peer(peer)
{
    if (tls) {
        SSL_CTX* c = SSL_CTX_new(TLS_server_method());
        BIO* certBio = BIO_new_mem_buf(tls->certificatePem.data(),
                                       static_cast<int>(tls->certificatePem.size()));
        BIO* keyBio =
            BIO_new_mem_buf(tls->privateKeyPem.data(), static_cast<int>(tls->privateKeyPem.size()));
        X509* cert = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
        EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
        const bool ok = cert && key && SSL_CTX_use_certificate(c, cert) == 1 &&
                        SSL_CTX_use_PrivateKey(c, key) == 1;
        X509_free(cert);
        EVP_PKEY_free(key);
        BIO_free(certBio);
        BIO_free(keyBio);
        if (!ok) {
            SSL_CTX_free(c);
            throw std::runtime_error("cannot load the TLS identity");
        }
        m_tls = c;
    }
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int yes = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listen, 64) != 0)
        throw std::runtime_error("cannot listen");
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stop = true;
    m_acceptor.join();
    for (auto& t : m_workers)
        t.join();
    ::close(m_listen);
    if (m_tls) SSL_CTX_free(ctx(m_tls));
}

std::string LoopbackHttpServer::url(const std::string& host) const
{
    return std::string(m_tls ? "https" : "http") + "://" + host + ":" + std::to_string(m_port) +
           "/scripts/Velmarwebsvr.dll";
}

void LoopbackHttpServer::setCookie(std::string c)
{
    std::lock_guard lock(m_lock);
    m_setCookie = std::move(c);
}

std::vector<SeenRequest> LoopbackHttpServer::requests() const
{
    std::lock_guard lock(m_lock);
    return m_requests;
}

std::vector<uint32_t> LoopbackHttpServer::actions() const
{
    std::vector<uint32_t> out;
    for (const auto& r : requests())
        out.push_back(r.act);
    return out;
}

bool LoopbackHttpServer::waitReadable(int fd) const
{
    pollfd p{fd, POLLIN, 0};
    while (!m_stop) {
        if (::poll(&p, 1, 20) > 0) return true;
    }
    return false;
}

void LoopbackHttpServer::acceptLoop()
{
    while (waitReadable(m_listen)) {
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0) continue;
        ++m_connections;
        m_workers.emplace_back([this, fd] {
            SSL* ssl = nullptr;
            if (m_tls) {
                ssl = SSL_new(ctx(m_tls));
                SSL_set_fd(ssl, fd);
                if (SSL_accept(ssl) != 1) {
                    // A client refusing our certificate ends here.
                    SSL_free(ssl);
                    ::close(fd);
                    return;
                }
            }
            Stream stream(fd, ssl);
            serveConnection(stream);
        });
    }
}

bool LoopbackHttpServer::receive(Stream& s, std::string& buf) const
{
    if (!s.buffered() && !waitReadable(s.fd)) return false;
    char chunk[8192];
    const long n = s.read(chunk, sizeof chunk);
    if (n <= 0) return false;
    buf.append(chunk, static_cast<std::size_t>(n));
    return true;
}

void LoopbackHttpServer::serveConnection(Stream& s)
{
    std::string buf;
    for (;;) {
        std::size_t headEnd;
        while ((headEnd = buf.find("\r\n\r\n")) == std::string::npos)
            if (!receive(s, buf)) return;
        const std::string head = buf.substr(0, headEnd + 2);
        const std::size_t length = std::stoul("0" + headerValue(head, "Content-Length"));
        while (buf.size() < headEnd + 4 + length)
            if (!receive(s, buf)) return;
        const std::string body = buf.substr(headEnd + 4, length);
        buf.erase(0, headEnd + 4 + length);
        if (!respond(s, head, body)) return;
    }
}

bool LoopbackHttpServer::respond(Stream& s, const std::string& head, const std::string& body)
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
        s.write("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 1000000\r\n\r\npartial");
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
    s.write(out);
    return true;
}

namespace {

struct Certificate {
    EVP_PKEY* key = nullptr;
    X509* cert = nullptr;
    ~Certificate()
    {
        X509_free(cert);
        EVP_PKEY_free(key);
    }
};

void addExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX v3;
    X509V3_set_ctx(&v3, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &v3, nid, value);
    if (!ext) throw std::runtime_error("cannot make a certificate extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

// Signed by the issuer, or by itself when there is none.
void makeCertificate(Certificate& out, const char* commonName, long serial,
                     const Certificate* issuer)
{
    out.key = EVP_EC_gen("P-256");
    out.cert = X509_new();
    if (!out.key || !out.cert) throw std::runtime_error("cannot make a key");
    X509_set_version(out.cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(out.cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(out.cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(out.cert), 7 * 86400);
    X509_set_pubkey(out.cert, out.key);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(out.cert), "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* issuerCert = issuer ? issuer->cert : out.cert;
    X509_set_issuer_name(out.cert, X509_get_subject_name(issuerCert));
    addExtension(out.cert, issuerCert, NID_subject_key_identifier, "hash");
    if (issuer) {
        addExtension(out.cert, issuerCert, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(out.cert, issuerCert, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
        addExtension(out.cert, issuerCert, NID_ext_key_usage, "serverAuth");
        addExtension(out.cert, issuerCert, NID_authority_key_identifier, "keyid");
    } else {
        addExtension(out.cert, issuerCert, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(out.cert, issuerCert, NID_key_usage, "critical,keyCertSign,cRLSign");
    }
    if (X509_sign(out.cert, issuer ? issuer->key : out.key, EVP_sha256()) == 0)
        throw std::runtime_error("cannot sign a certificate");
}

template <typename Write> std::string pem(Write write)
{
    BIO* bio = BIO_new(BIO_s_mem());
    write(bio);
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(n));
    BIO_free(bio);
    return text;
}

} // namespace

TestCertificates makeTestCertificates()
{
    Certificate ca;
    makeCertificate(ca, "Corvo Test CA", 1, nullptr);
    Certificate server;
    makeCertificate(server, "localhost", 2, &ca);
    TestCertificates out;
    out.caPem = pem([&](BIO* b) { PEM_write_bio_X509(b, ca.cert); });
    out.server.certificatePem = pem([&](BIO* b) { PEM_write_bio_X509(b, server.cert); });
    out.server.privateKeyPem = pem([&](BIO* b) {
        PEM_write_bio_PrivateKey(b, server.key, nullptr, nullptr, 0, nullptr, nullptr);
    });
    return out;
}

} // namespace corvo::remote::test
