#include "Lexer.h"

#include "../Condition.h"
#include "entity/Error.h"

#include <algorithm>

namespace corvo::server::sql::internal {
namespace {

constexpr std::size_t MaxWordBytes = 128;
constexpr std::size_t ExcerptBytes = 24;

bool isWordStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

[[noreturn]] void unrecognised(std::string_view text, std::size_t offset)
{
    throw Error("查询条件无法识别：" + excerpt(text, offset) + " 附近");
}

} // namespace

std::string excerpt(std::string_view text, std::size_t offset)
{
    std::size_t end = std::min(text.size(), offset + ExcerptBytes);
    // Back off over UTF-8 continuation bytes so the message stays valid text.
    while (end > offset && end < text.size() &&
           (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    std::string out(text.substr(offset, end - offset));
    if (end < text.size()) out += "…";
    return out;
}

std::vector<Token> tokenize(std::string_view text)
{
    if (text.size() > MaxConditionBytes)
        throw Error("查询条件太长：超过" + std::to_string(MaxConditionBytes) + "字节");
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (isBlank(c)) {
            ++i;
            continue;
        }
        Token token;
        token.offset = i;
        if (c == ';') throw Error("查询条件中不允许使用分号：" + excerpt(text, i));
        if (text.substr(i, 2) == "--" || text.substr(i, 2) == "/*")
            throw Error("查询条件中不允许使用注释：" + excerpt(text, i));
        if (c == '\'') {
            token.kind = Token::Kind::Text;
            std::size_t k = i + 1;
            for (;; ++k) {
                if (k >= text.size()) throw Error("查询条件中的引号没有结束：" + excerpt(text, i));
                if (text[k] != '\'') {
                    token.text += text[k];
                } else if (k + 1 < text.size() && text[k + 1] == '\'') {
                    token.text += '\'';
                    ++k;
                } else {
                    break;
                }
            }
            i = k + 1;
        } else if (isWordStart(c)) {
            token.kind = Token::Kind::Word;
            std::size_t k = i;
            while (k < text.size() && (isWordStart(text[k]) || isDigit(text[k])))
                ++k;
            if (k - i > MaxWordBytes) unrecognised(text, i);
            token.text = std::string(text.substr(i, k - i));
            i = k;
        } else if (isDigit(c)) {
            token.kind = Token::Kind::Number;
            std::size_t k = i;
            while (k < text.size() && isDigit(text[k]))
                ++k;
            if (k + 1 < text.size() && text[k] == '.' && isDigit(text[k + 1])) {
                k += 1;
                while (k < text.size() && isDigit(text[k]))
                    ++k;
            }
            // 1e5, 0x1F, 12abc: not numbers of this grammar.
            if (k < text.size() && (isWordStart(text[k]) || text[k] == '.')) unrecognised(text, i);
            if (k - i > MaxWordBytes) unrecognised(text, i);
            token.text = std::string(text.substr(i, k - i));
            i = k;
        } else {
            token.kind = Token::Kind::Symbol;
            std::string_view two = text.substr(i, 2);
            if (two == "<>" || two == "<=" || two == ">=") {
                token.text = std::string(two);
                i += 2;
            } else if (c == '=' || c == '<' || c == '>' || c == '(' || c == ')' || c == ',' ||
                       c == '.' || c == '-') {
                token.text = std::string(1, c);
                ++i;
            } else {
                unrecognised(text, i);
            }
        }
        tokens.push_back(std::move(token));
    }
    Token end;
    end.offset = text.size();
    tokens.push_back(std::move(end));
    return tokens;
}

} // namespace corvo::server::sql::internal
