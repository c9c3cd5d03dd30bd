#pragma once

#include "WriteCall.h"
#include "WrittenRows.h"

#include <map>
#include <set>
#include <span>
#include <string>

namespace corvo::server {

enum class WriteKind { Insert, Update };

/// The columns the server decides, never the client: a new row gets a new ObjID when it has
/// none, the company as TOwnerID (a partner-side row keeps the partner it names, with the
/// company as TOrganID), the caller as TUserID, the call's time as CreateDate, the valid
/// StatusID and the first status of every other status column. An update keeps all of these,
/// and Code when the table is coded by the server, as they are stored.
void setServerColumns(WriteCall& call, WrittenRows& rows, WriteKind kind, bool partnerSide);

/// By layout position, the columns of a new row the server decides whatever the client sent
/// (as setServerColumns sets them, with the first column and the ObjID and ParentID of lines),
/// and TUser's PassWord, which is never stored as sent. TOwnerID is not among them: a
/// partner-side row names its partner there.
std::vector<char> serverDecidedColumns(WriteCall& call, const WrittenRows& rows);

/// Refuses a row that leaves a required column empty ("[caption]不能为空").
void requireValues(const WrittenRows& rows);

/// Refuses a row whose references name no row the company reads: X + "ID" columns of a table
/// X, the lists of other parameters (of their type) and the tables a column's list names. The
/// columns the server sets (author, statuses) are not looked at.
void requireReferences(WriteCall& call, const WrittenRows& rows);

/// A stored row as an update needs to judge it.
struct StoredRow {
    std::string owner;     ///< TOwnerID
    std::string organ;     ///< TOrganID
    std::string parent;    ///< ParentID
    std::string code;      ///< Code
    std::string validity;  ///< StatusID
    std::string docStatus; ///< Status + table + ID
    bool document = false; ///< the table has that status column
};

/// The stored rows of those ObjIDs (upper-cased keys) the company may change: its own, the
/// partner-side ones when `partnerSide`, the lines of documents (their documents are judged
/// on their own) and the rows that belong to the company through a reference. Rows of no
/// company, of another company or missing are absent.
std::map<std::string, StoredRow> storedRows(WriteCall& call, const WrittenRows& rows,
                                            std::span<const std::string> objIds, bool partnerSide);

/// The rows among `rows` that are rows of no company (the system's lists) sent back exactly as
/// stored: a form that sends a whole list back changes nothing there. Keys as idKey.
std::set<std::string> unchangedSharedRows(WriteCall& call, const WrittenRows& rows);

/// Refuses a change of a document that is invalid or no longer in its first status.
void requireChangeable(WriteCall& call, std::string_view table, const StoredRow& stored);

/// Refuses rows that repeat another row of the company (or one another) in every column the
/// dictionary marks unique (IsUnique 1, together one key, as the batch entry compares them).
void requireUnique(WriteCall& call, const WrittenRows& rows);

/// Refuses an organisation code another organisation of any company holds (a unique index
/// backs it against concurrent saves); requireUnique includes it.
void requireOrganCodesFree(WriteCall& call, const WrittenRows& rows);
/// The refusal of an organisation code already held.
std::string organCodeTaken(const std::string& code);

/// The other parameters' own rules: the status lists are the system's and change with no save;
/// a locked row (AllowEdit 0) keeps its code, name and position.
void requireParamsChangeable(WriteCall& call, const WrittenRows& rows, WriteKind kind);

/// The first status (lowest DispOrder) of a status type; empty when the type has none.
const std::string& firstStatusOf(WriteCall& call, const std::string& type);

/// Refuses rows of a table whose rows are lines of a document (ParentID naming it): they are
/// stored and changed only with their document.
void requireNoLines(WriteCall& call, const WrittenRows& rows);

/// Refuses a write of a table every company shares (the dictionary, modules and their groups,
/// translations, the manual) by any company but the installation's own (the first company
/// init or init-demo made, recorded in TInstallation): one company's change would change what
/// every company sees and may do.
void requireSharedWriter(WriteCall& call, const WrittenRows& rows);

/// Holds a lock named by `key` until the call's transaction ends, so that calls of several
/// server processes checking the same key (a unique code, an organisation code) run their
/// check one after the other and the later one sees what the earlier one stored.
void lockKey(WriteCall& call, const std::string& key);

/// The ObjIDs (as idKey) among `ids` of rows of `table` the company reads: its own and those
/// of no company; lines through their document.
std::set<std::string> readableRows(WriteCall& call, const std::string& table,
                                   const std::vector<std::string>& ids);

/// Refuses new rows whose ObjID a stored row of the table holds, or the empty GUID. A row the
/// company reads is named as existing; any other is refused as an ObjID that cannot be used,
/// the words the empty GUID gets, so the answer tells nothing of another company's rows.
void requireNewIds(WriteCall& call, const WrittenRows& rows);

/// The refusal of an ObjID a new row cannot take, whatever the reason.
[[noreturn]] void refuseNewId(const std::string& objId);

/// ObjID texts compared as the storage compares them: upper-cased.
std::string idKey(std::string_view objId);

} // namespace corvo::server
