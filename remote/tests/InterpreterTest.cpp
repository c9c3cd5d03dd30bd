#include "RemoteTestSupport.h"
#include "entity/Error.h"
#include "remote/Envelope.h"
#include "remote/ObjectId.h"
#include "remote/TVelDataBlockInterpreter.h"
#include "remote/Tveldatadispatch.h"
#include "remote/Utf16.h"

#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace corvo::remote {
namespace {

using test::words;

const char* const PricingClass = "{6F1A0C2B-3D4E-4F50-8A61-B7C8D9E0F102}";
constexpr int32_t ExchangeId = test::PricingObject::ExchangeId;
constexpr int32_t FailId = test::PricingObject::FailId;
constexpr int32_t InvokeMethod = 1;

using Pricing = test::PricingObject;

// Carries each request through the envelope to the serving peer and its reply back, as the
// web connection does, and keeps the actions it saw.
class Loopback : public ISendDataBlock {
public:
    explicit Loopback(TVelDataBlockInterpreter& server) : m_server(server) {}

    std::unique_ptr<IDataBlock> Send(IDataBlock& block, bool) override
    {
        const uint32_t act = block.Signature() & action::Mask;
        actions.push_back(act);
        if (beforeServe) beforeServe(act);
        if (act == action::FreeObject && failFree) throw Error("network down");
        TvelDataBlock served;
        load(served, envelope::unpack(envelope::pack(block.Stream())));
        if (!m_server.HandleBlock(served)) served.SetSignature(ReplyBlock | act);
        auto reply = std::make_unique<TvelDataBlock>();
        load(*reply, envelope::unpack(envelope::pack(served.Stream())));
        raiseIfErrorReply(*reply);
        return reply;
    }

    std::vector<uint32_t> actions;
    std::function<void(uint32_t)> beforeServe;
    bool failFree = false;

private:
    static void load(TvelDataBlock& block, const Bytes& bytes)
    {
        block.LoadBytes(bytes.data(), bytes.size(), CheckLength::Yes);
    }
    TVelDataBlockInterpreter& m_server;
};

struct Peers {
    explicit Peers(std::vector<std::string> categories = {"Web"},
                   std::string serverCategory = "Web")
    {
        factory.registerClass(*Guid::parse(PricingClass), "Corvo.Pricing", std::move(categories),
                              [] { return std::make_unique<Pricing>(); });
        server = std::make_unique<TVelDataBlockInterpreter>(nullptr, serverCategory, &factory);
        link = std::make_unique<Loopback>(*server);
        client = std::make_unique<TVelDataBlockInterpreter>(link.get(), "Web");
    }

    int32_t exchange(Tveldatadispatch& proxy, Bytes packet, RemoteValue& result,
                     std::vector<RemoteValue>& args)
    {
        args = {RemoteValue::byteArray(std::move(packet)).byRef()};
        return proxy.Invoke(ExchangeId, InvokeMethod, args, {}, true, &result, nullptr);
    }

    LocalObjectFactory factory;
    std::unique_ptr<TVelDataBlockInterpreter> server;
    std::unique_ptr<Loopback> link;
    std::unique_ptr<TVelDataBlockInterpreter> client;
};

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(ObjectIdTest, WireLayoutSwapsTheFirstThreeFields)
{
    const Guid g = *Guid::parse("{00112233-4455-6677-8899-AABBCCDDEEFF}");
    const ObjectId wire = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                           0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
    EXPECT_EQ(toObjectId(g), wire);
    EXPECT_EQ(toGuid(wire), g);
    EXPECT_EQ(objectIdText(wire), "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    EXPECT_EQ(objectIdFromText("{00112233-4455-6677-8899-aabbccddeeff}"), wire);
    EXPECT_FALSE(objectIdFromText("Corvo.Pricing"));
}

TEST(InterpreterTest, CreateObjectRecordsServerNameAndStoresObject)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    ASSERT_TRUE(proxy);
    EXPECT_EQ(proxy->serverName(), PricingClass);
    EXPECT_EQ(p.client->proxyCount(), 1u);
    EXPECT_EQ(p.server->localObjectCount(), 1u);
    EXPECT_NO_THROW(p.server->LockLocalObject(proxy->objectId()));
}

TEST(InterpreterTest, CreateObjectByProgrammaticName)
{
    Peers p;
    EXPECT_TRUE(p.client->SendCreateObject("corvo.pricing"));
}

TEST(InterpreterTest, InvokeOverwritesByReferencePacketAndReturnsResult)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    RemoteValue result;
    std::vector<RemoteValue> args;
    EXPECT_EQ(p.exchange(*proxy, {1, 2, 3}, result, args), status::Ok);
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0].raw(), (Bytes{3, 2, 1, 0xEE}));
    EXPECT_EQ(args[0].reference(), Reference::Variant);
    EXPECT_EQ(result.type(), vt::Boolean);
    EXPECT_TRUE(result.toBool());
}

