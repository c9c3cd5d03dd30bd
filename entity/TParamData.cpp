#include "TParamData.h"

#include "Error.h"
#include "Gbk.h"

namespace corvo {
namespace {

constexpr int NameSize = 30;
constexpr int ValueSize = 200;
constexpr int LinkNameSize = 30;
constexpr int IdSize = 50;

void declareFields(FieldDefs& defs, std::string_view kind)
{
    using gbk::equalsIgnoreCase;
    defs.Clear();
    defs.Add("Name", FieldType::String, NameSize);
    if (equalsIgnoreCase(kind, paramkind::Int) || equalsIgnoreCase(kind, paramkind::Query)) {
        defs.Add("Value", FieldType::Integer);
        if (equalsIgnoreCase(kind, paramkind::Query)) {
            defs.Add("AllPage", FieldType::Integer);
            defs.Add("AllCount", FieldType::Integer);
            defs.Add("MinID", FieldType::String, IdSize);
            defs.Add("MaxID", FieldType::String, IdSize);
        }
        return;
    }
    defs.Add("Value", FieldType::String, ValueSize);
    if (equalsIgnoreCase(kind, paramkind::Data)) {
        defs.Add("Data", FieldType::Blob);
    } else if (equalsIgnoreCase(kind, paramkind::Field)) {
        defs.Add("Field", FieldType::String, LinkNameSize);
    } else if (equalsIgnoreCase(kind, paramkind::Link)) {
        defs.Add("QueryOrder", FieldType::Integer);
        defs.Add("LinkTable", FieldType::String, LinkNameSize);
        defs.Add("LinkField", FieldType::String, LinkNameSize);
    }
}

// Chosen by the exact spelling, unlike the fields: stored packets of the lower-case kinds
// are ordered by Value and callers walk them in that order.
std::string_view sortField(std::string_view kind)
{
    if (kind == paramkind::Link) return "QueryOrder";
    if (kind == paramkind::Data) return "Name";
    return "Value";
}

Variant bytesOf(const Variant& value)
{
    if (value.type() == Variant::Type::Bytes) return value;
    return Variant(Bytes{});
}

} // namespace

TParamData::TParamData(std::string_view kind, EntityRegistry* entityList)
    : TCustomEntity(entityList)
{
    declareFields(FieldDefs(), kind);
    CreateDataSet();
    SortAsc(sortField(kind), "Clear");
}

void TParamData::editOrAppend(std::string_view name)
{
    if (FindRecord("Name", name))
        Edit();
    else
        Append();
    FieldByName("Name").SetAsString(name);
}

int TParamData::SetParamValue(std::string_view name, const Variant& value)
{
    TField& valueField = FieldByName("Value");
    editOrAppend(name);
    valueField.SetAsVariant(value);
    Post();
    return RecNo();
}

int TParamData::SetParamValueField(std::string_view name, const Variant& value,
                                   std::string_view field)
{
    TField& valueField = FieldByName("Value");
    TField& fieldField = FieldByName("Field");
    editOrAppend(name);
    valueField.SetAsVariant(value);
    fieldField.SetAsString(field);
    Post();
    return RecNo();
}

int TParamData::SetParamData(std::string_view name, const Variant& packet)
{
    if (packet.type() != Variant::Type::Bytes)
        throw Error("参数[" + gbk::display(name) + "]的数据不是字节数组，不能放入参数对象!");
    TField& data = FieldByName("Data");
    First();
    editOrAppend(name);
    data.SetAsVariant(packet);
    Post();
    return RecNo();
}

Variant TParamData::GetParamValue(std::string_view name)
{
    if (!FindRecord("Name", name))
        throw Error("名称为[" + gbk::display(name) + "]的参数不存在，请确定所使用的参数的合法性!");
    return FieldByName("Value").AsVariant();
}

Variant TParamData::GetParamData(std::string_view name)
{
    if (!FindRecord("Name", name))
        throw Error("参数[" + gbk::display(name) + "]不存在,请确定该参数已经在参数对象中!");
    return bytesOf(FieldByName("Data").AsVariant());
}

Variant TParamData::CurrentParamData()
{
    return bytesOf(FieldByName("Data").AsVariant());
}

bool TParamData::ParamExists(std::string_view name)
{
    return Locate("Name", Variant(name), loCaseInsensitive);
}

std::string TParamData::ParamNameOf(const Variant& value)
{
    const std::string text = value.toText();
    if (!FindRecord("Value", text))
        throw Error("值为[" + gbk::display(text) + "]的参数不存在，请确定所使用的参数的合法性!");
    return FieldByName("Name").AsString();
}

bool TParamData::DeleteParam(std::string_view name)
{
    if (!IsEmpty() && FieldByName("Name").AsString() == name) {
        Delete();
        return true;
    }
    if (!Locate("Name", Variant(name), loCaseInsensitive)) return false;
    Delete();
    return true;
}

} // namespace corvo
