#include "ServiceObject.h"

#include "entity/Assert.h"
#include "entity/Error.h"
#include "entity/TParamData.h"
#include "remote/Utf16.h"

#include <chrono>
#include <unistd.h>

namespace corvo::server {

namespace {
constexpr int32_t BadParamCount = static_cast<int32_t>(0x8002000E);
}

std::string nextFaultNumber(ServerContext& server)
{
    return std::to_string(::getpid()) + "-" + std::to_string(server.faults->fetch_add(1) + 1);
}

Error faultReply(const std::string& number)
{
    return Error("服务器处理请求时出错，请稍后重试或与系统管理员联系（日志编号：" + number +
                 "）。");
}

Error ServiceObject::fault(const char* what, std::string& outcome,
                           const std::function<void()>& log) const
{
    // The database's words and statement text stay in the log; the user gets the number that
    // finds them there.
    const std::string number = nextFaultNumber(m_server);
    outcome = "error " + number + ": " + what;
    log();
    return faultReply(number);
}

const Session* resolveSession(ServerContext& server)
{
    CallContext* call = currentCall();
    if (!call) return nullptr;
    if (!call->sessionResolved) {
        call->session = server.sessions.find(server.db, call->sessionToken, unixNow());
        call->sessionResolved = true;
    }
    return call->session ? &*call->session : nullptr;
}

ServiceObject::ServiceObject(ServerContext& server, const ServiceClass& cls,
                             std::string creatorToken)
    : m_server(server), m_class(cls), m_creatorToken(std::move(creatorToken))
{
}

int32_t ServiceObject::getIdsOfName(const std::u16string& name, int32_t& dispId)
{
    const std::string wanted = remote::utf8FromUtf16(name);
    for (const auto& [id, method] : m_class.methods)
        if (method.name == wanted) {
            dispId = id;
            return remote::status::Ok;
        }
    return remote::status::UnknownName;
}

int32_t ServiceObject::invoke(const remote::InvokeRequest& request,
                              std::vector<remote::RemoteValue>& args, remote::RemoteValue& result,
                              remote::ExceptionInfo&)
{
    const auto method = m_class.methods.find(request.dispId);
    if (method == m_class.methods.end()) return remote::status::MemberNotFound;
    if (args.size() != 1) return BadParamCount;

    CallContext* call = currentCall();
    CORVO_ASSERT(call, "a service method runs only inside the request that called it");
    const Session* session = nullptr;
    const auto started = std::chrono::steady_clock::now();
    std::string outcome = "error";
    auto log = [&] {
        if (!m_server.log) return;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - started)
                            .count();
        const std::string user = session               ? session->userCode
                                 : !call->user.empty() ? call->user
                                                       : std::string("-");
        m_server.log(m_class.logName + " " + method->second.name + " user=" + user + " " +
                     std::to_string(ms) + "ms " + outcome);
    };
    try {
        if (m_class.needsSession) {
            session = resolveSession(m_server);
            if (!session || call->sessionToken != m_creatorToken) throw Error(LoginAgain);
        }
        TParamData packet(paramkind::Data);
        packet.SetData(args[0].toVariant());
        ServiceCall serviceCall{m_server, session, *call};
        const bool ok = method->second.run(serviceCall, packet);
        if (ok) {
            const remote::Reference ref = args[0].reference();
            args[0] = remote::RemoteValue::fromVariant(packet.Data());
            args[0].byRef(ref);
        }
        result = remote::RemoteValue::boolean(ok);
        outcome = ok ? "true" : "false";
    } catch (const storage::StorageError& e) {
        throw fault(e.what(), outcome, log);
    } catch (const Error& e) {
        // The services' own errors are written for the user; what they carry beside it is
        // for the log only.
        outcome = std::string("error: ") + e.what();
        if (!e.diagnostic().empty()) outcome += " (" + e.diagnostic() + ")";
        log();
        throw;
    } catch (const std::exception& e) {
        throw fault(e.what(), outcome, log);
    }
    log();
    return remote::status::Ok;
}

} // namespace corvo::server
