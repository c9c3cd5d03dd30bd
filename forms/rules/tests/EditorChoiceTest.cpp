#include "forms/rules/EditorChoice.h"

#include "forms/rules/DictColumn.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

DictColumn col(const char* type, int prec = 0, const char* code = "Remark", int hasGrid = 0)
{
    DictColumn c;
    c.dataType = type;
    c.prec = prec;
    c.code = code;
    c.hasGrid = hasGrid;
    return c;
}

TEST(EditorChoice, EntryEditorBySqlType)
{
    struct Case {
        DictColumn column;
        InputEditor editor;
        bool masked;
        InputMethod ime;
    };
    using E = InputEditor;
    using I = InputMethod;
    for (const Case& c : {
             Case{col("uniqueidentifier", 0, "TOrganID"), E::VelCombobox, false, I::Unchanged},
             Case{col("int"), E::IntegerEdit, false, I::Unchanged},
             Case{col("SmallInt"), E::IntegerEdit, false, I::Unchanged},
             Case{col("money", 19, "UnitPrice"), E::FloatEdit, false, I::Unchanged},
             Case{col("real"), E::FloatEdit, false, I::Unchanged},
             Case{col("smalldatetime"), E::DateTimePicker, false, I::Unchanged},
             Case{col("varchar", 199), E::SafeEdit, false, I::Unchanged},
             Case{col("varchar", 200), E::Memo, false, I::Unchanged},
             Case{col("char", 200), E::SafeEdit, false, I::Unchanged},
             Case{col("image"), E::Image, false, I::Unchanged},
             Case{col("varchar", 20, "PassWord"), E::SafeEdit, true, I::Unchanged},
             Case{col("varchar", 20, "Password"), E::SafeEdit, false, I::Unchanged},
             Case{col("varchar", 60, "TOrganName"), E::SafeEdit, false, I::Chinese},
             Case{col("text", 0, "Remark"), E::SafeEdit, false, I::Unchanged},
         }) {
        const InputEditorChoice got = inputEditorFor(c.column);
        EXPECT_EQ(got.editor, c.editor) << c.column.dataType << " " << c.column.prec;
        EXPECT_EQ(got.masked, c.masked) << c.column.code;
        EXPECT_EQ(got.inputMethod, c.ime) << c.column.code;
    }
}

TEST(EditorChoice, QueryControlBySqlType)
{
    using F = QueryFieldType;
    using E = QueryEditor;
    struct Case {
        DictColumn column;
        bool has;
        F type;
        bool like;
        E editor;
        bool wide;
    };
    for (const Case& c : {
             Case{col("uniqueidentifier", 0, "TOrganID", 1), true, F::String, false, E::VelCombobox,
                  false},
             Case{col("uniqueidentifier", 0, "TOrganID", 0), true, F::String, false, E::SafeEdit,
                  false},
             Case{col("int"), true, F::Number, false, E::IntegerRange, true},
             Case{col("decimal"), true, F::Number, false, E::FloatRange, true},
             Case{col("datetime"), true, F::DateTime, false, E::DateRange, true},
             Case{col("varchar"), true, F::String, true, E::SafeEdit, false},
             Case{col("char"), true, F::String, true, E::SafeEdit, false},
             Case{col("text"), false, {}, false, {}, false},
             Case{col("bit"), false, {}, false, {}, false},
             Case{col("image"), false, {}, false, {}, false},
         }) {
        const auto got = queryControlFor(c.column);
        ASSERT_EQ(got.has_value(), c.has) << c.column.dataType;
        if (!got) continue;
        EXPECT_EQ(got->fieldType, c.type) << c.column.dataType;
        EXPECT_EQ(got->like, c.like) << c.column.dataType;
        EXPECT_EQ(got->editor, c.editor) << c.column.dataType;
        EXPECT_EQ(got->isWide(), c.wide) << c.column.dataType;
    }
}

} // namespace
} // namespace corvo::forms
