#include "ServiceHost.h"

#include "entity/Error.h"
#include "remote/Envelope.h"
#include "remote/TvelDataBlock.h"
#include "server/storage/Database.h"

#include <algorithm>
#include <list>
#include <map>
#include <mutex>
#include <strings.h>

namespace corvo::server {

// The serving peer, refusing to create any class but login without a live session: the
// refusal is answered as an error reply with a message the user can act on.
class ServiceHost::Interpreter : public remote::TVelDataBlockInterpreter {
public:
    Interpreter(ServiceHost& host)
        : TVelDataBlockInterpreter(nullptr, "Web", &host.m_factory), m_host(host)
    {
    }
    bool MayCreateObject(const Guid& classId) override
    {
        if (!TVelDataBlockInterpreter::MayCreateObject(classId)) return false;
        for (const ServiceClass& c : m_host.m_classes)
            if (c.classId == classId && c.needsSession && !session()) throw Error(LoginAgain);
        return true;
    }

    remote::ObjectId StoreLocalObject(std::shared_ptr<remote::LocalObject> object) override
    {
        const remote::ObjectId id = TVelDataBlockInterpreter::StoreLocalObject(std::move(object));
        std::vector<remote::ObjectId> evicted;
        {
            std::lock_guard guard(m_lock);
            m_recent.push_front(id);
            m_where[id] = m_recent.begin();
            while (m_recent.size() > m_host.m_maxObjects) {
                evicted.push_back(m_recent.back());
                m_where.erase(m_recent.back());
                m_recent.pop_back();
            }
        }
        for (const remote::ObjectId& old : evicted)
            TVelDataBlockInterpreter::ReleaseLocalObject(old);
        return id;
    }
    std::shared_ptr<remote::LocalObject> LockLocalObject(const remote::ObjectId& id) override
    {
        auto object = TVelDataBlockInterpreter::LockLocalObject(id);
        std::lock_guard guard(m_lock);
        if (const auto it = m_where.find(id); it != m_where.end())
            m_recent.splice(m_recent.begin(), m_recent, it->second);
        return object;
    }
    void ReleaseLocalObject(const remote::ObjectId& id) override
    {
        TVelDataBlockInterpreter::ReleaseLocalObject(id);
        std::lock_guard guard(m_lock);
        if (const auto it = m_where.find(id); it != m_where.end()) {
            m_recent.erase(it->second);
            m_where.erase(it);
        }
    }

private:
    /// The caller's session; a failure to look it up goes to the log, and the caller, who
    /// may not have logged in, gets only its number.
    const Session* session()
    {
        try {
            return resolveSession(m_host.m_server);
        } catch (const storage::StorageError& e) {
            throw numbered(e);
        } catch (const Error&) {
            throw;
        } catch (const std::exception& e) {
            throw numbered(e);
        }
    }

    Error numbered(const std::exception& e)
    {
        const std::string number = nextFaultNumber(m_host.m_server);
        if (m_host.m_server.log)
            m_host.m_server.log(std::string("create-object user=- error ") + number + ": " +
                                e.what());
        return faultReply(number);
    }

    ServiceHost& m_host;
    std::mutex m_lock;
    std::list<remote::ObjectId> m_recent; ///< most recently used first
    std::map<remote::ObjectId, std::list<remote::ObjectId>::iterator> m_where;
};

ServiceHost::ServiceHost(ServerContext& server, std::vector<ServiceClass> classes,
                         std::size_t maxEnvelope, std::size_t maxObjects)
    : m_server(server), m_classes(std::move(classes)), m_maxEnvelope(maxEnvelope),
      m_maxObjects(std::max<std::size_t>(1, maxObjects))
{
    for (const ServiceClass& c : m_classes) {
        const ServiceClass* cls = &c;
        m_factory.registerClass(c.classId, c.progId, {"Web"}, [this, cls] {
            CallContext* call = currentCall();
            return std::make_unique<ServiceObject>(
                m_server, *cls, cls->needsSession && call ? call->sessionToken : std::string());
        });
    }
    m_interpreter = std::make_unique<Interpreter>(*this);
}

ServiceHost::~ServiceHost() = default;

std::size_t ServiceHost::liveObjects() const
{
    return m_interpreter->localObjectCount();
}

namespace {

HttpAnswer plain(int status, std::string reason, std::string_view text)
{
    HttpAnswer a;
    a.status = status;
    a.reason = std::move(reason);
    a.contentType = "text/plain; charset=utf-8";
    a.body.assign(text.begin(), text.end());
    return a;
}

} // namespace

HttpAnswer ServiceHost::handle(const HttpExchange& request)
{
    std::string_view path = request.target.substr(0, request.target.find('?'));
    if (path.size() != ScriptPath.size() ||
        strncasecmp(path.data(), ScriptPath.data(), path.size()) != 0)
        return plain(404, "Not Found", "No such script\n");
    if (request.method != "POST") return plain(405, "Method Not Allowed", "POST only\n");

    remote::TvelDataBlock block;
    try {
        const Bytes plainBlock = remote::envelope::unpack(request.body, m_maxEnvelope);
        block.LoadBytes(plainBlock.data(), plainBlock.size(), remote::CheckLength::Yes);
    } catch (const std::exception& e) {
        return plain(400, "Bad Request", std::string(e.what()) + "\n");
    }
    if ((block.Signature() & remote::RequestBlock) != remote::RequestBlock)
        return plain(400, "Bad Request", std::string(remote::InvalidDataPacket) + "\n");

    CallContext context;
    context.sessionToken = SessionStore::tokenFromCookieHeader(request.cookieHeader);
    context.peerAddress = std::string(request.peerAddress);
    const uint32_t act = block.Signature() & remote::action::Mask;
    {
        CallScope scope(context);
        if (!m_interpreter->HandleBlock(block)) {
            // A free request has no reply of its own; the client still reads one block.
            block.Clear();
            block.SetSignature(remote::ReplyBlock | act);
        }
    }
    HttpAnswer answer;
    answer.body = remote::envelope::pack(block.Stream());
    answer.setCookie = std::move(context.setCookie);
    return answer;
}

} // namespace corvo::server
