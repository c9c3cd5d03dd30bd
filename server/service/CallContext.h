#pragma once

#include "SessionStore.h"

#include <optional>
#include <string>

namespace corvo::server {

/// What one HTTP request brings to the objects it reaches, and what they hand back to it.
/// The serving peer knows nothing of HTTP, so the request handler makes this current on its
/// thread for the length of the request.
struct CallContext {
    std::string sessionToken;       ///< from the request's cookie; may be stale or forged
    std::optional<Session> session; ///< resolved on first need
    bool sessionResolved = false;
    std::string setCookie;   ///< a cookie to send back (after a login)
    std::string user;        ///< who the call is for, in the log, when there is no session yet
    std::string peerAddress; ///< the client's IP address; empty when unknown
};

/// The context of the request this thread is serving; nullptr outside a request.
CallContext* currentCall() noexcept;

class CallScope {
public:
    explicit CallScope(CallContext& context);
    ~CallScope();
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    CallContext* m_previous;
};

} // namespace corvo::server
