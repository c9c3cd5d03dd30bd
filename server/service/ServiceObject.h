#pragma once

#include "CallContext.h"
#include "ServerContext.h"
#include "entity/Error.h"
#include "entity/Guid.h"
#include "remote/LocalObject.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvo {
class TParamData;
}

namespace corvo::server {

/// What a service method sees of its call.
struct ServiceCall {
    ServerContext& server;
    const Session* session; ///< the caller's session; null for the login class
    CallContext& call;
};

/// A method takes the packet the client sent and, when it returns true, leaves the reply in it.
using ServiceMethod = std::function<bool(ServiceCall&, TParamData& packet)>;

struct ServiceMethodEntry {
    std::string name;
    ServiceMethod run;
};

/// One application server class: its GUID, a short name for the log, whether it needs a
/// session, and its methods by DispID.
struct ServiceClass {
    Guid classId;
    std::string progId;
    std::string logName;
    bool needsSession = true;
    std::map<int32_t, ServiceMethodEntry> methods;
};

/// The session of the request being served, looked up once per request.
const Session* resolveSession(ServerContext& server);

/// The number of a failure of the database or of the server ("PID-N"): the log line carries
/// the details, the user only the number (faultReply).
std::string nextFaultNumber(ServerContext& server);
Error faultReply(const std::string& number);

/// An instance handed to one client. It stays bound to the session that created it, so an
/// object ID that leaks to another client is of no use there.
class ServiceObject : public remote::LocalObject {
public:
    ServiceObject(ServerContext& server, const ServiceClass& cls, std::string creatorToken);

    int32_t getIdsOfName(const std::u16string& name, int32_t& dispId) override;
    int32_t invoke(const remote::InvokeRequest& request, std::vector<remote::RemoteValue>& args,
                   remote::RemoteValue& result, remote::ExceptionInfo& exception) override;

private:
    /// Logs a failure the user cannot act on under a new number; returns the error the user
    /// sees, which shows the number.
    Error fault(const char* what, std::string& outcome, const std::function<void()>& log) const;

    ServerContext& m_server;
    const ServiceClass& m_class;
    std::string m_creatorToken;
};

} // namespace corvo::server
