#pragma once

#include "../FieldDefs.h"
#include "Column.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::internal {

/// A filter text of the expression subset, compiled against a table's fields:
/// comparisons F=L, F>=L, F<=L, F like L with single-quoted literals, parentheses,
/// and/or (and binds tighter), blanks anywhere, and the empty text (every row passes).
class FilterExpr {
public:
    /// Throws corvo::Error naming the problem when the text is outside the subset, names an
    /// unknown field, or holds a literal that does not convert to the field's type.
    static std::unique_ptr<FilterExpr> compile(std::string_view text,
                                               const std::vector<FieldDef>& fields);
    ~FilterExpr();

    bool matches(const std::vector<Column>& columns, uint32_t row) const;
    bool acceptsAll() const noexcept { return m_root < 0; }
    /// The field of a filter that is one "GUID field = non-empty literal" comparison (-1
    /// otherwise), and the literal's 16 bytes.
    int guidEquality(const uint8_t*& bytes) const noexcept;
    /// The field of a filter that is one "text field like 'P%'" comparison (-1 otherwise),
    /// and P.
    int textPrefix(std::string_view& prefix) const noexcept;

    struct Node;

private:
    FilterExpr();
    std::vector<Node> m_nodes;
    int m_root = -1;
    friend class FilterParser;
};

/// SQL-style pattern match: % any run, _ one character (a double-byte character counts once).
bool likeMatch(std::string_view text, std::string_view pattern) noexcept;

} // namespace corvo::internal
