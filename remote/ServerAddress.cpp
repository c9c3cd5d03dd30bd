#include "remote/ServerAddress.h"

#include "entity/Gbk.h"

namespace corvo::remote {

std::vector<std::string> serverUrls(std::string_view configured)
{
    constexpr std::string_view Script = "/scripts/Velmarwebsvr.dll";
    constexpr std::string_view Secure = "https://";
    std::vector<std::string> urls;
    const bool several = configured.find(';') != std::string_view::npos;
    if (!several && !(configured.size() >= Secure.size() &&
                      gbk::equalsIgnoreCase(configured.substr(0, Secure.size()), Secure)))
        return {"http://" + std::string(configured) + std::string(Script)};
    while (true) {
        const std::size_t end = configured.find(';');
        std::string_view address = configured.substr(0, end);
        while (!address.empty() && (address.front() == ' ' || address.front() == '\t'))
            address.remove_prefix(1);
        while (!address.empty() && (address.back() == ' ' || address.back() == '\t'))
            address.remove_suffix(1);
        const bool secure = address.size() >= Secure.size() &&
                            gbk::equalsIgnoreCase(address.substr(0, Secure.size()), Secure);
        if (secure) address.remove_prefix(Secure.size());
        if (!address.empty())
            urls.push_back((secure ? "https://" : "http://") + std::string(address) +
                           std::string(Script));
        if (end == std::string_view::npos) break;
        configured.remove_prefix(end + 1);
    }
    return urls;
}

} // namespace corvo::remote
