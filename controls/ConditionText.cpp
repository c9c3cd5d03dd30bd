#include "ConditionText.h"

#include "entity/Error.h"
#include "entity/Gbk.h"

#include <charconv>
#include <cmath>

namespace corvo::controls::condition {
namespace {

std::string between(std::string_view low, std::string_view high)
{
    std::string text = " between ";
    text += sqlQuoted(low);
    text += " and ";
    text += sqlQuoted(high);
    return text;
}

std::string bracketed(std::string_view gbkText)
{
    return "[" + gbk::display(gbkText) + "]";
}

/// The range text of two bounds already read: equal bounds carry the upper text first.
template <typename T>
std::string orderedRange(T low, T high, std::string_view lowText, std::string_view highText,
                         const char* reversedMessage)
{
    if (high < low) throw Error(reversedMessage);
    if (high == low) return between(highText, lowText);
    return between(lowText, highText);
}

constexpr const char* ReversedNumbers = "数值上限应该比数值下限大，请改正。";

} // namespace

std::string sqlQuoted(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    out += '\'';
    return out;
}

std::optional<int32_t> readWholeNumber(std::string_view text)
{
    if (text.empty()) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> readNumber(std::string_view text)
{
    text = gbk::trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    // from_chars also reads "inf" and "nan", which no number column can hold.
    double value = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string shortestNumberText(double value)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

std::string integerRange(std::string_view lowText, std::string_view highText)
{
    const auto low = readWholeNumber(gbk::trim(lowText));
    if (!low) throw Error(bracketed(lowText) + "不是一个有效的整数。");
    const auto high = readWholeNumber(gbk::trim(highText));
    if (!high) throw Error(bracketed(highText) + "不是一个有效的整数。");
    return orderedRange(*low, *high, lowText, highText, ReversedNumbers);
}

std::string numberRange(std::string_view lowText, std::string_view highText)
{
    const auto low = readNumber(lowText);
    if (!low) throw Error(bracketed(lowText) + " 不是一个数值！");
    const auto high = readNumber(highText);
    if (!high) throw Error(bracketed(highText) + " 不是一个数值！");
    return orderedRange(*low, *high, lowText, highText, ReversedNumbers);
}

std::string dateRange(DateTime start, DateTime end)
{
    return orderedRange(start, end, start.toDateString(), end.toDateString(),
                        "结束时间应该比开始的时间晚，请改正。");
}

std::string compose(Request request, const BeforeCondition& before)
{
    const std::string& caption = request.captionUtf8;
    if (!request.isRange && request.value.find('\'') != std::string::npos)
        throw Error("条件中不准输入'字符！");
    if (before) before(request.fieldName, request.value);
    if (request.fieldName.empty()) throw Error(caption + "：请填入FieldName属性。");

    const std::string& field = request.fieldName;
    const std::string& value = request.value;
    if (request.isRange) return field + " " + value;

    switch (request.kind) {
    case FieldKind::String:
    case FieldKind::DateTime:
        if (value.empty() && request.editorVisible)
            throw Error("请填入[" + caption + "]对应的条件或者不选中该条件！");
        break;
    case FieldKind::Number:
        if (!readNumber(value))
            throw Error("[" + caption + "]:[" + gbk::display(value) + "] 不是一个数值！");
        break;
    default:
        throw Error("[" + caption + "]：未知条件类型。");
    }
    if (request.like && request.kind == FieldKind::String)
        return field + " like " + sqlQuoted("%" + value + "%");
    return field + " = " + sqlQuoted(value);
}

} // namespace corvo::controls::condition
