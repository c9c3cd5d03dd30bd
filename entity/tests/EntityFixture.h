#pragma once

#include "entity/EntityHelpers.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TCustomEntity.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace corvo::test {

/// GBK text from a UTF-8 literal.
inline std::string G(const char* utf8)
{
    return gbk::fromUtf8(utf8);
}

/// A detail-line table: TDetail, ObjID, Code, Name, ParentID, Qty, Amount, UnitPrice.
inline void declareDetail(TClientDataSet& t)
{
    t.FieldDefs().Clear();
    t.FieldDefs().Add("TDetail", FieldType::String, 38);
    t.FieldDefs().Add("ObjID", FieldType::Guid, 38);
    t.FieldDefs().Add("Code", FieldType::String, 10);
    t.FieldDefs().Add("Name", FieldType::String, 20);
    t.FieldDefs().Add("ParentID", FieldType::Guid, 38);
    t.FieldDefs().Add("Qty", FieldType::Integer);
    t.FieldDefs().Add("Amount", FieldType::BCD, 2);
    t.FieldDefs().Add("UnitPrice", FieldType::BCD, 2);
    t.CreateDataSet();
}

struct Line {
    std::string code;
    std::string name;
    std::string parent = "";
    int qty = 0;
    std::string amount = "";
    std::string unitPrice = "";
};

/// A GUID text made from a small number, so tests can name rows.
inline std::string Id(int n)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-0000-0000-0000-000000000000}", n);
    return buf;
}

inline void addLines(TClientDataSet& t, const std::vector<Line>& lines, int firstId = 1)
{
    int id = firstId;
    for (const Line& l : lines) {
        t.Append();
        t.FieldByName("ObjID").SetAsString(Id(id++));
        t.FieldByName("Code").SetAsString(l.code);
        t.FieldByName("Name").SetAsString(l.name);
        t.FieldByName("ParentID").SetAsString(l.parent);
        t.FieldByName("Qty").SetAsInteger(l.qty);
        t.FieldByName("Amount").SetAsString(l.amount);
        t.FieldByName("UnitPrice").SetAsString(l.unitPrice);
        t.Post();
    }
}

/// The texts of one field over the visible rows, in order (moves the cursor).
inline std::vector<std::string> column(TClientDataSet& t, const char* field)
{
    std::vector<std::string> out;
    t.First();
    while (!t.Eof()) {
        out.push_back(t.FieldByName(field).AsString());
        t.Next();
    }
    return out;
}

using Texts = std::vector<std::string>;

/// The message of the corvo::Error the action throws, "(no error)" when it throws none.
template <typename Action> std::string errorOf(Action&& action)
{
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    }
    return "(no error)";
}

/// "Name Type Size" of every field, in field order.
inline Texts describeFields(const TClientDataSet& ds)
{
    Texts out;
    for (int i = 0; i < ds.FieldCount(); ++i) {
        const TField& f = ds.Fields(i);
        out.push_back(f.FieldName() + " " + std::string(fieldTypeName(f.DataType())) + " " +
                      std::to_string(f.Size()));
    }
    return out;
}

} // namespace corvo::test
