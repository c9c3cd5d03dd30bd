#include "SchemaTestSupport.h"

#include "server/schema/DictionaryBuilder.h"

namespace corvo::server::schema::test {
namespace {

using Coding = DictionaryBuilder::Coding;
using Copy = DictionaryBuilder::Copy;

void addParams(DictionaryBuilder& b)
{
    auto p = b.table(ParamTableID, "TOtherParam", "其他参数", "Other parameters", Coding::Typed,
                     Copy::Client);
    p.keys();
    p.text("Code", 50, "代码", "Code");
    p.text("Name", 50, "名称", "Name");
}

} // namespace

Dictionary shopDictionary()
{
    DictionaryBuilder b;
    addParams(b);
    auto s = b.table(ShopTableID, "TShop", "门店", "Shops", Coding::Typed, Copy::Client);
    s.keys();
    s.text("Code", 20, "代码", "Code").required().sort();
    s.text("Name", 10, "名称", "Name");
    s.decimal("Area", 10, 2, "面积", "Area");
    s.add("Weight", "float", 15, 3, "重量", "Weight");
    s.dateTime("Opened", "开业", "Opened");
    s.integer("Staff", "人数", "Staff");
    s.memo("Note", "备注", "Note");
    s.add("Photo", "image", 0, 0, "照片", "Photo");
    s.owner();
    s.validity();
    Dictionary d = b.take();
    // The owner of a shop is a shop here, with a name of the shop's length.
    for (DictField& f : d.fields)
        if (f.code == "TOwnerName") f.joinedTable = "TShop", f.prec = 10;
    return d;
}

} // namespace corvo::server::schema::test
