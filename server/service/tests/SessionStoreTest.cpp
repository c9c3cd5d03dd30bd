#include "server/service/SessionStore.h"

#include "server/service/InternalTables.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <unistd.h>
#include <vector>

namespace corvo::server {
namespace {

using storage::TransactionMode;
using namespace std::chrono_literals;

constexpr int64_t T = 1'700'000'000;

const Session Clerk{"{C1E4C000-0000-4000-8000-000000000001}", "clerk",
                    "{C1E4C000-0000-4000-8000-000000000002}",
                    "{C1E4C000-0000-4000-8000-000000000003}"};

/// A session table in a SQLite file of its own.
class SessionStoreTest : public testing::Test {
protected:
    SessionStoreTest()
    {
        char dir[] = "/tmp/corvo-session-test-XXXXXX";
        m_dir = mkdtemp(dir);
        db = storage::Database::open("sqlite:" + m_dir + "/sessions.db",
                                     storage::OpenMode::CreateIfMissing);
        auto tx = db->begin(TransactionMode::Write);
        createInternalTables(*tx);
        tx->commit();
    }
    ~SessionStoreTest() override
    {
        db.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    std::string login(const SessionStore& store, int64_t now)
    {
        auto tx = db->begin(TransactionMode::Write);
        std::string token = store.create(*tx, Clerk, now);
        tx->commit();
        return token;
    }

    /// As another server process, or an administrator, ending every session.
    void deleteRowsDirectly()
    {
        auto tx = db->begin(TransactionMode::Write);
        tx->execute(R"(DELETE FROM "TSession")");
        tx->commit();
    }

    std::unique_ptr<storage::Database> db;

private:
    std::string m_dir;
};

void expectClerk(const std::optional<Session>& found)
{
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->userId, Clerk.userId);
    EXPECT_EQ(found->userCode, Clerk.userCode);
    EXPECT_EQ(found->ownerId, Clerk.ownerId);
    EXPECT_EQ(found->organId, Clerk.organId);
}

struct TrustCase {
    std::vector<int64_t> foundAt; ///< seconds after login, row still in the database
    int64_t askedAt;              ///< seconds after login, row deleted meanwhile
    bool found;
};

void PrintTo(const TrustCase& c, std::ostream* os)
{
    *os << "asked at +" << c.askedAt << " s";
}

class TrustedSessionTest : public SessionStoreTest,
                           public testing::WithParamInterface<TrustCase> {};

TEST_P(TrustedSessionTest, DeletedRowIsNoticedOnlyOnceTheTrustRunsOut)
{
    const TrustCase& c = GetParam();
    SessionStore store;
    const std::string token = login(store, T);
    for (int64_t at : c.foundAt)
        expectClerk(store.find(*db, token, T + at));
    deleteRowsDirectly();
    const auto found = store.find(*db, token, T + c.askedAt);
    if (c.found)
        expectClerk(found);
    else
        EXPECT_FALSE(found.has_value());
}

INSTANTIATE_TEST_SUITE_P(Windows, TrustedSessionTest,
                         testing::Values(TrustCase{{0}, 3, true}, TrustCase{{0}, 5, false},
                                         TrustCase{{0}, 6, false},
                                         // Asking the database again starts a new window.
                                         TrustCase{{0, 6}, 9, true}, TrustCase{{0, 6}, 11, false}),
                         [](const testing::TestParamInfo<TrustCase>& info) {
                             return "Asked" + std::to_string(info.param.askedAt) + "sAfter" +
                                    std::to_string(info.param.foundAt.size()) + "Finds";
                         });

TEST_F(SessionStoreTest, IdleSessionIsRefusedEvenWhileTrusted)
{
    struct Case {
        int64_t askedAt;
        bool found;
    };
    for (const Case& c : {Case{1, true}, Case{2, true}, Case{3, false}}) {
        SCOPED_TRACE(c.askedAt);
        const SessionStore store(2s);
        const std::string token = login(store, T);
        expectClerk(store.find(*db, token, T));
        const auto found = store.find(*db, token, T + c.askedAt);
        if (c.found)
            expectClerk(found);
        else
            EXPECT_FALSE(found.has_value());
    }
}

TEST_F(SessionStoreTest, UnknownTokenIsRefusedBesideAKnownOne)
{
    const SessionStore store;
    const std::string token = login(store, T);
    expectClerk(store.find(*db, token, T));
    std::string altered = token;
    altered[0] = altered[0] == '0' ? '1' : '0';
    for (const std::string& other : {std::string(), std::string(64, 'a'), altered}) {
        SCOPED_TRACE(other);
        EXPECT_FALSE(store.find(*db, other, T + 1).has_value());
    }
}

} // namespace
} // namespace corvo::server
