#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvo::remote {

/// The server script's URLs of a configured server address: "http://" + address +
/// "/scripts/Velmarwebsvr.dll", or with https when the address begins with "https://"; several
/// addresses separated by ";" give one URL each, in their order (blanks around them dropped,
/// empty ones skipped). One plain address is taken exactly as it is written.
std::vector<std::string> serverUrls(std::string_view configured);

} // namespace corvo::remote
