#include "Gbk.h"

#include "Error.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace corvo::gbk {
namespace {

bool isLead(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}
bool isTrail(unsigned char c)
{
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

/// One converter per direction and thread; iconv_open is too slow to call per value.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    /// Converts the whole input; false when it holds an invalid or unrepresentable sequence.
    bool convert(std::string_view in, std::string& out)
    {
        out.clear();
        if (m_cd == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<size_t>(dst - buffer));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) return false;
            if (r != static_cast<size_t>(-1) && r > 0) return false; // irreversible substitution
        }
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        return true;
    }

private:
    iconv_t m_cd;
};

Converter& converter(int which)
{
    thread_local Converter utf8ToGbk("GBK", "UTF-8");
    thread_local Converter gbkToUtf8("UTF-8", "GBK");
    thread_local Converter utf16ToGbk("GBK", "UTF-16LE");
    thread_local Converter gbkToUtf16("UTF-16LE", "GBK");
    switch (which) {
    case 0:
        return utf8ToGbk;
    case 1:
        return gbkToUtf8;
    case 2:
        return utf16ToGbk;
    default:
        return gbkToUtf16;
    }
}

bool isAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

} // namespace

bool isValid(std::string_view bytes) noexcept
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size();
    for (size_t i = 0; i < n; ++i) {
        if (p[i] < 0x80) continue;
        if (!isLead(p[i]) || i + 1 >= n || !isTrail(p[i + 1])) return false;
        ++i;
    }
    return true;
}

std::string_view cut(std::string_view text, std::size_t maxBytes) noexcept
{
    if (text.size() <= maxBytes) return text;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    while (i < maxBytes) {
        size_t step = (isLead(p[i]) && i + 1 < text.size()) ? 2 : 1;
        if (i + step > maxBytes) break;
        i += step;
    }
    return text.substr(0, i);
}

std::size_t charCount(std::string_view text) noexcept
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i, ++count)
        if (isLead(p[i]) && i + 1 < text.size()) ++i;
    return count;
}

std::optional<std::string> fromUtf8OrNone(std::string_view utf8)
{
    if (isAscii(utf8)) return std::string(utf8);
    std::string out;
    if (!converter(0).convert(utf8, out)) return std::nullopt;
    return out;
}

std::optional<std::string> toUtf8OrNone(std::string_view text)
{
    if (isAscii(text)) return std::string(text);
    std::string out;
    if (!isValid(text) || !converter(1).convert(text, out)) return std::nullopt;
    return out;
}

std::string fromUtf8(std::string_view utf8)
{
    auto out = fromUtf8OrNone(utf8);
    if (!out) throw Error("文本含有不能转换为GBK编码的字符");
    return std::move(*out);
}

std::string toUtf8(std::string_view text)
{
    auto out = toUtf8OrNone(text);
    if (!out) throw Error("文本不是有效的GBK编码");
    return std::move(*out);
}

std::string fromUtf16(std::u16string_view utf16)
{
    std::string out;
    std::string_view bytes(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
    if (!converter(2).convert(bytes, out)) throw Error("文本含有不能转换为GBK编码的字符");
    return out;
}

std::u16string toUtf16(std::string_view text)
{
    std::string out;
    if (!isValid(text) || !converter(3).convert(text, out)) throw Error("文本不是有效的GBK编码");
    std::u16string result(out.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                          (static_cast<unsigned char>(out[2 * i + 1]) << 8));
    return result;
}

std::string display(std::string_view text)
{
    if (isAscii(text)) return std::string(text);
    std::string out;
    if (isValid(text) && converter(1).convert(text, out)) return out;
    out.clear();
    for (unsigned char c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

namespace {
template <typename Fold> std::string foldCase(std::string_view text, Fold fold)
{
    std::string out(text);
    auto* p = reinterpret_cast<unsigned char*>(out.data());
    for (size_t i = 0; i < out.size(); ++i) {
        if (isLead(p[i]) && i + 1 < out.size()) {
            ++i;
            continue;
        }
        p[i] = fold(p[i]);
    }
    return out;
}
unsigned char asciiUpper(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? c - 32 : c;
}
unsigned char asciiLower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}
} // namespace

std::string upper(std::string_view text)
{
    return foldCase(text, asciiUpper);
}
std::string lower(std::string_view text)
{
    return foldCase(text, asciiLower);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size()) return false;
    return startsWithIgnoreCase(a, b);
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) noexcept
{
    if (prefix.size() > text.size()) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* q = reinterpret_cast<const unsigned char*>(prefix.data());
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (isLead(p[i]) && i + 1 < text.size()) {
            if (p[i] != q[i]) return false;
            if (i + 1 < prefix.size() && p[i + 1] != q[i + 1]) return false;
            ++i;
            continue;
        }
        if (asciiUpper(p[i]) != asciiUpper(q[i])) return false;
    }
    return true;
}

std::string_view trim(std::string_view text) noexcept
{
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

} // namespace corvo::gbk
