#pragma once

#include "../Condition.h"
#include "server/schema/Dictionary.h"
#include "server/schema/TableLayout.h"
#include "server/storage/Database.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::sql::internal {

/// A join of the statement's main table under the alias the client's clauses give it.
struct JoinAlias {
    std::string name;                            ///< the client's alias: TOwner, StatusID, ...
    std::string sqlAlias;                        ///< ours: j0, j1, ...
    const schema::TableLayout* layout = nullptr; ///< the joined table
};

/// A table a condition may name: the main table (with its joins) or a sub-select's table.
struct TableScope {
    const schema::TableLayout* layout = nullptr;
    std::string sqlAlias;
    std::vector<JoinAlias> joins; ///< empty inside a sub-select
    const TableScope* outer = nullptr;
};

/// A column resolved against the scopes: its SQL text and its dictionary column.
struct ResolvedColumn {
    std::string sql;
    const schema::LayoutColumn* column = nullptr;
    bool isOwner = false; ///< the stored TOwnerID of a table
};

/// Turns parsed conditions into SQL over the dictionary's spelling, every literal a bound
/// parameter, and adds the owner scope of tables that have TOwnerID.
class ConditionWriter {
public:
    ConditionWriter(const schema::Dictionary& dictionary, storage::Dialect dialect,
                    std::string ownerId, std::vector<storage::Value>& params,
                    std::string partnerId = {});

    /// The main table's scope: alias "t", its joins "j0", "j1", ... in layout order.
    TableScope mainScope(const schema::TableLayout& layout);
    std::string write(const Condition& condition, const TableScope& scope);
    ResolvedColumn resolve(const ColumnRef& ref, const TableScope& scope);
    /// The company's scope of the table under its alias (schema::OwnerScope): the session's
    /// company, rows of no company and a partner's rows that name the company; through the
    /// row a line or a right belongs to; empty for a shared table.
    std::string ownerScope(const TableScope& scope);
    /// The layout of a dictionary table, resolved once per writer.
    const schema::TableLayout& layoutOf(std::string_view table);
    /// Every table the writer resolved so far (the main table, its joins, sub-selects).
    const std::vector<std::string>& tables() const noexcept { return m_tables; }

private:
    std::string parameter(storage::Value value);
    std::string operand(const Operand& operand, const ResolvedColumn& left,
                        const TableScope& scope);
    std::string literal(const Literal& literal, const ResolvedColumn& left);
    std::string subSelect(const SubSelect& select, const TableScope& scope);

    const schema::Dictionary& m_dictionary;
    storage::Dialect m_dialect;
    std::string m_ownerId;
    std::vector<storage::Value>& m_params;
    std::string m_partnerId;
    std::map<std::string, std::shared_ptr<const schema::TableLayout>> m_layouts;
    std::vector<std::string> m_tables;
    int m_subSelects = 0;
};

/// Statements stop at this many bound values, whatever their clauses hold.
inline constexpr std::size_t MaxStatementParameters = 2000;

/// The client's name of the join a joined column goes through: JoinedTable for an other
/// parameter, otherwise the key column without its "ID".
std::string clientJoinAlias(const schema::TableLayout& layout, std::size_t joinIndex);

} // namespace corvo::server::sql::internal
