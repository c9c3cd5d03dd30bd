// Any bytes as a filter text over a small fixed table: the text is either refused with
// corvo::Error or gives a view whose rows the cursor can walk.
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_filter: %s\n", what);
    std::abort();
}

struct Row {
    const char* code;
    const char* name; // UTF-8, stored as GBK
    const char* qty;
    const char* objId;
    const char* price;
    const char* made;
    const char* active;
    const char* weight;
};

// Empty texts leave the value Null.
constexpr Row Rows[] = {
    {"A001", "张三的店", "3", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}", "12.50", "2023-01-31", "1",
     "0.25"},
    {"A002", "O'Brien", "-7", "{00000000-0000-0000-0000-000000000000}", "-0.01", "1899-12-30 08:30",
     "0", "1e10"},
    {"B10", "", "", "", "", "", "", ""},
    {"b10", "批发_100%", "2147483647", "{A1A975D8-603E-476B-90A1-A44B77E20346}", "99999999.99",
     "2099-12-31 23:59:59", "1", "-3.5"},
    {"", "x", "0", "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}", "0", "1905-03-12", "0", "0"},
};

void build(corvo::TClientDataSet& ds)
{
    using corvo::FieldType;
    ds.FieldDefs().Add("Code", FieldType::String, 10);
    ds.FieldDefs().Add("Name", FieldType::String, 20);
    ds.FieldDefs().Add("Qty", FieldType::Integer);
    ds.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    ds.FieldDefs().Add("Price", FieldType::BCD, 2);
    ds.FieldDefs().Add("Made", FieldType::DateTime);
    ds.FieldDefs().Add("Active", FieldType::Boolean);
    ds.FieldDefs().Add("Weight", FieldType::Float);
    ds.CreateDataSet();
    for (const Row& r : Rows) {
        ds.Append();
        const char* texts[] = {r.code, r.name, r.qty, r.objId, r.price, r.made, r.active, r.weight};
        for (int f = 0; f < ds.FieldCount(); ++f)
            if (*texts[f]) ds.Fields(f).SetAsString(corvo::gbk::fromUtf8(texts[f]));
        ds.Post();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    corvo::TClientDataSet ds;
    build(ds);
    ds.SetFiltered(true);
    try {
        ds.SetFilter(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const corvo::Error&) {
        if (ds.RecordCount() != static_cast<int>(std::size(Rows)))
            fail("a refused filter changed the visible rows");
        return 0;
    }
    int rows = 0;
    for (ds.First(); !ds.Eof(); ds.Next()) {
        for (int f = 0; f < ds.FieldCount(); ++f)
            (void)ds.Fields(f).AsString();
        ++rows;
    }
    if (rows != ds.RecordCount() || rows > static_cast<int>(std::size(Rows)))
        fail("walk and RecordCount disagree");
    return 0;
}
