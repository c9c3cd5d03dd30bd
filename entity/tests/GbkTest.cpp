#include "entity/Gbk.h"

#include <gtest/gtest.h>

using namespace corvo;

TEST(Gbk, CutNeverSplitsADoubleByteCharacter)
{
    const std::string text = gbk::fromUtf8("ab张三");
    EXPECT_EQ(gbk::cut(text, 3), "ab");
    EXPECT_EQ(gbk::cut(text, 4), gbk::fromUtf8("ab张"));
    EXPECT_EQ(gbk::cut(text, 5), gbk::fromUtf8("ab张"));
    EXPECT_EQ(gbk::cut(text, 99), text);
}
