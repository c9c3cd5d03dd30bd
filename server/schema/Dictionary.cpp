#include "Dictionary.h"

#include "TableLayout.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

namespace corvo::server::schema {
namespace {

bool isCanonicalGuid(std::string_view text)
{
    auto guid = Guid::parse(text);
    return guid && guid->toString() == text;
}

} // namespace

struct Dictionary::Index {
    std::unordered_map<std::string, std::size_t> tableByCode; ///< upper-cased code
    /// Positions in `fields` in ascending ColOrder, by upper-cased table ObjID.
    std::unordered_map<std::string, std::vector<std::size_t>> columnsByTable;
    std::unordered_map<std::string, std::shared_ptr<const TableLayout>> layouts; ///< by code
};

Dictionary::Dictionary(const Dictionary& other) : tables(other.tables), fields(other.fields) {}

Dictionary& Dictionary::operator=(const Dictionary& other)
{
    tables = other.tables;
    fields = other.fields;
    m_index.reset();
    return *this;
}

const DictTable* Dictionary::findTable(std::string_view code) const noexcept
{
    if (m_index) {
        const auto it = m_index->tableByCode.find(gbk::upper(code));
        return it == m_index->tableByCode.end() ? nullptr : &tables[it->second];
    }
    for (const DictTable& table : tables)
        if (gbk::equalsIgnoreCase(table.code, code)) return &table;
    return nullptr;
}

std::vector<const DictField*> Dictionary::columnsOf(std::string_view tableObjId) const
{
    std::vector<const DictField*> out;
    if (m_index) {
        const auto it = m_index->columnsByTable.find(gbk::upper(tableObjId));
        if (it != m_index->columnsByTable.end())
            for (std::size_t at : it->second)
                out.push_back(&fields[at]);
        return out;
    }
    for (const DictField& field : fields)
        if (gbk::equalsIgnoreCase(field.parentId, tableObjId)) out.push_back(&field);
    std::stable_sort(out.begin(), out.end(), [](const DictField* a, const DictField* b) {
        return a->colOrder < b->colOrder;
    });
    return out;
}

void Dictionary::index()
{
    auto index = std::make_shared<Index>();
    for (std::size_t i = 0; i < tables.size(); ++i)
        index->tableByCode.emplace(gbk::upper(tables[i].code), i);
    for (std::size_t i = 0; i < fields.size(); ++i)
        index->columnsByTable[gbk::upper(fields[i].parentId)].push_back(i);
    for (auto& [table, positions] : index->columnsByTable)
        std::stable_sort(positions.begin(), positions.end(), [&](std::size_t a, std::size_t b) {
            return fields[a].colOrder < fields[b].colOrder;
        });
    m_index = index;
    for (const DictTable& table : tables) {
        try {
            index->layouts.emplace(
                gbk::upper(table.code),
                std::make_shared<const TableLayout>(TableLayout::resolve(*this, table.code)));
        } catch (const Error&) {
            // layout() resolves it again and reports the fault to whoever asks.
        }
    }
}

std::shared_ptr<const TableLayout> Dictionary::layout(std::string_view tableCode) const
{
    if (m_index) {
        const auto it = m_index->layouts.find(gbk::upper(tableCode));
        if (it != m_index->layouts.end()) return it->second;
    }
    return std::make_shared<const TableLayout>(TableLayout::resolve(*this, tableCode));
}

void sortDictionary(Dictionary& dictionary)
{
    std::stable_sort(dictionary.tables.begin(), dictionary.tables.end(),
                     [](const DictTable& a, const DictTable& b) { return a.code < b.code; });
    std::map<std::string, std::size_t> position;
    for (std::size_t i = 0; i < dictionary.tables.size(); ++i)
        position.emplace(gbk::upper(dictionary.tables[i].objId), i);
    auto rank = [&](const DictField& f) {
        auto it = position.find(gbk::upper(f.parentId));
        return it == position.end() ? dictionary.tables.size() : it->second;
    };
    std::stable_sort(dictionary.fields.begin(), dictionary.fields.end(),
                     [&](const DictField& a, const DictField& b) {
                         auto ra = rank(a), rb = rank(b);
                         return ra != rb ? ra < rb : a.colOrder < b.colOrder;
                     });
}

bool isPlainIdentifier(std::string_view name) noexcept
{
    if (name.empty() || name.size() > 63) return false;
    auto letter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (!letter(name.front())) return false;
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

void validateDictionary(const Dictionary& dictionary)
{
    std::set<std::string> codes;
    std::set<std::string> ids;
    for (const DictTable& table : dictionary.tables) {
        if (!isPlainIdentifier(table.code))
            throw Error("数据字典中的表名[" + table.code + "]不是合法的标识符");
        if (!isCanonicalGuid(table.objId))
            throw Error("表[" + table.code + "]的ObjID[" + table.objId + "]不是有效的GUID文本");
        if (!codes.insert(gbk::upper(table.code)).second)
            throw Error("数据字典中表[" + table.code + "]重复");
        if (!ids.insert(table.objId).second)
            throw Error("表[" + table.code + "]的ObjID[" + table.objId + "]与其他表重复");
    }
    std::set<std::string> fieldIds;
    for (const DictField& field : dictionary.fields) {
        if (!isCanonicalGuid(field.objId))
            throw Error("列[" + field.code + "]的ObjID[" + field.objId + "]不是有效的GUID文本");
        if (!fieldIds.insert(field.objId).second)
            throw Error("字段字典中列[" + field.code + "]的ObjID[" + field.objId + "]重复");
        if (!ids.count(field.parentId))
            throw Error("列[" + field.code + "]所属的表[" + field.parentId + "]不在表字典中");
    }
    for (const DictTable& table : dictionary.tables)
        TableLayout::resolve(dictionary, table.code);
}

} // namespace corvo::server::schema
