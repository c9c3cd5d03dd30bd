#include "server/storage/internal/Text.h"

#include "entity/Error.h"
#include "server/storage/Database.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <utility>
#include <vector>

namespace corvo::server::storage::internal {
namespace {

constexpr std::size_t StatementShown = 200;

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// Cut at a byte limit without splitting a UTF-8 sequence.
std::string_view clipUtf8(std::string_view text, std::size_t limit)
{
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// Where the passwords sit in a URL or a "key=value" setting list: after "user:" in the
// authority, and the value of every "password=" setting.
std::vector<std::pair<std::size_t, std::size_t>> secretRanges(std::string_view url)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    if (std::size_t scheme = url.find("://"); scheme != std::string_view::npos) {
        std::size_t start = scheme + 3;
        // A password may hold an unescaped "/", so the authority is taken up to the query.
        std::size_t end = url.find_first_of("?#", start);
        std::size_t at = url.substr(0, end).rfind('@');
        if (at != std::string_view::npos && at >= start) {
            std::size_t colon = url.find(':', start);
            if (colon != std::string_view::npos && colon < at)
                ranges.emplace_back(colon + 1, at - colon - 1);
        }
    }
    constexpr std::string_view Key = "password";
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (!startsWithNoCase(url.substr(i), Key)) continue;
        if (i > 0 && (std::isalnum(static_cast<unsigned char>(url[i - 1])) || url[i - 1] == '_'))
            continue;
        std::size_t value = i + Key.size();
        while (value < url.size() && url[value] == ' ')
            ++value;
        if (value >= url.size() || url[value] != '=') continue;
        ++value;
        while (value < url.size() && url[value] == ' ')
            ++value;
        std::size_t end = value;
        if (end < url.size() && url[end] == '\'') {
            end = url.find('\'', end + 1);
            end = end == std::string_view::npos ? url.size() : end + 1;
        } else {
            end = std::min(url.find_first_of("& #", value), url.size());
        }
        ranges.emplace_back(value, end - value);
        i = end;
    }
    std::sort(ranges.begin(), ranges.end());
    return ranges;
}

} // namespace

std::string redactUrl(std::string_view url)
{
    std::string out(url);
    auto ranges = secretRanges(url);
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        if (std::next(it) != ranges.rend() &&
            std::next(it)->first + std::next(it)->second > it->first)
            continue; // overlapping ranges: the earlier one covers it
        out.replace(it->first, it->second, "***");
    }
    return out;
}

std::string hideSecrets(std::string_view message, std::string_view url)
{
    std::string out(message);
    for (auto [pos, length] : secretRanges(url)) {
        if (length == 0) continue;
        std::string secret(url.substr(pos, length));
        for (std::size_t at = out.find(secret); at != std::string::npos;
             at = out.find(secret, at + 3))
            out.replace(at, secret.size(), "***");
    }
    return out;
}

std::string statementError(std::string_view message, std::string_view sql)
{
    std::string out(message);
    std::string_view shown = clipUtf8(sql, StatementShown);
    out += " (statement: ";
    out += shown;
    if (shown.size() < sql.size()) out += "...";
    out += ')';
    return out;
}

std::string parameterCountError(std::size_t expected, std::size_t given)
{
    return "Statement expects " + std::to_string(expected) +
           (expected == 1 ? " parameter" : " parameters") + ", got " + std::to_string(given);
}

void checkStatementText(std::string_view sql)
{
    if (sql.find('\0') != std::string_view::npos)
        throw StorageError("Statement text contains a NUL character");
    if (std::all_of(sql.begin(), sql.end(),
                    [](char c) { return std::isspace(static_cast<unsigned char>(c)); }))
        throw StorageError("Empty statement");
}

std::string dateTimeParameter(const DateTime& value, std::size_t position)
{
    if (!value.isValid())
        throw StorageError("Parameter " + std::to_string(position) +
                           " is a date-time out of range");
    return value.toString();
}

std::string oneLine(std::string_view message)
{
    std::string out;
    bool blank = false;
    for (char c : message) {
        if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

} // namespace corvo::server::storage::internal
