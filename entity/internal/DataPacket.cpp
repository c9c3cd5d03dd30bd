#include "DataPacket.h"

#include "../Error.h"
#include "../Gbk.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace corvo::internal {
namespace {

constexpr char Magic[4] = {'C', 'V', 'D', 'P'};
constexpr uint16_t Version = 1;
constexpr uint32_t MaxFields = 4096;
constexpr std::size_t MaxNameBytes = 255;
constexpr int32_t MaxSize = 1 << 30;

[[noreturn]] void corrupt(const std::string& what)
{
    throw Error("数据包损坏：" + what);
}

class Writer {
public:
    explicit Writer(Bytes& out) : m_out(out) {}
    template <typename T> void put(T value)
    {
        const auto* p = reinterpret_cast<const uint8_t*>(&value);
        m_out.insert(m_out.end(), p, p + sizeof(T));
    }
    void bytes(const void* data, std::size_t n)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        m_out.insert(m_out.end(), p, p + n);
    }

private:
    Bytes& m_out;
};

class Reader {
public:
    Reader(const uint8_t* data, std::size_t size) : m_p(data), m_left(size) {}
    std::size_t left() const noexcept { return m_left; }
    const uint8_t* take(std::size_t n, const char* what)
    {
        if (n > m_left) corrupt(std::string(what) + "超出数据包的末尾");
        const uint8_t* p = m_p;
        m_p += n;
        m_left -= n;
        return p;
    }
    template <typename T> T get(const char* what)
    {
        T value;
        std::memcpy(&value, take(sizeof(T), what), sizeof(T));
        return value;
    }

private:
    const uint8_t* m_p;
    std::size_t m_left;
};

bool isNullBit(const uint8_t* bits, std::size_t i)
{
    return (bits[i >> 3] >> (i & 7)) & 1;
}

/// The problem with a text or binary value, or nullptr when it is valid; the field's name is
/// only formatted once a value fails.
const char* variableProblem(const FieldDef& d, std::string_view v)
{
    switch (d.DataType) {
    case FieldType::String:
        if (d.Size > 0 && v.size() > static_cast<std::size_t>(d.Size)) return "的值长于字段长度";
        [[fallthrough]];
    case FieldType::Memo:
        if (!gbk::isValid(v)) return "的文本不是有效的GBK编码";
        break;
    case FieldType::WideString:
        if (!gbk::isValid(v)) return "的文本不是有效的GBK编码";
        if (d.Size > 0 && gbk::charCount(v) > static_cast<std::size_t>(d.Size))
            return "的值长于字段长度";
        break;
    case FieldType::Bytes:
    case FieldType::VarBytes:
        if (d.Size > 0 && v.size() > static_cast<std::size_t>(d.Size)) return "的值长于字段长度";
        break;
    default:
        break;
    }
    return nullptr;
}

} // namespace

