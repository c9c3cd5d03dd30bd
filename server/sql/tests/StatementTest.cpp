#include "SqlTestSupport.h"
#include "entity/Error.h"
#include "entity/Gbk.h"
#include "entity/TSQLAdder.h"
#include "server/schema/DemoDictionary.h"
#include "server/schema/SystemDictionary.h"
#include "server/schema/SystemIds.h"
#include "server/sql/StatementBuilder.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace corvo::server::sql {
namespace {

using storage::Dialect;
using testing::ElementsAre;

const std::string Demo(schema::ids::DemoOrgan);

std::string ownerScope(const std::string& alias)
{
    const std::string c = alias + ".\"TOwnerID\"";
    return "(" + c + " = ? OR " + c + " IS NULL OR " + c + " = ? OR " + c + " = ?)";
}
const std::string OwnerScope = ownerScope("t");

TEST(BuildStatement, AssemblesThePageQueryOfAClauseSet)
{
    const std::vector<Clause> clauses = {
        {"from", "TOrgan"},
        {"select", "top 20 TOrgan.TOrgan"},
        {"select", "TOrgan.Code"},
        {"select", "TOrganTypeID.Name as TOrganTypeName"},
        {"join",
         "left join TOtherParam as TOrganTypeID on TOrgan.TOrganTypeID = TOrganTypeID.ObjID"},
        {"select", "TOwner.Name as TOwnerName"},
        {"join", "left join TOrgan as TOwner on TOrgan.TOwnerID = TOwner.ObjID"},
        {"where", "TOrgan.Code>'A01'"},
        {"order", "TOrgan.Code desc"},
        {"where", "(TOrgan.Name like '%张%')"},
    };
    const Statement s =
        buildStatement(schema::systemDictionary(), clauses, {Dialect::Sqlite, Demo});
    EXPECT_EQ(s.sql,
              "SELECT t.\"TOrgan\" AS \"TOrgan\", t.\"Code\" AS \"Code\", j0.\"Name\" AS "
              "\"TOrganTypeName\", j1.\"Name\" AS \"TOwnerName\" FROM \"TOrgan\" AS t LEFT JOIN "
              "\"TOtherParam\" AS j0 ON j0.\"ObjID\" = t.\"TOrganTypeID\" AND " +
                  ownerScope("j0") +
                  " LEFT JOIN \"TOrgan\" AS j1 ON j1.\"ObjID\" = t.\"TOwnerID\" AND " +
                  ownerScope("j1") +
                  " LEFT JOIN \"TOtherParam\" AS j2 ON j2.\"ObjID\" = t.\"StatusID\" AND " +
                  ownerScope("j2") + " WHERE t.\"Code\" > ? AND t.\"Name\" LIKE ? AND " +
                  OwnerScope + " ORDER BY t.\"Code\" DESC LIMIT 20");
    // The joins' values come first, as their conditions do in the text.
    ASSERT_EQ(s.params.size(), 14u);
    for (std::size_t at : {0u, 3u, 6u, 11u}) {
        EXPECT_EQ(s.params[at].asString(), Demo);
        EXPECT_EQ(s.params[at + 1].asString(), "");
        EXPECT_EQ(s.params[at + 2].asString(), "{00000000-0000-0000-0000-000000000000}");
    }
    EXPECT_EQ(s.params[9].asString(), "A01");
    EXPECT_EQ(s.params[10].asString(), "%张%");
    EXPECT_THAT(s.columns, ElementsAre("TOrgan", "Code", "TOrganTypeName", "TOwnerName"));
    EXPECT_EQ(s.limit, 20);
    EXPECT_EQ(s.table, "TOrgan");
}

TEST(BuildStatement, TablesWithoutOwnerAreNotScopedAndSumNamesItsColumn)
{
    const std::vector<Clause> clauses = {
        {"FROM", "tmodule"}, {"select", "TModule.Code"}, {"sum", "TModule.ColOrder"}};
    const Statement s =
        buildStatement(schema::systemDictionary(), clauses, {Dialect::Postgres, Demo});
    EXPECT_EQ(s.sql, "SELECT t.\"Code\" AS \"Code\" FROM \"TModule\" AS t");
    EXPECT_TRUE(s.params.empty());
    EXPECT_EQ(s.limit, 0);
    EXPECT_EQ(s.groupBy, "ColOrder");
}

TEST(BuildStatement, LinesAndRightsAreScopedThroughTheRowTheyBelongTo)
{
    struct Case {
        std::vector<Clause> clauses;
        std::string scope; ///< the text that must end the statement's conditions
    };
    const std::string document = "EXISTS (SELECT 1 FROM \"TStockOut\" AS t_o WHERE "
                                 "t_o.\"ObjID\" = t.\"ParentID\" AND " +
                                 ownerScope("t_o") + ")";
    const Case cases[] = {
        {{{"from", "TStockOutList"}, {"select", "TStockOutList.Quantity"}}, document},
        {{{"from", "TStockOutListSize"}, {"select", "TStockOutListSize.SizeNo"}},
         "EXISTS (SELECT 1 FROM \"TStockOutList\" AS t_o WHERE t_o.\"ObjID\" = t.\"ParentID\" "
         "AND EXISTS (SELECT 1 FROM \"TStockOut\" AS t_o_o WHERE t_o_o.\"ObjID\" = "
         "t_o.\"ParentID\" AND " +
             ownerScope("t_o_o") + "))"},
        {{{"from", "TUserModule"}, {"select", "TUserModule.TModuleID"}},
         "EXISTS (SELECT 1 FROM \"TUser\" AS t_o WHERE t_o.\"ObjID\" = t.\"TUserID\" AND " +
             ownerScope("t_o") + ")"},
        // A sub-select reaches no other company's lines either.
        {{{"from", "TProduct"},
          {"select", "TProduct.Code"},
          {"where", "TProduct.ObjID in (select TProductID from TStockOutList)"}},
         "t.\"ObjID\" IN (SELECT s1.\"TProductID\" FROM \"TStockOutList\" AS s1 WHERE EXISTS "
         "(SELECT 1 FROM \"TStockOut\" AS s1_o WHERE s1_o.\"ObjID\" = s1.\"ParentID\" AND " +
             ownerScope("s1_o") + ")) AND " + OwnerScope},
    };
    for (const Case& c : cases) {
        const Statement s =
            buildStatement(schema::demoDictionary(), c.clauses, {Dialect::Sqlite, Demo});
        EXPECT_TRUE(s.sql.ends_with(c.scope)) << s.sql;
        EXPECT_EQ(std::count(s.params.begin(), s.params.end(), Variant(Demo)),
                  std::count(s.sql.begin(), s.sql.end(), '?') / 3)
            << s.sql;
    }
}

TEST(BuildStatement, ATableNoCompanyCanOwnIsReadByNobody)
{
    schema::Dictionary dictionary = schema::demoDictionary();
    // A table without owner, parent or reference to an owned row.
    for (schema::DictField& f : dictionary.fields)
        if (f.parentId == dictionary.findTable("TUserModule")->objId && f.code == "TUserID")
            f.isNullAble = 1;
    const std::vector<Clause> clauses = {{"from", "TUserModule"},
                                         {"select", "TUserModule.TModuleID"}};
    try {
        buildStatement(dictionary, clauses, {Dialect::Sqlite, Demo});
        ADD_FAILURE() << "read";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "表[TUserModule]不属于任何机构，不能读取");
    }
}

