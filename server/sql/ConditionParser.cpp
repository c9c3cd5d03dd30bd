#include "Condition.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "internal/Lexer.h"

#include <algorithm>

namespace corvo::server::sql {
namespace {

using internal::Token;

bool isReserved(std::string_view word)
{
    for (std::string_view k :
         {"and", "or", "not", "like", "between", "in", "is", "null", "select", "from", "where"})
        if (gbk::equalsIgnoreCase(word, k)) return true;
    return false;
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text), m_tokens(internal::tokenize(text)) {}

    Condition parse()
    {
        Condition condition = parseOr(0);
        if (peek().kind != Token::Kind::End) unexpected();
        return condition;
    }

private:
    const Token& peek(std::size_t ahead = 0) const
    {
        std::size_t i = std::min(m_pos + ahead, m_tokens.size() - 1);
        return m_tokens[i];
    }

    bool isWord(std::string_view word, std::size_t ahead = 0) const
    {
        const Token& t = peek(ahead);
        return t.kind == Token::Kind::Word && gbk::equalsIgnoreCase(t.text, word);
    }

    bool isSymbol(std::string_view symbol, std::size_t ahead = 0) const
    {
        const Token& t = peek(ahead);
        return t.kind == Token::Kind::Symbol && t.text == symbol;
    }

    bool acceptWord(std::string_view word)
    {
        if (!isWord(word)) return false;
        ++m_pos;
        return true;
    }

    void expectWord(std::string_view word)
    {
        if (!acceptWord(word)) unexpected();
    }

    void expectSymbol(std::string_view symbol)
    {
        if (!isSymbol(symbol)) unexpected();
        ++m_pos;
    }

    [[noreturn]] void unexpected() const
    {
        const Token& t = peek();
        if (t.kind == Token::Kind::End)
            throw Error("查询条件无法识别：条件不完整：" + internal::excerpt(m_text, 0));
        throw Error("查询条件无法识别：" + internal::excerpt(m_text, t.offset) + " 附近");
    }

    void enter(int depth) const
    {
        if (depth > MaxConditionDepth)
            throw Error("查询条件嵌套太深：超过" + std::to_string(MaxConditionDepth) + "层");
    }

    Condition parseOr(int depth)
    {
        enter(depth);
        Condition first = parseAnd(depth);
        if (!isWord("or")) return first;
        Condition node;
        node.kind = Condition::Kind::Or;
        node.terms.push_back(std::move(first));
        while (acceptWord("or"))
            node.terms.push_back(parseAnd(depth));
        return node;
    }

    Condition parseAnd(int depth)
    {
        Condition first = parseNot(depth);
        if (!isWord("and")) return first;
        Condition node;
        node.kind = Condition::Kind::And;
        node.terms.push_back(std::move(first));
        while (acceptWord("and"))
            node.terms.push_back(parseNot(depth));
        return node;
    }

    Condition parseNot(int depth)
    {
        if (acceptWord("not")) {
            enter(depth + 1);
            Condition node;
            node.kind = Condition::Kind::Not;
            node.terms.push_back(parseNot(depth + 1));
            return node;
        }
        if (isSymbol("(")) {
            ++m_pos;
            Condition inner = parseOr(depth + 1);
            expectSymbol(")");
            return inner;
        }
        return parsePredicate(depth);
    }

    ColumnRef parseColumn()
    {
        const Token& t = peek();
        if (t.kind != Token::Kind::Word || isReserved(t.text)) unexpected();
        if (isSymbol("(", 1))
            throw Error("查询条件中不允许使用函数：" + internal::excerpt(m_text, t.offset));
        ColumnRef column;
        column.name = t.text;
        ++m_pos;
        if (isSymbol(".")) {
            ++m_pos;
            const Token& second = peek();
            if (second.kind != Token::Kind::Word || isReserved(second.text)) unexpected();
            if (isSymbol("(", 1))
                throw Error("查询条件中不允许使用函数：" + internal::excerpt(m_text, t.offset));
            column.qualifier = std::move(column.name);
            column.name = second.text;
            ++m_pos;
        }
        return column;
    }

    Literal parseLiteral()
    {
        Literal literal;
        const Token& t = peek();
        if (t.kind == Token::Kind::Text) {
            literal.kind = Literal::Kind::Text;
            literal.text = t.text;
            ++m_pos;
        } else if (t.kind == Token::Kind::Number) {
            literal.kind = Literal::Kind::Number;
            literal.text = t.text;
            ++m_pos;
        } else if (isSymbol("-") && peek(1).kind == Token::Kind::Number) {
            literal.kind = Literal::Kind::Number;
            literal.text = "-" + peek(1).text;
            m_pos += 2;
        } else {
            unexpected();
        }
        if (++m_literals > MaxConditionLiterals)
            throw Error("查询条件中的常量太多：超过" + std::to_string(MaxConditionLiterals) + "个");
        return literal;
    }

    Operand parseOperand()
    {
        Operand operand;
        if (peek().kind == Token::Kind::Word) {
            operand.isColumn = true;
            operand.column = parseColumn();
        } else {
            operand.literal = parseLiteral();
        }
        return operand;
    }

    Condition parsePredicate(int depth)
    {
        Condition node;
        node.column = parseColumn();
        const Token& t = peek();
        if (t.kind == Token::Kind::Symbol && (t.text == "=" || t.text == "<>" || t.text == "<" ||
                                              t.text == ">" || t.text == "<=" || t.text == ">=")) {
            node.kind = Condition::Kind::Compare;
            node.op = t.text;
            ++m_pos;
            node.operands.push_back(parseOperand());
            return node;
        }
        if (acceptWord("is")) {
            node.kind = Condition::Kind::IsNull;
            node.negated = acceptWord("not");
            expectWord("null");
            return node;
        }
        node.negated = acceptWord("not");
        if (acceptWord("like")) {
            node.kind = Condition::Kind::Like;
            if (peek().kind != Token::Kind::Text) unexpected();
            Operand pattern;
            pattern.literal = parseLiteral();
            node.operands.push_back(std::move(pattern));
        } else if (acceptWord("between")) {
            node.kind = Condition::Kind::Between;
            node.operands.push_back(parseOperand());
            expectWord("and");
            node.operands.push_back(parseOperand());
        } else if (acceptWord("in")) {
            expectSymbol("(");
            if (acceptWord("select")) {
                enter(depth + 1);
                node.kind = Condition::Kind::InSelect;
                node.select = std::make_unique<SubSelect>();
                node.select->column = parseColumn();
                expectWord("from");
                const Token& table = peek();
                if (table.kind != Token::Kind::Word || isReserved(table.text)) unexpected();
                node.select->table = table.text;
                ++m_pos;
                if (acceptWord("where"))
                    node.select->where = std::make_unique<Condition>(parseOr(depth + 1));
            } else {
                node.kind = Condition::Kind::InList;
                do {
                    Operand item;
                    item.literal = parseLiteral();
                    node.operands.push_back(std::move(item));
                } while (isSymbol(",") && (++m_pos, true));
            }
            expectSymbol(")");
        } else {
            unexpected();
        }
        return node;
    }

    std::string_view m_text;
    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
    std::size_t m_literals = 0;
};

} // namespace

Condition parseCondition(std::string_view utf8)
{
    return Parser(utf8).parse();
}

} // namespace corvo::server::sql
