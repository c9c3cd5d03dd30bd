#include "server/sql/Condition.h"

#include "entity/Error.h"
#include "entity/Guid.h"
#include "server/schema/SystemDictionary.h"
#include "server/schema/SystemIds.h"
#include "server/sql/StatementBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace corvo::server::sql {
namespace {

using storage::Dialect;
using testing::HasSubstr;

const std::string Demo(schema::ids::DemoOrgan);
const std::string Empty(EmptyGuidText);
const std::string Other = "{C0B5FFFF-0000-4000-8000-000000000001}";

/// Parameters as "type:value" so that 5 and '5' differ.
std::vector<std::string> describe(const std::vector<storage::Value>& params)
{
    std::vector<std::string> out;
    for (const storage::Value& v : params)
        out.push_back((v.type() == Variant::Type::Integer ? "i:" : "s:") + v.toText());
    return out;
}

const schema::Dictionary& dictionary()
{
    static const schema::Dictionary d = schema::systemDictionary();
    return d;
}

RebuiltCondition rebuild(std::string_view text, Dialect dialect = Dialect::Sqlite)
{
    return rebuildCondition(dictionary(), "TOrgan", text, {dialect, Demo});
}

struct Accepted {
    std::string text;
    std::string sql; ///< both dialects
    std::vector<std::string> params;
};

class AcceptedCondition : public testing::TestWithParam<Accepted> {};

TEST_P(AcceptedCondition, IsRebuiltWithDictionaryNamesAndBoundValues)
{
    const Accepted& c = GetParam();
    for (Dialect dialect : {Dialect::Sqlite, Dialect::Postgres}) {
        RebuiltCondition out = rebuild(c.text, dialect);
        EXPECT_EQ(out.sql, c.sql);
        EXPECT_EQ(describe(out.params), c.params);
    }
}

const std::string OwnerOfS1 =
    "(s1.\"TOwnerID\" = ? OR s1.\"TOwnerID\" IS NULL OR s1.\"TOwnerID\" = "
    "? OR s1.\"TOwnerID\" = ?)";

INSTANTIATE_TEST_SUITE_P(
    Texts, AcceptedCondition,
    testing::Values(
        Accepted{"TOrgan.Code = 'A01'", "t.\"Code\" = ?", {"s:A01"}},
        Accepted{"code='A01'", "t.\"Code\" = ?", {"s:A01"}},
        Accepted{"Code  between '1' and '5'", "t.\"Code\" BETWEEN ? AND ?", {"s:1", "s:5"}},
        Accepted{"((TOrgan.TOwnerID='" + Demo + "')or(TOrgan.TOwnerID = '" + Empty + "'))",
                 "(t.\"TOwnerID\" = ? OR t.\"TOwnerID\" = ?)",
                 {"s:" + Demo, "s:" + Empty}},
        Accepted{"TOrgan.StatusID = '{A1A975D8-603E-476B-90A1-A44B77E20346}'",
                 "t.\"StatusID\" = ?",
                 {"s:{A1A975D8-603E-476B-90A1-A44B77E20346}"}},
        Accepted{"TOwner.Code = 'DEMO'", "j1.\"Code\" = ?", {"s:DEMO"}},
        Accepted{"not (Code < 'B' OR Code >= 'C') and Phone is not null",
                 "(NOT ((t.\"Code\" < ? OR t.\"Code\" >= ?)) AND t.\"Phone\" IS NOT NULL)",
                 {"s:B", "s:C"}},
        Accepted{"Code not in ('A', 'B')", "t.\"Code\" NOT IN (?, ?)", {"s:A", "s:B"}},
        Accepted{"Code <> -12 or Code = 1.50",
                 "(t.\"Code\" <> ? OR t.\"Code\" = ?)",
                 {"i:-12", "s:1.50"}},
        Accepted{"Code <> TOrgan.Name", "t.\"Code\" <> t.\"Name\"", {}},
        Accepted{"Name = 'x'' or ''1''=''1'", "t.\"Name\" = ?", {"s:x' or '1'='1"}},
        Accepted{
            "Name = 'a\\' or Code = 'b'", "(t.\"Name\" = ? OR t.\"Code\" = ?)", {"s:a\\", "s:b"}},
        Accepted{"ObjID in (select TOrganID from TUser where Code = 'admin')",
                 "t.\"ObjID\" IN (SELECT s1.\"TOrganID\" FROM \"TUser\" AS s1 WHERE s1.\"Code\" "
                 "= ? AND " +
                     OwnerOfS1 + ")",
                 {"s:admin", "s:" + Demo, "s:", "s:" + Empty}},
        Accepted{"ObjID in (select TOrganID from TUser where TUser.Name = TOrgan.Name)",
                 "t.\"ObjID\" IN (SELECT s1.\"TOrganID\" FROM \"TUser\" AS s1 WHERE s1.\"Name\" "
                 "= t.\"Name\" AND " +
                     OwnerOfS1 + ")",
                 {"s:" + Demo, "s:", "s:" + Empty}},
        Accepted{"TOwnerID is null or TOwnerID in ('', '" + Demo + "')",
                 "(t.\"TOwnerID\" IS NULL OR t.\"TOwnerID\" IN (?, ?))",
                 {"s:", "s:" + Demo}}));

TEST(LikeCondition, IsCaseBlindAndEscapeFreeInBothDialects)
{
    RebuiltCondition sqlite = rebuild("Name like '%张%'");
    EXPECT_EQ(sqlite.sql, "t.\"Name\" LIKE ?");
    EXPECT_EQ(describe(sqlite.params), std::vector<std::string>{"s:%张%"});
    EXPECT_EQ(rebuild("Name like '%张%'", Dialect::Postgres).sql, "t.\"Name\" ILIKE ? ESCAPE ''");
    // A joined display column is compared through its join.
    EXPECT_EQ(rebuild("TOrganTypeName not like 'A%'").sql, "j0.\"Name\" NOT LIKE ?");
    try {
        rebuildCondition(dictionary(), "TProduct", "UnitPrice like '1%'", {Dialect::Sqlite, Demo});
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "like只能用于文本列：UnitPrice");
    }
}