TEST(ClausesOf, ReadsTheClientsGbkRowsAsUtf8)
{
    TSQLAdder adder;
    adder.AddClause("from", "TOrgan");
    adder.AddClause("where", gbk::fromUtf8("Name like '%张%'"));
    const std::vector<Clause> clauses = clausesOf(adder);
    ASSERT_EQ(clauses.size(), 2u);
    EXPECT_EQ(clauses[1].kind, "where");
    EXPECT_EQ(clauses[1].text, "Name like '%张%'");
}

/// The client's own clause sets, built by its clause builder from the dictionary the server
/// stores, run on a real database of each backend.
class ClientQuery : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        std::string url;
        if (GetParam() == "postgres") {
            auto pg = test::postgresUrl();
            if (!pg) GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
            url = *pg;
        }
        m_db = std::make_unique<test::SeededDatabase>(url);
    }

    std::vector<std::string> codes(const std::string& mode, const std::vector<std::string>& where,
                                   const std::string& nextKey = {},
                                   const std::string& previousKey = {})
    {
        const Statement s = buildStatement(
            m_db->dictionary(), m_db->clientClauses("TOrgan", mode, where, nextKey, previousKey),
            {m_db->db().dialect(), Demo});
        storage::Rows rows = m_db->run(s);
        EXPECT_EQ(rows.columns, s.columns);
        std::vector<std::string> out;
        const int code = rows.column("Code");
        for (const auto& row : rows.rows)
            out.push_back(row.at(std::size_t(code)).toText());
        return out;
    }

    std::unique_ptr<test::SeededDatabase> m_db;
};

