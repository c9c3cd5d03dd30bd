#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvo::server {

/// "--name value" pairs and plain words of one command line, in a form that tells the user
/// plainly what is missing or unknown.
class Options {
public:
    /// Throws corvo::Error for an option outside `known` or one without its value. When
    /// `known` holds "config", "--config FILE" reads "name = value" lines (blank lines and
    /// lines starting with # aside) for the other known names; the command line wins over
    /// the file, and a name the command does not know is refused with the file and line.
    Options(const std::vector<std::string>& args, const std::vector<std::string>& known,
            const std::vector<std::string>& flags = {});

    std::optional<std::string> get(const std::string& name) const;
    /// Throws corvo::Error "missing --name" when absent.
    std::string require(const std::string& name) const;
    bool flag(const std::string& name) const;
    const std::vector<std::string>& words() const noexcept { return m_words; }

private:
    void readConfig(const std::string& file, const std::vector<std::string>& known);

    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_flags;
    std::vector<std::string> m_words;
};

} // namespace corvo::server
