#include "VariantCodec.h"

#include "TvelDataBlock.h"
#include "entity/Error.h"

namespace corvo::remote {

namespace {

[[noreturn]] void invalid()
{
    throw Error(InvalidDataPacket);
}
[[noreturn]] void unsupported(uint32_t word)
{
    throw Error(unsupportedTypeMessage(word));
}

bool isScalarCode(uint16_t code) noexcept
{
    return code <= vt::Boolean || vt::scalarSize(code) != 0;
}

bool isArrayElementCode(uint16_t code) noexcept
{
    return code <= vt::Variant || vt::fixedSize(code) != 0;
}

void putLe(Bytes& out, uint64_t v, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Refuses the whole value before any of it is written.
void check(const RemoteValue& v)
{
    const uint32_t word = v.typeWord();
    if (v.reference() == Reference::Direct && !v.isArray() &&
        (v.type() == vt::Dispatch || v.type() == vt::Empty))
        unsupported(word);
    if (!v.isArray()) {
        if (!isScalarCode(v.type())) unsupported(word);
        return;
    }
    if (!isArrayElementCode(v.type())) unsupported(word);
    for (const RemoteValue& e : v.elements()) {
        if (v.type() != vt::Variant && (e.isArray() || e.type() != v.type() || e.isByRef()))
            throw Error("Array elements differ from the array's element type");
        check(e);
    }
}

void encode(Bytes& out, const RemoteValue& v)
{
    if (v.reference() == Reference::Variant) {
        putLe(out, vt::ByRefFlag, 4);
        RemoteValue plain = v;
        plain.setReference(Reference::None);
        encode(out, plain);
        return;
    }
    putLe(out, v.typeWord(), 4);
    if (v.isArray()) {
        putLe(out, v.bounds().size(), 4);
        for (const ArrayBound& b : v.bounds())
            putLe(out, static_cast<uint32_t>(b.low), 4);
        for (const ArrayBound& b : v.bounds())
            putLe(out, static_cast<uint32_t>(b.high), 4);
        if (vt::fixedSize(v.type()) != 0) {
            putLe(out, v.raw().size(), 4);
            out.insert(out.end(), v.raw().begin(), v.raw().end());
        } else {
            for (const RemoteValue& e : v.elements())
                encode(out, e);
        }
        return;
    }
    switch (v.type()) {
    case vt::Empty:
    case vt::Null:
        return;
    case vt::String:
        putLe(out, v.text().size(), 4);
        for (char16_t unit : v.text())
            putLe(out, unit, 2);
        return;
    case vt::Dispatch:
        out.insert(out.end(), v.objectId().begin(), v.objectId().end());
        return;
    default:
        putLe(out, v.bits(), vt::scalarSize(v.type()));
    }
}

uint64_t readLe(IDataBlock& block, int size)
{
    uint8_t raw[8];
    block.Read(raw, size);
    uint64_t v = 0;
    for (int i = 0; i < size; ++i)
        v |= uint64_t{raw[i]} << (8 * i);
    return v;
}

class Reader {
public:
    Reader(IDataBlock& block, const CodecLimits& limits) : m_block(block), m_limits(limits) {}

    RemoteValue value(int depth)
    {
        if (depth > m_limits.maxNesting) invalid();
        uint64_t& decoded = m_block.DecodedValues();
        if (decoded >= m_limits.maxValues) invalid();
        ++decoded;
        const uint32_t word = readUInt32(m_block);
        if (word == vt::ByRefFlag) {
            RemoteValue v = value(depth + 1);
            v.setReference(Reference::Variant);
            return v;
        }
        if (word & ~(vt::CodeMask | vt::ArrayFlag | vt::ByRefFlag)) unsupported(word);
        const auto code = static_cast<uint16_t>(word & vt::CodeMask);
        RemoteValue v = (word & vt::ArrayFlag) ? array(word, code, depth) : scalar(word, code);
        if (word & vt::ByRefFlag) v.setReference(Reference::Direct);
        return v;
    }

private:
    RemoteValue scalar(uint32_t word, uint16_t code)
    {
        switch (code) {
        case vt::Empty:
            return {};
        case vt::Null:
            return RemoteValue::null();
        case vt::String: {
            const uint32_t units = readUInt32(m_block);
            if (units > m_limits.maxStringUnits || uint64_t{units} * 2 > m_block.ReadRemaining())
                invalid();
            Bytes raw(std::size_t{units} * 2);
            m_block.Read(raw.data(), raw.size());
            std::u16string text(units, u'\0');
            for (std::size_t i = 0; i < units; ++i)
                text[i] = static_cast<char16_t>(raw[2 * i] | raw[2 * i + 1] << 8);
            return RemoteValue::string(std::move(text));
        }
        case vt::Dispatch:
            return RemoteValue::dispatch(readObjectId(m_block));
        default:
            if (vt::scalarSize(code) == 0) unsupported(word);
            return RemoteValue::fromBits(code, readLe(m_block, vt::scalarSize(code)));
        }
    }

    RemoteValue array(uint32_t word, uint16_t code, int depth)
    {
        if (!isArrayElementCode(code)) unsupported(word);
        const uint32_t dims = readUInt32(m_block);
        if (dims == 0 || dims > m_limits.maxDimensions ||
            uint64_t{dims} * 8 > m_block.ReadRemaining())
            invalid();
        std::vector<ArrayBound> bounds(dims);
        for (ArrayBound& b : bounds)
            b.low = static_cast<int32_t>(readUInt32(m_block));
        for (ArrayBound& b : bounds)
            b.high = static_cast<int32_t>(readUInt32(m_block));
        const auto count = elementCount(bounds, m_limits.maxElements);
        if (!count) invalid();
        if (const int size = vt::fixedSize(code)) {
            const uint32_t byteCount = readUInt32(m_block);
            if (byteCount != *count * size || byteCount > m_block.ReadRemaining()) invalid();
            Bytes raw(byteCount);
            m_block.Read(raw.data(), raw.size());
            return RemoteValue::rawArray(code, std::move(bounds), std::move(raw));
        }
        // Every element takes at least its type word.
        if (*count > m_block.ReadRemaining() / 4 ||
            *count > m_limits.maxValues - m_block.DecodedValues())
            invalid();
        std::vector<RemoteValue> elements;
        elements.reserve(*count);
        for (uint64_t i = 0; i < *count; ++i) {
            RemoteValue e = value(depth + 1);
            if (code != vt::Variant && (e.isArray() || e.type() != code || e.isByRef())) invalid();
            elements.push_back(std::move(e));
        }
        return RemoteValue::valueArray(code, std::move(bounds), std::move(elements));
    }

    IDataBlock& m_block;
    const CodecLimits& m_limits;
};

} // namespace

void writeValue(IDataBlock& block, const RemoteValue& value)
{
    if (value.reference() != Reference::Variant)
        check(value);
    else {
        RemoteValue plain = value;
        plain.setReference(Reference::None);
        check(plain);
    }
    Bytes out;
    encode(out, value);
    block.Write(out.data(), out.size());
}

RemoteValue readValue(IDataBlock& block, const CodecLimits& limits)
{
    return Reader(block, limits).value(0);
}

void writeUInt32(IDataBlock& block, uint32_t v)
{
    const uint8_t raw[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                            static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    block.Write(raw, 4);
}

uint32_t readUInt32(IDataBlock& block)
{
    return static_cast<uint32_t>(readLe(block, 4));
}

void writeObjectId(IDataBlock& block, const ObjectId& id)
{
    block.Write(id.data(), id.size());
}

ObjectId readObjectId(IDataBlock& block)
{
    ObjectId id;
    block.Read(id.data(), id.size());
    return id;
}

} // namespace corvo::remote
