#pragma once

#include <cstdint>
#include <string_view>

namespace corvo {
class TParamData;
}

namespace corvo::remote {

class Tvelwebconnection;

/// One application server call: the packet's data goes by reference to the method of the
/// server object of that class; on true the server's packet replaces the sent one, on false
/// the packet stays as it was sent. Throws "没有指定服务器GUID，无法连接服务器！" for an empty
/// class GUID (nothing is connected), and corvo::Error for transport, server and exception
/// errors. The call writes the class GUID (closing the object of the previous call), connects
/// (with failover over its URL list when the connection has one), then invokes.
bool CallServer(Tvelwebconnection& connection, std::string_view classGuid, int32_t dispId,
                TParamData& packet);

} // namespace corvo::remote
