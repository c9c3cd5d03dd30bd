#include "FilterExpr.h"

#include "../Error.h"
#include "../Gbk.h"
#include "ValueText.h"

#include <charconv>
#include <cmath>
#include <unordered_set>

namespace corvo::internal {

enum class Op : uint8_t { Eq, Ge, Le, Like };
enum class NodeKind : uint8_t { And, Or, Compare };
enum class LikeShape : uint8_t { General, Exact, Prefix, Contains };

struct FilterExpr::Node {
    NodeKind kind = NodeKind::Compare;
    std::vector<int> children; ///< of And and Or
    /// An Or of equalities on one text or GUID field: the literals as a set.
    std::shared_ptr<std::unordered_set<std::string>> valueSet;
    // Comparison
    Op op = Op::Eq;
    int field = -1;
    FieldType type = FieldType::String;
    int size = 0;
    bool emptyLiteral = false;
    std::string text; ///< literal as text; for like, the pattern or its fixed part
    LikeShape shape = LikeShape::General;
    int64_t integer = 0;
    double number = 0;
    Guid guid;
};

namespace {

constexpr int MaxDepth = 200;

[[noreturn]] void syntaxError(std::string_view what)
{
    throw Error("过滤条件有误：" + std::string(what));
}

bool leadByteAt(std::string_view s, size_t i)
{
    return static_cast<unsigned char>(s[i]) >= 0x81 && i + 1 < s.size();
}

bool isNameByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c >= 0x80;
}

int compareNumbers(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool opHolds(Op op, int cmp)
{
    switch (op) {
    case Op::Eq:
        return cmp == 0;
    case Op::Ge:
        return cmp >= 0;
    case Op::Le:
        return cmp <= 0;
    case Op::Like:
        return false;
    }
    return false;
}

} // namespace

class FilterParser {
public:
    FilterParser(std::string_view text, const std::vector<FieldDef>& fields, FilterExpr& out)
        : m_text(text), m_fields(fields), m_out(out)
    {
    }

    void parse()
    {
        skipBlanks();
        if (m_pos == m_text.size()) return;
        m_out.m_root = parseOr(0);
        skipBlanks();
        if (m_pos != m_text.size())
            syntaxError("“" + gbk::display(m_text.substr(m_pos)) + "”处无法识别");
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && static_cast<unsigned char>(m_text[m_pos]) <= ' ')
            ++m_pos;
    }

    bool keyword(std::string_view word)
    {
        skipBlanks();
        if (m_text.size() - m_pos < word.size()) return false;
        if (!gbk::equalsIgnoreCase(m_text.substr(m_pos, word.size()), word)) return false;
        size_t end = m_pos + word.size();
        if (end < m_text.size() && isNameByte(static_cast<unsigned char>(m_text[end])))
            return false;
        m_pos = end;
        return true;
    }

    int addNode(FilterExpr::Node node)
    {
        m_out.m_nodes.push_back(std::move(node));
        return static_cast<int>(m_out.m_nodes.size() - 1);
    }

    int parseOr(int depth)
    {
        int first = parseAnd(depth);
        if (!keyword("or")) return first;
        FilterExpr::Node n;
        n.kind = NodeKind::Or;
        n.children.push_back(first);
        do {
            n.children.push_back(parseAnd(depth));
        } while (keyword("or"));
        makeValueSet(n);
        return addNode(std::move(n));
    }

    int parseAnd(int depth)
    {
        int first = parsePrimary(depth);
        if (!keyword("and")) return first;
        FilterExpr::Node n;
        n.kind = NodeKind::And;
        n.children.push_back(first);
        do {
            n.children.push_back(parsePrimary(depth));
        } while (keyword("and"));
        return addNode(std::move(n));
    }

