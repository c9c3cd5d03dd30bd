#pragma once

#include <stdexcept>
#include <string>

namespace corvo {

/// The one error type of the system: it aborts the user's operation and carries the exact
/// message the user sees (UTF-8). Caught by the form or the request that started the operation.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace corvo
