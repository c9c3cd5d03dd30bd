#pragma once

#include "entity/Variant.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvo::remote {

/// A whole block as it crosses HTTP: its length (4 bytes, little-endian) before compression,
/// then the block as one zlib stream.
namespace envelope {

/// Declared lengths beyond this are refused before anything is allocated.
inline constexpr std::size_t DefaultMaxLength = std::size_t{256} << 20;

/// Compresses at zlib's default level.
Bytes pack(std::span<const uint8_t> block);

/// Inflates exactly the declared length, growing the output as data arrives. Throws
/// corvo::Error ("Invalid data packet") when the body is shorter than the length word, the
/// length exceeds maxLength, the stream is corrupt, ends early, would produce more than
/// declared, or is followed by other bytes.
Bytes unpack(std::span<const uint8_t> body, std::size_t maxLength = DefaultMaxLength);

} // namespace envelope

} // namespace corvo::remote