    int parsePrimary(int depth)
    {
        if (depth > MaxDepth) syntaxError("括号嵌套过深");
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == '(') {
            ++m_pos;
            int inner = parseOr(depth + 1);
            skipBlanks();
            if (m_pos >= m_text.size() || m_text[m_pos] != ')') syntaxError("缺少右括号");
            ++m_pos;
            return inner;
        }
        return parseComparison();
    }

    int parseComparison()
    {
        skipBlanks();
        size_t start = m_pos;
        while (m_pos < m_text.size() && isNameByte(static_cast<unsigned char>(m_text[m_pos])))
            m_pos += leadByteAt(m_text, m_pos) ? 2 : 1; // a trail byte may be any ASCII sign
        if (start == m_pos) {
            if (m_pos >= m_text.size()) syntaxError("条件不完整");
            syntaxError("“" + gbk::display(m_text.substr(m_pos)) + "”处应为字段名");
        }
        std::string_view name = m_text.substr(start, m_pos - start);
        FilterExpr::Node n;
        for (size_t i = 0; i < m_fields.size(); ++i)
            if (gbk::equalsIgnoreCase(m_fields[i].Name, name)) n.field = static_cast<int>(i);
        if (n.field < 0) syntaxError("字段“" + gbk::display(name) + "”不存在");
        n.type = m_fields[static_cast<size_t>(n.field)].DataType;
        n.size = m_fields[static_cast<size_t>(n.field)].Size;
        skipBlanks();
        if (m_text.substr(m_pos, 2) == ">=")
            n.op = Op::Ge, m_pos += 2;
        else if (m_text.substr(m_pos, 2) == "<=")
            n.op = Op::Le, m_pos += 2;
        else if (m_text.substr(m_pos, 1) == "=")
            n.op = Op::Eq, m_pos += 1;
        else if (keyword("like"))
            n.op = Op::Like;
        else
            syntaxError("字段“" + gbk::display(name) + "”后应为 =、>=、<= 或 like");
        n.text = parseLiteral();
        compileLiteral(n, name);
        return addNode(std::move(n));
    }

    /// Long "F='a' or F='b' or ..." lists (built from other tables) are tested by one look-up.
    void makeValueSet(FilterExpr::Node& n)
    {
        if (n.children.size() < 8) return;
        int field = -1;
        for (int c : n.children) {
            const auto& child = m_out.m_nodes[static_cast<size_t>(c)];
            if (child.kind != NodeKind::Compare || child.op != Op::Eq) return;
            if (!isVariableLength(child.type) && child.type != FieldType::Guid) return;
            if (field >= 0 && child.field != field) return;
            field = child.field;
        }
        n.field = field;
        n.type = m_out.m_nodes[static_cast<size_t>(n.children[0])].type;
        n.valueSet = std::make_shared<std::unordered_set<std::string>>();
        for (int c : n.children)
            n.valueSet->insert(m_out.m_nodes[static_cast<size_t>(c)].text);
    }

    std::string parseLiteral()
    {
        skipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != '\'') syntaxError("应为单引号括起的值");
        ++m_pos;
        std::string value;
        while (true) {
            if (m_pos >= m_text.size()) syntaxError("值缺少结束的单引号");
            char c = m_text[m_pos++];
            if (c == '\'') {
                if (m_pos < m_text.size() && m_text[m_pos] == '\'') {
                    value.push_back('\'');
                    ++m_pos;
                    continue;
                }
                return value;
            }
            value.push_back(c);
        }
    }

    void compileLiteral(FilterExpr::Node& n, std::string_view name)
    {
        n.emptyLiteral = n.text.empty();
        if (n.op == Op::Like) {
            compileLike(n);
            return;
        }
        if (n.emptyLiteral) return;
        auto bad = [&] {
            syntaxError("“" + gbk::display(n.text) + "”不是字段“" + gbk::display(name) +
                        "”的有效值");
        };
        switch (n.type) {
        case FieldType::Guid: {
            auto g = Guid::parse(n.text);
            if (!g) bad();
            n.guid = *g;
            n.text = g->toString();
            break;
        }
        case FieldType::Smallint:
        case FieldType::Integer:
        case FieldType::Largeint:
        case FieldType::Boolean:
        case FieldType::Float:
        case FieldType::BCD:
        case FieldType::DateTime: {
            const std::optional<Variant> literal = convertedOrNone(
                Variant(n.text), n.type == FieldType::BCD ? FieldType::Float : n.type, n.size);
            if (!literal) bad();
            const Variant& converted = *literal;
            if (converted.type() == Variant::Type::Integer)
                n.integer = converted.asInteger();
            else if (converted.type() == Variant::Type::Boolean)
                n.integer = converted.asBool();
            else if (converted.type() == Variant::Type::DateTime)
                n.number = converted.asDateTime().days;
            else
                n.number = converted.asFloat();
            break;
        }
        default:
            break;
        }
    }

    static void compileLike(FilterExpr::Node& n)
    {
        const std::string& p = n.text;
        bool inner = false;
        for (size_t i = 0; i < p.size(); ++i) {
            if (static_cast<unsigned char>(p[i]) >= 0x81 && i + 1 < p.size()) {
                ++i;
                continue;
            }
            if (p[i] == '_' || (p[i] == '%' && i != 0 && i + 1 != p.size())) inner = true;
        }
        if (inner) return;
        bool lead = !p.empty() && p.front() == '%';
        bool trail = p.size() > (lead ? 1u : 0u) && p.back() == '%';
        std::string core = p.substr(lead ? 1 : 0);
        if (trail) core.pop_back();
        if (core.find('%') != std::string::npos) return;
        n.shape = lead && trail ? LikeShape::Contains
                  : trail       ? LikeShape::Prefix
                  : lead        ? LikeShape::General
                                : LikeShape::Exact;
        if (n.shape != LikeShape::General) n.text = core;
    }

    std::string_view m_text;
    const std::vector<FieldDef>& m_fields;
    FilterExpr& m_out;
    size_t m_pos = 0;
};

