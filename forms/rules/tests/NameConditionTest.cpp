#include "forms/rules/NameCondition.h"

#include "entity/TClientDataSet.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

TEST(NameCondition, ClausesAreReplacedPerField)
{
    using E = NameEditor;
    struct Case {
        const char* filter;
        const char* field;
        E editor;
        const char* value;
        const char* expected;
    };
    for (const Case& c : {
             Case{"", "Name", E::SafeEdit, "红", "(Name like '红%')"},
             Case{"", "Code", E::SafeEdit, "01", "(Code like '%01%')"},
             Case{"", "TProductTypeID", E::VelCombobox, "{A}", "(TProductTypeID = '{A}')"},
             Case{"(Name like 'a%')", "Code", E::SafeEdit, "7",
                  "(Name like 'a%')and(Code like '%7%')"},
             Case{"(Name like 'a%')and(Code like '%7%')", "Name", E::SafeEdit, "b",
                  "(Code like '%7%')and(Name like 'b%')"},
             Case{"(Name like 'a%')and(Code like '%7%')", "Name", E::SafeEdit, "",
                  "(Code like '%7%')"},
             Case{"(Name like 'a)(%')", "Name", E::SafeEdit, "", ""},
             Case{"(Name like 'x%')", "Name", E::SafeEdit, "O\"B", "(Name like 'O\"B%')"},
             Case{"(NameEn like 'x%')", "Name", E::SafeEdit, "y",
                  "(NameEn like 'x%')and(Name like 'y%')"},
         }) {
        EXPECT_EQ(nameConditionFilter(c.filter, c.field, c.editor, c.value), c.expected)
            << c.filter << " / " << c.field;
    }
}

TEST(NameCondition, TheFilterIsOneTheDatasetAccepts)
{
    TClientDataSet ds;
    ds.FieldDefs().Add("Code", FieldType::String, 20);
    ds.FieldDefs().Add("Name", FieldType::String, 20);
    ds.CreateDataSet();
    for (auto [code, name] :
         {std::pair{"001", "apple"}, std::pair{"017", "apricot"}, std::pair{"170", "banana"}}) {
        ds.Append();
        ds.FieldByName("Code").SetAsString(code);
        ds.FieldByName("Name").SetAsString(name);
        ds.Post();
    }
    std::string filter = nameConditionFilter("", "Name", NameEditor::SafeEdit, "ap");
    filter = nameConditionFilter(filter, "Code", NameEditor::SafeEdit, "17");
    ds.SetFilter(filter);
    ds.SetFiltered(true);
    ASSERT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("Name").AsString(), "apricot");
}

} // namespace
} // namespace corvo::forms
