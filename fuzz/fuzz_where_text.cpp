// Any bytes as a reader's condition over the user table: refused with corvo::Error or
// rewritten; never a crash or a hang.
#include "entity/Error.h"
#include "server/schema/SystemDictionary.h"
#include "server/schema/TableLayout.h"
#include "server/schema/WhereText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace corvo::server::schema;
    static const Dictionary dictionary = systemDictionary();
    static const TableLayout layout = TableLayout::resolve(dictionary, "TUser");
    if (size < 1) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        checkedWhere(text, layout, data[0] % 4);
    } catch (const corvo::Error&) {
    }
    return 0;
}
