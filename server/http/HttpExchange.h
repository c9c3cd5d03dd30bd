#pragma once

#include "entity/Variant.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvo::server {

/// One HTTP request as the application sees it; the views live for the handler call.
struct HttpExchange {
    std::string_view method;
    std::string_view target;
    std::string_view cookieHeader;
    std::span<const uint8_t> body;
    std::string_view peerAddress = {}; ///< the client's IP address as text; empty when unknown
};

struct HttpAnswer {
    int status = 200;
    std::string reason = "OK";
    std::string contentType = "application/octet-stream";
    Bytes body;
    std::string setCookie;
};

} // namespace corvo::server
