// https through the real server and the client's own connection, with a CA of the test's own.
#include "ServerProcess.h"
#include "entity/ParamNames.h"
#include "entity/TParamData.h"
#include "entity/TSQLAdder.h"
#include "remote/AppServers.h"
#include "remote/Envelope.h"
#include "remote/ServerCall.h"
#include "remote/TvelDataBlock.h"
#include "remote/Tvelwebconnection.h"
#include "remote/Utf16.h"
#include "remote/VariantCodec.h"

#include <cstdlib>
#include <curl/curl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace corvo::server::test {
namespace {

namespace app = remote::appserver;
namespace fs = std::filesystem;

bool login(remote::TIntellegentWebconn& conn)
{
    LoginPacket packet("DEMO", "admin", "admin");
    return remote::CallServer(conn, app::Login, app::login::Login, packet);
}

TEST(Tls, ServesHttpsToAClientThatTrustsItsCa)
{
    const TestCertificates certificates;
    ServerProcess server(makeDemoDatabase(), {"--tls-cert", certificates.path("server.pem"),
                                              "--tls-key", certificates.path("server.key")});
    ASSERT_EQ(server.url().rfind("https://127.0.0.1:", 0), 0u) << server.url();

    remote::TIntellegentWebconn trusting{"Trusting"};
    trusting.setCaFile(certificates.path("ca.pem"));
    trusting.setUrls({server.url()});
    ASSERT_TRUE(login(trusting));
    TSQLAdder adder;
    adder.AddClause("from", "TProduct");
    adder.AddClause("select", "top 20 TProduct.Code");
    TParamData query(paramkind::Data);
    query.SetParamData("TMaster", adder.Data());
    EXPECT_TRUE(remote::CallServer(trusting, app::Query, app::query::SingleTable, query));

    remote::TIntellegentWebconn doubting{"Doubting"};
    doubting.setUrls({server.url()});
    EXPECT_NE(errorOf([&] { login(doubting); }), "(no error)") << "an unknown CA is refused";

    remote::TIntellegentWebconn plain{"Plain"};
    plain.setUrls({"http://" + server.url().substr(8)});
    EXPECT_NE(errorOf([&] { login(plain); }), "(no error)") << "no plain http beside https";
    EXPECT_TRUE(server.alive());
}

/// One request block posted over https as it is (the client's connection keeps the headers
/// to itself): the answer's headers and its reply block.
struct HttpsAnswer {
    std::string headers;
    remote::TvelDataBlock reply;
};

HttpsAnswer postBlock(const std::string& url, const std::string& caFile,
                      remote::TvelDataBlock& request)
{
    const Bytes body = remote::envelope::pack(request.Stream());
    HttpsAnswer answer;
    Bytes received;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(
        curl, CURLOPT_HEADERFUNCTION, +[](char* data, std::size_t size, std::size_t n, void* into) {
            static_cast<std::string*>(into)->append(data, size * n);
            return size * n;
        });
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer.headers);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char* data, std::size_t size, std::size_t n, void* into) {
            auto* bytes = static_cast<Bytes*>(into);
            bytes->insert(bytes->end(), data, data + size * n);
            return size * n;
        });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &received);
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (rc != CURLE_OK) throw std::runtime_error(curl_easy_strerror(rc));
    const Bytes plain = remote::envelope::unpack(received);
    answer.reply.LoadBytes(plain.data(), plain.size(), remote::CheckLength::Yes);
    return answer;
}

TEST(Tls, TheSessionCookieIsSecureOverHttps)
{
    const TestCertificates certificates;
    ServerProcess server(makeDemoDatabase(), {"--tls-cert", certificates.path("server.pem"),
                                              "--tls-key", certificates.path("server.key")});
    const std::string ca = certificates.path("ca.pem");

    remote::TvelDataBlock create;
    remote::writeValue(create, remote::RemoteValue::string(remote::utf16FromUtf8(app::Login)));
    create.SetSignature(remote::RequestBlock | remote::action::CreateObject);
    HttpsAnswer created = postBlock(server.url(), ca, create);
    const remote::ObjectId object = remote::readValue(created.reply).objectId();

    // The login as the client invokes it: the packet by reference, a result wanted.
    LoginPacket packet("DEMO", "admin", "admin");
    remote::TvelDataBlock invoke;
    remote::writeObjectId(invoke, object);
    remote::writeValue(invoke, remote::RemoteValue::int32(app::login::Login));
    remote::writeValue(invoke, remote::RemoteValue::int32(1));
    remote::writeValue(invoke, remote::RemoteValue::boolean(true));
    remote::writeValue(invoke, remote::RemoteValue::int32(1));
    remote::writeValue(invoke, remote::RemoteValue::int32(0));
    remote::RemoteValue argument = remote::RemoteValue::fromVariant(packet.Data());
    argument.byRef(remote::Reference::Variant);
    remote::writeValue(invoke, argument);
    invoke.SetSignature(remote::RequestBlock | remote::action::Invoke);
    const HttpsAnswer answer = postBlock(server.url(), ca, invoke);

    const std::size_t at = answer.headers.find("Set-Cookie: CORVOSESSION=");
    ASSERT_NE(at, std::string::npos) << answer.headers;
    const std::string cookie = answer.headers.substr(at, answer.headers.find("\r\n", at) - at);
    EXPECT_NE(cookie.find("; Secure"), std::string::npos) << cookie;
    EXPECT_NE(cookie.find("; HttpOnly"), std::string::npos) << cookie;
}

TEST(Tls, RefusesToStartWithoutItsKey)
{
    const TestCertificates certificates;
    std::string out;
    EXPECT_NE(runServerCommand({"serve", "--listen", "127.0.0.1:0", "--db", makeDemoDatabase(),
                                "--tls-cert", certificates.path("server.pem"), "--tls-key",
                                certificates.path("missing.key")},
                               &out),
              0);
    EXPECT_NE(out.find("Cannot read the private key"), std::string::npos) << out;
}

} // namespace
} // namespace corvo::server::test
