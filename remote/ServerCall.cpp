#include "remote/ServerCall.h"

#include "entity/Error.h"
#include "entity/TParamData.h"
#include "remote/LocalObject.h"
#include "remote/RemoteValue.h"
#include "remote/Tveldatadispatch.h"
#include "remote/Tvelwebconnection.h"

#include <vector>

namespace corvo::remote {

namespace {
constexpr int32_t DispatchMethod = 1;
}

bool CallServer(Tvelwebconnection& connection, std::string_view classGuid, int32_t dispId,
                TParamData& packet)
{
    Variant data = packet.Data();
    if (classGuid.empty()) throw Error("没有指定服务器GUID，无法连接服务器！");
    // Every call writes the GUID (closing the previous object) and connects anew, so a server
    // that went away since the last call is left for the next of the list.
    connection.setServerGUID(std::string(classGuid));
    if (auto* failover = dynamic_cast<TIntellegentWebconn*>(&connection))
        failover->ConnectWithFailover();
    else
        connection.Open();
    std::shared_ptr<Tveldatadispatch> server = connection.GetServer();
    if (!server) throw Error("Invalid data packet");

    std::vector<RemoteValue> args;
    args.push_back(RemoteValue::fromVariant(data));
    args.back().byRef(Reference::Variant);
    RemoteValue result;
    ExceptionInfo exception;
    const int32_t status =
        server->Invoke(dispId, DispatchMethod, args, {}, true, &result, &exception);
    if (status == status::ExceptionOccurred) throw Error(exception.description);
    if (status != status::Ok)
        throw Error("服务器方法调用失败（状态" + std::to_string(status) + "）");
    if (result.toInt64() == 0) return false;
    packet.SetData(args[0].toVariant());
    return true;
}

} // namespace corvo::remote
