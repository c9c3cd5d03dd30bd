// Any bytes as a data packet: the decoder either refuses them with corvo::Error or yields a
// table whose own packet is exactly those bytes, so it decodes again to the same table.
#include "entity/Error.h"
#include "entity/TClientDataSet.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_data_packet: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    corvo::TClientDataSet ds;
    try {
        ds.SetData(corvo::Variant(corvo::Bytes(data, data + size)));
    } catch (const corvo::Error&) {
        if (ds.Active()) fail("a refused packet changed the table");
        return 0;
    }
    // Every accepted value has a text form, odd ones (extreme dates and decimals) included.
    int rows = 0;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        for (int f = 0; f < ds.FieldCount(); ++f)
            (void)ds.Fields(f).AsString();
        ++rows;
    }
    if (rows != ds.RecordCount()) fail("walk and RecordCount disagree");

    const corvo::Variant encoded = ds.Data();
    if (encoded.type() != corvo::Variant::Type::Bytes) fail("an open table gave no packet");
    const corvo::Bytes& bytes = encoded.asBytes();
    if (bytes.size() != size || (size && std::memcmp(bytes.data(), data, size) != 0))
        fail("the re-encoded packet differs from the accepted one");
    return 0;
}
