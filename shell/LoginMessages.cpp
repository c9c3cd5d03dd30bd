#include "LoginMessages.h"

#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"

namespace corvo::shell {

namespace {
std::string text(TClientDataSet& ds, std::string_view field)
{
    const int i = ds.FieldIndexOf(field);
    return i < 0 ? std::string() : gbk::toUtf8(ds.Fields(i).AsString());
}
} // namespace

bool keepNewMessages(TClientDataSet& fresh, TClientDataSet* previous)
{
    if (!previous) return !fresh.IsEmpty();
    const int id = fresh.FieldIndexOf("ObjID");
    fresh.First();
    for (int steps = fresh.RecordCount(); steps > 0 && !fresh.Eof(); --steps) {
        const std::string objId = id < 0 ? std::string() : fresh.Fields(id).AsString();
        if (!objId.empty() && previous->FieldIndexOf("ObjID") >= 0 &&
            previous->Locate("ObjID", Variant(objId)))
            fresh.Delete();
        else
            fresh.Next();
    }
    return !fresh.IsEmpty();
}

std::string messageText(TClientDataSet& messages)
{
    std::string out;
    for (messages.First(); !messages.Eof(); messages.Next()) {
        out += "●" + text(messages, "TMessageTypeName") + "  " + text(messages, "Code") + "\n";
        out += " " + text(messages, "Message") + "\n";
        out += "  \n";
    }
    return out;
}

} // namespace corvo::shell