FilterExpr::FilterExpr() = default;
FilterExpr::~FilterExpr() = default;

std::unique_ptr<FilterExpr> FilterExpr::compile(std::string_view text,
                                                const std::vector<FieldDef>& fields)
{
    std::unique_ptr<FilterExpr> expr(new FilterExpr());
    FilterParser(text, fields, *expr).parse();
    return expr;
}

namespace {

bool likeShaped(const FilterExpr::Node& n, std::string_view text)
{
    switch (n.shape) {
    case LikeShape::Exact:
        return text == n.text;
    case LikeShape::Prefix:
        return text.substr(0, n.text.size()) == n.text;
    case LikeShape::Contains: {
        // A match must start on a character, not on the trail byte of a double-byte one.
        size_t boundary = 0;
        for (size_t at = text.find(n.text); at != std::string_view::npos;
             at = text.find(n.text, at + 1)) {
            while (boundary < at)
                boundary += leadByteAt(text, boundary) ? 2 : 1;
            if (boundary == at) return true;
        }
        return false;
    }
    case LikeShape::General:
        return likeMatch(text, n.text);
    }
    return false;
}

bool compareText(const FilterExpr::Node& n, std::string_view text)
{
    if (n.op == Op::Like) return likeShaped(n, text);
    return opHolds(n.op, text.compare(n.text) < 0 ? -1 : (text == n.text ? 0 : 1));
}

bool evalCompare(const FilterExpr::Node& n, const std::vector<Column>& columns, uint32_t row)
{
    const Column& c = columns[static_cast<size_t>(n.field)];
    if (isVariableLength(n.type)) return compareText(n, c.bytesAt(row));
    switch (n.type) {
    case FieldType::Guid: {
        if (c.isNull(row)) return compareText(n, std::string_view());
        if (n.op == Op::Eq && !n.emptyLiteral)
            return std::memcmp(c.guidBytesAt(row), n.guid.bytes.data(), 16) == 0;
        char buf[Guid::TextLength];
        c.guidAt(row).writeText(buf);
        return compareText(n, std::string_view(buf, sizeof buf));
    }
    default:
        break;
    }
    if (n.op == Op::Like) return likeShaped(n, columnText(c, row, n.size));
    if (c.isNull(row)) return n.emptyLiteral && n.op != Op::Like;
    if (n.emptyLiteral) return n.op == Op::Ge;
    switch (n.type) {
    case FieldType::Smallint:
    case FieldType::Integer:
    case FieldType::Largeint:
    case FieldType::Boolean: {
        int64_t v = c.intAt(row);
        return opHolds(n.op, v < n.integer ? -1 : (v > n.integer ? 1 : 0));
    }
    case FieldType::BCD:
        return opHolds(
            n.op, compareNumbers(Decimal{c.intAt(row), static_cast<uint8_t>(n.size)}.toDouble(),
                                 n.number));
    case FieldType::Float:
    case FieldType::DateTime:
        return opHolds(n.op, compareNumbers(c.floatAt(row), n.number));
    default:
        return false;
    }
}

bool evalNode(const std::vector<FilterExpr::Node>& nodes, int index,
              const std::vector<Column>& columns, uint32_t row)
{
    const FilterExpr::Node& n = nodes[static_cast<size_t>(index)];
    switch (n.kind) {
    case NodeKind::And:
        for (int c : n.children)
            if (!evalNode(nodes, c, columns, row)) return false;
        return true;
    case NodeKind::Or:
        if (n.valueSet) {
            const Column& col = columns[static_cast<size_t>(n.field)];
            if (n.type == FieldType::Guid)
                return n.valueSet->count(col.isNull(row) ? std::string()
                                                         : col.guidAt(row).toString()) > 0;
            return n.valueSet->count(std::string(col.bytesAt(row))) > 0;
        }
        for (int c : n.children)
            if (evalNode(nodes, c, columns, row)) return true;
        return false;
    case NodeKind::Compare:
        return evalCompare(n, columns, row);
    }
    return false;
}

} // namespace

