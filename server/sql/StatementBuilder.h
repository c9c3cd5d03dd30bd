#pragma once

#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvo {
class TClientDataSet;
}

namespace corvo::server::sql {

/// One row of the client's clause set (SQLKey, SQLClause), texts UTF-8.
struct Clause {
    std::string kind;
    std::string text;
};

/// Who asks and for which backend: the rows of every table are limited to this company (or
/// to no company) whatever the clauses say; see schema::OwnerScope.
struct QueryScope {
    storage::Dialect dialect = storage::Dialect::Sqlite;
    std::string ownerId; ///< the session's organisation, GUID text
    /// A partner-side query's partner (GUID text, or empty): its rows that name this company
    /// in TOrganID are reachable too, as a partner-side entry stores them.
    std::string partnerId = {};
};

/// A statement ready to run: "?" parameters, values UTF-8.
struct Statement {
    std::string sql;
    std::vector<storage::Value> params;
    std::string table;                ///< the queried table, spelt as the dictionary does
    std::vector<std::string> columns; ///< the result's columns in select order
    int limit = 0;                    ///< rows of a page ("top N"); 0 for all rows
    std::string groupBy;              ///< the column a "sum" row names; empty when none
    std::vector<std::string> tables;  ///< every table it reads: main, joined, sub-selects
};

/// Statements stop at these sizes, whatever the client sends.
inline constexpr std::size_t MaxClauses = 1000;
inline constexpr std::size_t MaxClauseSetBytes = 1024 * 1024;
inline constexpr int MaxPageRows = 10000;

/// The rows of a clause set as the client packs it (GBK texts) in UTF-8. Throws corvo::Error
/// when the set lacks its two fields, holds more than MaxClauses rows or text that is not GBK.
std::vector<Clause> clausesOf(TClientDataSet& clauseSet);

/// Assembles the query of a clause set: one "from" row naming a dictionary table; "select"
/// rows in the client's forms T.C and A.F as C (the first may start "top N ", which becomes
/// the backend's LIMIT); "join" rows that must match the dictionary's joins (the statement
/// joins by the dictionary, always as left joins); "where" rows, each parsed and rebuilt
/// (parseCondition) and combined with AND; "order" rows T.C [desc]; at most one "sum" row,
/// returned as groupBy. Every identifier is checked against the dictionary and written as it
/// spells it; every literal is bound. The owner scope is added for a table with TOwnerID,
/// and a condition naming another company's TOwnerID is refused. Throws corvo::Error with
/// a message for the user for anything refused.
Statement buildStatement(const schema::Dictionary& dictionary, std::span<const Clause> clauses,
                         const QueryScope& scope);

/// One condition (UTF-8) over a table rebuilt as buildStatement rebuilds "where" rows: the
/// table is "t", its joins "j0", "j1", ... Throws as buildStatement does.
struct RebuiltCondition {
    std::string sql;
    std::vector<storage::Value> params;
};
RebuiltCondition rebuildCondition(const schema::Dictionary& dictionary, std::string_view table,
                                  std::string_view condition, const QueryScope& scope);

} // namespace corvo::server::sql
