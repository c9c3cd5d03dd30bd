// The login request record as the client fills it.
#include "password/LoginRequest.h"

#include "entity/TClientDataSet.h"
#include "password/EncodePassword.h"

#include <gtest/gtest.h>
#include <string>

namespace corvo {
namespace {

TEST(LoginRequestTest, TheEncodedPasswordIsCutWhereItIsWrittenIntoItsField)
{
    const std::string password = "correct-horse-battery";
    const std::string encoded = EncodePassword("longpw", password);
    ASSERT_EQ(encoded.size(), 28u);
    TClientDataSet request;
    declareLoginRequest(request);
    fillLoginRequest(request, "DEMO", "longpw", password, password);
    EXPECT_EQ(request.FieldByName("PassWord").AsString(), encoded.substr(0, 20));
    EXPECT_EQ(request.FieldByName("NewPassWord").AsString(), encoded.substr(0, 20));

    TClientDataSet wide; // a password field of another table, longer than 20
    wide.FieldDefs().Add("PassWord", FieldType::String, 40);
    wide.CreateDataSet();
    wide.Append();
    wide.FieldByName("PassWord").SetAsString(encoded);
    wide.Post();
    EXPECT_EQ(wide.FieldByName("PassWord").AsString(), encoded);
}

} // namespace
} // namespace corvo
