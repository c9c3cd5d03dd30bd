#include "Options.h"

#include "entity/Error.h"

#include <algorithm>
#include <fstream>

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
    if (const auto config = get("config")) {
        const std::map<std::string, std::string> given = std::move(m_values);
        m_values.clear();
        readConfig(*config, known);
        for (const auto& [name, value] : given)
            m_values[name] = value;
    }
}

void Options::readConfig(const std::string& file, const std::vector<std::string>& known)
{
    std::ifstream in(file);
    if (!in) throw Error("cannot read the configuration file " + file);
    auto trim = [](std::string text) {
        const auto first = text.find_first_not_of(" \t\r");
        if (first == std::string::npos) return std::string();
        return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
    };
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = trim(line);
        if (line.empty() || line.front() == '#') continue;
        const std::string where = file + ":" + std::to_string(number) + ": ";
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            throw Error(where + "expected NAME = VALUE, not \"" + line + "\"");
        const std::string name = trim(line.substr(0, equals));
        if (name == "config" || std::find(known.begin(), known.end(), name) == known.end())
            throw Error(where + "unknown key \"" + name + "\" (see corvo-server --help)");
        if (m_values.count(name)) throw Error(where + "the key \"" + name + "\" is set twice");
        m_values[name] = trim(line.substr(equals + 1));
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
