#include "TVelDataBlockInterpreter.h"

#include "ObjectId.h"
#include "Tveldatadispatch.h"
#include "Utf16.h"
#include "VariantCodec.h"
#include "entity/Error.h"

#include <algorithm>

namespace corvo::remote {

namespace {

int32_t readInt(IDataBlock& block)
{
    const RemoteValue v = readValue(block);
    if (v.isArray() || v.isEmpty() || v.isNull() || v.type() == vt::String ||
        v.type() == vt::Dispatch)
        throw Error(InvalidDataPacket);
    return static_cast<int32_t>(v.toInt64());
}

std::string readText(IDataBlock& block)
{
    const RemoteValue v = readValue(block);
    if (v.isArray() || v.type() != vt::String) throw Error(InvalidDataPacket);
    return utf8FromUtf16(v.text());
}

void writeText(IDataBlock& block, const std::string& utf8)
{
    writeValue(block, RemoteValue::string(utf16FromUtf8(utf8)));
}

// Counts read from the wire are checked against what the block can still hold (every
// argument needs at least a 4-byte type word) and against the values it may still decode.
uint32_t readCount(IDataBlock& block)
{
    const int32_t n = readInt(block);
    if (n < 0 || static_cast<std::size_t>(n) > block.ReadRemaining() / 4 ||
        block.DecodedValues() + static_cast<uint64_t>(n) > MaxDecodedValues)
        throw Error(InvalidDataPacket);
    return static_cast<uint32_t>(n);
}

} // namespace

TVelDataBlockInterpreter::TVelDataBlockInterpreter(ISendDataBlock* sender, std::string category,
                                                   const LocalObjectFactory* factory)
    : m_sender(sender), m_category(std::move(category)), m_factory(factory)
{
}

TVelDataBlockInterpreter::~TVelDataBlockInterpreter()
{
    for (Tveldatadispatch* proxy : m_proxies)
        proxy->detach();
    m_proxies.clear();
    std::lock_guard lock(m_localLock);
    m_localObjects.clear();
}

void TVelDataBlockInterpreter::AddProxy(Tveldatadispatch* proxy)
{
    m_proxies.push_back(proxy);
}

void TVelDataBlockInterpreter::RemoveProxy(Tveldatadispatch* proxy)
{
    std::erase(m_proxies, proxy);
}

std::unique_ptr<IDataBlock> TVelDataBlockInterpreter::exchange(IDataBlock& request, uint32_t act,
                                                               bool waitForResult)
{
    if (!m_sender) throw Error("No connection to send through");
    request.SetSignature(RequestBlock | act);
    std::unique_ptr<IDataBlock> reply = m_sender->Send(request, waitForResult);
    if (!reply) throw Error(InvalidDataPacket);
    raiseIfErrorReply(*reply);
    return reply;
}

void TVelDataBlockInterpreter::SendFreeObject(const ObjectId& id)
{
    TvelDataBlock block;
    writeObjectId(block, id);
    exchange(block, action::FreeObject, false);
}

int32_t TVelDataBlockInterpreter::SendGetDispID(const ObjectId& id,
                                                std::span<const std::u16string> names,
                                                std::span<int32_t> dispIds)
{
    if (names.size() != 1 || dispIds.empty()) return status::NotImplemented;
    TvelDataBlock block;
    writeObjectId(block, id);
    writeValue(block, RemoteValue::string(names[0]));
    auto reply = exchange(block, action::GetDispID, true);
    const int32_t code = readInt(*reply);
    if (code == status::Ok) dispIds[0] = readInt(*reply);
    return code;
}

int32_t TVelDataBlockInterpreter::SendInvoke(const ObjectId& id, int32_t dispId, int32_t flags,
                                             std::vector<RemoteValue>& args,
                                             std::span<const int32_t> namedDispIds,
                                             bool resultWanted, RemoteValue* result,
                                             ExceptionInfo* exception)
{
    TvelDataBlock block;
    writeObjectId(block, id);
    writeValue(block, RemoteValue::int32(dispId));
    writeValue(block, RemoteValue::int32(flags));
    writeValue(block, RemoteValue::boolean(resultWanted));
    writeValue(block, RemoteValue::int32(static_cast<int32_t>(args.size())));
    writeValue(block, RemoteValue::int32(static_cast<int32_t>(namedDispIds.size())));
    for (int32_t named : namedDispIds)
        writeValue(block, RemoteValue::int32(named));
    for (const RemoteValue& arg : args)
        writeValue(block, arg);

    auto reply = exchange(block, action::Invoke, true);
    const int32_t code = readInt(*reply);
    if (code == status::ExceptionOccurred) {
        ExceptionInfo info;
        info.code = readInt(*reply);
        info.description = readText(*reply);
        if (exception) *exception = std::move(info);
    }
    // Read every returned value before touching the caller's arguments: a short reply must
    // not leave them half overwritten.
    std::vector<RemoteValue> returned;
    for (const RemoteValue& arg : args)
        if (arg.isByRef()) returned.push_back(readValue(*reply));
    RemoteValue value;
    if (resultWanted) value = readValue(*reply);

    auto next = returned.begin();
    for (RemoteValue& arg : args) {
        if (!arg.isByRef()) continue;
        const Reference form = arg.reference();
        arg = std::move(*next++);
        arg.setReference(form);
    }
    if (resultWanted && result) {
        value.setReference(Reference::None);
        *result = std::move(value);
    }
    return code;
}

RemoteValue TVelDataBlockInterpreter::SendGetServerList()
{
    TvelDataBlock block;
    auto reply = exchange(block, action::GetAppServerList, true);
    return readValue(*reply);
}

std::unique_ptr<LocalObject> TVelDataBlockInterpreter::InstantiateObject(const Guid& classId)
{
    return m_factory ? m_factory->create(classId) : nullptr;
}

std::shared_ptr<LocalObject> TVelDataBlockInterpreter::CreateLocalObject(const std::string& name)
{
    std::optional<Guid> classId = m_factory ? m_factory->resolve(name) : std::nullopt;
    if (!classId || !MayCreateObject(*classId))
        throw Error("Object not available: " + (classId ? classId->toString() : name));
    std::shared_ptr<LocalObject> object = InstantiateObject(*classId);
    if (!object) throw Error("Object not available: " + classId->toString());
    return object;
}

ObjectId TVelDataBlockInterpreter::StoreLocalObject(std::shared_ptr<LocalObject> object)
{
    std::lock_guard lock(m_localLock);
    ObjectId id = newObjectId();
    while (m_localObjects.contains(id))
        id = newObjectId();
    m_localObjects.emplace(id, std::move(object));
    return id;
}

std::shared_ptr<LocalObject> TVelDataBlockInterpreter::LockLocalObject(const ObjectId& id)
{
    std::lock_guard lock(m_localLock);
    auto it = m_localObjects.find(id);
    if (it == m_localObjects.end()) throw Error(ServerObjectGone);
    return it->second;
}

void TVelDataBlockInterpreter::UnlockLocalObject(const ObjectId&)
{
    // The shared reference handed out by LockLocalObject keeps the object alive meanwhile.
}

void TVelDataBlockInterpreter::ReleaseLocalObject(const ObjectId& id)
{
    std::shared_ptr<LocalObject> dropped;
    std::lock_guard lock(m_localLock);
    auto it = m_localObjects.find(id);
    if (it == m_localObjects.end()) return;
    dropped = std::move(it->second);
    m_localObjects.erase(it);
}

std::size_t TVelDataBlockInterpreter::localObjectCount() const
{
    std::lock_guard lock(m_localLock);
    return m_localObjects.size();
}

bool TVelDataBlockInterpreter::MayCreateObject(const Guid& classId)
{
    return m_factory && m_factory->allows(classId, m_category);
}

std::shared_ptr<Tveldatadispatch>
TVelDataBlockInterpreter::SendCreateObject(const std::string& name)
{
    TvelDataBlock block;
    writeText(block, name);
    auto reply = exchange(block, action::CreateObject, true);
    const RemoteValue object = readValue(*reply);
    if (object.isArray() || object.type() != vt::Dispatch) return nullptr;
    return std::make_shared<Tveldatadispatch>(this, object.objectId(), name);
}

void TVelDataBlockInterpreter::RecreateRemoteObject(Tveldatadispatch& proxy)
{
    TvelDataBlock block;
    writeText(block, proxy.serverName());
    auto reply = exchange(block, action::CreateObject, true);
    if ((readUInt32(*reply) & ~vt::ByRefFlag) == vt::Dispatch)
        proxy.setObjectId(readObjectId(*reply));
}

bool TVelDataBlockInterpreter::HandleBlock(IDataBlock& block)
{
    const uint32_t act = block.Signature() & action::Mask;
    try {
        serve(block, act);
    } catch (const std::exception& e) {
        if (act == action::FreeObject) {
            block.Clear();
            block.SetSignature(ReplyBlock | act);
            return false;
        }
        block.Clear();
        writeText(block, e.what());
        block.SetSignature(ReplyBlock | action::Error);
        return true;
    }
    return act != action::FreeObject;
}

void TVelDataBlockInterpreter::serve(IDataBlock& block, uint32_t act)
{
    switch (act) {
    case action::Error:
        throw Error(readText(block));
    case action::Invoke:
        serveInvoke(block);
        return;
    case action::GetDispID:
        serveGetDispID(block);
        return;
    case action::CreateObject:
        serveCreateObject(block);
        return;
    case action::FreeObject:
        ReleaseLocalObject(readObjectId(block));
        block.Clear();
        block.SetSignature(ReplyBlock | act);
        return;
    case action::GetServerList:
    case action::GetAppServerList:
        serveServerList(block, act);
        return;
    default:
        if (!HandleCustomAction(block))
            throw Error("Invalid action received: " + std::to_string(act));
    }
}

void TVelDataBlockInterpreter::serveInvoke(IDataBlock& block)
{
    const ObjectId id = readObjectId(block);
    std::shared_ptr<LocalObject> object = LockLocalObject(id);
    InvokeRequest request;
    request.dispId = readInt(block);
    request.flags = readInt(block);
    {
        const RemoteValue wanted = readValue(block);
        request.resultWanted = wanted.toBool();
    }
    const uint32_t argCount = readCount(block);
    const uint32_t namedCount = readCount(block);
    for (uint32_t i = 0; i < namedCount; ++i)
        request.namedDispIds.push_back(readInt(block));
    std::vector<RemoteValue> args;
    args.reserve(argCount);
    for (uint32_t i = 0; i < argCount; ++i)
        args.push_back(readValue(block));
    std::vector<Reference> forms;
    for (const RemoteValue& arg : args)
        forms.push_back(arg.reference());

    RemoteValue result;
    ExceptionInfo exception;
    int32_t code = status::Ok;
    try {
        code = object->invoke(request, args, result, exception);
    } catch (...) {
        UnlockLocalObject(id);
        throw;
    }
    UnlockLocalObject(id);

    block.Clear();
    writeValue(block, RemoteValue::int32(code));
    if (code == status::ExceptionOccurred) {
        writeValue(block, RemoteValue::int32(exception.code));
        writeText(block, exception.description);
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (forms[i] == Reference::None) continue;
        RemoteValue back = args[i];
        // A dispatch cannot carry the bit in its own type word.
        back.setReference(forms[i] == Reference::Direct && back.type() == vt::Dispatch
                              ? Reference::Variant
                              : forms[i]);
        writeValue(block, back);
    }
    if (request.resultWanted) {
        result.setReference(Reference::None);
        writeValue(block, result);
    }
    block.SetSignature(ReplyBlock | action::Invoke);
}

void TVelDataBlockInterpreter::serveGetDispID(IDataBlock& block)
{
    const ObjectId id = readObjectId(block);
    std::shared_ptr<LocalObject> object = LockLocalObject(id);
    const RemoteValue name = readValue(block);
    if (name.isArray() || name.type() != vt::String) throw Error(InvalidDataPacket);
    int32_t dispId = 0;
    const int32_t code = object->getIdsOfName(name.text(), dispId);
    UnlockLocalObject(id);
    block.Clear();
    writeValue(block, RemoteValue::int32(code));
    if (code == status::Ok) writeValue(block, RemoteValue::int32(dispId));
    block.SetSignature(ReplyBlock | action::GetDispID);
}

void TVelDataBlockInterpreter::serveCreateObject(IDataBlock& block)
{
    const std::string name = readText(block);
    const ObjectId id = StoreLocalObject(CreateLocalObject(name));
    block.Clear();
    writeValue(block, RemoteValue::dispatch(id));
    block.SetSignature(ReplyBlock | action::CreateObject);
}

void TVelDataBlockInterpreter::serveServerList(IDataBlock& block, uint32_t act)
{
    const std::vector<std::string> names =
        m_factory ? m_factory->names(m_category) : std::vector<std::string>{};
    block.Clear();
    if (names.empty()) {
        writeValue(block, RemoteValue::null());
    } else {
        std::vector<RemoteValue> elements;
        for (const std::string& n : names)
            elements.push_back(RemoteValue::string(utf16FromUtf8(n)));
        const int32_t high = static_cast<int32_t>(elements.size()) - 1;
        writeValue(block, RemoteValue::valueArray(vt::String, {{0, high}}, std::move(elements)));
    }
    block.SetSignature(ReplyBlock | act);
}

bool TVelDataBlockInterpreter::HandleCustomAction(IDataBlock&)
{
    return false;
}

} // namespace corvo::remote
