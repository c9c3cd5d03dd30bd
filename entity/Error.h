#pragma once

#include <stdexcept>
#include <string>

namespace corvo {

/// The one error type of the system: it aborts the user's operation and carries the exact
/// message the user sees (UTF-8). What only a developer or an operator can use (a statement's
/// text, an SQL state, a library's own words) travels beside it as the diagnostic, which is
/// logged and never shown. Caught by the form or the request that started the operation;
/// expected outcomes (a value that does not convert, a row not found) are return values.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
    Error(const std::string& message, std::string diagnostic)
        : std::runtime_error(message), m_diagnostic(std::move(diagnostic))
    {
    }

    /// For the log; empty when the message says it all.
    const std::string& diagnostic() const noexcept { return m_diagnostic; }

private:
    std::string m_diagnostic;
};

} // namespace corvo
