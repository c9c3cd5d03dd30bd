#pragma once

#include "server/storage/Database.h"

namespace corvo::server {

/// Tables only the server reads: sessions, password hashes, the saves already stored (by
/// ObjID) and the code counters. They stay out of the data
/// dictionary so no client query can reach them.
void createInternalTables(storage::Transaction& tx);

} // namespace corvo::server
