#include "RemoteValue.h"

#include "entity/Error.h"
#include "entity/Gbk.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>

namespace corvo::remote {

int vt::scalarSize(uint16_t code) noexcept
{
    return code == Error ? 4 : fixedSize(code);
}

int vt::fixedSize(uint16_t code) noexcept
{
    switch (code) {
    case Int8:
    case Byte:
        return 1;
    case Int16:
    case Boolean:
    case UInt16:
        return 2;
    case Int32:
    case Single:
    case UInt32:
        return 4;
    case Double:
    case Currency:
    case Date:
        return 8;
    default:
        return 0;
    }
}

std::string unsupportedTypeMessage(uint32_t typeWord)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(typeWord & 0xFFFF));
    return std::string("Unsupported variant type: ") + hex;
}

std::optional<uint64_t> elementCount(const std::vector<ArrayBound>& bounds,
                                     uint64_t maxElements) noexcept
{
    uint64_t count = 1;
    for (const ArrayBound& b : bounds) {
        const int64_t length = int64_t{b.high} - b.low + 1;
        if (length < 0) return std::nullopt;
        if (length == 0)
            count = 0;
        else if (count != 0 && static_cast<uint64_t>(length) > maxElements / count)
            return std::nullopt;
        else
            count *= static_cast<uint64_t>(length);
    }
    if (count > maxElements) return std::nullopt;
    return count;
}

RemoteValue RemoteValue::fromBits(uint16_t code, uint64_t bits)
{
    const int size = vt::scalarSize(code);
    if (size == 0) throw Error(unsupportedTypeMessage(code));
    RemoteValue v;
    v.m_type = code;
    v.m_bits = size == 8 ? bits : bits & ((uint64_t{1} << (size * 8)) - 1);
    return v;
}

RemoteValue RemoteValue::null()
{
    RemoteValue v;
    v.m_type = vt::Null;
    return v;
}

RemoteValue RemoteValue::opaque(uint16_t code)
{
    RemoteValue v;
    v.m_type = code;
    return v;
}

RemoteValue RemoteValue::int16(int16_t v)
{
    return fromBits(vt::Int16, static_cast<uint16_t>(v));
}
RemoteValue RemoteValue::int32(int32_t v)
{
    return fromBits(vt::Int32, static_cast<uint32_t>(v));
}
RemoteValue RemoteValue::single(float v)
{
    return fromBits(vt::Single, std::bit_cast<uint32_t>(v));
}
RemoteValue RemoteValue::real(double v)
{
    return fromBits(vt::Double, std::bit_cast<uint64_t>(v));
}
RemoteValue RemoteValue::currency(int64_t v)
{
    return fromBits(vt::Currency, static_cast<uint64_t>(v));
}
RemoteValue RemoteValue::date(double days)
{
    return fromBits(vt::Date, std::bit_cast<uint64_t>(days));
}
RemoteValue RemoteValue::errorCode(int32_t v)
{
    return fromBits(vt::Error, static_cast<uint32_t>(v));
}
RemoteValue RemoteValue::boolean(bool v)
{
    return fromBits(vt::Boolean, v ? 0xFFFF : 0);
}
RemoteValue RemoteValue::int8(int8_t v)
{
    return fromBits(vt::Int8, static_cast<uint8_t>(v));
}
RemoteValue RemoteValue::byte(uint8_t v)
{
    return fromBits(vt::Byte, v);
}
RemoteValue RemoteValue::uint16(uint16_t v)
{
    return fromBits(vt::UInt16, v);
}
RemoteValue RemoteValue::uint32(uint32_t v)
{
    return fromBits(vt::UInt32, v);
}

RemoteValue RemoteValue::string(std::u16string text)
{
    RemoteValue v;
    v.m_type = vt::String;
    v.m_text = std::move(text);
    return v;
}

RemoteValue RemoteValue::dispatch(const ObjectId& id)
{
    RemoteValue v;
    v.m_type = vt::Dispatch;
    v.m_object = id;
    return v;
}

RemoteValue RemoteValue::rawArray(uint16_t elementType, std::vector<ArrayBound> bounds, Bytes raw)
{
    const int size = vt::fixedSize(elementType);
    if (size == 0) throw Error(unsupportedTypeMessage(vt::ArrayFlag | elementType));
    const auto count = elementCount(bounds, std::numeric_limits<uint32_t>::max());
    if (bounds.empty() || !count || *count * size != raw.size())
        throw Error("Array bounds do not match its elements");
    RemoteValue v;
    v.m_type = elementType;
    v.m_isArray = true;
    v.m_bounds = std::move(bounds);
    v.m_raw = std::move(raw);
    return v;
}

RemoteValue RemoteValue::valueArray(uint16_t elementType, std::vector<ArrayBound> bounds,
                                    std::vector<RemoteValue> elements)
{
    const auto count = elementCount(bounds, std::numeric_limits<uint32_t>::max());
    if (bounds.empty() || !count || *count != elements.size())
        throw Error("Array bounds do not match its elements");
    RemoteValue v;
    v.m_type = elementType;
    v.m_isArray = true;
    v.m_bounds = std::move(bounds);
    v.m_elements = std::move(elements);
    return v;
}

