// Batch entry's checks: the limit, the composite unique key, the messages.
#include "forms/rules/BatchEntry.h"

#include "entity/TClientDataSet.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace corvo::forms::test {
namespace {

void makeRows(TClientDataSet& rows)
{
    rows.FieldDefs().Clear();
    rows.FieldDefs().Add("Code", FieldType::String, 20);
    rows.FieldDefs().Add("Name", FieldType::String, 50);
    rows.CreateDataSet();
}

void add(TClientDataSet& rows, const std::string& code, const std::string& name)
{
    rows.Append();
    rows.FieldByName("Code").SetAsString(code);
    rows.FieldByName("Name").SetAsString(name);
    rows.Post();
}

struct Case {
    const char* name;
    std::vector<std::string> unique;
    std::string code, nameValue;
    BatchCheck expected;
};

class BatchCheckTest : public ::testing::TestWithParam<Case> {};

TEST_P(BatchCheckTest, Decides)
{
    TClientDataSet batch, record;
    makeRows(batch);
    makeRows(record);
    add(batch, "C1", "Box");
    add(batch, "C2", "Tape");
    add(record, GetParam().code, GetParam().nameValue);
    EXPECT_EQ(CheckBatchRecord(batch, record, GetParam().unique), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchCheckTest,
    ::testing::Values(Case{"CodeOnlyEqual", {"Code", "Name"}, "C1", "Bag", BatchCheck::Accepted},
                      Case{"BothEqual", {"Code", "Name"}, "C1", "Box", BatchCheck::Duplicate},
                      Case{"SingleColumn", {"Name"}, "C9", "Tape", BatchCheck::Duplicate},
                      Case{"NoUniqueColumnAcceptsEvery", {}, "C1", "Box", BatchCheck::Accepted}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatchEntryTest, TheHundredthIsAcceptedTheNextRefused)
{
    TClientDataSet batch, record;
    makeRows(batch);
    makeRows(record);
    add(record, "N", "new");
    for (int i = 0; i < BatchLimit - 1; ++i)
        add(batch, "C" + std::to_string(i), "n");
    EXPECT_EQ(CheckBatchRecord(batch, record, {"Code"}), BatchCheck::Accepted);
    add(batch, "C99", "n");
    EXPECT_EQ(CheckBatchRecord(batch, record, {"Code"}), BatchCheck::LimitReached);
}

TEST(BatchEntryTest, UniqueColumnsFromTheDictionary)
{
    TClientDataSet fields;
    fields.FieldDefs().Add("Code", FieldType::String, 30);
    fields.FieldDefs().Add("IsUnique", FieldType::Integer);
    fields.CreateDataSet();
    for (auto [code, unique] : {std::pair{"Code", 1}, std::pair{"Spec", 0}, std::pair{"Name", 1}}) {
        fields.Append();
        fields.FieldByName("Code").SetAsString(code);
        fields.FieldByName("IsUnique").SetAsInteger(unique);
        fields.Post();
    }
    EXPECT_EQ(UniqueColumns(fields), (std::vector<std::string>{"Code", "Name"}));
}

TEST(BatchEntryTest, MessagesWithAndWithoutCode)
{
    EXPECT_EQ(BatchHeldMessage(true, "X1"), "数据被暂时保存在本地，请稍后一起保存");
    EXPECT_EQ(BatchHeldMessage(false, "X1"), "代码为X1的数据被暂时保存在本地，请稍后一起保存");
}

} // namespace
} // namespace corvo::forms::test
