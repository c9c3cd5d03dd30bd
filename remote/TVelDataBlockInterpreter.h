#pragma once

#include "ISendDataBlock.h"
#include "LocalObject.h"
#include "RemoteValue.h"

#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace corvo::remote {

class Tveldatadispatch;

/// The message a serving peer raises for an object ID it does not hold; a proxy that sees it
/// re-creates its object and tries once more.
inline constexpr const char* ServerObjectGone = "连接服务器已经改变，原服务对象不可再用！";

/// Writes requests and reads replies for the client, and answers requests as the serving peer.
class TvelCustomDataBlockInterpreter {
public:
    virtual ~TvelCustomDataBlockInterpreter() = default;

    virtual void AddProxy(Tveldatadispatch* proxy) = 0;
    virtual void RemoveProxy(Tveldatadispatch* proxy) = 0;
    virtual void SendFreeObject(const ObjectId& id) = 0;
    /// Status Ok with dispIds filled, the peer's status, or NotImplemented for other than one name.
    virtual int32_t SendGetDispID(const ObjectId& id, std::span<const std::u16string> names,
                                  std::span<int32_t> dispIds) = 0;
    /// Arguments in calling-convention order; those passed by reference are overwritten with
    /// the returned values. The result is filled when wanted and given.
    virtual int32_t SendInvoke(const ObjectId& id, int32_t dispId, int32_t flags,
                               std::vector<RemoteValue>& args,
                               std::span<const int32_t> namedDispIds, bool resultWanted,
                               RemoteValue* result, ExceptionInfo* exception) = 0;
    virtual RemoteValue SendGetServerList() = 0;
    virtual std::unique_ptr<LocalObject> InstantiateObject(const Guid& classId) = 0;
    virtual std::shared_ptr<LocalObject> CreateLocalObject(const std::string& name) = 0;
    virtual ObjectId StoreLocalObject(std::shared_ptr<LocalObject> object) = 0;
    /// The stored object; raises ServerObjectGone when the ID is not held.
    virtual std::shared_ptr<LocalObject> LockLocalObject(const ObjectId& id) = 0;
    virtual void UnlockLocalObject(const ObjectId& id) = 0;
    virtual void ReleaseLocalObject(const ObjectId& id) = 0;
    virtual bool MayCreateObject(const Guid& classId) = 0;
    /// The proxy of the new object; nullptr when the reply holds no object.
    virtual std::shared_ptr<Tveldatadispatch> SendCreateObject(const std::string& name) = 0;
    /// Answers the request in the block, leaving the reply in it. Returns whether the reply is
    /// to be sent back (a free object has none).
    virtual bool HandleBlock(IDataBlock& block) = 0;
    virtual void RecreateRemoteObject(Tveldatadispatch& proxy) = 0;
};

class TVelDataBlockInterpreter : public TvelCustomDataBlockInterpreter {
public:
    /// The sender may be null for a peer that only serves; the factory null for one that only
    /// sends. The category ("Web", "Sockets") decides which classes may be created.
    TVelDataBlockInterpreter(ISendDataBlock* sender, std::string category,
                             const LocalObjectFactory* factory = nullptr);
    /// Detaches every live proxy (they send nothing later), then drops the stored objects.
    ~TVelDataBlockInterpreter() override;

    TVelDataBlockInterpreter(const TVelDataBlockInterpreter&) = delete;
    TVelDataBlockInterpreter& operator=(const TVelDataBlockInterpreter&) = delete;

    void AddProxy(Tveldatadispatch* proxy) override;
    void RemoveProxy(Tveldatadispatch* proxy) override;
    void SendFreeObject(const ObjectId& id) override;
    int32_t SendGetDispID(const ObjectId& id, std::span<const std::u16string> names,
                          std::span<int32_t> dispIds) override;
    int32_t SendInvoke(const ObjectId& id, int32_t dispId, int32_t flags,
                       std::vector<RemoteValue>& args, std::span<const int32_t> namedDispIds,
                       bool resultWanted, RemoteValue* result, ExceptionInfo* exception) override;
    RemoteValue SendGetServerList() override;
    std::unique_ptr<LocalObject> InstantiateObject(const Guid& classId) override;
    std::shared_ptr<LocalObject> CreateLocalObject(const std::string& name) override;
    ObjectId StoreLocalObject(std::shared_ptr<LocalObject> object) override;
    std::shared_ptr<LocalObject> LockLocalObject(const ObjectId& id) override;
    void UnlockLocalObject(const ObjectId& id) override;
    void ReleaseLocalObject(const ObjectId& id) override;
    bool MayCreateObject(const Guid& classId) override;
    std::shared_ptr<Tveldatadispatch> SendCreateObject(const std::string& name) override;
    bool HandleBlock(IDataBlock& block) override;
    void RecreateRemoteObject(Tveldatadispatch& proxy) override;

    const std::string& category() const noexcept { return m_category; }
    std::size_t proxyCount() const noexcept { return m_proxies.size(); }
    std::size_t localObjectCount() const;

protected:
    /// Actions outside the protocol; returns whether it answered. None by default.
    virtual bool HandleCustomAction(IDataBlock& block);

private:
    std::unique_ptr<IDataBlock> exchange(IDataBlock& request, uint32_t act, bool waitForResult);
    void serve(IDataBlock& block, uint32_t act);
    void serveInvoke(IDataBlock& block);
    void serveGetDispID(IDataBlock& block);
    void serveCreateObject(IDataBlock& block);
    void serveServerList(IDataBlock& block, uint32_t act);

    ISendDataBlock* m_sender;
    std::string m_category;
    const LocalObjectFactory* m_factory;
    std::vector<Tveldatadispatch*> m_proxies;
    mutable std::mutex m_localLock;
    std::map<ObjectId, std::shared_ptr<LocalObject>> m_localObjects;
};

} // namespace corvo::remote
