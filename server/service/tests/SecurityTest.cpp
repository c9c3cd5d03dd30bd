#include "server/service/Credentials.h"
#include "server/service/PasswordHash.h"
#include "server/service/SessionStore.h"

#include <gtest/gtest.h>

namespace corvo::server {
namespace {

constexpr int FastIterations = 1000;

TEST(PasswordHashTest, VerifiesOnlyTheSameEncodedText)
{
    const std::string stored = hashPassword("5JXKpFL=", FastIterations);
    EXPECT_TRUE(verifyPassword("5JXKpFL=", stored));
    EXPECT_FALSE(verifyPassword("5JXKpFM=", stored));
    EXPECT_FALSE(verifyPassword("", stored));
    // A fresh salt every time: equal passwords do not give equal hashes.
    EXPECT_NE(hashPassword("5JXKpFL=", FastIterations), stored);
}

TEST(PasswordHashTest, MalformedStoredTextsNeverVerify)
{
    const std::string good = hashPassword("x", FastIterations);
    const std::string hash = good.substr(good.rfind('$') + 1);
    for (const std::string& bad :
         {std::string(), std::string("x"), "md5$1000$00$" + hash, "pbkdf2-sha256$0$00$" + hash,
          "pbkdf2-sha256$99999999999$00$" + hash, "pbkdf2-sha256$1000$0g$" + hash,
          "pbkdf2-sha256$1000$00$" + hash.substr(2), std::string("pbkdf2-sha256$1000$00"),
          "pbkdf2-sha256$1x$00$" + hash})
        EXPECT_FALSE(verifyPassword("x", bad)) << bad;
}

TEST(CredentialsTest, WaitGrowsFromTheThirdFailureAndIsCapped)
{
    struct Case {
        int64_t failures;
        int64_t secondsSinceLast;
        int64_t wait;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{2, 0, 0}, Case{3, 0, 1}, Case{3, 1, 0}, Case{4, 0, 2},
                          Case{6, 3, 5}, Case{9, 0, 60}, Case{500, 0, 60}, Case{500, 61, 0}}) {
        const Credential cred{"", c.failures, 1000};
        EXPECT_EQ(Credentials().waitSeconds(cred, 1000 + c.secondsSinceLast), c.wait)
            << c.failures << " failures, " << c.secondsSinceLast << " s";
    }
    EXPECT_EQ(Credentials(1000, 30).waitSeconds({"", 4, 1000}, 1000), 60);
}

TEST(SessionCookieTest, OnlyOurWellFormedTokenIsTaken)
{
    const std::string token(64, 'a');
    struct Case {
        std::string header;
        std::string token;
    };
    for (const Case& c :
         {Case{"CORVOSESSION=" + token, token}, Case{"a=1; CORVOSESSION=" + token + "; b=2", token},
          Case{"XCORVOSESSION=" + token, ""}, Case{"CORVOSESSION=" + token + "0", ""},
          Case{"CORVOSESSION=" + std::string(64, 'G'), ""}, Case{"CORVOSESSION=", ""},
          Case{"", ""}})
        EXPECT_EQ(SessionStore::tokenFromCookieHeader(c.header), c.token) << c.header;
    EXPECT_EQ(SessionStore::cookieFor(token),
              "CORVOSESSION=" + token + "; Path=/; HttpOnly; SameSite=Strict");
}

} // namespace
} // namespace corvo::server
