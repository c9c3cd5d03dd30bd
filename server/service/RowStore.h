#pragma once

#include "WrittenRows.h"
#include "server/storage/Database.h"

#include <span>
#include <string>
#include <vector>

namespace corvo::server {

/// Inserts the rows, every stored column of the table named (Null where nothing is written),
/// several rows to a statement. The first column always holds the table's ObjID.
void insertRows(storage::Transaction& tx, const WrittenRows& rows);

/// Writes the columns each row stores (its `written` ones but ObjID) into the row of its ObjID.
void updateRows(storage::Transaction& tx, const WrittenRows& rows);

/// Deletes the rows of `table` whose `column` is one of the values; returns how many went.
int64_t deleteWhereIn(storage::Transaction& tx, std::string_view table, std::string_view column,
                      std::span<const std::string> values);

/// Runs `statement` + " IN (?, ...)" + `tail` over the values in slices a backend binds
/// comfortably, collecting the rows. `before` are bound ahead of the slice, `after` behind it.
storage::Rows queryWhereIn(storage::Transaction& tx, const std::string& statement,
                           std::span<const std::string> values, const std::string& tail = {},
                           std::span<const storage::Value> before = {},
                           std::span<const storage::Value> after = {});

} // namespace corvo::server
