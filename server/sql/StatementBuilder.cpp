#include "StatementBuilder.h"

#include "Condition.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TClientDataSet.h"
#include "internal/ConditionWriter.h"
#include "internal/Lexer.h"
#include "server/schema/Ddl.h"
#include "server/schema/Ownership.h"
#include "server/schema/TableLayout.h"

#include <charconv>
#include <set>

namespace corvo::server::sql {
namespace {

using internal::Token;

/// Reads the short clause forms (select, join, order) token by token.
class ClauseReader {
public:
    ClauseReader(const Clause& clause) : m_clause(clause), m_tokens(internal::tokenize(clause.text))
    {
    }

    bool atEnd() const { return peek().kind == Token::Kind::End; }
    const Token& peek() const { return m_tokens[std::min(m_pos, m_tokens.size() - 1)]; }

    bool acceptWord(std::string_view word)
    {
        if (peek().kind != Token::Kind::Word || !gbk::equalsIgnoreCase(peek().text, word))
            return false;
        ++m_pos;
        return true;
    }
    void expectWord(std::string_view word)
    {
        if (!acceptWord(word)) refuse();
    }
    void expectSymbol(std::string_view symbol)
    {
        if (peek().kind != Token::Kind::Symbol || peek().text != symbol) refuse();
        ++m_pos;
    }
    std::string word()
    {
        if (peek().kind != Token::Kind::Word) refuse();
        return m_tokens[m_pos++].text;
    }
    std::string number()
    {
        if (peek().kind != Token::Kind::Number) refuse();
        return m_tokens[m_pos++].text;
    }
    ColumnRef column()
    {
        ColumnRef ref;
        ref.name = word();
        if (peek().kind == Token::Kind::Symbol && peek().text == ".") {
            ++m_pos;
            ref.qualifier = std::move(ref.name);
            ref.name = word();
        }
        return ref;
    }
    void expectEnd()
    {
        if (!atEnd()) refuse();
    }

    [[noreturn]] void refuse() const
    {
        throw Error("查询子句无法识别：" + m_clause.kind + " " +
                    internal::excerpt(m_clause.text, peek().offset) + " 附近");
    }

private:
    const Clause& m_clause;
    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
};

class Builder {
public:
    Builder(const schema::Dictionary& dictionary, const QueryScope& scope, Statement& out)
        : m_out(out), m_dictionary(dictionary), m_ownerId(scope.ownerId),
          m_partnerId(scope.ownerId.empty() ? std::string() : scope.partnerId),
          m_writer(dictionary, scope.dialect, scope.ownerId, out.params, scope.partnerId)
    {
    }

    void build(std::span<const Clause> clauses)
    {
        if (clauses.size() > MaxClauses)
            throw Error("查询子句太多：超过" + std::to_string(MaxClauses) + "条");
        std::size_t bytes = 0;
        const Clause* from = nullptr;
        for (const Clause& clause : clauses) {
            bytes += clause.text.size();
            if (bytes > MaxClauseSetBytes) throw Error("查询子句太长");
            if (!gbk::equalsIgnoreCase(clause.kind, "from")) continue;
            if (from) throw Error("查询子句中只能有一个from子句");
            from = &clause;
        }
        if (!from) throw Error("查询子句中没有from子句");
        ClauseReader reader(*from);
        std::string table = reader.word();
        reader.expectEnd();
        m_layout = &m_writer.layoutOf(table);
        m_scope = m_writer.mainScope(*m_layout);
        m_out.table = m_layout->table().code;

        bool firstSelect = true;
        for (const Clause& clause : clauses) {
            const std::string& kind = clause.kind;
            if (gbk::equalsIgnoreCase(kind, "from")) continue;
            if (gbk::equalsIgnoreCase(kind, "select")) {
                select(clause, firstSelect);
                firstSelect = false;
            } else if (gbk::equalsIgnoreCase(kind, "join")) {
                join(clause);
            } else if (gbk::equalsIgnoreCase(kind, "where")) {
                if (gbk::trim(clause.text).empty()) continue;
                m_where.push_back(m_writer.write(parseCondition(clause.text), m_scope));
            } else if (gbk::equalsIgnoreCase(kind, "order")) {
                order(clause);
            } else if (gbk::equalsIgnoreCase(kind, "sum")) {
                sum(clause);
            } else {
                throw Error("查询子句的类型[" + kind + "]无法识别");
            }
        }
        if (m_select.empty()) throw Error("查询子句中没有要查询的列");
        assemble();
    }

private:
    void select(const Clause& clause, bool first)
    {
        ClauseReader reader(clause);
        if (reader.acceptWord("top")) {
            if (!first) throw Error("只有第一个select子句可以指定每页行数：" + clause.text);
            std::string digits = reader.number();
            int rows = 0;
            auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), rows);
            if (ec != std::errc() || ptr != digits.data() + digits.size() || rows < 1 ||
                rows > MaxPageRows)
                throw Error("每页行数必须在1到" + std::to_string(MaxPageRows) + "之间：" + digits);
            m_out.limit = rows;
        }
        ColumnRef ref = reader.column();
        std::string name = ref.name;
        if (reader.acceptWord("as")) name = reader.word();
        reader.expectEnd();

