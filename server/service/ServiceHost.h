#pragma once

#include "ServerContext.h"
#include "ServiceObject.h"
#include "remote/LocalObject.h"
#include "remote/TVelDataBlockInterpreter.h"
#include "server/http/HttpExchange.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server {

/// The application server classes behind the script path: unpacks each request envelope, lets
/// the serving peer answer the block with the current request's session in reach, and packs
/// the reply. Thread-safe: requests of many connections are served at once.
class ServiceHost {
public:
    static constexpr std::string_view ScriptPath = "/scripts/Velmarwebsvr.dll";
    static constexpr std::size_t DefaultMaxEnvelope = std::size_t{64} << 20;
    /// Objects held at once. Clients that vanish without freeing theirs would otherwise fill
    /// the memory; the least recently used go first, and a client that still wanted one
    /// re-creates it on the "server connection has changed" answer.
    static constexpr std::size_t DefaultMaxObjects = 100'000;

    ServiceHost(ServerContext& server, std::vector<ServiceClass> classes,
                std::size_t maxEnvelope = DefaultMaxEnvelope,
                std::size_t maxObjects = DefaultMaxObjects);
    ~ServiceHost();
    ServiceHost(const ServiceHost&) = delete;
    ServiceHost& operator=(const ServiceHost&) = delete;

    HttpAnswer handle(const HttpExchange& request);

    std::size_t liveObjects() const;

private:
    class Interpreter;
    ServerContext& m_server;
    std::vector<ServiceClass> m_classes;
    std::size_t m_maxEnvelope;
    std::size_t m_maxObjects;
    remote::LocalObjectFactory m_factory;
    std::unique_ptr<Interpreter> m_interpreter;
};

} // namespace corvo::server