RemoteValue RemoteValue::byteArray(Bytes bytes)
{
    const auto high = static_cast<int32_t>(bytes.size()) - 1;
    return rawArray(vt::Byte, {{0, high}}, std::move(bytes));
}

uint32_t RemoteValue::typeWord() const noexcept
{
    uint32_t word = m_type;
    if (m_isArray) word |= vt::ArrayFlag;
    if (m_reference == Reference::Direct) word |= vt::ByRefFlag;
    return word;
}

int64_t RemoteValue::toInt64() const
{
    if (!m_isArray) {
        switch (m_type) {
        case vt::Int16:
        case vt::Boolean:
            return static_cast<int16_t>(m_bits);
        case vt::Int32:
        case vt::Error:
            return static_cast<int32_t>(m_bits);
        case vt::Int8:
            return static_cast<int8_t>(m_bits);
        case vt::Byte:
        case vt::UInt16:
        case vt::UInt32:
            return static_cast<int64_t>(m_bits);
        default:
            break;
        }
    }
    throw Error(unsupportedTypeMessage(typeWord()));
}

double RemoteValue::toDouble() const
{
    if (!m_isArray) {
        switch (m_type) {
        case vt::Single:
            return std::bit_cast<float>(static_cast<uint32_t>(m_bits));
        case vt::Double:
        case vt::Date:
            return std::bit_cast<double>(m_bits);
        case vt::Currency:
            return static_cast<double>(static_cast<int64_t>(m_bits)) / 10000.0;
        default:
            break;
        }
    }
    return static_cast<double>(toInt64());
}

bool RemoteValue::toBool() const
{
    return toInt64() != 0;
}

const std::u16string& RemoteValue::text() const
{
    if (m_isArray || m_type != vt::String) throw Error(unsupportedTypeMessage(typeWord()));
    return m_text;
}

const ObjectId& RemoteValue::objectId() const
{
    if (m_isArray || m_type != vt::Dispatch) throw Error(unsupportedTypeMessage(typeWord()));
    return m_object;
}

bool RemoteValue::isByteArray() const noexcept
{
    return m_isArray && m_type == vt::Byte && m_bounds.size() == 1;
}

corvo::Variant RemoteValue::toVariant() const
{
    if (isByteArray()) return corvo::Variant(m_raw);
    if (m_isArray) throw Error(unsupportedTypeMessage(typeWord()));
    switch (m_type) {
    case vt::Empty:
    case vt::Null:
        return {};
    case vt::Boolean:
        return corvo::Variant(m_bits != 0);
    case vt::Int16:
    case vt::Int32:
    case vt::Error:
    case vt::Int8:
    case vt::Byte:
    case vt::UInt16:
    case vt::UInt32:
        return corvo::Variant(toInt64());
    case vt::Single:
    case vt::Double:
        return corvo::Variant(toDouble());
    case vt::Currency:
        return corvo::Variant(Decimal{static_cast<int64_t>(m_bits), 4});
    case vt::Date:
        return corvo::Variant(DateTime{toDouble()});
    case vt::String:
        return corvo::Variant(gbk::fromUtf16(m_text));
    default:
        throw Error(unsupportedTypeMessage(typeWord()));
    }
}

RemoteValue RemoteValue::fromVariant(const corvo::Variant& v)
{
    switch (v.type()) {
    case corvo::Variant::Type::Null:
        return null();
    case corvo::Variant::Type::Boolean:
        return boolean(v.asBool());
    case corvo::Variant::Type::Integer: {
        const int64_t i = v.asInteger();
        if (i < std::numeric_limits<int32_t>::min() || i > std::numeric_limits<int32_t>::max())
            throw Error(unsupportedTypeMessage(vt::Int64));
        return int32(static_cast<int32_t>(i));
    }
    case corvo::Variant::Type::Float:
        return real(v.asFloat());
    case corvo::Variant::Type::Decimal: {
        if (v.asDecimal().scale <= 4) {
            if (const auto exact = v.asDecimal().rescaled(4)) return currency(exact->units);
        }
        return real(v.asDecimal().toDouble());
    }
    case corvo::Variant::Type::DateTime:
        return date(v.asDateTime().days);
    case corvo::Variant::Type::String:
        return string(gbk::toUtf16(v.asString()));
    case corvo::Variant::Type::Bytes:
        return byteArray(v.asBytes());
    }
    throw Error(unsupportedTypeMessage(vt::Variant));
}

bool operator==(const RemoteValue& a, const RemoteValue& b)
{
    return a.m_type == b.m_type && a.m_isArray == b.m_isArray && a.m_reference == b.m_reference &&
           a.m_bits == b.m_bits && a.m_text == b.m_text && a.m_object == b.m_object &&
           a.m_bounds == b.m_bounds && a.m_raw == b.m_raw && a.m_elements == b.m_elements;
}

} // namespace corvo::remote
