#pragma once

#include "RemoteValue.h"
#include "entity/Guid.h"

#include <optional>
#include <string>
#include <string_view>

namespace corvo::remote {

/// corvo::Guid keeps its bytes in text order; the wire carries the binary layout (Data1 as
/// 4 bytes, Data2 and Data3 as 2 bytes each, all little-endian, then 8 bytes as they are).
ObjectId toObjectId(const Guid& guid) noexcept;
Guid toGuid(const ObjectId& id) noexcept;

/// The braced GUID text of an ID, and back; nothing when the text is not a GUID.
std::string objectIdText(const ObjectId& id);
std::optional<ObjectId> objectIdFromText(std::string_view text) noexcept;

/// A new random ID.
ObjectId newObjectId();

} // namespace corvo::remote
