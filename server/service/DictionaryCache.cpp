#include "DictionaryCache.h"

#include "server/schema/Schema.h"

namespace corvo::server {

std::shared_ptr<const schema::Dictionary> DictionaryCache::get(storage::Transaction& tx)
{
    std::lock_guard guard(m_lock);
    if (!m_dictionary) {
        auto loaded = std::make_shared<schema::Dictionary>(schema::loadDictionary(tx));
        loaded->index();
        m_dictionary = std::move(loaded);
    }
    return m_dictionary;
}

} // namespace corvo::server
