#pragma once

// Hostile clause sets and the error each must be refused with; driven against the statement
// builder and, through the query service, against the real server.
#include "server/schema/SystemIds.h"
#include "server/sql/StatementBuilder.h"

#include <string>
#include <vector>

namespace corvo::server::sql::test {

/// A company other than the demo one; its rows must never be reached.
inline constexpr const char* OtherOrgan = "{C0B5FFFF-0000-4000-8000-000000000001}";
inline const std::string Other(OtherOrgan);
inline const std::string Demo(schema::ids::DemoOrgan);

struct Hostile {
    std::string what;
    std::vector<Clause> clauses; ///< added to from TOrgan / select TOrgan.Code unless it has a from
    std::string message;         ///< a part of the error text
};

inline std::vector<Clause> where(const std::string& text)
{
    return {{"where", text}};
}

inline const std::vector<Hostile>& hostileClauseSets()
{
    static const std::vector<Hostile> cases = {
        {"stacked statement in a where row", where("Code = 'A'; DELETE FROM TOrgan"),
         "不允许使用分号"},
        {"stacked statement in an order row",
         {{"order", "TOrgan.Code; DROP TABLE TUser"}},
         "不允许使用分号"},
        {"stacked statement in the from row",
         {{"from", "TOrgan; DROP TABLE TUser"}, {"select", "TOrgan.Code"}},
         "不允许使用分号"},
        {"stacked statement in a select row",
         {{"select", "TOrgan.Name; DELETE FROM TUser"}},
         "不允许使用分号"},
        {"line comment", where("Code = 'A' --"), "不允许使用注释"},
        {"block comment in a join row",
         {{"join", "left join TOrgan as TOwner on TOrgan.TOwnerID = TOwner.ObjID /*"}},
         "不允许使用注释"},
        {"union in a where row", where("Code = 'A' union select PassWord from TUser"),
         "查询条件无法识别：union select"},
        {"union in a select row",
         {{"select", "TOrgan.Name union select Code from TUser"}},
         "查询子句无法识别：select union"},
        {"sub-select as a value", where("Code = (select Code from TUser)"),
         "查询条件无法识别：(select"},
        {"sub-select of two columns", where("Code in (select Code, Name from TUser)"),
         "查询条件无法识别：, Name"},
        {"sub-select in a select row",
         {{"select", "(select PassWord from TUser) as Name"}},
         "查询子句无法识别"},
        {"column not in the dictionary", where("PassWord = 'x'"), "表[TOrgan]中没有列[PassWord]"},
        {"selected column not in the dictionary",
         {{"select", "TOrgan.PassWord"}},
         "表[TOrgan]中没有列[PassWord]"},
        {"another table's column under a dictionary name",
         {{"select", "TUser.PassWord as Name"}},
         "查询子句无法识别"},
        {"table not in the dictionary",
         {{"from", "sqlite_master"}, {"select", "sqlite_master.sql"}},
         "表[sqlite_master]不在数据字典中"},
        {"sub-select from a table not in the dictionary",
         where("Code in (select tablename from pg_tables)"), "表[pg_tables]不在数据字典中"},
        {"table not in the statement", where("TUser.Code = 'admin'"), "表[TUser]不在本查询中"},
        {"join the dictionary does not make",
         {{"join", "left join TUser as TOwner on TOrgan.TOwnerID = TOwner.ObjID"}},
         "连接子句与数据字典不符"},
        {"quote trick", where("Name = 'x' or 'a'='a'"), "查询条件无法识别：'a'='a'"},
        {"backslash escape trick", where("Name = 'x\\' or 1=1 --"), "不允许使用注释"},
        {"double-quoted name", where("\"Name\" = 'x'"), "查询条件无法识别：\"Name\""},
        {"unclosed quote", where("Name = 'x"), "引号没有结束"},
        {"full-width semicolon", where("Code = 'A'；DELETE FROM TOrgan"),
         "查询条件无法识别：；DELETE"},
        {"function on a column", where("upper(Name) = 'X'"), "不允许使用函数：upper(Name)"},
        {"function as a value", where("Name = randomblob(9)"), "不允许使用函数：randomblob(9)"},
        {"function standing alone", where("pg_sleep(5) is null"), "不允许使用函数：pg_sleep(5)"},
        {"exec call", where("exec('DROP TABLE TUser')"), "不允许使用函数：exec("},
        {"exec statement", where("exec sp_who"), "查询条件无法识别：sp_who"},
        {"function in an order row", {{"order", "random()"}}, "查询子句无法识别：order ()"},
        {"order by position", {{"order", "1"}}, "查询子句无法识别：order 1"},
        {"page of no rows",
         {{"from", "TOrgan"}, {"select", "top 0 TOrgan.Name"}},
         "每页行数必须在1到10000之间：0"},
        {"page beyond the bound",
         {{"from", "TOrgan"}, {"select", "top 99999999999 TOrgan.Name"}},
         "每页行数必须在1到10000之间"},
        {"top on a later select row",
         {{"select", "TOrgan.Name"}, {"select", "top 5 TOrgan.Phone"}},
         "只有第一个select子句可以指定每页行数：top 5 TOrgan.Phone"},
        {"unknown clause kind", {{"having", "Code > 'A'"}}, "查询子句的类型[having]无法识别"},
        {"two from rows", {{"select", "TOrgan.Name"}, {"from", "TUser"}}, "只能有一个from子句"},
        {"no select row", {{"from", "TOrgan"}, {"where", "Code = 'A'"}}, "没有要查询的列"},
        {"another company's owner", where("TOrgan.TOwnerID = '" + Other + "'"),
         "查询条件不能指定其他机构的数据：" + Other},
        {"another company among owners", where("TOwnerID in ('" + Demo + "', '" + Other + "')"),
         "不能指定其他机构的数据"},
        {"another company through a sub-select",
         where("TOwnerID in (select ObjID from TOrgan where Code = 'OTHER')"),
         "所属机构只能与当前机构比较"},
        {"another company's owner, negated twice", where("not not TOwnerID = '" + Other + "'"),
         "不能指定其他机构的数据"},
    };
    return cases;
}

/// The clause set of a case: from TOrgan / select TOrgan.Code first unless it has its own from.
inline std::vector<Clause> clauseSet(const Hostile& c)
{
    std::vector<Clause> clauses;
    if (c.clauses.empty() || c.clauses.front().kind != "from")
        clauses = {{"from", "TOrgan"}, {"select", "TOrgan.Code"}};
    clauses.insert(clauses.end(), c.clauses.begin(), c.clauses.end());
    return clauses;
}

} // namespace corvo::server::sql::test
