#pragma once

#include "../FieldDefs.h"
#include "../Variant.h"
#include "Column.h"

#include <vector>

namespace corvo::internal {

/// The data packet: a whole table (field definitions and every stored row, hidden ones
/// included, in natural order) as bytes. Layout in docs/formats.md.
Bytes encodePacket(const std::vector<FieldDef>& defs, const std::vector<Column>& columns,
                   const std::vector<uint8_t>& deleted, std::size_t liveRows);

struct DecodedPacket {
    std::vector<FieldDef> defs;
    std::vector<Column> columns;
    std::size_t rows = 0;
};

/// Throws corvo::Error ("数据包损坏：" + the problem) on anything malformed; every declared
/// count and length is checked against the bytes that remain before it is used.
DecodedPacket decodePacket(const uint8_t* data, std::size_t size);

} // namespace corvo::internal
