#pragma once

#include "Dictionary.h"
#include "server/storage/Database.h"

namespace corvo::server::schema {

/// Creates one table per dictionary table and stores the dictionary itself in TDictTable and
/// TDictField, which the dictionary must describe. The dialect decides the column types (a
/// transaction does not know its backend). Throws corvo::Error for a dictionary that
/// validateDictionary refuses, before anything is created, and for storage failures.
void createSchema(storage::Transaction& tx, storage::Dialect dialect, const Dictionary& dictionary);

/// The dictionary stored in TDictTable and TDictField, in the order sortDictionary gives.
/// Empty texts come back as empty strings whether stored as '' or NULL.
Dictionary loadDictionary(storage::Transaction& tx);

} // namespace corvo::server::schema