struct Refused {
    std::string text;
    std::string message; ///< a part of the error text
};

class RefusedCondition : public testing::TestWithParam<Refused> {};

TEST_P(RefusedCondition, FailsWithAClearMessage)
{
    const Refused& c = GetParam();
    try {
        rebuild(c.text);
        FAIL() << "accepted: " << c.text;
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr(c.message)) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RefusedCondition,
    testing::Values(
        Refused{"", "查询条件无法识别：条件不完整"}, Refused{"Code = 'A' or", "条件不完整"},
        Refused{"Code = 'A' or 1=1", "查询条件无法识别：1=1 附近"},
        Refused{"'1' = '1'", "查询条件无法识别：'1' = '1' 附近"},
        Refused{"Code = 'A'; DELETE FROM TOrgan", "不允许使用分号"},
        Refused{"Code = 'A' -- x", "不允许使用注释"},
        Refused{"Code = 'A' /* x */", "不允许使用注释"}, Refused{"Code = 'A", "引号没有结束"},
        Refused{"Code = \"A\"", "查询条件无法识别：\"A\" 附近"},
        Refused{"Code = 'A' union select Code from TUser", "查询条件无法识别：union select"},
        Refused{"lower(Name) = 'a'", "不允许使用函数：lower(Name)"},
        Refused{"Name = char(39)", "不允许使用函数：char(39)"},
        Refused{"exists (select Code from TUser)", "不允许使用函数：exists"},
        Refused{"Code = (select Code from TUser)", "查询条件无法识别：(select"},
        Refused{"Code in (select Code, Name from TUser)", "查询条件无法识别：, Name"},
        Refused{"Code in (select Code from sqlite_master)", "表[sqlite_master]不在数据字典中"},
        Refused{"Nope = 'x'", "表[TOrgan]中没有列[Nope]"},
        Refused{"TUser.Code = 'x'", "表[TUser]不在本查询中"},
        Refused{"ObjID in (select TOrganName from TUser)", "子查询中不能使用关联列"},
        Refused{"Code = 0x41", "无法识别：0x41"}, Refused{"Code = 1e5", "无法识别：1e5"},
        Refused{"Code ！= 'A'", "无法识别：！="},
        Refused{std::string("Code = 'A'\0 or 1", 16), "无法识别"},
        Refused{"Code like 'a!%' escape '!'", "无法识别：escape"},
        Refused{"exec xp_cmdshell 'dir'", "无法识别：xp_cmdshell"},
        Refused{"TOwnerID = '" + Other + "'", "不能指定其他机构的数据：" + Other},
        Refused{"TOrgan.TOwnerID in ('" + Demo + "', '" + Other + "')", "其他机构"},
        Refused{"TOwnerID like '%'", "其他机构"},
        Refused{"TOwnerID between '' and 'Z'", "其他机构"},
        Refused{"TOwnerID = TOrganTypeID", "所属机构只能与当前机构比较"},
        Refused{"TOwnerID in (select ObjID from TOrgan)", "所属机构只能与当前机构比较"}));

TEST(ConditionBounds, RefuseDeepLongAndCrowdedTexts)
{
    const std::string deep = std::string(40, '(') + "Code = 'A'" + std::string(40, ')');
    EXPECT_THROW(
        {
            try {
                parseCondition(deep);
            } catch (const Error& e) {
                EXPECT_THAT(e.what(), HasSubstr("嵌套太深"));
                throw;
            }
        },
        Error);
    std::string nots;
    for (int i = 0; i < 40; ++i)
        nots += "not ";
    EXPECT_THROW(parseCondition(nots + "Code = 'A'"), Error);
    std::string sub = "Code = 'A'";
    for (int i = 0; i < 40; ++i)
        sub = "ObjID in (select ObjID from TOrgan where " + sub + ")";
    EXPECT_THROW(parseCondition(sub), Error);

    std::string list = "Code in ('a'";
    for (std::size_t i = 1; i <= MaxConditionLiterals; ++i)
        list += ",'a'";
    try {
        parseCondition(list + ")");
        FAIL();
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("常量太多"));
    }

    std::string longText = "Code = '" + std::string(MaxConditionBytes, 'a') + "'";
    try {
        parseCondition(longText);
        FAIL();
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("查询条件太长"));
    }
    // Just within the bounds: accepted.
    EXPECT_NO_THROW(parseCondition(std::string(MaxConditionDepth, '(') + "Code = 'A'" +
                                   std::string(MaxConditionDepth, ')')));
}

} // namespace
} // namespace corvo::server::sql