TEST(InterpreterTest, ByValueArgumentIsNotOverwritten)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    std::vector<RemoteValue> args = {RemoteValue::byteArray({1, 2})};
    RemoteValue result;
    EXPECT_EQ(proxy->Invoke(ExchangeId, InvokeMethod, args, {}, true, &result, nullptr),
              status::Ok);
    EXPECT_EQ(args[0].raw(), (Bytes{1, 2}));
}

TEST(InterpreterTest, ExceptionReplyFillsRecord)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    std::vector<RemoteValue> args;
    ExceptionInfo info;
    RemoteValue result;
    EXPECT_EQ(proxy->Invoke(FailId, InvokeMethod, args, {}, true, &result, &info),
              status::ExceptionOccurred);
    EXPECT_EQ(info.code, 1234);
    EXPECT_EQ(info.description, "库存不足");
}

TEST(InterpreterTest, UnknownObjectGetsTheServerChangedMessage)
{
    Peers p;
    std::vector<RemoteValue> args;
    EXPECT_EQ(errorOf([&] {
                  p.client->SendInvoke(newObjectId(), ExchangeId, InvokeMethod, args, {}, true,
                                       nullptr, nullptr);
              }),
              ServerObjectGone);
}

TEST(InterpreterTest, ReleasingProxyFreesServerObject)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    proxy.reset();
    EXPECT_EQ(p.link->actions.back(), action::FreeObject);
    EXPECT_EQ(p.client->proxyCount(), 0u);
    EXPECT_EQ(p.server->localObjectCount(), 0u);
}

TEST(InterpreterTest, FailedFreeStillRemovesProxy)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    p.link->failFree = true;
    EXPECT_NO_THROW(proxy.reset());
    EXPECT_EQ(p.client->proxyCount(), 0u);
}

TEST(InterpreterTest, ProxyOutlivingInterpreterSendsNothing)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    p.client.reset();
    const std::size_t sent = p.link->actions.size();
    EXPECT_EQ(proxy->interpreter(), nullptr);
    proxy.reset();
    EXPECT_EQ(p.link->actions.size(), sent);
}

TEST(InterpreterTest, LostServerObjectIsRecreatedAndInvokedOnce)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    const ObjectId before = proxy->objectId();
    p.server->ReleaseLocalObject(before);
    p.link->actions.clear();
    RemoteValue result;
    std::vector<RemoteValue> args;
    EXPECT_EQ(p.exchange(*proxy, {7}, result, args), status::Ok);
    EXPECT_EQ(p.link->actions,
              (std::vector<uint32_t>{action::Invoke, action::CreateObject, action::Invoke}));
    EXPECT_NE(proxy->objectId(), before);
    EXPECT_EQ(args[0].raw(), (Bytes{7, 0xEE}));
}

TEST(InterpreterTest, SecondLossReachesTheCaller)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    p.link->beforeServe = [&](uint32_t act) {
        if (act == action::Invoke) p.server->ReleaseLocalObject(proxy->objectId());
    };
    p.link->actions.clear();
    RemoteValue result;
    std::vector<RemoteValue> args;
    EXPECT_EQ(errorOf([&] { p.exchange(*proxy, {7}, result, args); }), ServerObjectGone);
    EXPECT_EQ(p.link->actions,
              (std::vector<uint32_t>{action::Invoke, action::CreateObject, action::Invoke}));
}

TEST(InterpreterTest, OtherErrorsAreNotRetried)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    p.link->beforeServe = [](uint32_t act) {
        if (act == action::Invoke) throw Error("收到的数据包有问题！");
    };
    p.link->actions.clear();
    RemoteValue result;
    std::vector<RemoteValue> args;
    EXPECT_EQ(errorOf([&] { p.exchange(*proxy, {7}, result, args); }), "收到的数据包有问题！");
    EXPECT_EQ(p.link->actions, (std::vector<uint32_t>{action::Invoke}));
}

struct CategoryCase {
    std::vector<std::string> classCategories;
    std::string serverCategory;
    bool allowed;
};

