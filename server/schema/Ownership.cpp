#include "Ownership.h"

#include "Ddl.h"
#include "TableLayout.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"

#include <optional>

namespace corvo::server::schema {
namespace {

// A chain longer than this is a dictionary fault, not a design.
constexpr int MaxChain = 4;

const LayoutColumn* storedColumn(const TableLayout& layout, std::string_view code)
{
    const int at = layout.columnIndex(code);
    if (at < 0) return nullptr;
    const LayoutColumn& column = layout.columns()[static_cast<std::size_t>(at)];
    return column.stored() ? &column : nullptr;
}

bool belongsToCompany(const Dictionary& dictionary, std::string_view table, int depth);

std::optional<Ownership> findOwnership(const Dictionary& dictionary, std::string_view table,
                                       int depth)
{
    if (depth > MaxChain) return std::nullopt;
    const auto layout = dictionary.layout(table);
    const std::string& code = layout->table().code;
    if (storedColumn(*layout, "TOwnerID")) return Ownership{Ownership::Kind::Owned, {}, {}};
    if (isSharedTable(code)) return Ownership{Ownership::Kind::Shared, {}, {}};
    if (storedColumn(*layout, "ParentID")) {
        for (std::string_view suffix : {"List", "Size"}) {
            if (code.size() <= suffix.size() || !code.ends_with(suffix)) continue;
            const std::string parent = code.substr(0, code.size() - suffix.size());
            const DictTable* found = dictionary.findTable(parent);
            if (found && belongsToCompany(dictionary, found->code, depth + 1))
                return Ownership{Ownership::Kind::Through, "ParentID", found->code};
        }
    }
    for (const LayoutColumn& column : layout->columns()) {
        const std::string& name = column.code();
        if (!column.stored() || column.field.isNullAble != 0 || column.type != FieldType::Guid ||
            name.size() <= 2 || !gbk::equalsIgnoreCase(name.substr(name.size() - 2), "ID"))
            continue;
        const DictTable* target = dictionary.findTable(name.substr(0, name.size() - 2));
        if (target && belongsToCompany(dictionary, target->code, depth + 1))
            return Ownership{Ownership::Kind::Through, name, target->code};
    }
    return std::nullopt;
}

bool belongsToCompany(const Dictionary& dictionary, std::string_view table, int depth)
{
    const auto found = findOwnership(dictionary, table, depth);
    return found && found->kind != Ownership::Kind::Shared;
}

} // namespace

bool isSharedTable(std::string_view code)
{
    for (std::string_view shared :
         {"TDictTable", "TDictField", "TModule", "TModuleGroup", "TMultiLang", "THelp"})
        if (gbk::equalsIgnoreCase(code, shared)) return true;
    return false;
}

Ownership ownershipOf(const Dictionary& dictionary, std::string_view table)
{
    if (!dictionary.findTable(table)) throw Error("表[" + std::string(table) + "]不在数据字典中");
    if (auto found = findOwnership(dictionary, table, 0)) return *found;
    throw Error("表[" + std::string(table) + "]不属于任何机构，不能读取");
}

OwnerScope::OwnerScope(const Dictionary& dictionary, std::string ownerId, std::string partnerId,
                       Parameter parameter)
    : m_dictionary(dictionary), m_ownerId(std::move(ownerId)),
      m_partnerId(m_ownerId.empty() ? std::string() : std::move(partnerId)),
      m_parameter(std::move(parameter))
{
}

std::string OwnerScope::condition(std::string_view table, const std::string& alias)
{
    const Ownership ownership = ownershipOf(m_dictionary, table);
    switch (ownership.kind) {
    case Ownership::Kind::Shared:
        return {};
    case Ownership::Kind::Owned:
        return owned(std::string(table), alias);
    case Ownership::Kind::Through:
        break;
    }
    // The row it belongs to must be reachable: a line whose document is out of reach, or that
    // has none, is out of reach itself.
    const std::string outer = alias + "_o";
    return "EXISTS (SELECT 1 FROM " + quoteIdentifier(ownership.table) + " AS " + outer +
           " WHERE " + outer + "." + quoteIdentifier("ObjID") + " = " + alias + "." +
           quoteIdentifier(ownership.column) + " AND " + condition(ownership.table, outer) + ")";
}

std::string OwnerScope::owned(const std::string& table, const std::string& alias)
{
    const auto layout = m_dictionary.layout(table);
    const std::string owner =
        alias + "." + quoteIdentifier(storedColumn(*layout, "TOwnerID")->code());
    // One call per placeholder: their order is the order of the values.
    std::string sql = "(" + owner + " = " + m_parameter(m_ownerId);
    sql += " OR " + owner + " IS NULL OR " + owner + " = " + m_parameter(std::string());
    sql += " OR " + owner + " = " + m_parameter(std::string(EmptyGuidText));
    const LayoutColumn* organ = storedColumn(*layout, "TOrganID");
    if (!m_partnerId.empty() && organ) {
        sql += " OR (" + owner + " = " + m_parameter(m_partnerId);
        sql += " AND " + alias + "." + quoteIdentifier(organ->code()) + " = " +
               m_parameter(m_ownerId) + ")";
    }
    return sql + ")";
}

ScopedRead scopedRead(const Dictionary& dictionary, std::string_view table,
                      const std::string& ownerId)
{
    ScopedRead read;
    OwnerScope scope(dictionary, ownerId, {}, [&](storage::Value value) {
        read.params.push_back(std::move(value));
        return std::string("?");
    });
    const auto layout = dictionary.layout(table);
    for (std::size_t i = 0; i < layout->joins().size(); ++i)
        read.joinScope.push_back(
            scope.condition(layout->joins()[i].table, "j" + std::to_string(i)));
    read.scope = scope.condition(layout->table().code, "t");
    return read;
}

} // namespace corvo::server::schema
