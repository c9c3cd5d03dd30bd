#include "ValueValidation.h"

#include "DictColumn.h"
#include "EditorChoice.h"
#include "entity/DateTime.h"
#include "entity/Error.h"
#include "entity/Gbk.h"

#include <optional>

namespace corvo::forms {
namespace {

// 1905-03-12 00:00: the first day the stored dates accept.
constexpr double FirstAcceptedDay = 1898.0;

std::optional<DateTime> asDateTime(const Variant& value)
{
    if (value.type() == Variant::Type::DateTime) return value.asDateTime();
    if (value.type() == Variant::Type::Float) return DateTime{value.asFloat()};
    if (value.type() == Variant::Type::Integer)
        return DateTime{static_cast<double>(value.asInteger())};
    return DateTime::parse(value.toText());
}

[[noreturn]] void fail(const char* before, const DictColumn& column, const char* after)
{
    throw Error(before + gbk::display(column.name) + after);
}

} // namespace

Variant ValidateValue(const Variant& value, const DictColumn& column)
{
    const std::string_view type = column.dataType;
    if (isTextType(type)) {
        const std::string text = value.toText();
        if (text.size() > static_cast<std::size_t>(std::max(column.prec, 0)))
            fail("字段[", column, "]值超出长度范围");
        if (text.empty() && column.isNullAble == 0) fail("请输入[", column, "]……");
    } else if (isDecimalType(type)) {
        if (value.toText().size() > static_cast<std::size_t>(std::max(column.prec, 0)))
            fail("浮点类型[", column, "]值超出范围");
    } else if (isDateType(type)) {
        const std::optional<DateTime> date = asDateTime(value);
        if (!date || date->days < FirstAcceptedDay) fail("日期类型[", column, "]输入非法！");
    } else if (gbk::equalsIgnoreCase(type, "uniqueidentifier")) {
        if (value.toText().empty()) fail("选择项[", column, "]尚未选择，请选择后再保存");
    }
    return value;
}

} // namespace corvo::forms