TEST_P(ClientQuery, SeesOnlyItsOwnCompanyAndRowsOfNone)
{
    // OTHER belongs to another company; "张" is in every name but DEMO's.
    EXPECT_THAT(codes("FirstPage", {"(TOrgan.Name like '%张%')"}),
                ElementsAre("EMPTYG", "NOBODY", "S01"));
    EXPECT_THAT(codes("AllPage", {}), ElementsAre("DEMO", "EMPTYG", "NOBODY", "S01"));
    // The client's owner clause narrows within the scope.
    EXPECT_THAT(
        codes("AllPage", {"((TOrgan.TOwnerID='" + Demo +
                          "')or(TOrgan.TOwnerID = '{00000000-0000-0000-0000-000000000000}'))"}),
        ElementsAre("DEMO", "EMPTYG", "S01"));
}

TEST_P(ClientQuery, PagesFollowTheSortKeyBothWays)
{
    EXPECT_THAT(codes("NextPage", {}, "EMPTYG", ""), ElementsAre("NOBODY", "S01"));
    // The previous page comes newest first; the client sorts it again.
    EXPECT_THAT(codes("PreviousPage", {}, "", "S01"), ElementsAre("NOBODY", "EMPTYG", "DEMO"));
}

TEST_P(ClientQuery, LikeIgnoresLetterCaseAndPagesAreLimited)
{
    EXPECT_THAT(codes("AllPage", {"(TOrgan.Code like '%emptyG%')"}), ElementsAre("EMPTYG"));
    const Statement s =
        buildStatement(m_db->dictionary(), m_db->clientClauses("TOrgan", "FirstPage"),
                       {m_db->db().dialect(), Demo});
    EXPECT_EQ(s.limit, 20);
    std::vector<Clause> clauses = m_db->clientClauses("TOrgan", "AllPage");
    clauses.insert(clauses.begin() + 1, {"select", "top 2 TOrgan.TOrgan"});
    clauses.erase(clauses.begin() + 2); // the plain first column the "top" row replaces
    const Statement two = buildStatement(m_db->dictionary(), clauses, {m_db->db().dialect(), Demo});
    EXPECT_EQ(m_db->run(two).rows.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Backends, ClientQuery, testing::Values("sqlite", "postgres"));

struct PagePlan {
    const char* mode;
    const char* nextKey;
    const char* previousKey;
    const char* access; ///< how SQLite reaches the rows of the queried table
};

void PrintTo(const PagePlan& p, std::ostream* os)
{
    *os << p.mode;
}

class PagePlanTest : public testing::TestWithParam<PagePlan> {};

TEST_P(PagePlanTest, WalksTheSortColumnsIndexWithoutSortingAgain)
{
    const PagePlan& p = GetParam();
    test::SeededDatabase db;
    const Statement s = buildStatement(
        db.dictionary(), db.clientClauses("TOrgan", p.mode, {}, p.nextKey, p.previousKey),
        {Dialect::Sqlite, Demo});
    auto tx = db.db().begin(storage::TransactionMode::Read);
    const storage::Rows plan = tx->query("EXPLAIN QUERY PLAN " + s.sql, s.params);
    const int detail = plan.column("detail");
    ASSERT_GE(detail, 0);
    std::vector<std::string> steps;
    for (const auto& row : plan.rows)
        steps.push_back(row.at(std::size_t(detail)).toText());
    EXPECT_THAT(steps, testing::Contains(p.access)) << s.sql;
    EXPECT_THAT(steps, testing::Each(testing::Not(testing::HasSubstr("TEMP B-TREE")))) << s.sql;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PagePlanTest,
    testing::Values(
        PagePlan{"FirstPage", "", "", "SCAN t USING INDEX IX_TOrgan_Code"},
        PagePlan{"NextPage", "EMPTYG", "", "SEARCH t USING INDEX IX_TOrgan_Code (Code>?)"},
        PagePlan{"PreviousPage", "", "S01", "SEARCH t USING INDEX IX_TOrgan_Code (Code<?)"}),
    [](const testing::TestParamInfo<PagePlan>& info) { return std::string(info.param.mode); });

} // namespace
} // namespace corvo::server::sql