        const int index = m_layout->columnIndex(name);
        if (index < 0) throw Error("表[" + m_layout->table().code + "]中没有列[" + name + "]");
        const schema::LayoutColumn& column = m_layout->columns()[std::size_t(index)];
        std::string sql;
        if (column.stored()) {
            bool same = gbk::equalsIgnoreCase(ref.name, column.code()) &&
                        (ref.qualifier.empty() ||
                         gbk::equalsIgnoreCase(ref.qualifier, m_layout->table().code));
            if (!same) reader.refuse();
            sql = "t." + schema::quoteIdentifier(column.code());
        } else {
            const internal::JoinAlias& join = m_scope.joins[std::size_t(column.join)];
            bool same = gbk::equalsIgnoreCase(ref.qualifier, join.name) &&
                        gbk::equalsIgnoreCase(ref.name, column.joinedColumn);
            if (!same) reader.refuse();
            sql = join.sqlAlias + "." + schema::quoteIdentifier(column.joinedColumn);
        }
        if (!m_selected.insert(gbk::upper(column.code())).second)
            throw Error("查询的列[" + column.code() + "]重复");
        m_select.push_back(sql + " AS " + schema::quoteIdentifier(column.code()));
        m_out.columns.push_back(column.code());
    }

    /// The client's join rows only have to agree with the dictionary: the statement joins
    /// every display column's table itself.
    void join(const Clause& clause)
    {
        ClauseReader reader(clause);
        while (reader.acceptWord("left") || reader.acceptWord("right") ||
               reader.acceptWord("inner") || reader.acceptWord("full") ||
               reader.acceptWord("outer")) {
        }
        reader.expectWord("join");
        std::string table = reader.word();
        reader.expectWord("as");
        std::string alias = reader.word();
        reader.expectWord("on");
        ColumnRef key = reader.column();
        reader.expectSymbol("=");
        ColumnRef target = reader.column();
        reader.expectEnd();
        for (std::size_t i = 0; i < m_scope.joins.size(); ++i) {
            const internal::JoinAlias& j = m_scope.joins[i];
            if (!gbk::equalsIgnoreCase(j.name, alias)) continue;
            bool matches = gbk::equalsIgnoreCase(j.layout->table().code, table) &&
                           gbk::equalsIgnoreCase(key.qualifier, m_layout->table().code) &&
                           gbk::equalsIgnoreCase(key.name, m_layout->joins()[i].keyColumn) &&
                           gbk::equalsIgnoreCase(target.qualifier, alias) &&
                           gbk::equalsIgnoreCase(target.name, "ObjID");
            if (matches) return;
        }
        throw Error("连接子句与数据字典不符：" + clause.text);
    }

    void order(const Clause& clause)
    {
        ClauseReader reader(clause);
        ColumnRef ref = reader.column();
        bool descending = reader.acceptWord("desc");
        if (!descending) reader.acceptWord("asc");
        reader.expectEnd();
        m_order.push_back(m_writer.resolve(ref, m_scope).sql + (descending ? " DESC" : ""));
    }

    void sum(const Clause& clause)
    {
        if (!m_out.groupBy.empty()) throw Error("只能按一个条件汇总");
        ClauseReader reader(clause);
        ColumnRef ref = reader.column();
        reader.expectEnd();
        m_out.groupBy = m_writer.resolve(ref, m_scope).column->code();
    }

