#include "server/storage/postgres/Placeholders.h"

#include <cctype>

namespace corvo::server::storage::postgres {
namespace {

bool isIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isTagStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// End (one past) of a quoted run that starts at `open` with `quote`; a doubled quote stays
// inside, and so does a backslash-escaped one when `backslashes` is set.
std::size_t skipQuoted(std::string_view sql, std::size_t open, char quote, bool backslashes)
{
    std::size_t i = open + 1;
    while (i < sql.size()) {
        char c = sql[i];
        if (backslashes && c == '\\') {
            i += 2;
            continue;
        }
        if (c == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

std::size_t skipBlockComment(std::string_view sql, std::size_t open)
{
    int depth = 0;
    std::size_t i = open;
    while (i < sql.size()) {
        if (sql.compare(i, 2, "/*") == 0) {
            ++depth;
            i += 2;
        } else if (sql.compare(i, 2, "*/") == 0) {
            i += 2;
            if (--depth == 0) return i;
        } else {
            ++i;
        }
    }
    return sql.size();
}

// A dollar quote opens with $tag$ (tag possibly empty); returns the tag's length including
// both dollars, or 0 when `open` starts no dollar quote ($1, a$b).
std::size_t dollarTagLength(std::string_view sql, std::size_t open)
{
    if (open > 0 && isIdentifierChar(sql[open - 1])) return 0;
    std::size_t i = open + 1;
    if (i < sql.size() && sql[i] != '$') {
        if (!isTagStart(sql[i])) return 0;
        while (i < sql.size() && sql[i] != '$' && isIdentifierChar(sql[i]))
            ++i;
    }
    if (i >= sql.size() || sql[i] != '$') return 0;
    return i - open + 1;
}

} // namespace

NumberedStatement numberPlaceholders(std::string_view sql)
{
    NumberedStatement out;
    out.sql.reserve(sql.size() + 8);
    std::size_t i = 0;
    auto copyTo = [&](std::size_t end) {
        out.sql.append(sql.substr(i, end - i));
        i = end;
    };
    while (i < sql.size()) {
        const char c = sql[i];
        if (c == '?') {
            out.sql += '$';
            out.sql += std::to_string(++out.parameterCount);
            ++i;
        } else if (c == '\'') {
            // E'...' (escape string) takes backslash escapes; a standard string does not.
            const bool escape = i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') &&
                                (i < 2 || !isIdentifierChar(sql[i - 2]));
            copyTo(skipQuoted(sql, i, '\'', escape));
        } else if (c == '"') {
            copyTo(skipQuoted(sql, i, '"', false));
        } else if (c == '-' && sql.compare(i, 2, "--") == 0) {
            std::size_t end = sql.find('\n', i);
            copyTo(end == std::string_view::npos ? sql.size() : end);
        } else if (c == '/' && sql.compare(i, 2, "/*") == 0) {
            copyTo(skipBlockComment(sql, i));
        } else if (std::size_t tag = c == '$' ? dollarTagLength(sql, i) : 0; tag != 0) {
            std::string_view delimiter = sql.substr(i, tag);
            std::size_t close = sql.find(delimiter, i + tag);
            copyTo(close == std::string_view::npos ? sql.size() : close + tag);
        } else {
            out.sql += c;
            ++i;
        }
    }
    return out;
}

} // namespace corvo::server::storage::postgres
