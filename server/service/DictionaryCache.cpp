#include "DictionaryCache.h"

#include "server/schema/Schema.h"

namespace corvo::server {

std::shared_ptr<const schema::Dictionary> DictionaryCache::get(storage::Transaction& tx)
{
    std::lock_guard guard(m_lock);
    if (!m_dictionary)
        m_dictionary = std::make_shared<const schema::Dictionary>(schema::loadDictionary(tx));
    return m_dictionary;
}

} // namespace corvo::server
