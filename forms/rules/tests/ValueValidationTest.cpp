#include "forms/rules/ValueValidation.h"

#include "entity/Gbk.h"
#include "forms/rules/DictColumn.h"
#include "forms/rules/MonthConditions.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

std::string errorOf(const Variant& value, const DictColumn& column)
{
    try {
        ValidateValue(value, column);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

DictColumn col(const char* type, int prec, int nullable = 1)
{
    DictColumn c;
    c.dataType = type;
    c.prec = prec;
    c.isNullAble = nullable;
    c.name = gbk::fromUtf8("品名");
    c.caption = "Product"; // messages name the Chinese caption, whatever the language
    return c;
}

TEST(ValueValidation, MessagesByType)
{
    const std::string chinese6 = gbk::fromUtf8("六个汉字的名"); // 12 GBK bytes
    struct Case {
        DictColumn column;
        Variant value;
        const char* message;
    };
    for (const Case& c : {
             Case{col("varchar", 10), "0123456789", ""},
             Case{col("varchar", 10), "0123456789A", "字段[品名]值超出长度范围"},
             Case{col("varchar", 10), chinese6, "字段[品名]值超出长度范围"},
             Case{col("char", 12), chinese6, ""},
             Case{col("varchar", 10), "", ""},
             Case{col("varchar", 10, 0), "", "请输入[品名]……"},
             Case{col("varchar", 3, 0), "toolong", "字段[品名]值超出长度范围"},
             Case{col("int", 0), "123456789012", ""},
             Case{col("money", 5), "12.5", ""},
             Case{col("money", 5), "123.45", "浮点类型[品名]值超出范围"},
             Case{col("decimal", 4), "-1.5", ""},
             Case{col("decimal", 3), "-1.5", "浮点类型[品名]值超出范围"},
             Case{col("datetime", 0), "1905-03-12", ""},
             Case{col("datetime", 0), "1905-03-11", "日期类型[品名]输入非法！"},
             Case{col("smalldatetime", 0), "not a date", "日期类型[品名]输入非法！"},
             Case{col("datetime", 0), Variant(DateTime{1898.0}), ""},
             Case{col("uniqueidentifier", 0, 1), "", "选择项[品名]尚未选择，请选择后再保存"},
             Case{col("uniqueidentifier", 0, 1), "{5D7D2F12-0000-4000-8000-000000000001}", ""},
             Case{col("image", 0), "", ""},
             Case{col("text", 0, 0), "", ""},
         }) {
        EXPECT_EQ(errorOf(c.value, c.column), c.message)
            << c.column.dataType << " " << c.column.prec << " " << gbk::display(c.value.toText());
    }
}

TEST(ValueValidation, ValueComesBackUnchanged)
{
    EXPECT_EQ(ValidateValue(Variant("abc"), col("varchar", 10)).toText(), "abc");
}

TEST(MonthConditions, FirstAndLastDays)
{
    const DateTime march15 = *DateTime::fromDate(2005, 3, 15);
    EXPECT_EQ(HappenDateThisMonth("T", march15),
              "T.HappenDate between '2005-03-01' and '2005-03-31'");
    EXPECT_EQ(CreateDateThisMonth("T", march15),
              "T.CreateDate between '2005-03-01' and '2005-04-01'");
    const DateTime december = *DateTime::fromDate(2026, 12, 10);
    EXPECT_EQ(CreateDateThisMonth("TStockOut", december),
              "TStockOut.CreateDate between '2026-12-01' and '2027-01-01'");
    EXPECT_EQ(HappenDateThisMonth("A", *DateTime::fromDate(2024, 2, 29)),
              "A.HappenDate between '2024-02-01' and '2024-02-29'");
}

} // namespace
} // namespace corvo::forms
