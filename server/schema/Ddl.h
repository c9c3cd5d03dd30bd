#pragma once

#include "Dictionary.h"
#include "TableLayout.h"
#include "server/storage/Database.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvo::server::schema {

/// The name in double quotes, inner quotes doubled: both backends keep its letter case.
std::string quoteIdentifier(std::string_view name);

/// The backend's column type of a stored column: GUIDs as varchar(38) text, char/varchar
/// as varchar(Prec), exact numbers as numeric(Prec, Scale) (Prec 0 means 18), date-times as
/// timestamp (SQLite: TEXT), bit as smallint, binaries as bytea (SQLite: BLOB).
std::string columnSqlType(storage::Dialect dialect, const LayoutColumn& column);

/// CREATE TABLE for the stored columns in ColOrder, with ObjID as the primary key.
std::string createTableStatement(storage::Dialect dialect, const TableLayout& layout);

/// An index name within PostgreSQL's 63 bytes: a longer one keeps its start and ends in a
/// digest of the whole, so two long names stay distinct.
std::string boundedIndexName(const std::string& name);

/// CREATE INDEX for the columns queries look rows up by: the sort columns (paged queries walk
/// them in order) and ParentID (the lines of a page of documents).
std::vector<std::string> indexStatements(const TableLayout& layout);

/// One CREATE TABLE per table of the dictionary, in dictionary order, each followed by its
/// indexes. Validates the
/// dictionary first (validateDictionary) and throws corvo::Error on the first fault.
std::vector<std::string> schemaStatements(storage::Dialect dialect, const Dictionary& dictionary);

} // namespace corvo::server::schema
