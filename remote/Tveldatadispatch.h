#pragma once

#include "LocalObject.h"
#include "RemoteValue.h"

#include <span>
#include <string>
#include <vector>

namespace corvo::remote {

class TvelCustomDataBlockInterpreter;

/// Stands for one object held by the peer. Made by the interpreter that received the object;
/// releasing the last reference frees the object at the peer.
class Tveldatadispatch {
public:
    Tveldatadispatch(TvelCustomDataBlockInterpreter* interpreter, const ObjectId& id,
                     std::string serverName);
    /// Frees the peer's object and leaves the interpreter's list; a failed free is ignored so
    /// no dangling proxy outlives a dead network.
    ~Tveldatadispatch();

    Tveldatadispatch(const Tveldatadispatch&) = delete;
    Tveldatadispatch& operator=(const Tveldatadispatch&) = delete;

    const ObjectId& objectId() const noexcept { return m_id; }
    void setObjectId(const ObjectId& id) noexcept { m_id = id; }
    TvelCustomDataBlockInterpreter* interpreter() const noexcept { return m_interpreter; }
    /// The interpreter is going: nothing is sent from now on.
    void detach() noexcept { m_interpreter = nullptr; }
    /// The class GUID text of the create object request that produced it.
    const std::string& serverName() const noexcept { return m_serverName; }

    int GetTypeInfoCount() const noexcept { return 0; }
    int32_t GetIDsOfNames(std::span<const std::u16string> names, std::span<int32_t> dispIds);
    /// Invokes at the peer; when the peer no longer holds the object, re-creates it by the
    /// server name and tries once more.
    int32_t Invoke(int32_t dispId, int32_t flags, std::vector<RemoteValue>& args,
                   std::span<const int32_t> namedDispIds, bool resultWanted, RemoteValue* result,
                   ExceptionInfo* exception);

private:
    TvelCustomDataBlockInterpreter& live() const;

    TvelCustomDataBlockInterpreter* m_interpreter;
    ObjectId m_id;
    std::string m_serverName;
};

} // namespace corvo::remote
