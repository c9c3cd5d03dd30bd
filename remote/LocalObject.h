#pragma once

#include "RemoteValue.h"
#include "entity/Guid.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace corvo::remote {

/// Status codes of the invoke and get-DispID replies.
namespace status {
inline constexpr int32_t Ok = 0;
inline constexpr int32_t NotImplemented = static_cast<int32_t>(0x80004001);
inline constexpr int32_t MemberNotFound = static_cast<int32_t>(0x80020003);
inline constexpr int32_t UnknownName = static_cast<int32_t>(0x80020006);
inline constexpr int32_t ExceptionOccurred = static_cast<int32_t>(0x80020009);
} // namespace status

/// The exception record of a status ExceptionOccurred.
struct ExceptionInfo {
    int32_t code = 0;
    std::string description; ///< UTF-8
};

struct InvokeRequest {
    int32_t dispId = 0;
    int32_t flags = 0;
    bool resultWanted = false;
    std::vector<int32_t> namedDispIds;
};

/// An object the serving peer hands out. Arguments come in calling-convention order (last
/// parameter first), as on the wire; an argument marked by reference may be replaced and its
/// new value travels back.
class LocalObject {
public:
    virtual ~LocalObject() = default;

    /// Status Ok and the DispID, or UnknownName.
    virtual int32_t getIdsOfName(const std::u16string& name, int32_t& dispId) = 0;
    virtual int32_t invoke(const InvokeRequest& request, std::vector<RemoteValue>& args,
                           RemoteValue& result, ExceptionInfo& exception) = 0;
};

/// The classes a serving peer can instantiate, by class GUID or programmatic name, each with
/// the connection categories ("Web", "Sockets") it may be created through.
class LocalObjectFactory {
public:
    using Creator = std::function<std::unique_ptr<LocalObject>()>;

    void registerClass(const Guid& classId, std::string progId, std::vector<std::string> categories,
                       Creator creator);

    /// The class a name stands for: a braced GUID text or a registered programmatic name.
    std::optional<Guid> resolve(const std::string& name) const;
    /// Whether the class is registered and allowed for the category (letter case ignored).
    bool allows(const Guid& classId, const std::string& category) const;
    /// A new instance; nullptr for an unknown class.
    std::unique_ptr<LocalObject> create(const Guid& classId) const;
    /// Programmatic names of the classes allowed for the category.
    std::vector<std::string> names(const std::string& category) const;

private:
    struct Entry {
        Guid classId;
        std::string progId;
        std::vector<std::string> categories;
        Creator creator;
    };
    const Entry* find(const Guid& classId) const;

    mutable std::mutex m_lock;
    std::vector<Entry> m_entries;
};

} // namespace corvo::remote