Bytes encodePacket(const std::vector<FieldDef>& defs, const std::vector<Column>& columns,
                   const std::vector<uint8_t>& deleted, std::size_t liveRows)
{
    Bytes out;
    std::size_t estimate = 16 + liveRows * defs.size() * 2;
    for (const Column& c : columns)
        estimate += c.memoryBytes();
    out.reserve(estimate);
    Writer w(out);
    w.bytes(Magic, 4);
    w.put<uint16_t>(Version);
    w.put<uint16_t>(0);
    w.put<uint32_t>(static_cast<uint32_t>(defs.size()));
    w.put<uint32_t>(static_cast<uint32_t>(liveRows));
    for (const FieldDef& d : defs) {
        w.put<uint8_t>(static_cast<uint8_t>(d.Name.size()));
        w.bytes(d.Name.data(), d.Name.size());
        w.put<uint8_t>(static_cast<uint8_t>(d.DataType));
        w.put<int32_t>(d.Size);
        w.put<uint8_t>(d.Required ? 1 : 0);
    }
    const bool dense = liveRows == deleted.size();
    std::vector<uint32_t> live;
    if (!dense) {
        live.reserve(liveRows);
        for (uint32_t r = 0; r < deleted.size(); ++r)
            if (!deleted[r]) live.push_back(r);
    }
    auto rowAt = [&](std::size_t i) { return dense ? static_cast<uint32_t>(i) : live[i]; };
    const std::size_t bitBytes = (liveRows + 7) / 8;
    for (std::size_t f = 0; f < defs.size(); ++f) {
        const Column& c = columns[f];
        std::size_t start = out.size();
        if (dense) {
            w.bytes(c.nullBitBytes(), bitBytes);
        } else {
            out.resize(start + bitBytes, 0);
            for (std::size_t i = 0; i < liveRows; ++i)
                if (c.isNull(rowAt(i))) out[start + (i >> 3)] |= static_cast<uint8_t>(1 << (i & 7));
        }
        if (liveRows % 8 && bitBytes) // bits past the last row are zero in the packet
            out[start + bitBytes - 1] &= static_cast<uint8_t>((1u << (liveRows % 8)) - 1);
        if (!isVariableLength(c.type())) {
            const int width = Column::widthOf(c.type());
            if (dense) {
                w.bytes(c.fixedData(), liveRows * static_cast<std::size_t>(width));
            } else {
                for (std::size_t i = 0; i < liveRows; ++i)
                    w.bytes(c.fixedData() + static_cast<std::size_t>(rowAt(i)) * width,
                            static_cast<std::size_t>(width));
            }
            continue;
        }
        for (std::size_t i = 0; i < liveRows; ++i) {
            std::string_view v = c.bytesAt(rowAt(i));
            if (v.size() > UINT32_MAX)
                throw Error("字段“" + gbk::display(defs[f].Name) + "”的值太长，不能放入数据包");
            w.put<uint32_t>(static_cast<uint32_t>(v.size()));
        }
        for (std::size_t i = 0; i < liveRows; ++i) {
            std::string_view v = c.bytesAt(rowAt(i));
            w.bytes(v.data(), v.size());
        }
    }
    return out;
}

