#include "ConditionWriter.h"

#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/Guid.h"
#include "server/schema/Ddl.h"
#include "server/schema/Ownership.h"

#include <charconv>

namespace corvo::server::sql::internal {
namespace {

constexpr std::string_view OwnerColumn = "TOwnerID";

std::string written(const ColumnRef& ref)
{
    return ref.qualifier.empty() ? ref.name : ref.qualifier + "." + ref.name;
}

const schema::LayoutColumn* columnOf(const schema::TableLayout& layout, std::string_view code)
{
    int index = layout.columnIndex(code);
    return index < 0 ? nullptr : &layout.columns()[std::size_t(index)];
}

} // namespace

std::string clientJoinAlias(const schema::TableLayout& layout, std::size_t joinIndex)
{
    for (const schema::LayoutColumn& column : layout.columns()) {
        if (column.join != static_cast<int>(joinIndex)) continue;
        if (column.field.isOtherParam) return column.field.joinedTable;
        const std::string& key = layout.joins()[joinIndex].keyColumn;
        return key.size() > 2 ? key.substr(0, key.size() - 2) : key;
    }
    return layout.joins()[joinIndex].table;
}

ConditionWriter::ConditionWriter(const schema::Dictionary& dictionary, storage::Dialect dialect,
                                 std::string ownerId, std::vector<storage::Value>& params,
                                 std::string partnerId)
    : m_dictionary(dictionary), m_dialect(dialect), m_ownerId(std::move(ownerId)), m_params(params),
      m_partnerId(m_ownerId.empty() ? std::string() : std::move(partnerId))
{
}

const schema::TableLayout& ConditionWriter::layoutOf(std::string_view table)
{
    std::string key = gbk::upper(table);
    auto it = m_layouts.find(key);
    if (it != m_layouts.end()) return *it->second;
    if (!m_dictionary.findTable(table))
        throw Error("查询中的表[" + std::string(table) + "]不在数据字典中");
    const auto& layout = *m_layouts.emplace(key, m_dictionary.layout(table)).first->second;
    m_tables.push_back(layout.table().code);
    return layout;
}

TableScope ConditionWriter::mainScope(const schema::TableLayout& layout)
{
    TableScope scope;
    scope.layout = &layout;
    scope.sqlAlias = "t";
    for (std::size_t i = 0; i < layout.joins().size(); ++i)
        scope.joins.push_back({clientJoinAlias(layout, i), "j" + std::to_string(i),
                               &layoutOf(layout.joins()[i].table)});
    return scope;
}

ResolvedColumn ConditionWriter::resolve(const ColumnRef& ref, const TableScope& scope)
{
    auto inTable = [&](const TableScope& s) -> ResolvedColumn {
        const schema::LayoutColumn* column = columnOf(*s.layout, ref.name);
        if (!column) throw Error("表[" + s.layout->table().code + "]中没有列[" + ref.name + "]");
        if (column->stored())
            return {s.sqlAlias + "." + schema::quoteIdentifier(column->code()), column,
                    gbk::equalsIgnoreCase(column->code(), OwnerColumn)};
        if (s.joins.empty()) throw Error("子查询中不能使用关联列[" + written(ref) + "]");
        const JoinAlias& join = s.joins[std::size_t(column->join)];
        return {join.sqlAlias + "." + schema::quoteIdentifier(column->joinedColumn), column, false};
    };
    if (ref.qualifier.empty()) return inTable(scope);
    for (const TableScope* s = &scope; s; s = s->outer)
        if (gbk::equalsIgnoreCase(s->layout->table().code, ref.qualifier)) return inTable(*s);
    for (const TableScope* s = &scope; s; s = s->outer) {
        for (const JoinAlias& join : s->joins) {
            if (!gbk::equalsIgnoreCase(join.name, ref.qualifier)) continue;
            const schema::LayoutColumn* column = columnOf(*join.layout, ref.name);
            if (!column || !column->stored())
                throw Error("表[" + join.layout->table().code + "]中没有列[" + ref.name + "]");
            return {join.sqlAlias + "." + schema::quoteIdentifier(column->code()), column, false};
        }
    }
    throw Error("查询条件中的表[" + ref.qualifier + "]不在本查询中");
}

std::string ConditionWriter::parameter(storage::Value value)
{
    if (m_params.size() >= MaxStatementParameters)
        throw Error("查询条件中的常量太多：超过" + std::to_string(MaxStatementParameters) + "个");
    m_params.push_back(std::move(value));
    return "?";
}

std::string ConditionWriter::literal(const Literal& literal, const ResolvedColumn& left)
{
    if (left.isOwner) {
        bool allowed = literal.kind == Literal::Kind::Text &&
                       (literal.text.empty() || literal.text == EmptyGuidText ||
                        (!m_ownerId.empty() && gbk::equalsIgnoreCase(literal.text, m_ownerId)));
        if (!allowed) throw Error("查询条件不能指定其他机构的数据：" + literal.text);
    }
    if (literal.kind == Literal::Kind::Number && literal.text.find('.') == std::string::npos) {
        int64_t value = 0;
        const char* end = literal.text.data() + literal.text.size();
        auto [ptr, ec] = std::from_chars(literal.text.data(), end, value);
        if (ec == std::errc() && ptr == end) return parameter(value);
    }
    return parameter(literal.text);
}

std::string ConditionWriter::operand(const Operand& operand, const ResolvedColumn& left,
                                     const TableScope& scope)
{
    if (!operand.isColumn) return literal(operand.literal, left);
    if (left.isOwner) throw Error("所属机构只能与当前机构比较：" + written(operand.column));
    return resolve(operand.column, scope).sql;
}

std::string ConditionWriter::write(const Condition& condition, const TableScope& scope)
{
    using Kind = Condition::Kind;
    if (condition.kind == Kind::And || condition.kind == Kind::Or) {
        std::string out = "(";
        for (std::size_t i = 0; i < condition.terms.size(); ++i) {
            if (i) out += condition.kind == Kind::And ? " AND " : " OR ";
            out += write(condition.terms[i], scope);
        }
        return out + ")";
    }
    if (condition.kind == Kind::Not) return "NOT (" + write(condition.terms.front(), scope) + ")";

    const ResolvedColumn left = resolve(condition.column, scope);
    const std::string negation = condition.negated ? " NOT" : "";
    switch (condition.kind) {
    case Kind::Compare:
        return left.sql + " " + condition.op + " " + operand(condition.operands[0], left, scope);
    case Kind::IsNull:
        return left.sql + " IS" + negation + " NULL";
    case Kind::Like: {
        if (!isTextType(left.column->type) && left.column->type != FieldType::Guid)
            throw Error("like只能用于文本列：" + written(condition.column));
        // PostgreSQL's LIKE tells letter case apart and takes '\' as its escape; SQLite's
        // does neither. Both behave like SQLite: ILIKE without an escape character.
        std::string pattern = literal(condition.operands[0].literal, left);
        if (m_dialect == storage::Dialect::Postgres)
            return left.sql + negation + " ILIKE " + pattern + " ESCAPE ''";
        return left.sql + negation + " LIKE " + pattern;
    }
    case Kind::Between: {
        std::string low = operand(condition.operands[0], left, scope);
        std::string high = operand(condition.operands[1], left, scope);
        return left.sql + negation + " BETWEEN " + low + " AND " + high;
    }
    case Kind::InList: {
        std::string list;
        for (const Operand& item : condition.operands)
            list += (list.empty() ? "" : ", ") + literal(item.literal, left);
        return left.sql + negation + " IN (" + list + ")";
    }
    case Kind::InSelect:
        if (left.isOwner) throw Error("所属机构只能与当前机构比较：" + written(condition.column));
        return left.sql + negation + " IN (" + subSelect(*condition.select, scope) + ")";
    default:
        break;
    }
    throw Error("查询条件无法识别");
}

std::string ConditionWriter::subSelect(const SubSelect& select, const TableScope& scope)
{
    TableScope inner;
    inner.layout = &layoutOf(select.table);
    inner.sqlAlias = "s" + std::to_string(++m_subSelects);
    inner.outer = &scope;
    const ResolvedColumn column = resolve(select.column, inner);
    std::string sql = "SELECT " + column.sql + " FROM " +
                      schema::quoteIdentifier(inner.layout->table().code) + " AS " + inner.sqlAlias;
    std::vector<std::string> conditions;
    if (select.where) conditions.push_back(write(*select.where, inner));
    if (std::string owner = ownerScope(inner); !owner.empty()) conditions.push_back(owner);
    for (std::size_t i = 0; i < conditions.size(); ++i)
        sql += (i ? " AND " : " WHERE ") + conditions[i];
    return sql;
}

std::string ConditionWriter::ownerScope(const TableScope& scope)
{
    schema::OwnerScope owner(m_dictionary, m_ownerId, m_partnerId,
                             [this](storage::Value value) { return parameter(std::move(value)); });
    return owner.condition(scope.layout->table().code, scope.sqlAlias);
}

} // namespace corvo::server::sql::internal