class MayCreateTest : public testing::TestWithParam<CategoryCase> {};

TEST_P(MayCreateTest, CategoryDecides)
{
    const CategoryCase& c = GetParam();
    Peers p(c.classCategories, c.serverCategory);
    if (c.allowed) {
        EXPECT_TRUE(p.client->SendCreateObject(PricingClass));
    } else {
        EXPECT_EQ(errorOf([&] { p.client->SendCreateObject(PricingClass); }),
                  std::string("Object not available: ") + PricingClass);
        EXPECT_EQ(p.server->localObjectCount(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Categories, MayCreateTest,
                         testing::Values(CategoryCase{{"Web"}, "Web", true},
                                         CategoryCase{{"Sockets", "web"}, "Web", true},
                                         CategoryCase{{"Web"}, "Sockets", false},
                                         CategoryCase{{}, "Web", false}));

TEST(InterpreterTest, UnregisteredClassIsNotAvailable)
{
    Peers p;
    const std::string other = "{11111111-2222-3333-4444-555555555555}";
    EXPECT_EQ(errorOf([&] { p.client->SendCreateObject(other); }),
              "Object not available: " + other);
    EXPECT_EQ(errorOf([&] { p.client->SendCreateObject("No.Such"); }),
              "Object not available: No.Such");
}

TEST(InterpreterTest, GetDispID)
{
    Peers p;
    auto proxy = p.client->SendCreateObject(PricingClass);
    int32_t id = 0;
    const std::u16string fail[] = {u"Fail"};
    EXPECT_EQ(proxy->GetIDsOfNames(fail, {&id, 1}), status::Ok);
    EXPECT_EQ(id, FailId);
    const std::u16string unknown[] = {u"Nope"};
    EXPECT_EQ(proxy->GetIDsOfNames(unknown, {&id, 1}), status::UnknownName);

    const std::size_t sent = p.link->actions.size();
    const std::u16string two[] = {u"Exchange", u"Fail"};
    int32_t ids[2] = {};
    EXPECT_EQ(proxy->GetIDsOfNames(two, ids), status::NotImplemented);
    EXPECT_EQ(p.link->actions.size(), sent);
}

TEST(InterpreterTest, ServerListNamesClassesOfTheCategory)
{
    Peers p;
    const RemoteValue list = p.client->SendGetServerList();
    ASSERT_TRUE(list.isArray());
    EXPECT_EQ(list.bounds(), (std::vector<ArrayBound>{{0, 0}}));
    ASSERT_EQ(list.elements().size(), 1u);
    EXPECT_EQ(list.elements()[0].text(), u"Corvo.Pricing");

    Peers none({"Sockets"});
    EXPECT_TRUE(none.client->SendGetServerList().isNull());
}

TEST(InterpreterTest, ErrorReplyTextReachesCaller)
{
    Peers p;
    TvelDataBlock custom;
    custom.SetSignature(RequestBlock | 0x33);
    EXPECT_EQ(errorOf([&] { p.link->Send(custom, true); }), "Invalid action received: 51");

    TvelDataBlock error;
    writeValue(error, RemoteValue::string(utf16FromUtf8("服务器忙")));
    error.SetSignature(RequestBlock | action::Error);
    EXPECT_EQ(errorOf([&] { p.link->Send(error, true); }), "服务器忙");
}

TEST(InterpreterTest, ReplyWithNullByReferenceLeavesArgumentNull)
{
    TvelDataBlock reply;
    writeValue(reply, RemoteValue::int32(0));
    writeValue(reply, RemoteValue::null());
    reply.SetSignature(ReplyBlock | action::Invoke);

    struct Canned : ISendDataBlock {
        Bytes bytes;
        std::unique_ptr<IDataBlock> Send(IDataBlock&, bool) override
        {
            auto b = std::make_unique<TvelDataBlock>();
            b->LoadBytes(bytes.data(), bytes.size(), CheckLength::Yes);
            return b;
        }
    } canned;
    canned.bytes = reply.Memory();
    TVelDataBlockInterpreter client(&canned, "Web");
    std::vector<RemoteValue> args = {RemoteValue::byteArray({1}).byRef()};
    EXPECT_EQ(client.SendInvoke(newObjectId(), ExchangeId, InvokeMethod, args, {}, false, nullptr,
                                nullptr),
              status::Ok);
    EXPECT_TRUE(args[0].isNull());
}

} // namespace
} // namespace corvo::remote
