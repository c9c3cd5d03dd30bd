#include "password/EncodePassword.h"

#include "entity/Gbk.h"
#include "password/tests/ReferenceCipher.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <openssl/sha.h>
#include <string>
#include <vector>

namespace corvo {
namespace {

using test::ReferenceBlowfish;

std::string fromHex(std::string_view hex)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

ReferenceBlowfish::Block blockFromHex(std::string_view hex)
{
    const std::string bytes = fromHex(hex);
    ReferenceBlowfish::Block block{};
    std::copy(bytes.begin(), bytes.end(), block.begin());
    return block;
}

std::string referenceEncode(std::string_view userCode, std::string_view password)
{
    std::string digest(SHA_DIGEST_LENGTH, '\0');
    SHA1(reinterpret_cast<const unsigned char*>(userCode.data()), userCode.size(),
         reinterpret_cast<unsigned char*>(digest.data()));
    const ReferenceBlowfish cipher(digest);
    return test::referenceBase64(test::referenceCfb8(cipher, password));
}

struct EcbCase {
    const char* key;
    const char* plain;
    const char* cipher;
};

class ReferenceBlowfishTest : public ::testing::TestWithParam<EcbCase> {};

TEST_P(ReferenceBlowfishTest, MatchesPublishedEcbVector)
{
    const EcbCase& c = GetParam();
    const ReferenceBlowfish cipher(fromHex(c.key));
    EXPECT_EQ(cipher.encrypt(blockFromHex(c.plain)), blockFromHex(c.cipher));
}

INSTANTIATE_TEST_SUITE_P(
    EricYoung, ReferenceBlowfishTest,
    ::testing::Values(EcbCase{"0000000000000000", "0000000000000000", "4EF997456198DD78"},
                      EcbCase{"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
                      EcbCase{"3000000000000000", "1000000000000001", "7D856F9A613063F2"}));

struct Base64Case {
    std::string bytes;
    const char* text;
};

void PrintTo(const Base64Case& c, std::ostream* os)
{
    *os << c.bytes.size() << " bytes -> \"" << c.text << '"';
}

class ReferenceBase64Test : public ::testing::TestWithParam<Base64Case> {};

// Standard Base64 except where a short last group follows a full one.
TEST_P(ReferenceBase64Test, FillsShortLastGroupFromPreviousGroup)
{
    EXPECT_EQ(test::referenceBase64(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ReferenceBase64Test,
    ::testing::Values(Base64Case{"", ""}, Base64Case{"f", "Zg=="}, Base64Case{"fo", "Zm8="},
                      Base64Case{"foo", "Zm9v"}, Base64Case{"foob", "Zm9vYm=="},
                      Base64Case{"fooba", "Zm9vYmF="}, Base64Case{"foobar", "Zm9vYmFy"},
                      Base64Case{std::string("\x00\xF0\x00\x00", 4), "APAAAP=="},
                      Base64Case{std::string("\x00\x00\xC0\x00\x00", 5), "AADAAAD="},
                      Base64Case{std::string("\xFF\x0F\x3F\x00", 4), "/w8/AA=="}));

struct PasswordCase {
    std::string userCode;
    std::string password;
};

void PrintTo(const PasswordCase& c, std::ostream* os)
{
    *os << '"' << gbk::display(c.userCode) << "\" / \"" << gbk::display(c.password) << "\" ("
        << c.password.size() << " bytes)";
}

std::vector<PasswordCase> passwordCases()
{
    std::vector<PasswordCase> cases;
    const std::string digits = "1234567890abcdefghijklmnopqrstuvwxyz";
    for (std::size_t length = 0; length <= 17; ++length)
        cases.push_back({"admin", digits.substr(0, length)});
    cases.push_back({"ADMIN", "1234"});
    cases.push_back({"", "secret"});
    cases.push_back({"", ""});
    cases.push_back({gbk::fromUtf8("张三"), gbk::fromUtf8("密码")});
    cases.push_back({gbk::fromUtf8("张三"), gbk::fromUtf8("密码1")});
    cases.push_back({gbk::fromUtf8("张三"), gbk::fromUtf8("口令ab")});
    cases.push_back({"0001", gbk::fromUtf8("仓库管理员的密码很长很长")});
    cases.push_back({gbk::fromUtf8("李四"), ""});
    cases.push_back({"user", std::string("\x80\xFF\x00\x7F", 4)});
    cases.push_back({"user", std::string(64, 'x')});
    return cases;
}

class EncodePasswordTest : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(EncodePasswordTest, MatchesTheReferenceWhole)
{
    const PasswordCase& c = GetParam();
    EXPECT_EQ(EncodePassword(c.userCode, c.password), referenceEncode(c.userCode, c.password));
}

INSTANTIATE_TEST_SUITE_P(Passwords, EncodePasswordTest, ::testing::ValuesIn(passwordCases()));

TEST(EncodePasswordLengthTest, GrowsByFourCharactersPerThreeBytesWithoutACut)
{
    for (std::size_t length = 0; length <= 64; ++length)
        EXPECT_EQ(EncodePassword("admin", std::string(length, 'p')).size(), (length + 2) / 3 * 4)
            << length << " bytes";
}

// Stored passwords are compared with exactly these texts; a change locks their users out.
TEST(EncodePasswordTest, KeepsStoredPasswordTexts)
{
    EXPECT_EQ(EncodePassword("admin", "1234"), "tA7jkQ==");
    EXPECT_EQ(EncodePassword("admin", "12345"), "tA7jkdP=");
    EXPECT_EQ(EncodePassword("admin", "123456"), "tA7jkdOT");
    EXPECT_EQ(EncodePassword(gbk::fromUtf8("张三"), gbk::fromUtf8("密码1")), "NvviUPj=");
}

TEST(EncodePasswordTest, DependsOnUserCodeAndLetterCase)
{
    EXPECT_NE(EncodePassword("admin", "1234"), EncodePassword("ADMIN", "1234"));
    EXPECT_NE(EncodePassword("admin", "1234"), EncodePassword("admin", "1235"));
}

} // namespace
} // namespace corvo
