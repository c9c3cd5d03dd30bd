#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::sql {

/// A column as written: "Col" or "Table.Col". Letter case as the client wrote it.
struct ColumnRef {
    std::string qualifier; ///< empty for a plain column
    std::string name;
};

/// A quoted text or a number, as written (texts without their quotes, doubled quotes undone).
struct Literal {
    enum class Kind { Text, Number };
    Kind kind = Kind::Text;
    std::string text; ///< UTF-8
};

/// The right-hand side of a comparison or a bound of between: a column or a literal.
struct Operand {
    bool isColumn = false;
    ColumnRef column;
    Literal literal;
};

struct Condition;

/// "select Col from Table [where ...]" inside in (...).
struct SubSelect {
    ColumnRef column;
    std::string table;
    std::unique_ptr<Condition> where; ///< nullptr when absent
};

/// One node of a parsed condition. Every predicate has a column on its left; the grammar
/// has no expressions, functions or literals standing alone.
struct Condition {
    enum class Kind { And, Or, Not, Compare, Like, Between, InList, InSelect, IsNull };
    Kind kind = Kind::Compare;
    bool negated = false;              ///< not like, not between, not in, is not null
    std::string op;                    ///< Compare: =, <>, <, >, <=, >=
    std::vector<Condition> terms;      ///< And, Or: two or more; Not: one
    ColumnRef column;                  ///< the left side of a predicate
    std::vector<Operand> operands;     ///< Compare, Like: 1; Between: 2; InList: 1 or more
    std::unique_ptr<SubSelect> select; ///< InSelect
};

/// Bounds that keep a hostile text from costing more than a normal one.
inline constexpr std::size_t MaxConditionBytes = 64 * 1024;
inline constexpr int MaxConditionDepth = 32;
inline constexpr std::size_t MaxConditionLiterals = 1000;

/// Parses a condition text (UTF-8) of the grammar: or / and / not over predicates and
/// parentheses; predicates: column (=|<>|<|>|<=|>=) (column|literal), column [not] like
/// literal, column [not] between operand and operand, column [not] in (literal, ...),
/// column [not] in (select column from table [where condition]), column is [not] null.
/// Keywords ignore letter case; literals are 'quoted' (quotes doubled inside) or numbers.
/// Throws corvo::Error with the offending token for anything else, and for a text over
/// MaxConditionBytes, nested deeper than MaxConditionDepth or with more than
/// MaxConditionLiterals literals.
Condition parseCondition(std::string_view utf8);

} // namespace corvo::server::sql
