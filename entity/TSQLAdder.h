#pragma once

#include "TCustomEntity.h"

#include <string_view>

namespace corvo {

/// Kinds of clause (`SQLKey`).
namespace clause {
inline constexpr std::string_view From = "from";
inline constexpr std::string_view Select = "select";
inline constexpr std::string_view Join = "join";
inline constexpr std::string_view Where = "where";
inline constexpr std::string_view Order = "order";
inline constexpr std::string_view Sum = "sum"; ///< a column a summary groups by
} // namespace clause

/// Page modes of BuildQuery, compared case-sensitively. Any other text reads the whole
/// result without ordering.
namespace pagemode {
inline constexpr std::string_view FirstPage = "FirstPage";
inline constexpr std::string_view NextPage = "NextPage";
inline constexpr std::string_view PreviousPage = "PreviousPage";
inline constexpr std::string_view AllPage = "AllPage";
} // namespace pagemode

/// Rows of one page of a paged query.
inline constexpr int QueryPageSize = 20;

/// The SQL clause set of a query: (SQLKey, SQLClause) rows in the order they were added,
/// which the query server assembles into a statement. Also used by the forms as a plain
/// list of "where" conditions. Texts are GBK; a clause longer than 500 bytes is cut on a
/// character boundary.
class TSQLAdder : public TCustomEntity {
public:
    explicit TSQLAdder(EntityRegistry* entityList = nullptr);

    /// Appends one clause. Any failure becomes the error "在将SQL子句加入到数据集时出错！".
    bool AddClause(std::string_view kind, std::string_view text);

    /// Replaces the rows by the clauses of a query over one dictionary table: `fields` is the
    /// table's `TDictField` selection (it is re-sorted by ColOrder and walked). The first
    /// column names the table; `IsSort` columns give the paging conditions and the order for
    /// the page mode; joined columns give their select and join clauses. Throws corvo::Error
    /// for a missing or empty selection; a failure part-way keeps the clauses added so far.
    bool BuildQuery(TCustomEntity* fields, std::string_view pageMode, std::string_view nextKey,
                    std::string_view previousKey);

    /// True when a "join" clause holds alias + " as " + alias, the alias after " as " being
    /// a whole word; letter case ignored. Leaves no filter behind.
    bool HasJoinAs(std::string_view alias);
    /// The same test for "TOtherParam as " + alias.
    bool HasOtherParamJoin(std::string_view alias);

private:
    bool hasJoinText(std::string_view target);
};

} // namespace corvo
