#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

namespace corvo {

/// Field types; the numbers are the type codes of the data packet and never change.
enum class FieldType : uint8_t {
    String = 1, ///< GBK text, at most Size bytes
    WideString, ///< wide text, at most Size characters (held as GBK)
    Memo,       ///< GBK text of unbounded length
    Smallint,   ///< 16-bit signed
    Integer,    ///< 32-bit signed
    Largeint,   ///< 64-bit signed
    Boolean,
    Float, ///< 64-bit binary floating point
    BCD,   ///< exact decimal; Size = digits after the point
    DateTime,
    Bytes,    ///< fixed-length binary, Size bytes
    VarBytes, ///< binary of at most Size bytes
    Blob,     ///< binary of unbounded length
    Guid,     ///< 38-character GUID text
};

inline constexpr int FieldTypeCount = 14;

bool isKnownFieldType(uint8_t code) noexcept;
std::string_view fieldTypeName(FieldType type) noexcept;
/// Types whose value is held as bytes of variable length (texts and binaries).
bool isVariableLength(FieldType type) noexcept;
bool isTextType(FieldType type) noexcept;
/// The integer, floating point and exact decimal types (not Boolean): the values a sum adds
/// and a grid aligns to the right.
bool isNumericType(FieldType type) noexcept;
/// The smallest and largest value a field of an integer type holds (Boolean: 0 and 1); the
/// 64-bit range for any other type.
std::pair<int64_t, int64_t> integerRange(FieldType type) noexcept;

/// Where the declared Size of a dictionary field comes from.
enum class SqlSizeSource : uint8_t { Prec, Scale, GuidText, None };

struct SqlTypeMapping {
    FieldType type;
    SqlSizeSource size;
};

/// The map from a dictionary SQL type name to a field type; the name is compared without
/// regard to letter case. Throws corvo::Error naming the type when it has no field type.
FieldType SQLTypeToFieldType(std::string_view sqlType);
/// The same look-up with the source of the declared Size.
SqlTypeMapping sqlTypeMapping(std::string_view sqlType);
/// The Size a dictionary field of that SQL type is declared with.
int sqlTypeFieldSize(std::string_view sqlType, int prec, int scale);

} // namespace corvo
