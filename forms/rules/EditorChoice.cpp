#include "EditorChoice.h"

#include "DictColumn.h"
#include "entity/Gbk.h"

#include <initializer_list>

namespace corvo::forms {
namespace {

bool isOneOf(std::string_view type, std::initializer_list<std::string_view> names) noexcept
{
    for (std::string_view name : names)
        if (gbk::equalsIgnoreCase(type, name)) return true;
    return false;
}

bool contains(std::string_view text, std::string_view part) noexcept
{
    return text.find(part) != std::string_view::npos;
}

} // namespace

bool isIntegerType(std::string_view t) noexcept
{
    return isOneOf(t, {"int", "smallint"});
}

bool isDecimalType(std::string_view t) noexcept
{
    return isOneOf(t, {"decimal", "numeric", "real", "float", "smallmoney", "money"});
}

bool isDateType(std::string_view t) noexcept
{
    return isOneOf(t, {"datetime", "smalldatetime"});
}

bool isTextType(std::string_view t) noexcept
{
    return isOneOf(t, {"char", "varchar"});
}

InputEditorChoice inputEditorFor(const DictColumn& column)
{
    const std::string_view t = column.dataType;
    InputEditorChoice choice;
    if (gbk::equalsIgnoreCase(t, "uniqueidentifier"))
        choice.editor = InputEditor::VelCombobox;
    else if (isIntegerType(t))
        choice.editor = InputEditor::IntegerEdit;
    else if (isDecimalType(t))
        choice.editor = InputEditor::FloatEdit;
    else if (isDateType(t))
        choice.editor = InputEditor::DateTimePicker;
    else if (gbk::equalsIgnoreCase(t, "varchar") && column.prec >= 200)
        choice.editor = InputEditor::Memo;
    else if (gbk::equalsIgnoreCase(t, "image"))
        choice.editor = InputEditor::Image;
    else if (column.code == "PassWord")
        choice.masked = true;
    else if (contains(column.code, "Name"))
        choice.inputMethod = InputMethod::Chinese;
    return choice;
}

std::optional<QueryControlChoice> queryControlFor(const DictColumn& column)
{
    const std::string_view t = column.dataType;
    using F = QueryFieldType;
    using E = QueryEditor;
    if (gbk::equalsIgnoreCase(t, "uniqueidentifier"))
        return QueryControlChoice{F::String, false,
                                  column.hasGrid == 1 ? E::VelCombobox : E::SafeEdit};
    if (isIntegerType(t)) return QueryControlChoice{F::Number, false, E::IntegerRange};
    if (isDecimalType(t)) return QueryControlChoice{F::Number, false, E::FloatRange};
    if (isDateType(t)) return QueryControlChoice{F::DateTime, false, E::DateRange};
    if (isTextType(t)) return QueryControlChoice{F::String, true, E::SafeEdit};
    return std::nullopt;
}

} // namespace corvo::forms
