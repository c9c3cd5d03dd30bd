#include "Options.h"

#include "entity/Error.h"

#include <algorithm>

namespace corvo::server {

Options::Options(const std::vector<std::string>& args, const std::vector<std::string>& known,
                 const std::vector<std::string>& flags)
{
    auto has = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!a.starts_with("--")) {
            m_words.push_back(a);
            continue;
        }
        const std::string name = a.substr(2);
        if (has(flags, name)) {
            m_flags.push_back(name);
        } else if (has(known, name)) {
            if (i + 1 >= args.size()) throw Error("missing value after " + a);
            m_values[name] = args[++i];
        } else {
            throw Error("unknown option " + a + " (see corvo-server --help)");
        }
    }
}

std::optional<std::string> Options::get(const std::string& name) const
{
    const auto it = m_values.find(name);
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

std::string Options::require(const std::string& name) const
{
    if (auto v = get(name)) return *v;
    throw Error("missing --" + name + " (see corvo-server --help)");
}

bool Options::flag(const std::string& name) const
{
    return std::find(m_flags.begin(), m_flags.end(), name) != m_flags.end();
}

} // namespace corvo::server
