#pragma once

#include "entity/Variant.h"
#include "remote/LocalObject.h"
#include "remote/TvelDataBlock.h"
#include "remote/VariantCodec.h"

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>

namespace corvo::remote::test {

inline Bytes readGolden(const std::string& name)
{
    std::ifstream in(std::string(CORVO_REMOTE_GOLDEN_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

/// Little-endian 32-bit words, the unit in which the wire is easiest to spell.
inline Bytes words(std::initializer_list<uint32_t> values)
{
    Bytes out;
    for (uint32_t v : values)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return out;
}

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

/// The payload bytes the value encodes to.
inline Bytes encode(const RemoteValue& v)
{
    TvelDataBlock block;
    writeValue(block, v);
    const Bytes& all = block.Memory();
    return Bytes(all.begin() + TvelDataBlock::ReservedHeaderSize, all.end());
}

/// A request block around the payload, loaded as if received.
inline TvelDataBlock received(const Bytes& payload)
{
    TvelDataBlock block;
    const Bytes whole = words({RequestBlock | action::Invoke, uint32_t(payload.size())}) + payload;
    block.LoadBytes(whole.data(), whole.size(), CheckLength::Yes);
    return block;
}

inline RemoteValue decode(const Bytes& payload, const CodecLimits& limits = {})
{
    TvelDataBlock block = received(payload);
    return readValue(block, limits);
}

/// The application server's shape: method 1 ("Exchange") takes the parameter packet by
/// reference, hands back a changed one (reversed, 0xEE appended) and answers true; method 2
/// ("Fail") raises an exception.
class PricingObject : public LocalObject {
public:
    static constexpr int32_t ExchangeId = 1;
    static constexpr int32_t FailId = 2;

    int32_t getIdsOfName(const std::u16string& name, int32_t& dispId) override
    {
        if (name == u"Exchange")
            dispId = ExchangeId;
        else if (name == u"Fail")
            dispId = FailId;
        else
            return status::UnknownName;
        return status::Ok;
    }
    int32_t invoke(const InvokeRequest& request, std::vector<RemoteValue>& args,
                   RemoteValue& result, ExceptionInfo& exception) override
    {
        if (request.dispId == FailId) {
            exception = {1234, "库存不足"};
            return status::ExceptionOccurred;
        }
        if (request.dispId != ExchangeId || args.size() != 1 || !args[0].isByteArray())
            return status::MemberNotFound;
        Bytes packet = args[0].raw();
        std::reverse(packet.begin(), packet.end());
        packet.push_back(0xEE);
        args[0] = RemoteValue::byteArray(std::move(packet));
        if (request.resultWanted) result = RemoteValue::boolean(true);
        return status::Ok;
    }
};

} // namespace corvo::remote::test
