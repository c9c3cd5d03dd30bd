// Any bytes as a client's "where" row over the organisation table (with its joins and owner
// scope), rebuilt for either backend: refused with corvo::Error or rebuilt; never a crash,
// a hang or a runaway allocation.
#include "entity/Error.h"
#include "server/schema/SystemDictionary.h"
#include "server/sql/StatementBuilder.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace corvo::server;
    static const schema::Dictionary dictionary = schema::systemDictionary();
    if (size < 1) return 0;
    const sql::QueryScope scope{data[0] & 1 ? storage::Dialect::Postgres : storage::Dialect::Sqlite,
                                "{C0B50B00-0000-4000-8000-000000000001}"};
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        sql::rebuildCondition(dictionary, "TOrgan", text, scope);
    } catch (const corvo::Error&) {
    }
    return 0;
}
