#pragma once

#include <string>
#include <vector>

namespace corvo::server {

/// The sub-commands of corvo-server; each returns the process exit code and throws
/// corvo::Error for a failure the user must see.
int serveCommand(const std::vector<std::string>& args);
int initDemoCommand(const std::vector<std::string>& args);
int initCommand(const std::vector<std::string>& args);
int backupCommand(const std::vector<std::string>& args);
int restoreCommand(const std::vector<std::string>& args);
int userCommand(const std::vector<std::string>& args);
int encodePasswordCommand(const std::vector<std::string>& args);

extern const char* const UsageText;

} // namespace corvo::server
