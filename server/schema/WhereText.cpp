#include "server/schema/WhereText.h"

#include "Ddl.h"
#include "entity/Error.h"
#include "entity/Gbk.h"

namespace corvo::server::schema {
namespace {

bool isWordStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isWordPart(char c)
{
    return isWordStart(c) || (c >= '0' && c <= '9');
}

bool isKeyword(std::string_view word)
{
    for (std::string_view k : {"and", "or", "not", "like", "in", "is", "null", "between", "escape"})
        if (gbk::equalsIgnoreCase(word, k)) return true;
    return false;
}

/// The end of a quoted run starting at `begin` (the opening quote), doubled quotes inside;
/// npos when it is not closed.
std::size_t closingQuote(std::string_view text, std::size_t begin)
{
    const char quote = text[begin];
    for (std::size_t i = begin + 1; i < text.size(); ++i) {
        if (text[i] != quote) continue;
        if (i + 1 < text.size() && text[i + 1] == quote) {
            ++i;
            continue;
        }
        return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string checkedWhere(std::string_view where, const TableLayout& layout,
                         std::size_t parameterCount)
{
    const std::string prefix = "读取表[" + layout.table().code + "]的条件";
    std::string out;
    std::size_t marks = 0;
    for (std::size_t i = 0; i < where.size();) {
        const char c = where[i];
        if (c == '\'' || c == '"') {
            std::size_t end = closingQuote(where, i);
            if (end == std::string_view::npos) throw Error(prefix + "中的引号没有结束");
            if (c == '\'') {
                out.append(where.substr(i, end + 1 - i));
            } else {
                std::string name;
                for (std::size_t k = i + 1; k < end; ++k) {
                    name += where[k];
                    if (where[k] == '"') ++k;
                }
                int column = layout.columnIndex(name);
                if (column < 0) throw Error(prefix + "中的[" + name + "]不是该表的列");
                out += quoteIdentifier(layout.columns()[std::size_t(column)].code());
            }
            i = end + 1;
        } else if (isWordStart(c)) {
            std::size_t end = i;
            while (end < where.size() && isWordPart(where[end]))
                ++end;
            std::string_view word = where.substr(i, end - i);
            if (!isKeyword(word))
                throw Error(prefix + "中的[" + std::string(word) +
                            "]既不是关键字，也不是用双引号括起的列名");
            out.append(word);
            i = end;
        } else if (c == ';' || where.substr(i, 2) == "--" || where.substr(i, 2) == "/*") {
            throw Error(prefix + "中不能有分号或注释");
        } else {
            if (c == '?') ++marks;
            out += c;
            ++i;
        }
    }
    if (marks != parameterCount)
        throw Error(prefix + "中有" + std::to_string(marks) + "个参数，但给出了" +
                    std::to_string(parameterCount) + "个值");
    return out;
}

} // namespace corvo::server::schema
