#pragma once

#include "entity/DateTime.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace corvo::server::storage::internal {

/// The URL with every password replaced by "***": the one after "user:" in the authority and
/// the value of any "password=" setting. Error messages and logs show only this form.
std::string redactUrl(std::string_view url);
/// A client library's message with any password of the URL in it replaced by "***".
std::string hideSecrets(std::string_view message, std::string_view url);

/// The backend's message followed by the statement (cut to a readable length).
std::string statementError(std::string_view message, std::string_view sql);

/// "Statement expects 2 parameters, got 1".
std::string parameterCountError(std::size_t expected, std::size_t given);

/// Throws corvo::Error for statement text no backend can take (empty, or holding a NUL byte).
void checkStatementText(std::string_view sql);

/// A date-time parameter as its canonical text; throws corvo::Error for one out of range.
std::string dateTimeParameter(const DateTime& value, std::size_t position);

/// Line breaks and tabs of a multi-line client library message folded into single spaces.
std::string oneLine(std::string_view message);

} // namespace corvo::server::storage::internal