    void assemble()
    {
        if (std::string owner = m_writer.ownerScope(m_scope); !owner.empty())
            m_where.push_back(owner);
        // A display column shows nothing of another company: its join is scoped as well. The
        // joins come before the conditions in the text, so their values go first.
        std::vector<storage::Value> joinParams;
        schema::OwnerScope joinScope(m_dictionary, m_ownerId, m_partnerId,
                                     [&](storage::Value value) {
                                         joinParams.push_back(std::move(value));
                                         return std::string("?");
                                     });
        std::string& sql = m_out.sql;
        sql = "SELECT ";
        for (std::size_t i = 0; i < m_select.size(); ++i)
            sql += (i ? ", " : "") + m_select[i];
        sql += " FROM " + schema::quoteIdentifier(m_layout->table().code) + " AS t";
        for (std::size_t i = 0; i < m_scope.joins.size(); ++i) {
            const internal::JoinAlias& join = m_scope.joins[i];
            sql += " LEFT JOIN " + schema::quoteIdentifier(join.layout->table().code) + " AS " +
                   join.sqlAlias + " ON " + join.sqlAlias + "." + schema::quoteIdentifier("ObjID") +
                   " = t." + schema::quoteIdentifier(m_layout->joins()[i].keyColumn);
            if (std::string scope = joinScope.condition(join.layout->table().code, join.sqlAlias);
                !scope.empty())
                sql += " AND " + scope;
        }
        m_out.params.insert(m_out.params.begin(), joinParams.begin(), joinParams.end());
        m_out.tables = m_writer.tables();
        for (std::size_t i = 0; i < m_where.size(); ++i)
            sql += (i ? " AND " : " WHERE ") + m_where[i];
        for (std::size_t i = 0; i < m_order.size(); ++i)
            sql += (i ? ", " : " ORDER BY ") + m_order[i];
        if (m_out.limit > 0) sql += " LIMIT " + std::to_string(m_out.limit);
    }

    Statement& m_out;
    const schema::Dictionary& m_dictionary;
    std::string m_ownerId;
    std::string m_partnerId;
    internal::ConditionWriter m_writer;
    const schema::TableLayout* m_layout = nullptr;
    internal::TableScope m_scope;
    std::vector<std::string> m_select;
    std::set<std::string> m_selected;
    std::vector<std::string> m_where;
    std::vector<std::string> m_order;
};

} // namespace

std::vector<Clause> clausesOf(TClientDataSet& clauseSet)
{
    TField* kind = clauseSet.FindField("SQLKey");
    TField* text = clauseSet.FindField("SQLClause");
    if (!kind || !text) throw Error("查询子句数据集缺少SQLKey或SQLClause字段");
    if (static_cast<std::size_t>(clauseSet.RecordCount()) > MaxClauses)
        throw Error("查询子句太多：超过" + std::to_string(MaxClauses) + "条");
    std::vector<Clause> clauses;
    for (clauseSet.First(); !clauseSet.Eof(); clauseSet.Next()) {
        std::optional<std::string> k = gbk::toUtf8OrNone(kind->AsString());
        std::optional<std::string> t = gbk::toUtf8OrNone(text->AsString());
        if (!k || !t) throw Error("查询子句中有无法识别的字符：" + gbk::display(text->AsString()));
        clauses.push_back({std::move(*k), std::move(*t)});
    }
    return clauses;
}

Statement buildStatement(const schema::Dictionary& dictionary, std::span<const Clause> clauses,
                         const QueryScope& scope)
{
    Statement statement;
    Builder(dictionary, scope, statement).build(clauses);
    return statement;
}

RebuiltCondition rebuildCondition(const schema::Dictionary& dictionary, std::string_view table,
                                  std::string_view condition, const QueryScope& scope)
{
    RebuiltCondition out;
    internal::ConditionWriter writer(dictionary, scope.dialect, scope.ownerId, out.params,
                                     scope.partnerId);
    const schema::TableLayout& layout = writer.layoutOf(table);
    internal::TableScope main = writer.mainScope(layout);
    out.sql = writer.write(parseCondition(condition), main);
    return out;
}

} // namespace corvo::server::sql
