#pragma once

#include "entity/DateTime.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

/// The SQL condition texts of the query controls, as pure functions. Their exact shape,
/// quoting and spacing included, is what the application server parses, so it is fixed.
/// Field names and values are GBK bytes (they go into the clause set); captions are UTF-8
/// (they only appear in messages). Every failure throws corvo::Error with the user's text.
namespace corvo::controls::condition {

/// How a single (non-range) value is checked.
enum class FieldKind : uint8_t { String, Number, DateTime };

/// Rewrites field name and value text before a condition is composed.
using BeforeCondition = std::function<void(std::string& fieldName, std::string& value)>;

/// x between single quotes, each single quote inside doubled.
std::string sqlQuoted(std::string_view text);

/// A text that reads as a whole number (digits only, at most 32 bits), as an integer edit
/// accepts it; nothing otherwise.
std::optional<int32_t> readWholeNumber(std::string_view text);
/// A text that reads as a finite number with "." as the decimal separator (blanks around
/// and a leading sign allowed); nothing otherwise, the empty text included.
std::optional<double> readNumber(std::string_view text);
/// The shortest decimal text that reads back as the same number.
std::string shortestNumberText(double value);

/// " between '" + low + "' and '" + high + "'", with its own leading space. Equal bounds
/// carry the upper text first, as the controls always wrote them.
/// Throws "数值上限应该比数值下限大，请改正。" when the upper whole number is the smaller.
std::string integerRange(std::string_view lowText, std::string_view highText);
/// The same with numbers; the texts are inserted as the edits show them.
std::string numberRange(std::string_view lowText, std::string_view highText);
/// Dates in the short date format, compared on the full date-times; throws
/// "结束时间应该比开始的时间晚，请改正。" when the end is earlier than the start.
std::string dateRange(DateTime start, DateTime end);

/// What a ticked query control hands over once its value text is read.
struct Request {
    std::string fieldName; ///< GBK
    std::string captionUtf8;
    FieldKind kind = FieldKind::String;
    bool isRange = false; ///< the value is a range text of integerRange and friends
    bool like = false;    ///< substring match (only with FieldKind::String)
    std::string value;    ///< GBK: the editor's text, inner code or range text
    bool editorVisible = true;
};

/// The condition of a ticked control: refuses a quote in a single value, runs `before`,
/// checks the field name and the value by kind, and composes
/// `field = 'v'`, `field like '%v%'` or `field  between 'a' and 'b'`.
std::string compose(Request request, const BeforeCondition& before = {});

} // namespace corvo::controls::condition

namespace corvo::controls {
/// The event of the input and query controls that may rewrite a condition's parts.
using TEventCondition = condition::BeforeCondition;
} // namespace corvo::controls
