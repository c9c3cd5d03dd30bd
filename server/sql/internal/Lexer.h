#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::sql::internal {

struct Token {
    enum class Kind { Word, Text, Number, Symbol, End };
    Kind kind = Kind::End;
    std::string text;       ///< word or symbol as written; a text literal's value
    std::size_t offset = 0; ///< where it starts in the source
};

/// Splits a condition (UTF-8) into words, 'texts', numbers and the symbols
/// = <> < > <= >= ( ) , . - and a final End token. Refuses ';', comments, unclosed quotes
/// and every other character outside a quoted text with corvo::Error.
std::vector<Token> tokenize(std::string_view text);

/// A short piece of the text from `offset`, cut on a character boundary, for messages.
std::string excerpt(std::string_view text, std::size_t offset);

} // namespace corvo::server::sql::internal
