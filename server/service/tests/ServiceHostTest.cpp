#include "server/service/ServiceHost.h"

#include "remote/AppServers.h"
#include "remote/Envelope.h"
#include "remote/ISendDataBlock.h"
#include "remote/TVelDataBlockInterpreter.h"
#include "remote/Tveldatadispatch.h"
#include "server/service/LoginService.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace corvo::server {
namespace {

// The client's interpreter talking to the host in-process: the same bytes as over HTTP.
class DirectSender : public remote::ISendDataBlock {
public:
    explicit DirectSender(ServiceHost& host) : m_host(host) {}
    std::unique_ptr<remote::IDataBlock> Send(remote::IDataBlock& block, bool) override
    {
        const Bytes body = remote::envelope::pack(block.Stream());
        const HttpAnswer answer = m_host.handle({"POST", ServiceHost::ScriptPath, "", body});
        const Bytes plain = remote::envelope::unpack(answer.body);
        auto reply = std::make_unique<remote::TvelDataBlock>();
        reply->LoadBytes(plain.data(), plain.size(), remote::CheckLength::No);
        remote::raiseIfErrorReply(*reply);
        return reply;
    }

private:
    ServiceHost& m_host;
};

std::string newFolder()
{
    char dir[] = "/tmp/corvo-host-test-XXXXXX";
    return mkdtemp(dir);
}

struct ServiceHostTest : ::testing::Test {
    ~ServiceHostTest() override { std::filesystem::remove_all(folder); }
    // In this order: the context refers to the database.
    std::string folder = newFolder();
    std::unique_ptr<storage::Database> db = storage::Database::open(
        "sqlite:" + folder + "/empty.db", storage::OpenMode::CreateIfMissing);
    ServerContext context{*db, SessionStore(), Credentials(1000), {}};
};

TEST_F(ServiceHostTest, LeastRecentlyUsedObjectsGoAndTheirClientsRecreateThem)
{
    ServiceHost host(context, applicationServerClasses(), ServiceHost::DefaultMaxEnvelope, 2);
    DirectSender sender(host);
    remote::TVelDataBlockInterpreter client(&sender, "Web");
    const std::string login(remote::appserver::Login);
    auto first = client.SendCreateObject(login);
    auto second = client.SendCreateObject(login);
    auto third = client.SendCreateObject(login);
    EXPECT_EQ(host.liveObjects(), 2u);

    // The evicted object's proxy is answered "connection changed", re-creates and goes on.
    std::vector<remote::RemoteValue> args;
    EXPECT_EQ(first->Invoke(99, 1, args, {}, true, nullptr, nullptr),
              remote::status::MemberNotFound);
    EXPECT_EQ(host.liveObjects(), 2u);

    first.reset();
    second.reset();
    third.reset();
    EXPECT_EQ(host.liveObjects(), 0u);
}

} // namespace
} // namespace corvo::server