int FilterExpr::guidEquality(const uint8_t*& bytes) const noexcept
{
    if (m_root < 0) return -1;
    const Node& n = m_nodes[static_cast<size_t>(m_root)];
    if (n.kind != NodeKind::Compare || n.op != Op::Eq || n.type != FieldType::Guid ||
        n.emptyLiteral)
        return -1;
    bytes = n.guid.bytes.data();
    return n.field;
}

int FilterExpr::textPrefix(std::string_view& prefix) const noexcept
{
    if (m_root < 0) return -1;
    const Node& n = m_nodes[static_cast<size_t>(m_root)];
    if (n.kind != NodeKind::Compare || n.op != Op::Like || n.shape != LikeShape::Prefix ||
        !isVariableLength(n.type))
        return -1;
    prefix = n.text;
    return n.field;
}

bool FilterExpr::matches(const std::vector<Column>& columns, uint32_t row) const
{
    return m_root < 0 || evalNode(m_nodes, m_root, columns, row);
}

bool likeMatch(std::string_view text, std::string_view pattern) noexcept
{
    auto charLen = [](std::string_view s, size_t i) -> size_t {
        return (static_cast<unsigned char>(s[i]) >= 0x81 && i + 1 < s.size()) ? 2 : 1;
    };
    size_t t = 0, p = 0;
    size_t starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '%') {
            starP = ++p;
            starT = t;
            continue;
        }
        if (p < pattern.size()) {
            size_t pl = charLen(pattern, p), tl = charLen(text, t);
            if (pattern[p] == '_' && pl == 1) {
                p += 1;
                t += tl;
                continue;
            }
            if (pl == tl && text.substr(t, tl) == pattern.substr(p, pl)) {
                p += pl;
                t += tl;
                continue;
            }
        }
        if (starP == std::string_view::npos) return false;
        p = starP;
        starT += charLen(text, starT);
        t = starT;
    }
    while (p < pattern.size() && pattern[p] == '%')
        ++p;
    return p == pattern.size();
}

} // namespace corvo::internal
