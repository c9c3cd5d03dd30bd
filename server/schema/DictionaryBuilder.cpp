#include "DictionaryBuilder.h"

#include "entity/Guid.h"

#include <cstdint>

namespace corvo::server::schema {
namespace {

uint64_t fnv1a(std::string_view text, uint64_t hash)
{
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

std::string stableGuid(std::string_view seed)
{
    // Two FNV-1a hashes with different starting values give the 128 bits; the version and
    // variant bits mark it as a name-based GUID.
    uint64_t halves[2] = {fnv1a(seed, 0xcbf29ce484222325ULL), fnv1a(seed, 0x84222325cbf29ce4ULL)};
    Guid guid;
    for (int i = 0; i < 16; ++i)
        guid.bytes[std::size_t(i)] = static_cast<uint8_t>(halves[i / 8] >> (8 * (7 - i % 8)));
    guid.bytes[6] = static_cast<uint8_t>((guid.bytes[6] & 0x0F) | 0x50);
    guid.bytes[8] = static_cast<uint8_t>((guid.bytes[8] & 0x3F) | 0x80);
    return guid.toString();
}

using Column = DictionaryBuilder::Column;
using Table = DictionaryBuilder::Table;

Column& Column::hidden()
{
    field().isVisible = 0;
    return *this;
}

Column& Column::required()
{
    field().isNullAble = 0;
    return *this;
}

Column& Column::query(bool fromList)
{
    field().isQuery = 1;
    field().hasGrid = fromList ? 1 : 0;
    return *this;
}

Column& Column::sort()
{
    field().isSort = 1;
    return *this;
}

Column& Column::unique()
{
    field().isUnique = 1;
    return *this;
}

Column& Column::status()
{
    field().isStatus = 1;
    return *this;
}

Column& Column::lookup(std::string table)
{
    field().joinedTable = std::move(table);
    return *this;
}

Table DictionaryBuilder::table(std::string objId, std::string code, std::string zh, std::string en,
                               Coding coding, Copy copy)
{
    DictTable t;
    t.objId = std::move(objId);
    t.code = std::move(code);
    t.name = std::move(zh);
    t.nameEn = std::move(en);
    t.isAutoCoding = coding == Coding::Automatic ? 1 : 0;
    t.isClientTable = copy == Copy::Client ? 1 : 0;
    m_dictionary.tables.push_back(std::move(t));
    m_nextOrder.push_back(1);
    return Table(*this, m_dictionary.tables.size() - 1);
}

Column Table::add(std::string code, std::string dataType, int prec, int scale, std::string zh,
                  std::string en)
{
    Dictionary& d = m_builder->m_dictionary;
    const DictTable& table = d.tables[m_index];
    DictField f;
    f.objId = stableGuid(table.objId + "." + code);
    f.parentId = table.objId;
    f.code = std::move(code);
    f.name = std::move(zh);
    f.nameEn = std::move(en);
    f.colOrder = m_builder->m_nextOrder[m_index]++;
    f.dataType = std::move(dataType);
    f.prec = prec;
    f.scale = scale;
    d.fields.push_back(std::move(f));
    return Column(d, d.fields.size() - 1);
}

Column Table::guid(std::string code, std::string zh, std::string en)
{
    return add(std::move(code), "uniqueidentifier", 0, 0, std::move(zh), std::move(en));
}

Column Table::text(std::string code, int prec, std::string zh, std::string en)
{
    return add(std::move(code), "varchar", prec, 0, std::move(zh), std::move(en));
}

Column Table::memo(std::string code, std::string zh, std::string en)
{
    return add(std::move(code), "text", 0, 0, std::move(zh), std::move(en));
}

Column Table::integer(std::string code, std::string zh, std::string en)
{
    return add(std::move(code), "int", 0, 0, std::move(zh), std::move(en));
}

Column Table::money(std::string code, std::string zh, std::string en)
{
    return add(std::move(code), "money", 19, 2, std::move(zh), std::move(en));
}

Column Table::decimal(std::string code, int prec, int scale, std::string zh, std::string en)
{
    return add(std::move(code), "decimal", prec, scale, std::move(zh), std::move(en));
}

Column Table::dateTime(std::string code, std::string zh, std::string en)
{
    return add(std::move(code), "datetime", 0, 0, std::move(zh), std::move(en));
}

Column Table::joined(std::string code, int prec, std::string table, std::string field,
                     std::string zh, std::string en)
{
    Column c = text(std::move(code), prec, std::move(zh), std::move(en));
    DictField& f = c.field();
    f.isJoined = 1;
    f.joinedTable = std::move(table);
    f.joinedField = std::move(field);
    f.joinedType = "left";
    return c;
}

Column Table::otherParam(std::string code, std::string zh, std::string en)
{
    Column c = guid(code, std::move(zh), std::move(en));
    c.hidden();
    c.field().isOtherParam = 1;
    c.field().joinedField = std::move(code);
    return c;
}

Column Table::otherParamName(std::string code, std::string reference, std::string zh,
                             std::string en)
{
    Column c =
        joined(std::move(code), 50, std::move(reference), "Name", std::move(zh), std::move(en));
    c.field().isOtherParam = 1;
    return c;
}

Table& Table::keys()
{
    guid(m_builder->m_dictionary.tables[m_index].code, "表标识", "Table").hidden().status();
    guid("ObjID", "标识", "Identifier").hidden().status();
    return *this;
}

Table& Table::sortByIdentifier()
{
    const std::string& table = m_builder->m_dictionary.tables[m_index].objId;
    for (DictField& f : m_builder->m_dictionary.fields)
        if (f.parentId == table && f.code == "ObjID") f.isSort = 1;
    return *this;
}

Table& Table::owner()
{
    guid("TOwnerID", "所属机构", "Owner").hidden().status();
    joined("TOwnerName", 100, "TOrgan", "Name", "所属机构", "Owner");
    return *this;
}

Table& Table::validity()
{
    otherParam("StatusID", "状态", "Status").status();
    otherParamName("StatusName", "StatusID", "状态", "Status");
    return *this;
}

} // namespace corvo::server::schema
