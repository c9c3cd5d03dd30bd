#include "CallContext.h"

namespace corvo::server {

namespace {
thread_local CallContext* t_current = nullptr;
}

CallContext* currentCall() noexcept
{
    return t_current;
}

CallScope::CallScope(CallContext& context) : m_previous(t_current)
{
    t_current = &context;
}

CallScope::~CallScope()
{
    t_current = m_previous;
}

} // namespace corvo::server
