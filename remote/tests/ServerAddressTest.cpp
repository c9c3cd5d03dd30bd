#include "remote/ServerAddress.h"

#include <gtest/gtest.h>

namespace corvo::remote {
namespace {

struct Case {
    const char* configured;
    std::vector<std::string> urls;
};

class ServerAddressTest : public testing::TestWithParam<Case> {};

TEST_P(ServerAddressTest, GivesOneScriptUrlPerAddress)
{
    EXPECT_EQ(serverUrls(GetParam().configured), GetParam().urls);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, ServerAddressTest,
    testing::Values(
        Case{"127.0.0.1:8211", {"http://127.0.0.1:8211/scripts/Velmarwebsvr.dll"}},
        Case{"https://shop.example:443", {"https://shop.example:443/scripts/Velmarwebsvr.dll"}},
        Case{"HTTPS://a:1", {"https://a:1/scripts/Velmarwebsvr.dll"}},
        Case{"a:1; https://b:2 ;c:3",
             {"http://a:1/scripts/Velmarwebsvr.dll", "https://b:2/scripts/Velmarwebsvr.dll",
              "http://c:3/scripts/Velmarwebsvr.dll"}},
        Case{"a:1;;", {"http://a:1/scripts/Velmarwebsvr.dll"}},
        Case{"", {"http:///scripts/Velmarwebsvr.dll"}}));

} // namespace
} // namespace corvo::remote
