#include "HostileClauses.h"
#include "SqlTestSupport.h"
#include "entity/Error.h"
#include "server/schema/SystemIds.h"
#include "server/sql/StatementBuilder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace corvo::server::sql {
namespace {

using testing::HasSubstr;

using test::clauseSet;
using test::Demo;
using test::Hostile;
using test::hostileClauseSets;

class HostileClauses : public testing::TestWithParam<std::string> {};

// Each clause set is refused with its message before anything runs, and the database is
// the same afterwards. OTHER is a row of another company the statements must never reach.
TEST_P(HostileClauses, AreRefusedAndExecuteNothing)
{
    std::string url;
    if (GetParam() == "postgres") {
        auto pg = test::postgresUrl();
        if (!pg) GTEST_SKIP() << "CORVO_TEST_PG_URL is not set";
        url = *pg;
    }
    test::SeededDatabase db(url);
    const std::vector<std::string> before = db.fingerprint();
    const QueryScope scope{db.db().dialect(), Demo};
    for (const Hostile& c : hostileClauseSets()) {
        try {
            storage::Rows rows = db.run(buildStatement(db.dictionary(), clauseSet(c), scope));
            ADD_FAILURE() << c.what << ": accepted, " << rows.rows.size() << " rows";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.message)) << c.what;
        }
    }
    std::vector<Clause> crowded = {{"from", "TOrgan"}, {"select", "TOrgan.Code"}};
    crowded.resize(MaxClauses + 1, {"where", "Code = 'A'"});
    EXPECT_THROW(buildStatement(db.dictionary(), crowded, scope), Error);
    EXPECT_EQ(db.fingerprint(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, HostileClauses, testing::Values("sqlite", "postgres"));

} // namespace
} // namespace corvo::server::sql
