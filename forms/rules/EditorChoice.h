#pragma once

#include <optional>
#include <string_view>

namespace corvo::forms {

struct DictColumn;

/// The editor of an entry column, by its SQL type (the form maps it onto the input control's
/// sub type).
enum class InputEditor {
    SafeEdit,
    IntegerEdit,
    FloatEdit,
    VelCombobox,
    DateTimePicker,
    Memo,
    Image
};

/// How an edit's input method starts: untouched, closed (codes are typed in Latin letters)
/// or open for Chinese (names).
enum class InputMethod { Unchanged, Closed, Chinese };

struct InputEditorChoice {
    InputEditor editor = InputEditor::SafeEdit;
    bool masked = false; ///< the password edit shows "*"
    InputMethod inputMethod = InputMethod::Unchanged;
};

/// The entry editor of a column: "uniqueidentifier" a code/name box, "int"/"smallint" an
/// integer edit, the decimal types a float edit, the date types a date picker, "varchar" of
/// Prec 200 or more a memo, "image" a picture; anything else a safe edit, masked for the
/// column "PassWord" and opening the Chinese input method when the code contains "Name".
/// SQL type names are compared without regard to letter case.
InputEditorChoice inputEditorFor(const DictColumn& column);

/// The check applied to a query condition's value.
enum class QueryFieldType { String, Number, DateTime };
/// The editor of a query condition; the three ranges are the wide controls of a query panel.
enum class QueryEditor { VelCombobox, SafeEdit, IntegerRange, FloatRange, DateRange };

struct QueryControlChoice {
    QueryFieldType fieldType = QueryFieldType::String;
    bool like = false; ///< compared with like rather than equality
    QueryEditor editor = QueryEditor::SafeEdit;

    bool isWide() const noexcept
    {
        return editor == QueryEditor::IntegerRange || editor == QueryEditor::FloatRange ||
               editor == QueryEditor::DateRange;
    }
};

/// The query control of a column by its SQL type, or nothing for a type that has none
/// ("text", "bit", "image" ...).
std::optional<QueryControlChoice> queryControlFor(const DictColumn& column);

/// The SQL type families the rules distinguish.
bool isIntegerType(std::string_view sqlType) noexcept;
bool isDecimalType(std::string_view sqlType) noexcept;
bool isDateType(std::string_view sqlType) noexcept;
bool isTextType(std::string_view sqlType) noexcept; ///< "char" and "varchar"

} // namespace corvo::forms
