#pragma once

#include "entity/Variant.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvo::remote {

/// Type codes of the wire's variant encoding (bits 0 to 11 of a type word).
namespace vt {
inline constexpr uint16_t Empty = 0;
inline constexpr uint16_t Null = 1;
inline constexpr uint16_t Int16 = 2;
inline constexpr uint16_t Int32 = 3;
inline constexpr uint16_t Single = 4;
inline constexpr uint16_t Double = 5;
inline constexpr uint16_t Currency = 6;
inline constexpr uint16_t Date = 7;
inline constexpr uint16_t String = 8;
inline constexpr uint16_t Dispatch = 9;
inline constexpr uint16_t Error = 10;
inline constexpr uint16_t Boolean = 11;
inline constexpr uint16_t Variant = 12;
inline constexpr uint16_t Unknown = 13;
inline constexpr uint16_t Int8 = 16;
inline constexpr uint16_t Byte = 17;
inline constexpr uint16_t UInt16 = 18;
inline constexpr uint16_t UInt32 = 19;
inline constexpr uint16_t Int64 = 20;

inline constexpr uint32_t CodeMask = 0x0FFF;
inline constexpr uint32_t ArrayFlag = 0x2000;
inline constexpr uint32_t ByRefFlag = 0x4000;

/// Bytes of a fixed-size scalar of the type; 0 for the others.
int scalarSize(uint16_t code) noexcept;
/// Bytes of one element of an array sent as raw bytes; 0 for arrays sent value by value
/// (error codes among them, though their scalars are fixed-size).
int fixedSize(uint16_t code) noexcept;
} // namespace vt

/// The 16-byte ID of a remote object, in the GUID's binary layout.
using ObjectId = std::array<uint8_t, 16>;

struct ArrayBound {
    int32_t low = 0;
    int32_t high = -1;
    friend bool operator==(const ArrayBound&, const ArrayBound&) = default;
};

/// How a value was (or is to be) passed by reference. The reader keeps the form it saw so a
/// value written back travels the same way.
enum class Reference : uint8_t {
    None,
    Direct,  ///< the 0x4000 bit in the value's own type word
    Variant, ///< a type word of exactly 0x4000, then the value encoded in full
};

/// One value of the wire: a scalar of a type code, a string of UTF-16 code units, a remote
/// object's ID, or an array with bounds. Fixed-size scalars keep their raw little-endian bits.
class RemoteValue {
public:
    RemoteValue() = default; ///< empty

    static RemoteValue null();
    static RemoteValue int16(int16_t v);
    static RemoteValue int32(int32_t v);
    static RemoteValue single(float v);
    static RemoteValue real(double v);
    /// Currency: the amount times 10,000.
    static RemoteValue currency(int64_t scaled);
    static RemoteValue date(double days);
    static RemoteValue errorCode(int32_t code);
    static RemoteValue boolean(bool v);
    static RemoteValue int8(int8_t v);
    static RemoteValue byte(uint8_t v);
    static RemoteValue uint16(uint16_t v);
    static RemoteValue uint32(uint32_t v);
    static RemoteValue string(std::u16string v);
    static RemoteValue dispatch(const ObjectId& id);
    /// A fixed-size scalar from its raw bits (the low bytes count).
    static RemoteValue fromBits(uint16_t code, uint64_t bits);
    /// A value of a type the wire cannot carry (an interface, a bare variant); writing it
    /// raises "Unsupported variant type".
    static RemoteValue opaque(uint16_t code);

    /// An array of a fixed-size element type holding the elements' raw bytes, last dimension
    /// fastest. Throws corvo::Error when the byte count does not fit the bounds.
    static RemoteValue rawArray(uint16_t elementType, std::vector<ArrayBound> bounds, Bytes raw);
    /// An array whose elements are values, last dimension fastest. Throws corvo::Error when
    /// the element count does not fit the bounds.
    static RemoteValue valueArray(uint16_t elementType, std::vector<ArrayBound> bounds,
                                  std::vector<RemoteValue> elements);
    /// A one-dimensional byte array with lower bound 0: how a data packet travels.
    static RemoteValue byteArray(Bytes bytes);

    /// The type code; for an array, its element type.
    uint16_t type() const noexcept { return m_type; }
    bool isArray() const noexcept { return m_isArray; }
    Reference reference() const noexcept { return m_reference; }
    bool isByRef() const noexcept { return m_reference != Reference::None; }
    void setReference(Reference r) noexcept { m_reference = r; }
    RemoteValue& byRef(Reference r = Reference::Variant) noexcept
    {
        m_reference = r;
        return *this;
    }
    /// The type word of the value itself: code, array bit, by-reference bit when Direct.
    uint32_t typeWord() const noexcept;

    bool isEmpty() const noexcept { return !m_isArray && m_type == vt::Empty; }
    bool isNull() const noexcept { return !m_isArray && m_type == vt::Null; }
    uint64_t bits() const noexcept { return m_bits; }
    /// Integer kinds (2, 3, 10, 11, 16 to 19) as a signed integer; booleans are 0 or -1.
    int64_t toInt64() const;
    /// Numbers, currency and dates as a double.
    double toDouble() const;
    bool toBool() const;
    const std::u16string& text() const;
    const ObjectId& objectId() const;

    const std::vector<ArrayBound>& bounds() const noexcept { return m_bounds; }
    /// Elements of a raw (fixed-size) array.
    const Bytes& raw() const noexcept { return m_raw; }
    /// Elements of an element-wise array.
    const std::vector<RemoteValue>& elements() const noexcept { return m_elements; }
    bool isByteArray() const noexcept;

    /// The value for the dataset side: empty and null → Null, integer kinds → Integer,
    /// boolean, single/double → Float, currency → Decimal (scale 4), date → DateTime, string →
    /// GBK text, a one-dimensional byte array → Bytes. Throws corvo::Error ("Unsupported
    /// variant type: %s") for the rest, and when a string has no GBK form.
    corvo::Variant toVariant() const;
    /// The wire form of a dataset value: Null → null, Integer → int32 (outside its range the
    /// type 20 is refused), Float → double, Decimal → currency when exact at scale 4, else
    /// double, DateTime → date, String → string, Bytes → byte array.
    static RemoteValue fromVariant(const corvo::Variant& v);

    friend bool operator==(const RemoteValue& a, const RemoteValue& b);

private:
    uint16_t m_type = vt::Empty;
    bool m_isArray = false;
    Reference m_reference = Reference::None;
    uint64_t m_bits = 0;
    std::u16string m_text;
    ObjectId m_object{};
    std::vector<ArrayBound> m_bounds;
    Bytes m_raw;
    std::vector<RemoteValue> m_elements;
};

/// Number of elements the bounds describe; nothing when a bound is inverted beyond empty or
/// the count exceeds maxElements.
std::optional<uint64_t> elementCount(const std::vector<ArrayBound>& bounds,
                                     uint64_t maxElements) noexcept;

/// "Unsupported variant type: %s" with the type word as four hexadecimal digits.
std::string unsupportedTypeMessage(uint32_t typeWord);

} // namespace corvo::remote
