#include "Tveldatadispatch.h"

#include "TVelDataBlockInterpreter.h"
#include "entity/Error.h"

namespace corvo::remote {

Tveldatadispatch::Tveldatadispatch(TvelCustomDataBlockInterpreter* interpreter, const ObjectId& id,
                                   std::string serverName)
    : m_interpreter(interpreter), m_id(id), m_serverName(std::move(serverName))
{
    if (m_interpreter) m_interpreter->AddProxy(this);
}

Tveldatadispatch::~Tveldatadispatch()
{
    if (!m_interpreter) return;
    try {
        m_interpreter->SendFreeObject(m_id);
    } catch (...) {
        // The peer drops unused objects on its own; a stale proxy would block failover.
    }
    m_interpreter->RemoveProxy(this);
}

TvelCustomDataBlockInterpreter& Tveldatadispatch::live() const
{
    if (!m_interpreter) throw Error(ServerObjectGone);
    return *m_interpreter;
}

int32_t Tveldatadispatch::GetIDsOfNames(std::span<const std::u16string> names,
                                        std::span<int32_t> dispIds)
{
    return live().SendGetDispID(m_id, names, dispIds);
}

int32_t Tveldatadispatch::Invoke(int32_t dispId, int32_t flags, std::vector<RemoteValue>& args,
                                 std::span<const int32_t> namedDispIds, bool resultWanted,
                                 RemoteValue* result, ExceptionInfo* exception)
{
    try {
        return live().SendInvoke(m_id, dispId, flags, args, namedDispIds, resultWanted, result,
                                 exception);
    } catch (const Error& e) {
        if (std::string_view(e.what()) != ServerObjectGone || !m_interpreter) throw;
    }
    m_interpreter->RecreateRemoteObject(*this);
    return live().SendInvoke(m_id, dispId, flags, args, namedDispIds, resultWanted, result,
                             exception);
}

} // namespace corvo::remote
