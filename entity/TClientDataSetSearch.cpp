// Locate and Lookup: a hash index per searched field once the table is large enough,
// kept current as rows change.
#include "Gbk.h"
#include "TClientDataSet.h"
#include "internal/Column.h"
#include "internal/FilterExpr.h"
#include "internal/LookupIndex.h"
#include "internal/ValueText.h"

#include <cstring>
#include <functional>

namespace corvo {

using internal::Column;

namespace {

constexpr std::size_t IndexedSearchThreshold = 32;

uint64_t mix(uint64_t x) noexcept
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

uint64_t hashBytes(std::string_view s) noexcept
{
    return mix(std::hash<std::string_view>{}(s));
}

uint64_t hashText(std::string_view s, bool caseInsensitive)
{
    if (!caseInsensitive) return hashBytes(s);
    return hashBytes(gbk::upper(s));
}

uint64_t hashDouble(double d) noexcept
{
    if (d == 0) d = 0; // -0 and 0 are equal
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    return mix(bits);
}

constexpr uint64_t NullHash = 0x9e3779b97f4a7c15ULL;

/// A Locate value converted once to what the stored values of the field are compared with.
struct Probe {
    bool valid = true; ///< false: nothing can equal it
    std::string text;  ///< text fields, or partial keys
    Variant value;     ///< converted value for the other types
    Guid guid;
    uint64_t hash = 0;
};

} // namespace

uint64_t internal::lookupHashOfRow(const Column& column, uint32_t row, bool caseInsensitive)
{
    if (isVariableLength(column.type())) return hashText(column.bytesAt(row), caseInsensitive);
    switch (column.type()) {
    case FieldType::Guid:
        if (column.isNull(row)) return hashBytes({});
        return hashBytes(
            std::string_view(reinterpret_cast<const char*>(column.guidBytesAt(row)), 16));
    case FieldType::Float:
    case FieldType::DateTime:
        return column.isNull(row) ? NullHash : hashDouble(column.floatAt(row));
    default:
        return column.isNull(row) ? NullHash : mix(static_cast<uint64_t>(column.intAt(row)));
    }
}

uint64_t internal::lookupHashOfGuid(const uint8_t* guid)
{
    return hashBytes(std::string_view(reinterpret_cast<const char*>(guid), 16));
}

namespace {

Probe makeProbe(const Variant& value, const FieldDef& def, unsigned options)
{
    Probe p;
    const bool ci = options & loCaseInsensitive;
    if (options & loPartialKey) {
        p.text = value.toText();
        return p;
    }
    if (isVariableLength(def.DataType)) {
        p.text = value.type() == Variant::Type::Bytes
                     ? std::string(value.asBytes().begin(), value.asBytes().end())
                     : value.toText();
        p.hash = hashText(p.text, ci);
        return p;
    }
    switch (def.DataType) {
    case FieldType::Guid: {
        p.text = value.type() == Variant::Type::String ? value.asString() : value.toText();
        if (p.text.empty()) {
            p.hash = hashBytes({});
            return p;
        }
        auto g = Guid::parse(p.text);
        if (!g) {
            p.valid = false;
            return p;
        }
        p.guid = *g;
        p.hash = hashBytes(std::string_view(reinterpret_cast<const char*>(g->bytes.data()), 16));
        return p;
    }
    default:
        break;
    }
    std::optional<Variant> converted = internal::convertedOrNone(value, def.DataType, def.Size);
    if (!converted) {
        p.valid = false;
        return p;
    }
    p.value = std::move(*converted);
    // Converting rounds (2.6 to 3, 2.254 to 2.25 at two digits); a rounded probe equals nothing.
    const bool rounds = def.DataType == FieldType::Smallint || def.DataType == FieldType::Integer ||
                        def.DataType == FieldType::Largeint || def.DataType == FieldType::BCD;
    if (rounds && !p.value.isNull() && !(p.value == value)) {
        p.valid = false;
        return p;
    }
    using T = Variant::Type;
    switch (p.value.type()) {
    case T::Null:
        p.hash = NullHash;
        break;
    case T::Integer:
        p.hash = mix(static_cast<uint64_t>(p.value.asInteger()));
        break;
    case T::Boolean:
        p.hash = mix(p.value.asBool() ? 1 : 0);
        break;
    case T::Decimal:
        p.hash = mix(static_cast<uint64_t>(p.value.asDecimal().units));
        break;
    case T::Float:
        p.hash = hashDouble(p.value.asFloat());
        break;
    case T::DateTime:
        p.hash = hashDouble(p.value.asDateTime().days);
        break;
    default:
        p.valid = false;
    }
    return p;
}

bool matchesProbe(const Column& c, const FieldDef& def, uint32_t row, const Probe& p,
                  unsigned options)
{
    const bool ci = options & loCaseInsensitive;
    if (options & loPartialKey) {
        std::string text = isVariableLength(c.type()) ? std::string(c.bytesAt(row))
                                                      : internal::columnText(c, row, def.Size);
        if (c.type() == FieldType::Guid) return gbk::startsWithIgnoreCase(text, p.text);
        return ci ? gbk::startsWithIgnoreCase(text, p.text) : text.starts_with(p.text);
    }
    if (isVariableLength(c.type())) {
        std::string_view text = c.bytesAt(row);
        return ci ? gbk::equalsIgnoreCase(text, p.text) : text == p.text;
    }
    switch (c.type()) {
    case FieldType::Guid:
        if (p.text.empty()) return c.isNull(row);
        return !c.isNull(row) && std::memcmp(c.guidBytesAt(row), p.guid.bytes.data(), 16) == 0;
    default:
        break;
    }
    if (p.value.isNull()) return c.isNull(row);
    if (c.isNull(row)) return false;
    switch (c.type()) {
    case FieldType::Float:
        return c.floatAt(row) == p.value.asFloat();
    case FieldType::DateTime:
        return c.floatAt(row) == p.value.asDateTime().days;
    case FieldType::Boolean:
        return (c.intAt(row) != 0) == p.value.asBool();
    case FieldType::BCD:
        return c.intAt(row) == p.value.asDecimal().units;
    default:
        return c.intAt(row) == p.value.asInteger();
    }
}

} // namespace

void TClientDataSet::clearLookupIndexes() noexcept
{
    m_lookups.clear();
    m_lastGuidFilterField = -1;
}

internal::LookupIndex* TClientDataSet::lookupIndex(int field, bool caseInsensitive)
{
    if (!isVariableLength(m_columns[static_cast<std::size_t>(field)].type()))
        caseInsensitive = false;
    for (const auto& l : m_lookups)
        if (l->field() == field && l->caseInsensitive() == caseInsensitive) return l.get();
    auto index = std::make_unique<internal::LookupIndex>(field, caseInsensitive);
    index->reserve(m_liveRows);
    const Column& c = m_columns[static_cast<std::size_t>(field)];
    const auto rows = static_cast<uint32_t>(m_deleted.size());
    for (uint32_t r = 0; r < rows; ++r)
        if (!m_deleted[r]) index->insert(lookupHashOfRow(c, r, caseInsensitive), r);
    m_lookups.push_back(std::move(index));
    return m_lookups.back().get();
}

std::optional<uint32_t> TClientDataSet::findRow(int field, const Variant& value, unsigned options)
{
    const FieldDef& def = m_fieldDefs.Items(field);
    const Column& c = m_columns[static_cast<std::size_t>(field)];
    Probe probe = makeProbe(value, def, options);
    if (!probe.valid) return std::nullopt;
    if ((options & loPartialKey) || m_view.size() < IndexedSearchThreshold) {
        for (uint32_t r : m_view)
            if (matchesProbe(c, def, r, probe, options)) return r;
        return std::nullopt;
    }
    internal::LookupIndex* index = lookupIndex(field, options & loCaseInsensitive);
    std::optional<uint32_t> best;
    index->forEach(probe.hash, [&](uint32_t r) {
        if (!m_deleted[r] && matchesProbe(c, def, r, probe, options) && passesFilter(r) &&
            (!best || rowLess(r, *best)))
            best = r;
        return true;
    });
    return best;
}

bool TClientDataSet::Locate(std::string_view fieldName, const Variant& value, unsigned options)
{
    checkActive();
    MergeChangeLog();
    int field = FieldByName(fieldName).Index();
    auto row = findRow(field, value, options);
    if (!row) return false;
    return moveToRow(*row);
}

Variant TClientDataSet::Lookup(std::string_view keyField, const Variant& keyValue,
                               std::string_view resultField)
{
    checkActive();
    MergeChangeLog();
    int key = FieldByName(keyField).Index();
    int result = FieldByName(resultField).Index();
    auto row = findRow(key, keyValue, 0);
    if (!row) return {};
    return rowValue(*row, result);
}

} // namespace corvo
