#pragma once

// Small tables for the rules: other parameters, a document table's dictionary and an
// in-memory store of local files.
#include "DictionaryFixture.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"
#include "forms/rules/LocalStore.h"
#include "forms/rules/LookupLists.h"

#include <map>
#include <string>
#include <vector>

namespace corvo::forms::test {

struct Param {
    std::string objId;
    std::string type;
    std::string code;
    std::string name; ///< UTF-8
    int dispOrder;
    std::string owner = "";
};

inline void fillOtherParams(TClientDataSet& d, const std::vector<Param>& rows)
{
    d.FieldDefs().Clear();
    d.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    d.FieldDefs().Add("Type", FieldType::String, 50);
    d.FieldDefs().Add("Code", FieldType::String, 50);
    d.FieldDefs().Add("Name", FieldType::String, 50);
    d.FieldDefs().Add("NameEn", FieldType::String, 50);
    d.FieldDefs().Add("DispOrder", FieldType::Integer);
    d.FieldDefs().Add("TOwnerID", FieldType::Guid, 38);
    d.CreateDataSet();
    for (const Param& p : rows) {
        d.Append();
        d.FieldByName("ObjID").SetAsString(p.objId);
        d.FieldByName("Type").SetAsString(p.type);
        d.FieldByName("Code").SetAsString(p.code);
        d.FieldByName("Name").SetAsString(gbk::fromUtf8(p.name));
        d.FieldByName("NameEn").SetAsString("en " + p.code);
        d.FieldByName("DispOrder").SetAsInteger(p.dispOrder);
        d.FieldByName("TOwnerID").SetAsString(p.owner);
        d.Post();
    }
}

inline std::string id(int n)
{
    char text[40];
    std::snprintf(text, sizeof text, "{00000000-0000-4000-8000-%012d}", n);
    return text;
}

/// Local files kept as data packets in memory.
class MemoryStore : public LocalStore {
public:
    bool exists(const std::string& name) override { return files.count(name) > 0; }
    bool load(const std::string& name, TClientDataSet& dataSet) override
    {
        auto it = files.find(name);
        if (it == files.end()) return false;
        dataSet.SetData(it->second);
        return true;
    }
    void save(const std::string& name, TClientDataSet& dataSet) override
    {
        files[name] = dataSet.Data();
    }
    std::map<std::string, Variant> files;
};

/// What a lookup put into the list.
struct RecordingList : LookupTarget {
    void clear() override { ++clears; }
    void load(TClientDataSet& rows, std::string_view key, std::string_view c1, std::string_view c2,
              std::string_view display) override
    {
        keyField = key, column1 = c1, column2 = c2, displayField = display;
        keys.clear(), shown.clear();
        for (rows.First(); !rows.Eof(); rows.Next()) {
            keys.push_back(rows.FieldByName(key).AsString());
            shown.push_back(gbk::display(rows.FieldByName(display).AsString()));
        }
    }
    int clears = 0;
    std::string keyField, column1, column2, displayField;
    std::vector<std::string> keys, shown;
};

} // namespace corvo::forms::test
