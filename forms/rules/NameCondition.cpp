#include "NameCondition.h"

#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

#include <vector>

namespace corvo::forms {
namespace {

// The clauses of a filter this unit wrote: "(a)and(b)and(c)", quotes respected.
std::vector<std::string> clauses(std::string_view filter)
{
    std::vector<std::string> out;
    int depth = 0;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < filter.size(); ++i) {
        const char c = filter[i];
        if (c == '\'') quoted = !quoted;
        if (quoted) continue;
        if (c == '(' && depth++ == 0) start = i + 1;
        if (c == ')' && depth > 0 && --depth == 0)
            out.emplace_back(filter.substr(start, i - start));
    }
    return out;
}

bool isOnField(std::string_view clause, std::string_view field)
{
    const std::string_view trimmed = gbk::trim(clause);
    return trimmed.size() > field.size() && gbk::startsWithIgnoreCase(trimmed, field) &&
           trimmed[field.size()] == ' ';
}

} // namespace

std::string nameConditionFilter(std::string_view filter, std::string_view field, NameEditor editor,
                                std::string_view value)
{
    std::string result;
    for (const std::string& clause : clauses(filter)) {
        if (isOnField(clause, field)) continue;
        result += (result.empty() ? "(" : "and(") + clause + ")";
    }
    if (value.empty()) return result;
    std::string clause(field);
    if (editor == NameEditor::VelCombobox)
        clause += " = " + QuotedFilterValue(value);
    else if (std::string_view(field).find("Name") != std::string_view::npos)
        clause += " like " + QuotedFilterValue(std::string(value) + "%");
    else
        clause += " like " + QuotedFilterValue("%" + std::string(value) + "%");
    result += (gbk::trim(result).empty() ? "(" : "and(") + clause + ")";
    return result;
}

} // namespace corvo::forms