DecodedPacket decodePacket(const uint8_t* data, std::size_t size)
{
    Reader r(data, size);
    if (std::memcmp(r.take(4, "包头"), Magic, 4) != 0) corrupt("不是数据包");
    auto version = r.get<uint16_t>("版本号");
    if (version != Version) corrupt("不支持的版本" + std::to_string(version));
    if (r.get<uint16_t>("标志") != 0) corrupt("标志位无效");
    auto fieldCount = r.get<uint32_t>("字段数");
    auto rowCount = r.get<uint32_t>("记录数");
    if (fieldCount == 0 || fieldCount > MaxFields)
        corrupt("字段数" + std::to_string(fieldCount) + "无效");

    DecodedPacket p;
    p.defs.reserve(fieldCount);
    for (uint32_t f = 0; f < fieldCount; ++f) {
        FieldDef d;
        auto nameLen = r.get<uint8_t>("字段名");
        if (nameLen == 0 || nameLen > MaxNameBytes) corrupt("字段名为空");
        d.Name.assign(reinterpret_cast<const char*>(r.take(nameLen, "字段名")), nameLen);
        if (!gbk::isValid(d.Name)) corrupt("字段名不是有效的GBK编码");
        auto type = r.get<uint8_t>("字段类型");
        if (!isKnownFieldType(type))
            corrupt("字段“" + gbk::display(d.Name) + "”的类型代码" + std::to_string(type) + "未知");
        d.DataType = static_cast<FieldType>(type);
        d.Size = r.get<int32_t>("字段长度");
        if (d.Size < 0 || d.Size > MaxSize) corrupt("字段“" + gbk::display(d.Name) + "”的长度无效");
        if (d.DataType == FieldType::BCD && d.Size > Decimal::MaxScale)
            corrupt("字段“" + gbk::display(d.Name) + "”的小数位数无效");
        auto required = r.get<uint8_t>("必填标志");
        if (required > 1) corrupt("字段“" + gbk::display(d.Name) + "”的必填标志无效");
        d.Required = required == 1;
        for (const FieldDef& earlier : p.defs)
            if (gbk::equalsIgnoreCase(earlier.Name, d.Name))
                corrupt("字段“" + gbk::display(d.Name) + "”重复");
        p.defs.push_back(std::move(d));
    }
    // Every row takes at least one byte in every column: a row count beyond the bytes
    // left is a lie, caught before anything is allocated for it.
    if (rowCount > r.left()) corrupt("记录数" + std::to_string(rowCount) + "超出数据包的长度");
    p.rows = rowCount;
    const std::size_t bitBytes = (static_cast<std::size_t>(rowCount) + 7) / 8;

    p.columns.reserve(fieldCount);
    for (const FieldDef& d : p.defs) {
        Column& c = p.columns.emplace_back(d.DataType, d.Size);
        const uint8_t* nulls = r.take(bitBytes, "空值位图");
        const std::string name = gbk::display(d.Name);
        // One table has one packet: the bytes the encoder leaves zero must be zero.
        if (rowCount % 8 && nulls[bitBytes - 1] >> (rowCount % 8))
            corrupt("字段“" + name + "”的空值位图末尾不为零");
        if (!isVariableLength(d.DataType)) {
            const std::size_t width = static_cast<std::size_t>(Column::widthOf(d.DataType));
            if (rowCount > r.left() / width) corrupt("字段“" + name + "”的值超出数据包的末尾");
            const uint8_t* values = r.take(rowCount * width, "字段值");
            for (std::size_t i = 0; i < rowCount; ++i) {
                const uint8_t* v = values + i * width;
                if (isNullBit(nulls, i)) {
                    if (std::any_of(v, v + width, [](uint8_t b) { return b != 0; }))
                        corrupt("字段“" + name + "”的空值带有数据");
                    continue;
                }
                if (d.DataType == FieldType::Boolean && *v > 1)
                    corrupt("字段“" + name + "”的布尔值无效");
                if (d.DataType == FieldType::Float || d.DataType == FieldType::DateTime) {
                    double x;
                    std::memcpy(&x, v, 8);
                    if (!std::isfinite(x)) corrupt("字段“" + name + "”的数值无效");
                    if (d.DataType == FieldType::DateTime && !DateTime{x}.isValid())
                        corrupt("字段“" + name + "”的日期超出范围");
                }
            }
            c.reserve(rowCount);
            c.appendRaw(rowCount, nulls, values);
            continue;
        }
        if (rowCount > r.left() / 4) corrupt("字段“" + name + "”的长度表超出数据包的末尾");
        const uint8_t* lengths = r.take(std::size_t{rowCount} * 4, "长度表");
        std::size_t total = 0;
        for (std::size_t i = 0; i < rowCount; ++i) {
            uint32_t len;
            std::memcpy(&len, lengths + 4 * i, 4);
            if (isNullBit(nulls, i) && len != 0) corrupt("字段“" + name + "”的空值带有数据");
            total += len;
            if (total > r.left()) corrupt("字段“" + name + "”的值超出数据包的末尾");
        }
        const char* bytes = reinterpret_cast<const char*>(r.take(total, "字段值"));
        const char* v = bytes;
        for (std::size_t i = 0; i < rowCount; ++i) {
            uint32_t len;
            std::memcpy(&len, lengths + 4 * i, 4);
            if (const char* problem = variableProblem(d, std::string_view(v, len)))
                corrupt("字段“" + gbk::display(d.Name) + "”" + problem);
            v += len;
        }
        c.appendVariable(rowCount, nulls, lengths, bytes, total);
    }
    if (r.left() != 0) corrupt("数据包末尾有多余的" + std::to_string(r.left()) + "个字节");
    return p;
}

} // namespace corvo::internal
