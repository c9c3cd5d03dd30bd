#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvo::server::storage::postgres {

struct NumberedStatement {
    std::string sql;
    std::size_t parameterCount = 0;
};

/// Rewrites each "?" placeholder as $1, $2, ... in order. A "?" inside a quoted literal
/// ('...', E'...'), a quoted identifier ("..."), a dollar-quoted string ($$...$$, $tag$...$tag$)
/// or a comment (-- and nested /* */) is left alone. Unterminated quotes run to the end.
/// PostgreSQL's own "?" operators (jsonb) cannot be written in such statements.
NumberedStatement numberPlaceholders(std::string_view sql);

} // namespace corvo::server::storage::postgres
