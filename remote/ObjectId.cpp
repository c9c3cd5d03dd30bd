#include "ObjectId.h"

#include <algorithm>

namespace corvo::remote {

namespace {

// The byte swap is its own inverse: reverse Data1, Data2 and Data3 in place.
std::array<uint8_t, 16> swapLayout(const std::array<uint8_t, 16>& in) noexcept
{
    std::array<uint8_t, 16> out = in;
    std::reverse(out.begin(), out.begin() + 4);
    std::reverse(out.begin() + 4, out.begin() + 6);
    std::reverse(out.begin() + 6, out.begin() + 8);
    return out;
}

} // namespace

ObjectId toObjectId(const Guid& guid) noexcept
{
    return swapLayout(guid.bytes);
}

Guid toGuid(const ObjectId& id) noexcept
{
    Guid g;
    g.bytes = swapLayout(id);
    return g;
}

std::string objectIdText(const ObjectId& id)
{
    return toGuid(id).toString();
}

std::optional<ObjectId> objectIdFromText(std::string_view text) noexcept
{
    auto guid = Guid::parse(text);
    if (!guid) return std::nullopt;
    return toObjectId(*guid);
}

ObjectId newObjectId()
{
    return toObjectId(Guid::create());
}

} // namespace corvo::remote
