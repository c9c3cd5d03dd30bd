#include "QueryPaging.h"

#include "entity/TCustomEntity.h"
#include "entity/TSQLAdder.h"

#include <charconv>

namespace corvo::forms {

void QueryPaging::firstPage()
{
    mode = pagemode::AllPage;
    maxKey.clear(), minKey.clear(), savedMaxKey.clear();
    page = 1;
}

void QueryPaging::firstPageMD()
{
    mode = pagemode::FirstPage;
    maxKey.clear(), minKey.clear(), savedMaxKey.clear();
    page = 1;
}

void QueryPaging::allPages()
{
    mode = pagemode::AllPage;
}

void QueryPaging::allPagesDone()
{
    maxKey.clear(), minKey.clear(), savedMaxKey.clear();
    page = 0;
}

void QueryPaging::next(bool keepKey)
{
    mode = pagemode::NextPage;
    if (keepKey) savedMaxKey = maxKey;
    ++page;
}

void QueryPaging::previous()
{
    mode = pagemode::PreviousPage;
    savedMaxKey = maxKey;
    --page;
}

void QueryPaging::reset()
{
    maxKey.clear(), minKey.clear(), mode.clear();
    page = 0;
}

void QueryPaging::takePage(TCustomEntity& master, const std::string& sortField)
{
    if (!master.Active()) return;
    if (master.FindField(sortField)) master.SortAsc(sortField, "");
    if (!master.IsEmpty()) {
        TField* key = master.FindField(sortField);
        master.Last();
        maxKey = key ? key->AsString() : std::string();
        master.First();
        minKey = key ? key->AsString() : std::string();
    } else if (page > 1) {
        maxKey.clear();
        long long saved = 0;
        const char* end = savedMaxKey.data() + savedMaxKey.size();
        const auto parsed = std::from_chars(savedMaxKey.data(), end, saved);
        minKey = !savedMaxKey.empty() && parsed.ec == std::errc() && parsed.ptr == end
                     ? std::to_string(saved + 1)
                     : std::string();
    }
    master.First();
}

std::string SortFieldOf(const std::vector<DictColumn>& columns)
{
    bool hasCode = false;
    for (const DictColumn& c : columns) {
        if (c.isSort == 1) return c.code;
        hasCode = hasCode || c.code == "Code";
    }
    return hasCode ? "Code" : "ObjID";
}

} // namespace corvo::forms
