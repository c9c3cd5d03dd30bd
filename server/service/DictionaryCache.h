#pragma once

#include "server/schema/Dictionary.h"
#include "server/storage/Database.h"

#include <memory>
#include <mutex>

namespace corvo::server {

/// The data dictionary, read from the database on first use and kept: every call needs it and
/// no service changes it, so reading it per call would be work on the hot path. A database
/// rebuilt under a running server (init-demo --force) needs a server restart.
class DictionaryCache {
public:
    std::shared_ptr<const schema::Dictionary> get(storage::Transaction& tx);

private:
    std::mutex m_lock;
    std::shared_ptr<const schema::Dictionary> m_dictionary;
};

} // namespace corvo::server
